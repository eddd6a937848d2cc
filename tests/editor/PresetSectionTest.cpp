// The preset section of the window driven through its real controls, as a
// user's mouse and keyboard drive them: program menu, step switch at both
// ends, the name field, the default and memo buttons, and the load and save
// buttons, whose desktop dialog is a fake program found through PATH.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "EditorSupport.h"
#include "presets/StateChunk.h"
#include "tests/toolkit/filedialog/FakeDialogPrograms.h"
#include "toolkit/CKnob.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuPopup.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/CTextEdit.h"

using namespace editortest;

namespace {

// The settings store and the dialog programs are the test's own. A base of
// the fixture, so that they exist before the effect, which reads the store
// when it is made.
class PrivateEnvironment {
public:
    PrivateEnvironment() {
        keep("XDG_CONFIG_HOME");
        keep("PATH");
        setenv("XDG_CONFIG_HOME", (fakes.dir() + "/config").c_str(), 1);
        setenv("PATH", fakes.dir().c_str(), 1);
    }
    ~PrivateEnvironment() {
        for (const auto& [name, value] : saved_)
            if (value.second)
                setenv(name.c_str(), value.first.c_str(), 1);
            else
                unsetenv(name.c_str());
    }
    std::string stored(const std::string& value) const {
        return fakes.dir() + "/config/Arlocraft/ArloCorvane/" + value;
    }
    FakeDialogPrograms fakes;

private:
    void keep(const char* name) {
        const char* value = std::getenv(name);
        saved_[name] = {value ? value : "", value != nullptr};
    }
    std::map<std::string, std::pair<std::string, bool>> saved_;
};

class PresetSectionTest : public PrivateEnvironment, public EditorTest {
protected:
    void SetUp() override { ASSERT_TRUE(open()); }

