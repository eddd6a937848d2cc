// The bitmaps fit the editor's layout: the background leaves the controls'
// text areas plain and light, the buttons' bitmaps sit seamlessly on the
// background where they are placed, the stacked frames show the states they
// stand for; and corvane-artwork still draws exactly the committed images.

#include "tests/resources/ImageTestSupport.h"

#include "editor/EditorLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace resources::test {
namespace {

Picture image(int id) {
    Picture picture = Picture::decode(findImage(id));
    EXPECT_TRUE(picture.ok()) << "image " << id << ": " << picture.status();
    return picture;
}

// The area must be the same colour all over (within `tolerance`), light
// enough for black text.
void expectPlainAndLight(const Picture& picture, layout::Box area, double minLuminance, int tolerance) {
    const Rgba first = picture.pixel(area.left, area.top);
    EXPECT_GT(first.luminance(), minLuminance) << "too dark for black text at " << area.left << "," << area.top;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const Rgba p = picture.pixel(x, y);
            ASSERT_LE(std::abs(p.r - first.r), tolerance) << "not plain at " << x << "," << y;
            ASSERT_LE(std::abs(p.g - first.g), tolerance) << "not plain at " << x << "," << y;
            ASSERT_LE(std::abs(p.b - first.b), tolerance) << "not plain at " << x << "," << y;
        }
}

// Where the displays print their values in black: plain, light enough for
// the text, and quieter than the knobs (a muted grey, not a glaring white or
// a colour).
TEST(Background, LeavesTheValueDisplaysPlainLightAndQuiet) {
    const Picture background = image(bitmap::kBackground);
    ASSERT_TRUE(background.ok());
    for (const layout::Knob& knob : layout::kKnobs) {
        expectPlainAndLight(background, knob.display, 160, 0);
        const Rgba box = background.pixel(knob.display.left, knob.display.top);
        EXPECT_LT(box.luminance(), 190) << knob.label;
        EXPECT_LE(std::max({box.r, box.g, box.b}) - std::min({box.r, box.g, box.b}), 12) << knob.label;
    }
}

TEST(AboutScreen, LeavesTheVersionAreaPlainAndLight) {
    const Picture about = image(bitmap::kAboutScreen);
    ASSERT_TRUE(about.ok());
    layout::Box version = layout::kAboutVersion;  // as far as the picture goes
    version.right = std::min(version.right, about.width() - 1);
    expectPlainAndLight(about, version, 180, 6);
}

TEST(Background, IsLightOnTopAndDarkInThePresetStrip) {
    const Picture background = image(bitmap::kBackground);
    ASSERT_TRUE(background.ok());
    // The strip along the bottom is darker than the panel above it.
    double panel = 0, strip = 0;
    for (int x = 0; x < layout::kWindowWidth; ++x) {
        panel += background.pixel(x, layout::kStripTop - 12).luminance();
        strip += background.pixel(x, layout::kWindowHeight - 1).luminance();
    }
    EXPECT_LT(strip, panel);
}

// A control's bitmap, placed at its rectangle on the background.
struct Placement {
    int id;
    layout::Box rect;
};
std::vector<Placement> placements() {
    std::vector<Placement> all = {
        {bitmap::kBypassLed, layout::kBypassLed},
        {bitmap::kBypassButton, layout::kBypassButton},
        {bitmap::kStepSwitch, layout::kStepSwitch},
    };
    for (const layout::StripButton& button : layout::kStripButtons) all.push_back({button.bitmap, button.rect});
    return all;
}

TEST(ControlBitmaps, MatchTheBackgroundAtTheirCorners) {
    const Picture background = image(bitmap::kBackground);
    ASSERT_TRUE(background.ok());
    for (const Placement& placement : placements()) {
        const Picture bitmap = image(placement.id);
        ASSERT_TRUE(bitmap.ok());
        const layout::Box r = placement.rect;
        const int w = r.width(), h = r.height();
        ASSERT_EQ(bitmap.width(), w) << placement.id;
        const int frameHeight = bitmap::find(placement.id)->frameHeight();
        ASSERT_GE(frameHeight, h) << placement.id << " does not fill its rectangle";
        // The rectangle shows the top h rows of each frame.
        for (int frame = 0; frame * frameHeight < bitmap.height(); ++frame)
            for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) {
                const Rgba own = bitmap.pixel(x, frame * frameHeight + y);
                const Rgba under = background.pixel(r.left + x, r.top + y);
                EXPECT_NEAR(own.r, under.r, 10) << placement.id << " frame " << frame << " at " << x << "," << y;
                EXPECT_NEAR(own.g, under.g, 10) << placement.id << " frame " << frame << " at " << x << "," << y;
                EXPECT_NEAR(own.b, under.b, 10) << placement.id << " frame " << frame << " at " << x << "," << y;
            }
    }
}

