// The four file commands as the editor's buttons start them, with the
// desktop's dialog replaced by a fake program found through PATH: titles,
// file types, the remembered folder and name, one dialog at a time, and a
// failed save told to the user.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presets/PresetFileDialogs.h"
#include "tests/presets/PresetTestSupport.h"
#include "tests/toolkit/filedialog/FakeDialogPrograms.h"

namespace {

using Command = PresetFileDialogs::Command;
using Result = PresetFileDialogs::Result;
using Strings = std::vector<std::string>;

class PresetFileDialogsTest : public ::testing::Test {
protected:
    // Polls as the editor's idle does until the dialog has closed.
    Result finish() {
        for (;;) {
            const Result result = dialogs.poll();
            if (!dialogs.isOpen()) return result;
            usleep(1000);
        }
    }
    Result run(Command command, bool reversed = false) {
        if (!dialogs.open(command, reversed, nullptr)) return Result::nothing;
        return finish();
    }
    // The dialog program's arguments, once it has been started with `first`.
    Strings argumentsOnceRun(const std::string& first) {
        for (int n = 0; n < 10000; ++n) {
            const Strings args = fakes.argumentsOf("zenity");
            if (!args.empty() && args[0] == first) return args;
            usleep(1000);
        }
        return fakes.argumentsOf("zenity");
    }

    TestSettings settings;
    TempFolder files;
    FakeDialogPrograms fakes;
    OnlyFakesOnPath path{fakes};
    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
    PresetFileDialogs dialogs{plugin->presetLibrary()};
};

TEST_F(PresetFileDialogsTest, SavedPresetBringsTheSoundBack) {
    plugin->renameCurrentProgram("Warm");
    plugin->setParameter(kDecay, 0.875f);
    fakes.install("zenity", files / "Warm\n");
    EXPECT_EQ(run(Command::savePreset), Result::saved);
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Save preset", "--save", "--confirm-overwrite",
                       "--file-filter=Arlo Preset (*.arp) | *.arp", "--file-filter=All files | *"}));
    EXPECT_EQ(bytesOf(files / "Warm.arp").size(), 61u);

    plugin->setParameter(kDecay, 0.125f);
    plugin->renameCurrentProgram("Cold");
    fakes.install("zenity", files / "Warm.arp\n");
    EXPECT_EQ(run(Command::loadPreset), Result::loaded);
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Load preset", "--filename=" + files.path() + "/",
                       "--file-filter=Arlo Preset (*.arp) | *.arp", "--file-filter=All files | *"}));
    EXPECT_EQ(plugin->getParameter(kDecay), 0.875f);
    EXPECT_EQ(programName(*plugin, 0), "Warm");

    // The next save proposes the remembered folder and name.
    EXPECT_EQ(run(Command::savePreset), Result::saved);
    EXPECT_EQ(fakes.argumentsOf("zenity").at(4), "--filename=" + files / "Warm.arp");
}

TEST_F(PresetFileDialogsTest, BankDialogsAndTheReversedCommand) {
    fakes.install("zenity", "", 1);
    EXPECT_EQ(run(Command::loadBank, true), Result::nothing);
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Load bank (endian-reversed)", "--file-filter=Arlo Bank (*.arb) | *.arb",
                       "--file-filter=All files | *"}));
    EXPECT_EQ(run(Command::loadPreset, true), Result::nothing);
    EXPECT_EQ(fakes.argumentsOf("zenity").at(1), "--title=Load preset (endian-reversed)");

    // Saving is never reversed; a bank file loaded reversed turns its values.
    fakes.install("zenity", files / "Live.arb\n");
    EXPECT_EQ(run(Command::saveBank, true), Result::saved);
    EXPECT_EQ(fakes.argumentsOf("zenity").at(1), "--title=Save bank");
    plugin->selectProgram(2);
    EXPECT_EQ(run(Command::loadBank), Result::loaded);
    EXPECT_EQ(plugin->getCurrentProgram(), 0);
    EXPECT_EQ(run(Command::loadBank, true), Result::nothing) << "factory values turned round are out of range";
    EXPECT_EQ(plugin->presetLibrary().lastFileName(PresetLibrary::RecordKind::bank), "Live.arb");
}

TEST_F(PresetFileDialogsTest, OneDialogAtATimeAndClosingEndsIt) {
    fakes.install("zenity", files / "Never.arp\n", 0, fakes.untilReleased());
    ASSERT_TRUE(dialogs.open(Command::loadPreset, false, nullptr));
    EXPECT_FALSE(dialogs.open(Command::savePreset, false, nullptr));
    EXPECT_FALSE(dialogs.open(Command::loadPreset, false, nullptr));
    EXPECT_EQ(dialogs.poll(), Result::nothing);
    EXPECT_TRUE(dialogs.isOpen());
    dialogs.close();
    EXPECT_FALSE(dialogs.isOpen());
    EXPECT_EQ(dialogs.poll(), Result::nothing);

    // Closed, the next command opens its dialog.
    fakes.install("zenity", "", 1);
    EXPECT_TRUE(dialogs.open(Command::savePreset, false, nullptr));
    EXPECT_EQ(finish(), Result::nothing);
}

TEST_F(PresetFileDialogsTest, AFailedSaveIsToldAndChangesNothing) {
    std::filesystem::create_directory(files / "Taken.arp");
    fakes.install("zenity", files / "Taken.arp\n");
    EXPECT_EQ(run(Command::savePreset), Result::failed);
    const Strings notice = argumentsOnceRun("--error");
    ASSERT_EQ(notice.size(), 4u);
    EXPECT_EQ(notice[1], "--title=Save preset");
    EXPECT_EQ(notice[2], "--text=The preset could not be saved as\n" + files / "Taken.arp" +
                             "\n\nIs a directory.\nA file of that name was left as it was.");
    EXPECT_TRUE(std::filesystem::is_directory(files / "Taken.arp"));
    EXPECT_EQ(plugin->presetLibrary().currentFolder(), "");
    EXPECT_FALSE(settings.exists());
}

}  // namespace
