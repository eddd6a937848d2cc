// Where everything sits in the editor's 320 x 257 window, in window pixels
// (left, top, right, bottom; right and bottom excluded). The editor places its
// controls from these tables, the artwork program draws the background around
// them, and the tests check both against them.
#pragma once

#include "resources/BitmapIds.h"

namespace layout {

struct Box {
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
};

constexpr int kWindowWidth = 320;
constexpr int kWindowHeight = 257;

// The seven knobs in the order they are created, each with the display
// below it that shows its value as text.
enum class Converter { percent, cents, semitone, decibel };
struct Knob {
    int tag;              // the parameter index
    Box rect;
    Box display;
    bool large;           // 45 x 45 with the large handle, else 22 x 22
    float defaultValue;   // what Ctrl + click sets
    Converter converter;
    const char* label;    // engraved above the knob on the background
};
constexpr Knob kKnobs[] = {
    {2, {50, 71, 95, 116}, {48, 120, 98, 134}, true, 0.5f, Converter::percent, "decay time"},
    {3, {224, 71, 269, 116}, {222, 120, 272, 134}, true, 0.5f, Converter::percent, "damping"},
    {4, {149, 86, 171, 108}, {135, 112, 185, 126}, false, 0.5f, Converter::semitone, "transpose"},
    {5, {108, 123, 130, 145}, {95, 148, 145, 162}, false, 0.5f, Converter::cents, "tune"},
    {6, {189, 123, 211, 145}, {176, 148, 226, 162}, false, 0.0f, Converter::percent, "detune"},
    {1, {64, 164, 86, 186}, {51, 189, 101, 203}, false, 0.25f, Converter::percent, "mix"},
    {0, {233, 164, 255, 186}, {219, 189, 269, 203}, false, 0.5f, Converter::decibel, "output"},
};
constexpr int kNumKnobs = 7;

constexpr int kBypassTag = 7;
constexpr Box kBypassButton{131, 162, 193, 190};  // 1132's width, half its height
constexpr Box kBypassLed{155, 135, 165, 145};     // 1131's width, half its height

constexpr int kAboutTag = 10;
constexpr Box kAboutArea{50, 10, 280, 47};        // the title plate
constexpr Box kAboutScreen{30, 10, 290, 214};     // 1200's size
// Where the about screen prints the version, from its own top-left corner:
// the text starts at (172, 80) and stays within (272, 95).
constexpr Box kAboutVersion{172, 80, 272, 95};

// The preset strip along the bottom.
constexpr int kStripTop = 222;
constexpr int kNameFieldTag = 1000;
// The nominal field (96, 235, 212, 246), kept centred on 240.5 and as high as
// its 11-point font plus 2 pixels above and below.
constexpr int kNameFontSize = 11;
constexpr Box kNameField{96, 233, 212, 248};
static_assert(kNameField.top + kNameField.bottom == 2 * 240 + 1 && kNameField.height() == kNameFontSize + 4);
constexpr int kProgramMenuTag = 1012;
constexpr Box kProgramMenu{214, 237, 224, 251};
constexpr int kStepSwitchTag = 1001;
constexpr Box kStepSwitch{230, 234, 261, 248};

// The strip buttons' tags, which name their commands.
constexpr int kLoadBankTag = 1002;
constexpr int kSaveBankTag = 1003;
constexpr int kLoadPresetTag = 1004;
constexpr int kSavePresetTag = 1005;
constexpr int kDefaultBankTag = 1013;
constexpr int kDefaultPresetTag = 1014;
constexpr int kStoreMemoATag = 1015;
constexpr int kStoreMemoBTag = 1016;
constexpr int kRecallMemoATag = 1017;
constexpr int kRecallMemoBTag = 1018;

enum class StripButtonKind { saveLoad, doubleClickKick, kick };
struct StripButton {
    int tag;
    Box rect;
    int bitmap;
    StripButtonKind kind;
};
constexpr StripButton kStripButtons[] = {
    {kLoadBankTag, {76, 241, 88, 255}, bitmap::kLoadBank, StripButtonKind::saveLoad},
    {kSaveBankTag, {11, 241, 23, 255}, bitmap::kSaveBank, StripButtonKind::saveLoad},
    {kDefaultBankTag, {32, 243, 69, 253}, bitmap::kDefaultBank, StripButtonKind::doubleClickKick},
    {kLoadPresetTag, {76, 226, 88, 240}, bitmap::kLoadPreset, StripButtonKind::saveLoad},
    {kSavePresetTag, {11, 226, 23, 240}, bitmap::kSavePreset, StripButtonKind::saveLoad},
    {kDefaultPresetTag, {27, 229, 74, 239}, bitmap::kDefaultPreset, StripButtonKind::doubleClickKick},
    {kRecallMemoATag, {293, 226, 305, 240}, bitmap::kRecallMemoA, StripButtonKind::kick},
    {kStoreMemoATag, {269, 226, 281, 240}, bitmap::kStoreMemoA, StripButtonKind::kick},
    {kRecallMemoBTag, {293, 241, 305, 253}, bitmap::kRecallMemoB, StripButtonKind::kick},
    {kStoreMemoBTag, {269, 241, 281, 253}, bitmap::kStoreMemoB, StripButtonKind::kick},
};
constexpr int kMemoLabelX = 287;  // "A" and "B", between the store and recall buttons

}  // namespace layout