// Load and save keys side by side must not be told apart by their position
// only: their symbols differ in a good part of the key, in every state.
TEST(PresetStrip, LoadAndSaveKeysShowDifferentSymbols) {
    for (auto [load, save] : {std::pair{bitmap::kLoadPreset, bitmap::kSavePreset}, {bitmap::kLoadBank, bitmap::kSaveBank}}) {
        const Picture a = image(load), b = image(save);
        ASSERT_TRUE(a.ok() && b.ok());
        const bitmap::Info& info = *bitmap::find(load);
        for (int frame = 0; frame < info.frames; ++frame) {
            int different = 0;
            for (int y = frame * info.frameHeight(); y < (frame + 1) * info.frameHeight(); ++y)
                for (int x = 0; x < info.width; ++x)
                    if (std::abs(a.pixel(x, y).luminance() - b.pixel(x, y).luminance()) > 40) ++different;
            EXPECT_GE(different, 12) << load << " and " << save << " look alike in frame " << frame;
        }
    }
}

TEST(StepSwitch, HighlightsOnlyTheHalfUnderTheMouse) {
    const Picture steps = image(bitmap::kStepSwitch);
    ASSERT_TRUE(steps.ok());
    const int frameHeight = bitmap::find(bitmap::kStepSwitch)->frameHeight();
    const int half = steps.width() / 2;  // left: columns 0..14, right: 16..30
    auto leftSame = [&](int frame) { return sameArea(steps, 0, 0, steps, 0, frame * frameHeight, half, frameHeight); };
    auto rightSame = [&](int frame) {
        return sameArea(steps, half + 1, 0, steps, half + 1, frame * frameHeight, half, frameHeight);
    };
    // 1 hover left, 2 hover right, 3 pressed left, 4 pressed right.
    EXPECT_FALSE(leftSame(1));
    EXPECT_TRUE(rightSame(1));
    EXPECT_TRUE(leftSame(2));
    EXPECT_FALSE(rightSame(2));
    EXPECT_FALSE(leftSame(3));
    EXPECT_TRUE(rightSame(3));
    EXPECT_TRUE(leftSame(4));
    EXPECT_FALSE(rightSame(4));
    // Pressed is not hover.
    EXPECT_FALSE(sameArea(steps, 0, 1 * frameHeight, steps, 0, 3 * frameHeight, half, frameHeight));
    EXPECT_FALSE(sameArea(steps, half + 1, 2 * frameHeight, steps, half + 1, 4 * frameHeight, half, frameHeight));
}

TEST(BypassLed, IsDarkWhenOffAndGlowsRedWhenOn) {
    const Picture led = image(bitmap::kBypassLed);
    ASSERT_TRUE(led.ok());
    const int middle = led.width() / 2, frameHeight = bitmap::find(bitmap::kBypassLed)->frameHeight();
    const Rgba off = led.pixel(middle, frameHeight / 2), on = led.pixel(middle, frameHeight + frameHeight / 2);
    EXPECT_GT(on.r, 200);
    EXPECT_GT(on.r, 2 * on.g);
    EXPECT_GT(on.r, 2 * on.b);
    EXPECT_LT(off.luminance(), on.luminance() / 2);
}

TEST(KnobHandles, AreRoundAndCentred) {
    for (int id : {bitmap::kLargeHandle, bitmap::kSmallHandle}) {
        const Picture handle = image(id);
        ASSERT_TRUE(handle.ok());
        const int n = handle.width();
        // Mirror images left to right and top to bottom, within the shading.
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                EXPECT_NEAR(handle.pixel(x, y).a, handle.pixel(n - 1 - x, y).a, 40) << id << " at " << x << "," << y;
                EXPECT_NEAR(handle.pixel(x, y).a, handle.pixel(x, n - 1 - y).a, 80) << id << " at " << x << "," << y;
            }
    }
}

#ifdef CORVANE_ARTWORK_PATH
// The committed images are corvane-artwork's output: whoever changes the
// drawing program draws the images anew (cmake --build build --target
// corvane-images), and whoever changes an image changes the program.
TEST(ArtworkProgram, DrawsExactlyTheCommittedImages) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("corvane-artwork-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string command = std::string("\"") + CORVANE_ARTWORK_PATH + "\" \"" + dir.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, std::size(bitmap::kAll)) << "it draws other images than the library has";

    for (const bitmap::Info& e : bitmap::kAll) {
        const Picture drawn = Picture::load((dir / (std::to_string(e.id) + ".png")).string());
        const Picture committed = image(e.id);
        ASSERT_TRUE(drawn.ok()) << e.id << ": " << drawn.status();
        ASSERT_TRUE(committed.ok());
        ASSERT_EQ(drawn.width(), committed.width()) << e.id;
        ASSERT_EQ(drawn.height(), committed.height()) << e.id;
        EXPECT_TRUE(sameArea(drawn, 0, 0, committed, 0, 0, drawn.width(), drawn.height()))
            << e.what << " (" << e.id << ".png) is not what corvane-artwork draws: draw the images anew, "
            << "with the font Liberation Sans installed (Debian: fonts-liberation2)";
    }
    fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace resources::test
