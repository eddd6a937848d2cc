// Preset and bank files through the library: what a saved file holds, files
// that load although they cannot be written, and saves that fail (a full
// disk, a read-only folder) leaving the old file byte for byte and the
// remembered locations as they were.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "tests/presets/PresetTestSupport.h"

namespace {

using RecordKind = PresetLibrary::RecordKind;

// Where this process may mount (root), a mount table of its own: nothing
// mounted here is seen outside, and all of it goes with the process.
bool privateMounts() {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// Read-only for this process: a read-only mount of the folder over itself
// (root writes whatever the modes say), else the modes.
bool makeReadOnly(const std::string& folder) {
    if (privateMounts())
        return mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
               mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_read);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    return true;
}

// A full disk: a small tmpfs filled to the last block where this process
// may mount; otherwise a file size limit makes the writes fail the same way.
bool fillDisk(const std::string& folder) {
    if (privateMounts()) {
        if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
        writeBytes(folder + "/Old.arp", Bytes(61, 0x5A));
        FILE* filler = std::fopen((folder + "/filler").c_str(), "wb");
        if (!filler) return false;
        const Bytes block(512, 0);
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
        }
        std::fclose(filler);
        return true;
    }
    writeBytes(folder + "/Old.arp", Bytes(61, 0x5A));
    writeBytes(folder + "/filler", {});
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{30, 30};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

class PresetFiles : public ::testing::Test {
protected:
    PresetLibrary& library() { return plugin->presetLibrary(); }

    // In a child: a save into `folder` after `prepare` must fail, be
    // reported, and leave the folder's files and the locations alone.
    void expectFailedSaveChangesNothing(const std::function<bool(const std::string&)>& prepare) {
        const int code = inChild([&] {
            if (!prepare(files.path())) return 2;
            const std::vector<std::string> before = files.names();
            const Bytes old = bytesOf(files / "Old.arp");
            const FileOutcome outcome = library().saveFile(RecordKind::preset, files / "Old.arp");
            if (outcome.ok() || outcome.status != FileOutcome::Status::unwritable || outcome.error == 0) return 3;
            if (bytesOf(files / "Old.arp") != old || old.size() != 61) return 4;
            if (files.names() != before) return 5;  // no temporary file left
            if (!library().currentFolder().empty() || settings.exists()) return 6;
            if (library().saveFile(RecordKind::bank, files / "New.arb").ok()) return 7;
            return 0;
        });
        EXPECT_EQ(code, 0) << "2: not prepared, 3: not reported, 4: old file changed, 5: files left, "
                              "6: locations changed, 7: bank saved";
    }

