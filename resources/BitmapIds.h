// The editor's bitmaps by resource id: resources/images/<id>.png. The artwork
// program draws them under these ids, the editor loads them by them.
#pragma once

namespace bitmap {

constexpr int kBackground = 1128;     // 320 x 257, the window
constexpr int kLargeHandle = 1129;    // 9 x 9, handle of Decay and Damp
constexpr int kSmallHandle = 1130;    // 6 x 6, handle of the five small knobs
constexpr int kBypassLed = 1131;      // 10 x 20, two frames: off, on
constexpr int kBypassButton = 1132;   // 62 x 56, two frames: off, on
constexpr int kAboutScreen = 1200;    // 260 x 204

// The preset strip; every one holds its frames stacked vertically.
constexpr int kDefaultPreset = 19899;  // 47 x 30, three frames
constexpr int kDefaultBank = 19990;    // 37 x 30, three frames
constexpr int kRecallMemoA = 19991;    // 12 x 42, three frames
constexpr int kRecallMemoB = 19992;
constexpr int kLoadBank = 19993;
constexpr int kSaveBank = 19994;
constexpr int kStoreMemoA = 19995;
constexpr int kStoreMemoB = 19996;
constexpr int kStepSwitch = 19997;     // 31 x 70, five frames
constexpr int kLoadPreset = 19998;
constexpr int kSavePreset = 19999;

}  // namespace bitmap
