// The per-user settings store, with XDG_CONFIG_HOME at a folder of the
// test's own: what new instances take over, memos shared between
// processes, remembered locations, and values damaged by hand.
#include <climits>
#include <csignal>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "effect/FactoryPrograms.h"
#include "presets/SettingsStore.h"
#include "tests/presets/PresetTestSupport.h"

namespace {

using RecordKind = PresetLibrary::RecordKind;

class SettingsStoreTest : public ::testing::Test {
protected:
    // Six programs unlike the factory's, program 3 current.
    void makeOwnBank(Corvane& plugin) {
        for (int p = 0; p < 6; ++p) {
            plugin.selectProgram(p);
            plugin.renameCurrentProgram(("Mine " + std::to_string(p + 1)).c_str());
            plugin.setParameter(kDecay, 0.125f * static_cast<float>(p + 1));
        }
        plugin.selectProgram(3);
    }
    void expectFactoryBank(Corvane& plugin) {
        EXPECT_EQ(plugin.getCurrentProgram(), 0);
        for (int p = 0; p < 6; ++p) {
            EXPECT_EQ(programName(plugin, p), kFactoryPrograms[p].name);
            for (int k = 0; k < kNumParameters; ++k)
                EXPECT_EQ(plugin.getPrograms()[p].params[k], kFactoryPrograms[p].values[k]) << p << "," << k;
        }
    }
    mode_t modeOf(const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }

