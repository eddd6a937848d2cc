// Preset and bank records as the editor's commands use them: exact bytes
// written, both byte orders read, the reversed commands, and every record
// that must be refused leaving the programs, the sound and an open editor
// as they were.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presets/PresetRecord.h"
#include "tests/presets/PresetTestSupport.h"

namespace {

constexpr std::uint8_t kOwnerLittle[4] = {0x76, 0x43, 0x72, 0x41};  // 'ArCv' from this machine
constexpr std::uint8_t kOwnerBig[4] = {0x41, 0x72, 0x43, 0x76};     // from a big-endian writer

void appendFloat(Bytes& out, float value, bool bigEndian) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    if (bigEndian) std::reverse(bytes, bytes + 4);
    out.insert(out.end(), bytes, bytes + 4);
}

struct Program {
    std::string name;
    std::vector<float> values;
};

// A record built byte by byte, as another machine would have written it.
Bytes record(std::uint8_t kind, const std::vector<Program>& programs, bool bigEndian) {
    const std::uint8_t* owner = bigEndian ? kOwnerBig : kOwnerLittle;
    Bytes out(owner, owner + 4);
    out.push_back(kind);
    for (const Program& program : programs) {
        std::string name = program.name;
        name.resize(24, '\0');
        out.insert(out.end(), name.begin(), name.end());
        for (float value : program.values) appendFloat(out, value, bigEndian);
    }
    return out;
}

const std::vector<float> kSome = {0.5f, 0.25f, 0.75f, 0.125f, 0.5f, 0.5f, 1.0f, 0.0f};

std::vector<Program> sixPrograms() {
    std::vector<Program> bank;
    for (int p = 0; p < 6; ++p) {
        std::vector<float> values = kSome;
        values[kDecay] = 0.0625f * static_cast<float>(p + 1);
        values[kOutput] = 0.125f * static_cast<float>(p + 1);  // only program 0's may stay
        bank.push_back({"Bank " + std::to_string(p + 1), values});
    }
    return bank;
}

float reversedFloat(float value) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    std::reverse(bytes, bytes + 4);
    std::memcpy(&value, bytes, 4);
    return value;
}

// What the editor hears from the preset system.
class RecordingEditor : public AEffEditor, public PresetEditorHooks {
public:
    using AEffEditor::AEffEditor;
    void showProgramName(const char* name) override { shownNames.emplace_back(name); }
    void showBank() override { ++banksShown; }
    void loadStoredSettings() override {}
    std::vector<std::string> shownNames;
    int banksShown = 0;
};

class PresetRecords : public ::testing::Test {
protected:
    PresetRecords() {
        delete plugin->getEditor();  // the window's editor, replaced by one that records
        plugin->setEditor(editor);
    }

    PresetLibrary& library() { return plugin->presetLibrary(); }
    bool importPreset(const Bytes& bytes, bool reversed = false) {
        return library().importPreset(bytes.data(), bytes.size(), reversed);
    }
    bool importBank(const Bytes& bytes, bool reversed = false) {
        return library().importBank(bytes.data(), bytes.size(), reversed);
    }
    Bytes exportedPreset() {
        Bytes out(presetrecord::kPresetSize, 0xEE);
        library().exportPreset(out.data());
        return out;
    }
    Bytes exportedBank() {
        Bytes out(presetrecord::kBankSize, 0xEE);
        library().exportBank(out.data());
        return out;
    }
    // Everything a refused record must leave alone.
    std::string everything() {
        void* chunk = nullptr;
        const VstIntPtr size = dispatch(plugin->getAeffect(), effGetChunk, 0, 0, &chunk);
        std::string state(static_cast<char*>(chunk), static_cast<size_t>(size));
        for (int k = 0; k < kNumParameters; ++k) state += std::to_string(plugin->getParameter(k)) + ",";
        return state + std::to_string(plugin->getCurrentProgram());
    }

    TestSettings settings;
    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
    RecordingEditor* editor = new RecordingEditor(plugin.get());  // owned by the effect
};

TEST_F(PresetRecords, PresetIsWrittenByteForByte) {
    plugin->selectProgram(3);
    plugin->renameCurrentProgram("Warm");
    plugin->setParameter(kDecay, 0.875f);
    Bytes expected = {0x76, 0x43, 0x72, 0x41, 0x21, 'W', 'a', 'r', 'm'};
    expected.resize(5 + 24, 0);
    // "Low & Dark" with the new Decay, each value little-endian.
    for (float value : {0.5f, 0.25f, 0.875f, 0.75f, 0.25f, 0.5f, 0.0f, 0.0f}) appendFloat(expected, value, false);
    EXPECT_EQ(exportedPreset(), expected);
    EXPECT_EQ(Bytes(expected.begin() + 29, expected.begin() + 33), (Bytes{0x00, 0x00, 0x00, 0x3F}));
}