    TestSettings settings;
    TempFolder files;
    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
};

TEST_F(PresetFiles, SavedFilesHoldTheirRecordsAndLoadBack) {
    plugin->selectProgram(1);
    plugin->renameCurrentProgram("Saved");
    ASSERT_TRUE(library().saveFile(RecordKind::preset, files / "Saved.arp").ok());
    ASSERT_TRUE(library().saveFile(RecordKind::bank, files / "All.arb").ok());
    Bytes preset(61), bank(341);
    library().exportPreset(preset.data());
    library().exportBank(bank.data());
    EXPECT_EQ(bytesOf(files / "Saved.arp"), preset);
    EXPECT_EQ(bytesOf(files / "All.arb"), bank);

    plugin->setParameter(kDecay, 0.0f);
    plugin->renameCurrentProgram("Changed");
    ASSERT_TRUE(library().loadFile(RecordKind::preset, files / "Saved.arp", false).ok());
    EXPECT_EQ(programName(*plugin, 1), "Saved");
    EXPECT_EQ(plugin->getParameter(kDecay), 0.5f);
    EXPECT_EQ(library().loadFile(RecordKind::bank, files / "Saved.arp", false).status, FileOutcome::Status::rejected);
    EXPECT_EQ(library().loadFile(RecordKind::preset, files / "All.arb", false).status, FileOutcome::Status::rejected);
    EXPECT_EQ(plugin->getCurrentProgram(), 1);
    ASSERT_TRUE(library().loadFile(RecordKind::bank, files / "All.arb", false).ok());
    EXPECT_EQ(plugin->getCurrentProgram(), 0);
}

TEST_F(PresetFiles, ShortFilesAreRefusedAndLeaveTheLocations) {
    ASSERT_TRUE(library().saveFile(RecordKind::preset, files / "Whole.arp").ok());
    const Bytes whole = bytesOf(files / "Whole.arp");
    std::filesystem::create_directory(files / "sub");
    writeBytes(files / "sub/Short.arp", Bytes(whole.begin(), whole.begin() + 5));
    writeBytes(files / "sub/Sixty.arp", Bytes(whole.begin(), whole.end() - 1));
    for (const char* name : {"sub/Short.arp", "sub/Sixty.arp"}) {
        const FileOutcome outcome = library().loadFile(RecordKind::preset, files / name, false);
        EXPECT_EQ(outcome.status, FileOutcome::Status::rejected) << name;
    }
    EXPECT_EQ(library().loadFile(RecordKind::preset, files / "sub/Missing.arp", false).error, ENOENT);
    EXPECT_EQ(library().currentFolder(), files.path() + "/");
    EXPECT_EQ(library().lastFileName(RecordKind::preset), "Whole.arp");
    EXPECT_EQ(programName(*plugin, 0), "Default");
}

TEST_F(PresetFiles, ReadOnlyFilesLoad) {
    plugin->renameCurrentProgram("Shared");
    ASSERT_TRUE(library().saveFile(RecordKind::preset, files / "Shared.arp").ok());
    plugin->renameCurrentProgram("Other");
    const int code = inChild([&] {
        if (!makeReadOnly(files.path())) return 2;
        if (!library().loadFile(RecordKind::preset, files / "Shared.arp", false).ok()) return 3;
        return programName(*plugin, 0) == "Shared" ? 0 : 4;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(PresetFiles, FailedSaveIntoAFullDiskChangesNothing) { expectFailedSaveChangesNothing(fillDisk); }

TEST_F(PresetFiles, FailedSaveIntoAReadOnlyFolderChangesNothing) {
    expectFailedSaveChangesNothing([](const std::string& folder) {
        writeBytes(folder + "/Old.arp", Bytes(61, 0x5A));
        return makeReadOnly(folder);
    });
}

TEST_F(PresetFiles, NoFileButARegularOneIsTouched) {
    ASSERT_EQ(mkfifo((files / "Pipe.arp").c_str(), 0644), 0);
    std::filesystem::create_directory(files / "Folder.arp");
    // Opening a FIFO for reading would wait for a writer for ever: the
    // child is killed if it has not answered after a minute.
    const int code = inChild([&] {
        alarm(60);
        if (library().loadFile(RecordKind::preset, files / "Pipe.arp", false).error != EINVAL) return 2;
        if (library().loadFile(RecordKind::preset, files / "Folder.arp", false).error != EISDIR) return 3;
        if (library().saveFile(RecordKind::preset, files / "Pipe.arp").ok()) return 4;
        if (library().saveFile(RecordKind::preset, files / "Folder.arp").ok()) return 5;
        return 0;
    });
    EXPECT_EQ(code, 0);
    struct stat info;
    ASSERT_EQ(stat((files / "Pipe.arp").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(files.names(), (std::vector<std::string>{"Folder.arp", "Pipe.arp"}));
    EXPECT_EQ(library().currentFolder(), "");
}

TEST_F(PresetFiles, SavedFilesKeepOrGetTheUsualPermissions) {
    const auto modeOf = [](const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    const mode_t oldMask = umask(027);
    ASSERT_TRUE(library().saveFile(RecordKind::preset, files / "New.arp").ok());
    EXPECT_EQ(modeOf(files / "New.arp"), 0640u);
    umask(oldMask);

    chmod((files / "New.arp").c_str(), 0604);
    ASSERT_TRUE(library().saveFile(RecordKind::preset, files / "New.arp").ok());
    EXPECT_EQ(modeOf(files / "New.arp"), 0604u);

    // Through a link, the file it names is replaced and the link stays.
    std::filesystem::create_symlink("New.arp", files / "Link.arp");
    plugin->renameCurrentProgram("Linked");
    ASSERT_TRUE(library().saveFile(RecordKind::preset, files / "Link.arp").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(files / "Link.arp"));
    EXPECT_EQ(textOf(files / "New.arp").substr(5, 6), "Linked");
}

}  // namespace
