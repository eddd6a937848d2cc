// The selector as the editor uses it, with fake dialogs found through PATH
// as the real ones would be.
#include "toolkit/CNewFileSelector.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/toolkit/filedialog/FakeDialogPrograms.h"
#include "toolkit/CFrame.h"

namespace {

using Strings = std::vector<std::string>;

class CNewFileSelectorTest : public ::testing::Test {
protected:
    FakeDialogPrograms fakes;
    OnlyFakesOnPath path{fakes};
};

TEST_F(CNewFileSelectorTest, LoadsAPreset) {
    fakes.install("zenity", "/home/user/Presets/Warm.arp\n");
    CNewFileSelector* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
    ASSERT_NE(selector, nullptr);
    selector->setTitle("Load preset");
    selector->setInitialDirectory("/home/user/Presets");
    selector->addFileExtension(CFileExtension("Arlo Preset", "arp"));
    selector->setAllowMultiFileSelection(false);
    ASSERT_TRUE(selector->runModal());
    ASSERT_EQ(selector->getNumSelectedFiles(), 1u);
    EXPECT_STREQ(selector->getSelectedFile(0), "/home/user/Presets/Warm.arp");
    EXPECT_EQ(selector->getSelectedFile(1), nullptr);
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Load preset", "--filename=/home/user/Presets/",
                       "--file-filter=Arlo Preset (*.arp) | *.arp", "--file-filter=All files | *"}));
    selector->forget();
}

TEST_F(CNewFileSelectorTest, SavesABankThroughKdialogWhenZenityIsMissing) {
    fakes.install("kdialog", "/home/user/Banks/Live\n");
    CNewFileSelector* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectSaveFile);
    selector->setTitle("Save bank");
    selector->setInitialDirectory("");
    selector->setDefaultSaveName("");
    selector->setDefaultExtension(CFileExtension("Arlo Bank", "arb"));
    ASSERT_TRUE(selector->runModal());
    ASSERT_EQ(selector->getNumSelectedFiles(), 1u);
    EXPECT_STREQ(selector->getSelectedFile(0), "/home/user/Banks/Live.arb");
    EXPECT_EQ(fakes.argumentsOf("kdialog"),
              (Strings{"--getsavefilename", "", "*.arb|Arlo Bank (*.arb)\n*|All files", "--title", "Save bank"}));
    selector->forget();
}

TEST_F(CNewFileSelectorTest, DefaultExtensionIsOfferedFirstAndOnce) {
    fakes.install("zenity", "/p/x.arp\n");
    CNewFileSelector* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectSaveFile);
    selector->addFileExtension(CFileExtension("Arlo Bank", "arb"));
    selector->addFileExtension(CFileExtension("Arlo Preset", "arp"));
    selector->addFileExtension(CFileExtension("Nothing", nullptr));
    selector->setDefaultExtension(CFileExtension("Arlo Preset", "arp", "application/x-arlo-preset"));
    selector->runModal();
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--save", "--confirm-overwrite", "--file-filter=Arlo Preset (*.arp) | *.arp",
                       "--file-filter=Arlo Bank (*.arb) | *.arb", "--file-filter=All files | *"}));
    selector->forget();
}

TEST_F(CNewFileSelectorTest, AFrameWithoutAWindowLeavesTheDialogUnattached) {
    fakes.install("zenity", "/p/a.arp\n");
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    CNewFileSelector* selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectFile);
    frame->close();
    ASSERT_TRUE(selector->runModal());
    EXPECT_EQ(fakes.argumentsOf("zenity"), Strings{"--file-selection"});
    selector->forget();
}

TEST_F(CNewFileSelectorTest, NoDialogMeansNothingChosen) {
    CNewFileSelector* selector = CNewFileSelector::create();
    selector->setTitle(nullptr);
    selector->setInitialDirectory(nullptr);
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 0u);
    EXPECT_EQ(selector->getSelectedFile(0), nullptr);
    selector->forget();
}

TEST_F(CNewFileSelectorTest, CancelForgetsTheEarlierChoice) {
    fakes.install("zenity", "/p/a.arp\n");
    CNewFileSelector* selector = CNewFileSelector::create();
    ASSERT_TRUE(selector->runModal());
    fakes.install("zenity", "", 1);
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 0u);
    selector->forget();
}

}  // namespace