TEST_F(PresetRecords, BankIsWrittenByteForByte) {
    const Bytes bank = exportedBank();
    ASSERT_EQ(bank.size(), 341u);
    EXPECT_EQ(Bytes(bank.begin(), bank.begin() + 5), (Bytes{0x76, 0x43, 0x72, 0x41, 0x37}));
    for (int p = 0; p < 6; ++p) {
        const ProgramRecord& program = plugin->getPrograms()[p];
        EXPECT_EQ(0, std::memcmp(&bank[5 + 56 * p], &program, 56)) << p;
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bank[5 + 56 * 4]), 14), std::string("Almost reverb\0", 14));
}

// Host automation is not held to 0..1, but the readers refuse such values:
// what is written must read back, so it holds the nearest end of the range.
TEST_F(PresetRecords, ValuesOutsideTheRangeAreWrittenAsItsEnds) {
    plugin->selectProgram(1);
    plugin->setParameter(kDecay, 1.25f);
    plugin->setParameter(kDamp, -0.5f);
    ASSERT_EQ(plugin->getPrograms()[1].params[kDecay], 1.25f);
    const Bytes preset = exportedPreset();
    const Bytes bank = exportedBank();

    plugin->setParameter(kDecay, 0.5f);
    ASSERT_TRUE(importPreset(preset));
    EXPECT_EQ(plugin->getParameter(kDecay), 1.0f);
    EXPECT_EQ(plugin->getParameter(kDamp), 0.0f);
    ASSERT_TRUE(importBank(bank));
    EXPECT_EQ(plugin->getPrograms()[1].params[kDecay], 1.0f);
    EXPECT_EQ(plugin->getPrograms()[1].params[kDamp], 0.0f);

    // The same through the settings store: a memo stored is a memo recalled.
    plugin->selectProgram(1);
    plugin->setParameter(kMix, 7.0f);
    ASSERT_TRUE(library().storeMemo(MemoSlot::A).ok());
    plugin->setParameter(kMix, 0.25f);
    EXPECT_TRUE(library().recallMemo(MemoSlot::A));
    EXPECT_EQ(plugin->getParameter(kMix), 1.0f);
}

TEST_F(PresetRecords, EitherByteOrderLoadsAndTheReversedCommandTurnsItRound) {
    const std::vector<float> values = {0.5f, 0.25f, 0.75f, 0.125f, 0.5f, 0.5f, 1.0f, 0.0f};
    for (bool bigEndian : {false, true}) {
        ASSERT_TRUE(importPreset(record(0x21, {{"Either", values}}, bigEndian))) << bigEndian;
        for (int k = 0; k < 8; ++k) EXPECT_EQ(plugin->getPrograms()[0].params[k], values[k]) << bigEndian << k;
        EXPECT_EQ(programName(*plugin, 0), "Either");
    }
    // The reversed command reads each value with its bytes the other way
    // round: small positive numbers here, so the record stays acceptable.
    for (bool bigEndian : {false, true}) {
        ASSERT_TRUE(importPreset(record(0x21, {{"Turned", values}}, bigEndian), true)) << bigEndian;
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(plugin->getPrograms()[0].params[k], reversedFloat(values[k])) << bigEndian << k;
    }
    // A bank the same way.
    ASSERT_TRUE(importBank(record(0x37, sixPrograms(), true)));
    EXPECT_EQ(plugin->getPrograms()[5].params[kDecay], 0.375f);
    ASSERT_TRUE(importBank(record(0x37, sixPrograms(), false), true));
    EXPECT_EQ(plugin->getPrograms()[5].params[kDecay], reversedFloat(0.375f));
}

TEST_F(PresetRecords, TwentyFourCharacterNameHasNoTerminator) {
    const std::string name = "ABCDEFGHIJKLMNOPQRSTUVWX";
    plugin->selectProgram(2);
    ASSERT_TRUE(importPreset(record(0x21, {{name, kSome}}, false)));
    EXPECT_EQ(std::string(plugin->getPrograms()[2].name, 24), name);
    EXPECT_EQ(editor->shownNames, std::vector<std::string>{name});
    char shown[40];
    std::memset(shown, 'z', sizeof(shown));
    dispatch(plugin->getAeffect(), effGetProgramName, 0, 0, shown);
    EXPECT_EQ(std::string(shown, 25), name + '\0');
    const Bytes exported = exportedPreset();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&exported[5]), 24), name);

    // Renaming through the library takes 24 characters of a longer name.
    library().renameProgram("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(editor->shownNames.back(), name);
    EXPECT_EQ(std::string(plugin->getPrograms()[2].name, 24), name);
}