    TestSettings settings;
    FakeHost host;
};

TEST_F(SettingsStoreTest, NothingStoredGivesTheFactoryBankAndNothingIsCreated) {
    auto plugin = makeCorvane(host);
    expectFactoryBank(*plugin);
    PresetLibrary& library = plugin->presetLibrary();
    EXPECT_EQ(library.currentFolder(), "");
    EXPECT_EQ(library.lastFileName(RecordKind::preset), "");
    EXPECT_EQ(library.lastFileName(RecordKind::bank), "");

    library.clearDefaultBank();
    library.clearDefaultPreset();
    EXPECT_FALSE(library.recallMemo(MemoSlot::A));
    EXPECT_FALSE(library.loadDefaultBank());
    plugin.reset();
    EXPECT_FALSE(settings.exists()) << "a plug-in scan must leave no trace";
}

TEST_F(SettingsStoreTest, NewInstancesTakeTheDefaultBankThenTheDefaultPreset) {
    {
        auto first = makeCorvane(host);
        makeOwnBank(*first);
        ASSERT_TRUE(first->presetLibrary().storeDefaultBank().ok());
    }
    EXPECT_EQ(modeOf(settings.home / "config/Arlocraft"), 0700u);
    EXPECT_EQ(modeOf(settings.value("")), 0700u);
    EXPECT_EQ(bytesOf(settings.value("DefaultBank")).size(), 341u);
    {
        auto second = makeCorvane(host);
        EXPECT_EQ(second->getCurrentProgram(), 0);
        for (int p = 0; p < 6; ++p) EXPECT_EQ(programName(*second, p), "Mine " + std::to_string(p + 1));
        EXPECT_EQ(second->getParameter(kDecay), 0.125f);

        second->selectProgram(2);
        second->renameCurrentProgram("Preferred");
        second->setParameter(kDamp, 0.875f);
        ASSERT_TRUE(second->presetLibrary().storeDefaultPreset().ok());
    }
    EXPECT_EQ(bytesOf(settings.value("DefaultPreset")).size(), 61u);
    {
        auto third = makeCorvane(host);
        EXPECT_EQ(third->getCurrentProgram(), 0);
        EXPECT_EQ(programName(*third, 0), "Preferred");
        EXPECT_EQ(programName(*third, 2), "Mine 3");
        EXPECT_EQ(third->getParameter(kDamp), 0.875f);
        EXPECT_EQ(third->getParameter(kDecay), 0.375f);  // the preset's, stored from program 3
        third->presetLibrary().clearDefaultPreset();
    }
    {
        auto fourth = makeCorvane(host);
        EXPECT_EQ(programName(*fourth, 0), "Mine 1");
        fourth->presetLibrary().clearDefaultBank();
    }
    auto fifth = makeCorvane(host);
    expectFactoryBank(*fifth);
}

TEST_F(SettingsStoreTest, MemoStoredInOneProcessIsRecalledInAnother) {
    ASSERT_EQ(inChild([&] {
                  auto plugin = instanceWith(host, "From afar", 0.6875f);
                  return plugin->presetLibrary().storeMemo(MemoSlot::A).ok() ? 0 : 1;
              }),
              0);
    auto plugin = makeCorvane(host);
    plugin->selectProgram(4);
    const std::string untouched = programName(*plugin, 4);
    EXPECT_FALSE(plugin->presetLibrary().recallMemo(MemoSlot::B));
    EXPECT_EQ(programName(*plugin, 4), untouched);
    ASSERT_TRUE(plugin->presetLibrary().recallMemo(MemoSlot::A));
    EXPECT_EQ(plugin->getCurrentProgram(), 4);
    EXPECT_EQ(programName(*plugin, 4), "From afar");
    EXPECT_EQ(plugin->getPrograms()[4].params[kDecay], 0.6875f);
    EXPECT_EQ(plugin->getParameter(kDecay), 0.6875f);
}

TEST_F(SettingsStoreTest, TwoProcessesStoringTheSameValueLeaveItWhole) {
    const char* names[2] = {"First writer", "Second writer"};
    const float decays[2] = {0.25f, 0.75f};
    Bytes expected[2];
    for (int i = 0; i < 2; ++i) {
        expected[i].resize(61);
        instanceWith(host, names[i], decays[i])->presetLibrary().exportPreset(expected[i].data());
    }
    pid_t writers[2];
    for (int i = 0; i < 2; ++i)
        writers[i] = startChild([&, i] {
            auto plugin = instanceWith(host, names[i], decays[i]);
            for (int n = 0; n < 150; ++n)
                if (!plugin->presetLibrary().storeMemo(MemoSlot::A).ok()) return 1;
            return 0;
        });

    int reads = 0;
    size_t torn = 0;
    int status[2] = {-1, -1};
    bool running[2] = {true, true};
    while ((running[0] || running[1]) && !torn) {
        for (int i = 0; i < 2; ++i)
            if (running[i] && waitpid(writers[i], &status[i], WNOHANG) == writers[i]) running[i] = false;
        const Bytes seen = bytesOf(settings.value("MemoA"));
        // Once there, the value never vanishes, not even for a moment.
        if (seen.empty() && reads == 0) continue;
        ++reads;
        if (seen != expected[0] && seen != expected[1]) torn = seen.size() + 1;
    }
    for (int i = 0; i < 2; ++i) {
        if (!running[i]) continue;
        kill(writers[i], SIGKILL);
        waitpid(writers[i], &status[i], 0);
    }
    ASSERT_EQ(torn, 0u) << "a torn value of " << torn - 1 << " bytes";
    for (int code : status) EXPECT_TRUE(WIFEXITED(code) && WEXITSTATUS(code) == 0) << "a store failed";
    EXPECT_GT(reads, 0);
    EXPECT_EQ(settings.home.names("config/Arlocraft/ArloCorvane"), std::vector<std::string>{"MemoA"})
        << "temporary files left behind";

    auto plugin = makeCorvane(host);
    ASSERT_TRUE(plugin->presetLibrary().recallMemo(MemoSlot::A));
}

TEST_F(SettingsStoreTest, LocationsAreTheLastUsedInAnyInstanceAndWrittenOnlyWhenTheyChange) {
    TempFolder files;
    // Folder names past any fixed-size buffer.
    const std::string deep = files.path() + "/" + std::string(200, 'a') + "/" + std::string(200, 'b') + "/";
    std::filesystem::create_directories(deep);
    {
        auto plugin = makeCorvane(host);
        ASSERT_TRUE(plugin->presetLibrary().saveFile(RecordKind::bank, files / "Live.arb").ok());
        ASSERT_TRUE(plugin->presetLibrary().saveFile(RecordKind::preset, deep + "Wärm.arp").ok());
    }
    EXPECT_EQ(textOf(settings.value("CurrDir")), deep);
    EXPECT_EQ(textOf(settings.value("CurrPreset")), "Wärm.arp");
    EXPECT_EQ(textOf(settings.value("CurrBank")), "Live.arb");

    auto next = makeCorvane(host);
    PresetLibrary& library = next->presetLibrary();
    EXPECT_EQ(library.currentFolder(), deep);
    EXPECT_EQ(library.lastFileName(RecordKind::preset), "Wärm.arp");
    EXPECT_EQ(library.lastFileName(RecordKind::bank), "Live.arb");

    // The same folder again: the stored text is left as it is (not even rewritten).
    struct stat before {};
    ASSERT_EQ(stat(settings.value("CurrDir").c_str(), &before), 0);
    ASSERT_TRUE(library.loadFile(RecordKind::preset, deep + "Wärm.arp", false).ok());
    struct stat after {};
    ASSERT_EQ(stat(settings.value("CurrDir").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    // Another instance went elsewhere since; a file used here again brings
    // new instances back here.
    writeBytes(settings.value("CurrDir"), {'/', 'o', 't', 'h', 'e', 'r', '/'});
    ASSERT_TRUE(library.loadFile(RecordKind::preset, deep + "Wärm.arp", false).ok());
    EXPECT_EQ(textOf(settings.value("CurrDir")), deep);
    ASSERT_TRUE(library.saveFile(RecordKind::preset, deep + "Cold.arp").ok());
    EXPECT_EQ(textOf(settings.value("CurrPreset")), "Cold.arp");
}

TEST_F(SettingsStoreTest, ValuesDamagedByHandCountAsNotStored) {
    {
        auto plugin = instanceWith(host, "Stored", 0.5f);
        ASSERT_TRUE(plugin->presetLibrary().storeDefaultBank().ok());
        ASSERT_TRUE(plugin->presetLibrary().storeDefaultPreset().ok());
        ASSERT_TRUE(plugin->presetLibrary().storeMemo(MemoSlot::B).ok());
    }
    const Bytes bank = bytesOf(settings.value("DefaultBank"));
    const Bytes preset = bytesOf(settings.value("DefaultPreset"));
    ASSERT_EQ(programName(*makeCorvane(host), 0), "Stored");

    auto damage = [&](const Bytes& bankBytes, const Bytes& presetBytes) {
        writeBytes(settings.value("DefaultBank"), bankBytes);
        writeBytes(settings.value("DefaultPreset"), presetBytes);
        writeBytes(settings.value("MemoB"), presetBytes);
    };
    auto expectNothingTaken = [&](const char* what) {
        auto plugin = makeCorvane(host);
        expectFactoryBank(*plugin);
        EXPECT_FALSE(plugin->presetLibrary().recallMemo(MemoSlot::B)) << what;
        EXPECT_EQ(programName(*plugin, 0), "Default") << what;
    };
    damage(Bytes(bank.begin(), bank.end() - 1), Bytes(preset.begin(), preset.end() - 1));
    expectNothingTaken("truncated");
    Bytes longerBank = bank, longerPreset = preset;
    longerBank.push_back(0);
    longerPreset.push_back(0);
    damage(longerBank, longerPreset);
    expectNothingTaken("enlarged");
    for (const char* name : {"DefaultBank", "DefaultPreset", "MemoB"}) {
        std::filesystem::remove(settings.value(name));
        std::filesystem::create_directory(settings.value(name));
    }
    expectNothingTaken("folders");

    // Storing over a folder fails and leaves it.
    auto plugin = makeCorvane(host);
    EXPECT_FALSE(plugin->presetLibrary().storeDefaultBank().ok());
    EXPECT_TRUE(std::filesystem::is_directory(settings.value("DefaultBank")));
}

TEST_F(SettingsStoreTest, TextsTooLongForAPathOrHoldingAZeroByteCountAsMissing) {
    std::filesystem::create_directories(settings.value(""));
    const auto folderSeen = [&](const std::string& stored) {
        writeBytes(settings.value("CurrDir"), Bytes(stored.begin(), stored.end()));
        return makeCorvane(host)->presetLibrary().currentFolder();
    };
    const std::string longest = "/" + std::string(PATH_MAX - 2, 'x');
    EXPECT_EQ(folderSeen(longest), longest);
    EXPECT_EQ(folderSeen(longest + "x"), "");
    EXPECT_EQ(folderSeen(std::string("/tmp/\0/", 7)), "");
    std::filesystem::remove(settings.value("CurrDir"));
    std::filesystem::create_directory(settings.value("CurrDir"));
    EXPECT_EQ(makeCorvane(host)->presetLibrary().currentFolder(), "");
    EXPECT_EQ(settingsstore::readText(settingsstore::kCurrentFolder), std::nullopt);
}

}  // namespace
