// The editor's bitmaps by resource id: resources/images/<id>.png. The artwork
// program draws them under these ids, the editor loads them by them.
#pragma once

namespace bitmap {

constexpr int kBackground = 1128;     // the window
constexpr int kLargeHandle = 1129;    // handle of Decay and Damp
constexpr int kSmallHandle = 1130;    // handle of the five small knobs
constexpr int kBypassLed = 1131;      // two frames: off, on
constexpr int kBypassButton = 1132;   // two frames: off, on
constexpr int kAboutScreen = 1200;

// The preset strip.
constexpr int kDefaultPreset = 19899;  // three frames: normal, hover, pressed
constexpr int kDefaultBank = 19990;
constexpr int kRecallMemoA = 19991;
constexpr int kRecallMemoB = 19992;
constexpr int kLoadBank = 19993;
constexpr int kSaveBank = 19994;
constexpr int kStoreMemoA = 19995;
constexpr int kStoreMemoB = 19996;
constexpr int kStepSwitch = 19997;     // five frames: rest, hover left/right, pressed left/right
constexpr int kLoadPreset = 19998;
constexpr int kSavePreset = 19999;

// What the controls expect of each bitmap: its size and its frames, stacked
// from top to bottom. Only the knob handles have transparency.
struct Info {
    int id;
    int width, height;
    int frames;
    bool alpha;
    const char* what;
    constexpr int frameHeight() const { return height / frames; }
};
constexpr Info kAll[] = {
    {kBackground, 320, 257, 1, false, "background"},
    {kLargeHandle, 9, 9, 1, true, "large knob handle"},
    {kSmallHandle, 6, 6, 1, true, "small knob handle"},
    {kBypassLed, 10, 20, 2, false, "bypass LED"},
    {kBypassButton, 62, 56, 2, false, "bypass button"},
    {kAboutScreen, 260, 204, 1, false, "about screen"},
    {kDefaultBank, 37, 30, 3, false, "default bank"},
    {kDefaultPreset, 47, 30, 3, false, "default preset"},
    {kRecallMemoA, 12, 42, 3, false, "recall memory A"},
    {kRecallMemoB, 12, 42, 3, false, "recall memory B"},
    {kStoreMemoA, 12, 42, 3, false, "store memory A"},
    {kStoreMemoB, 12, 42, 3, false, "store memory B"},
    {kLoadBank, 12, 42, 3, false, "load bank"},
    {kLoadPreset, 12, 42, 3, false, "load preset"},
    {kSaveBank, 12, 42, 3, false, "save bank"},
    {kSavePreset, 12, 42, 3, false, "save preset"},
    {kStepSwitch, 31, 70, 5, false, "step switch"},
};

// The entry of `id`, or null when there is none.
constexpr const Info* find(int id) {
    for (const Info& i : kAll)
        if (i.id == id) return &i;
    return nullptr;
}

}  // namespace bitmap