TEST_F(PresetRecords, RefusedRecordsChangeNothing) {
    plugin->selectProgram(3);
    plugin->setParameter(kDamp, 0.3f);
    const std::string before = everything();
    host.calls.clear();

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Bytes foreign = record(0x21, {{"Foreign", kSome}}, false);
    foreign[0] = 0x77;
    Bytes shortPreset = record(0x21, {{"Short", kSome}}, false);
    shortPreset.pop_back();
    std::vector<std::pair<const char*, Bytes>> presets = {
        {"foreign ID", foreign},
        {"bank kind", record(0x37, {{"Kind", kSome}}, false)},
        {"60 bytes", shortPreset},
        {"ID and kind only", {0x76, 0x43, 0x72, 0x41, 0x21}},
        {"empty", {}},
    };
    for (float bad : {nan, inf, -inf, -0.001f, 1.001f}) {
        std::vector<float> values = kSome;
        values[kTune] = bad;
        presets.push_back({"bad value", record(0x21, {{"Bad", values}}, true)});
    }
    // Values a native file turns into when read reversed: 0.6 becomes negative.
    std::vector<float> values = kSome;
    values[kDecay] = 0.6f;
    for (const auto& [what, bytes] : presets) EXPECT_FALSE(importPreset(bytes)) << what;
    EXPECT_FALSE(importPreset(record(0x21, {{"Reversed", values}}, false), true));

    std::vector<Program> badBank = sixPrograms();
    badBank[5].values[kDetune] = nan;
    const Bytes goodBank = record(0x37, sixPrograms(), false);
    EXPECT_FALSE(importBank(record(0x37, badBank, false))) << "bad value in the last program";
    EXPECT_FALSE(importBank(Bytes(goodBank.begin(), goodBank.end() - 1))) << "340 bytes";
    EXPECT_FALSE(importBank(record(0x21, {{"Preset", kSome}}, false))) << "a preset";
    Bytes foreignBank = goodBank;
    foreignBank[3] = 0x42;
    EXPECT_FALSE(importBank(foreignBank)) << "foreign ID";

    EXPECT_EQ(everything(), before);
    EXPECT_TRUE(host.calls.empty()) << "the host was asked to refresh";
    EXPECT_TRUE(editor->shownNames.empty());
    EXPECT_EQ(editor->banksShown, 0);
}

TEST_F(PresetRecords, RecordsLongerThanTheirSizeLoadTheirFirstBytes) {
    Bytes bytes = record(0x21, {{"Longer", kSome}}, false);
    bytes.resize(200, 0xFF);
    EXPECT_TRUE(importPreset(bytes));
    EXPECT_EQ(programName(*plugin, 0), "Longer");
}

TEST_F(PresetRecords, PresetSpreadsOutputMixAndBypassToAllPrograms) {
    plugin->selectProgram(2);
    std::vector<float> values = kSome;
    values[kOutput] = 0.75f;
    values[kMix] = 0.875f;
    values[kBypass] = 1.0f;
    values[kDecay] = 0.0625f;
    host.calls.clear();
    ASSERT_TRUE(importPreset(record(0x21, {{"Global", values}}, false)));
    EXPECT_GE(host.count(audioMasterUpdateDisplay), 1);
    EXPECT_EQ(plugin->getCurrentProgram(), 2);
    EXPECT_EQ(plugin->getParameter(kDecay), 0.0625f);
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(plugin->getPrograms()[p].params[kOutput], 0.75f) << p;
        EXPECT_EQ(plugin->getPrograms()[p].params[kMix], 0.875f) << p;
        EXPECT_EQ(plugin->getPrograms()[p].params[kBypass], 1.0f) << p;
        if (p != 2) {
            EXPECT_NE(plugin->getPrograms()[p].params[kDecay], 0.0625f) << p;
        }
    }
}

TEST_F(PresetRecords, BankTakesTheFirstProgramsSharedValuesAndMakesItCurrent) {
    plugin->selectProgram(4);
    ASSERT_TRUE(importBank(record(0x37, sixPrograms(), false)));
    EXPECT_EQ(plugin->getCurrentProgram(), 0);
    EXPECT_EQ(editor->banksShown, 1);
    EXPECT_TRUE(editor->shownNames.empty());
    EXPECT_EQ(plugin->getParameter(kDecay), 0.0625f);
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(programName(*plugin, p), "Bank " + std::to_string(p + 1));
        EXPECT_EQ(plugin->getPrograms()[p].params[kOutput], 0.125f) << p;
        EXPECT_EQ(plugin->getPrograms()[p].params[kDecay], 0.0625f * static_cast<float>(p + 1)) << p;
    }
}

}  // namespace