    std::string programName(int index) {
        char name[25] = {};
        plugin->getProgramNameIndexed(0, index, name);
        return name;
    }
    std::string shownName() { return editor()->nameField()->getString(); }
    int updates() { return host.count(audioMasterUpdateDisplay); }
    void waitForDialog() {
        for (int n = 0; n < 5000 && editor()->isFileDialogOpen(); ++n) {
            usleep(1000);
            idle();
        }
        ASSERT_FALSE(editor()->isFileDialogOpen());
    }
    std::string dialogTitle() {
        for (const std::string& argument : fakes.argumentsOf("zenity"))
            if (argument.rfind("--title=", 0) == 0) return argument.substr(8);
        return "";
    }
    void clickStepSwitch(bool right, int times = 1) {
        for (int n = 0; n < times; ++n) click(right ? 255 : 236, 241);
    }
};

TEST_F(PresetSectionTest, ShowsTheCurrentProgram) {
    EXPECT_EQ(shownName(), "Default");
    COptionMenu* menu = editor()->programMenu();
    ASSERT_EQ(menu->getNbEntries(), 6);
    EXPECT_STREQ(menu->getEntry(4), "Almost reverb");
    EXPECT_EQ(menu->getCurrent(), 0);
    EXPECT_EQ(menu->getNbItemsPerColumn(), 16);
    EXPECT_EQ(menu->getStyle() & (kPopupStyle | kCheckStyle | kNoDrawStyle), kPopupStyle | kCheckStyle | kNoDrawStyle);
    EXPECT_EQ(editor()->nameField()->getViewSize(), CRect(96, 233, 212, 248));
}

TEST_F(PresetSectionTest, MenuChoosesAProgramAndTheKnobsFollow) {
    click(219, 244);
    auto* list = dynamic_cast<COptionMenuPopup*>(frame()->getModalView());
    ASSERT_NE(list, nullptr) << "the list opens";
    const CRect row = list->getEntryRect(4);
    click((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    EXPECT_EQ(frame()->getModalView(), nullptr);

    EXPECT_EQ(plugin->getCurrentProgram(), 4);
    EXPECT_EQ(shownName(), "Almost reverb");
    EXPECT_EQ(editor()->programMenu()->getCurrent(), 4);
    idle();
    EXPECT_EQ(editor()->knob(kTranspose)->getValue(), parameter(kTranspose));
    EXPECT_EQ(editor()->display(kTranspose)->getText(), "b24") << "two octaves down";
}

TEST_F(PresetSectionTest, StepSwitchStaysWithinTheSixPrograms) {
    clickStepSwitch(false);
    EXPECT_EQ(plugin->getCurrentProgram(), 0) << "the first stays the first";
    clickStepSwitch(true, 3);
    EXPECT_EQ(plugin->getCurrentProgram(), 3);
    EXPECT_EQ(shownName(), programName(3));
    clickStepSwitch(true, 2);
    ASSERT_EQ(plugin->getCurrentProgram(), 5);
    const int before = updates();
    clickStepSwitch(true);
    EXPECT_EQ(plugin->getCurrentProgram(), 5) << "the sixth stays the sixth";
    EXPECT_GT(updates(), before) << "and is selected again";
    EXPECT_EQ(editor()->programMenu()->getCurrent(), 5);
}

TEST_F(PresetSectionTest, NameFieldKeepsTwentyFourCharacters) {
    click(150, 240);
    ASSERT_TRUE(editor()->nameField()->isEditingText());
    // Typing replaces the old name, which editing starts with selected.
    for (char c : std::string("abcdefghijklmnopqrstuvwxyz1234")) {
        VstKeyCode key{c, 0, 0};
        frame()->onKeyDown(key);
    }
    VstKeyCode enter{0, VKEY_RETURN, 0};
    frame()->onKeyDown(enter);

    EXPECT_EQ(shownName(), "abcdefghijklmnopqrstuvwx");
    EXPECT_STREQ(editor()->programMenu()->getEntry(0), "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(programName(0), "abcdefghijklmnopqrstuvwx");
}

// The host closes the window mid-rename: the typed name is taken, as a
// click elsewhere takes it.
TEST_F(PresetSectionTest, ClosingTheWindowMidRenameKeepsTheName) {
    click(150, 240);
    VstKeyCode end{0, VKEY_END, 0};
    frame()->onKeyDown(end);
    VstKeyCode key{'Z', 0, 0};
    frame()->onKeyDown(key);
    close();
    EXPECT_EQ(programName(0), "DefaultZ");
}

TEST_F(PresetSectionTest, DefaultPresetIsStoredByDoubleClickAndClearedWithCtrl) {
    const std::string value = stored("DefaultPreset");
    click(50, 234);
    EXPECT_FALSE(std::filesystem::exists(value)) << "a single click does nothing";
    click(50, 234, kLButton | kDoubleClick);
    EXPECT_EQ(std::filesystem::file_size(value), 61u);
    click(50, 234, kLButton | kDoubleClick | kControl);
    EXPECT_FALSE(std::filesystem::exists(value));

    click(50, 248, kLButton | kDoubleClick);
    EXPECT_EQ(std::filesystem::file_size(stored("DefaultBank")), 341u);
}

TEST_F(PresetSectionTest, MemoKeepsASoundForLater) {
    automate(kDecay, 0.123f);
    click(275, 233);  // store A
    automate(kDecay, 0.9f);
    click(299, 247);  // recall B, never stored: nothing changes
    EXPECT_FLOAT_EQ(parameter(kDecay), 0.9f);
    click(299, 233);  // recall A
    EXPECT_FLOAT_EQ(parameter(kDecay), 0.123f);
    idle();
    EXPECT_EQ(editor()->display(kDecay)->getText(), "12%");
}

// A store that fails (here over a folder in its place) is told, like a
// failed save, and leaves what was there.
TEST_F(PresetSectionTest, AFailedStoreIsTold) {
    fakes.install("zenity", "");
    std::filesystem::create_directories(stored("MemoA"));
    click(275, 233);  // store A
    std::vector<std::string> notice;
    for (int n = 0; n < 5000 && notice.empty(); ++n) {
        usleep(1000);
        notice = fakes.argumentsOf("zenity");
    }
    ASSERT_GE(notice.size(), 3u);
    EXPECT_EQ(notice[0], "--error");
    EXPECT_EQ(notice[2], "--text=The memo A could not be stored in\n" + stored("") +
                             "\n\nIs a directory.\nWhat was stored before was left as it was.");
    EXPECT_TRUE(std::filesystem::is_directory(stored("MemoA")));
}

TEST_F(PresetSectionTest, RightClickOnALoadButtonLoadsEndianReversed) {
    fakes.install("zenity", "", 1);  // the user cancels
    click(82, 233);
    waitForDialog();
    EXPECT_EQ(dialogTitle(), "Load preset");
    click(82, 233, kRButton);
    waitForDialog();
    EXPECT_EQ(dialogTitle(), "Load preset (endian-reversed)");
    click(82, 248, kRButton);
    waitForDialog();
    EXPECT_EQ(dialogTitle(), "Load bank (endian-reversed)");
    click(17, 233, kRButton);
    waitForDialog();
    EXPECT_EQ(dialogTitle(), "Save preset") << "a save is always in the machine's order";
}

TEST_F(PresetSectionTest, SavedPresetComesBackThroughTheButtons) {
    const std::string file = fakes.dir() + "/mine.arp";
    automate(kDecay, 0.75f);
    fakes.install("zenity", file + "\n");
    click(17, 233);
    waitForDialog();
    ASSERT_EQ(std::filesystem::file_size(file), 61u);

    automate(kDecay, 0.1f);
    click(82, 233);
    waitForDialog();
    EXPECT_FLOAT_EQ(parameter(kDecay), 0.75f);
}

// A host restoring its state (or one of its own presets) while the window is
// open: the window shows the restored programs, so that its name field cannot
// give an old name to a restored program.
TEST_F(PresetSectionTest, RestoredStateIsShownOnTheWindowsThreadOrAtTheNextIdle) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 368);
    std::vector<char> chunk(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    const auto restore = [&](const char* name, int current) {
        std::vector<char> state = chunk;
        std::memset(&state[32 + 56 * current], 0, 24);
        std::memcpy(&state[32 + 56 * current], name, std::strlen(name));
        std::memcpy(&state[statechunk::kCurrentOffset], &current, 4);  // native order
        return dispatch(effSetChunk, 0, static_cast<VstIntPtr>(state.size()), state.data());
    };

    ASSERT_EQ(restore("Restored", 3), 0);
    EXPECT_EQ(plugin->getCurrentProgram(), 3);
    EXPECT_EQ(shownName(), "Restored");
    EXPECT_EQ(editor()->programMenu()->getCurrent(), 3);
    EXPECT_STREQ(editor()->programMenu()->getEntry(3), "Restored");

    std::thread([&] { ASSERT_EQ(restore("From elsewhere", 2), 0); }).join();
    EXPECT_EQ(shownName(), "Restored") << "no other thread touches the controls";
    idle();
    EXPECT_EQ(shownName(), "From elsewhere");
    EXPECT_EQ(editor()->programMenu()->getCurrent(), 2);

    // Confirming the name field now keeps the restored name.
    click(150, 240);
    VstKeyCode enter{0, VKEY_RETURN, 0};
    frame()->onKeyDown(enter);
    EXPECT_EQ(programName(2), "From elsewhere");
}

TEST_F(PresetSectionTest, ClosingTheWindowEndsAnOpenDialog) {
    fakes.install("zenity", "", 0, "/bin/sleep 30");
    click(82, 233);
    ASSERT_TRUE(editor()->isFileDialogOpen());
    close();
    EXPECT_FALSE(editor()->isFileDialogOpen());
}

// A host that closes the window when told of the sound a file brought.
TEST_F(PresetSectionTest, HostClosingTheWindowAsALoadedPresetIsShown) {
    const std::string file = fakes.dir() + "/mine.arp";
    fakes.install("zenity", file + "\n");
    click(17, 233);
    waitForDialog();
    click(82, 233);
    closeDuring(audioMasterUpdateDisplay);
    waitForDialog();
    closeDuring(-1);
    EXPECT_FALSE(editor()->isOpen());
    EXPECT_TRUE(open());
}

}  // namespace
