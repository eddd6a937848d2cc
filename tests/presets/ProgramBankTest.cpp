// The six programs: names, selection and the write-through of parameter values.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/Plugin.h"

namespace {

class ProgramBank : public ::testing::Test {
protected:
    std::string nameField(int program) const {
        return std::string(plugin->getPrograms()[program].name, ProgramRecord::kNameLength);
    }

    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
    AEffect* effect = plugin->getAeffect();
};

TEST_F(ProgramBank, LongNamesKeepTwentyFourCharactersWithoutTerminator) {
    char text[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30 characters
    dispatch(effect, effSetProgramName, 0, 0, text);
    EXPECT_EQ(nameField(0), "ABCDEFGHIJKLMNOPQRSTUVWX");
    char name[40];
    std::memset(name, 'z', sizeof(name));
    dispatch(effect, effGetProgramName, 0, 0, name);
    EXPECT_EQ(std::string(name, 25), std::string("ABCDEFGHIJKLMNOPQRSTUVWX") + '\0');
    EXPECT_EQ(name[25], 'z');  // exactly 25 bytes written
}

TEST_F(ProgramBank, ShortNamesAreZeroPadded) {
    plugin->selectProgram(2);
    char text[] = "Bell";
    dispatch(effect, effSetProgramName, 0, 0, text);
    EXPECT_EQ(nameField(2), std::string("Bell") + std::string(20, '\0'));
    void* data = nullptr;
    dispatch(effect, effGetChunk, 0, 0, &data);
    EXPECT_EQ(std::string(static_cast<char*>(data) + 32 + 2 * 56, 24), nameField(2));
    char name[25];
    dispatch(effect, effGetProgramNameIndexed, 2, 0, name);
    EXPECT_STREQ(name, "Bell");
}

TEST_F(ProgramBank, RenamingFromTheHostDoesNotRefreshItsDisplay) {
    host.calls.clear();
    char text[] = "Mine";
    dispatch(effect, effSetProgramName, 0, 0, text);
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 0);
    plugin->renameCurrentProgram("Yours");
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 1);
    EXPECT_EQ(nameField(0).substr(0, 6), std::string("Yours") + '\0');
    plugin->renameCurrentProgram(nullptr);  // only refreshes
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 2);
    EXPECT_EQ(nameField(0).substr(0, 5), "Yours");
}

TEST_F(ProgramBank, SelectionAppliesValuesWithoutWritingThemBack) {
    plugin->setParameter(kDecay, 0.9f);  // edits "Default"
    host.calls.clear();
    plugin->selectProgram(3);
    EXPECT_EQ(plugin->getCurrentProgram(), 3);
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 1);
    EXPECT_FALSE(plugin->isApplyingProgram());
    EXPECT_EQ(plugin->getParameter(kDecay), 0.6f);
    EXPECT_EQ(plugin->getParameter(kDamp), 0.75f);
    EXPECT_EQ(plugin->engine().transpositionTarget(), 0.5f);
    EXPECT_EQ(plugin->getPrograms()[0].params[kDecay], 0.9f);

    // Later edits go to the new current program only.
    plugin->setParameter(kDamp, 0.33f);
    EXPECT_EQ(plugin->getPrograms()[3].params[kDamp], 0.33f);
    EXPECT_EQ(plugin->getPrograms()[0].params[kDamp], 0.25f);
    plugin->selectProgram(0);
    EXPECT_EQ(plugin->getParameter(kDecay), 0.9f);
}

TEST_F(ProgramBank, SelectionSpreadsSharedValuesThatDiffer) {
    plugin->getPrograms()[5].setParam(kMix, 0.8f);  // as after loading a bank
    plugin->selectProgram(5);
    for (int p = 0; p < 6; ++p) EXPECT_EQ(plugin->getPrograms()[p].params[kMix], 0.8f) << p;
}

}  // namespace
