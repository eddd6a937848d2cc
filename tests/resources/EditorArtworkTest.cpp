// The bitmaps fit the editor's layout: the background leaves the controls'
// text areas plain and light, the buttons' bitmaps sit seamlessly on the
// background where they are placed, the stacked frames show the states they
// stand for; and corvane-artwork still draws exactly the committed images.

#include "tests/resources/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace resources::test {
namespace {

struct Area {
    int left, top, right, bottom;  // right and bottom excluded
};

Picture image(int id) {
    Picture picture = Picture::decode(findImage(id));
    EXPECT_TRUE(picture.ok()) << "image " << id << ": " << picture.status();
    return picture;
}

// Where the controls print their text on the background, in black.
const Area valueDisplays[] = {
    {48, 120, 98, 134},  {222, 120, 272, 134}, {135, 112, 185, 126}, {95, 148, 145, 162},
    {176, 148, 226, 162}, {51, 189, 101, 203},  {219, 189, 269, 203},
};

void expectPlainAndLight(const Picture& picture, Area area, double minLuminance, int tolerance) {
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

TEST(Background, LeavesTheValueDisplaysPlainAndLight) {
    const Picture background = image(1128);
    ASSERT_TRUE(background.ok());
    for (const Area& display : valueDisplays) expectPlainAndLight(background, display, 160, 0);
}

TEST(AboutScreen, LeavesTheVersionAreaPlainAndLight) {
    const Picture about = image(1200);
    ASSERT_TRUE(about.ok());
    // (172, 80)-(272, 95), as far as the picture goes.
    expectPlainAndLight(about, {172, 80, about.width() - 1, 95}, 180, 6);
}

TEST(Background, IsLightOnTopAndDarkInThePresetStrip) {
    const Picture background = image(1128);
    ASSERT_TRUE(background.ok());
    // The strip along the bottom is darker than the panel above it.
    double panel = 0, strip = 0;
    for (int x = 0; x < 320; ++x) {
        panel += background.pixel(x, 210).luminance();
        strip += background.pixel(x, 256).luminance();
    }
    EXPECT_LT(strip, panel);
}

// A control's bitmap, placed at its rectangle on the background.
struct Placement {
    int id;
    Area rect;
};
const Placement placements[] = {
    {1131, {155, 135, 165, 145}},  {1132, {131, 162, 193, 190}},  {19999, {11, 226, 23, 240}},
    {19899, {27, 229, 74, 239}},   {19998, {76, 226, 88, 240}},   {19994, {11, 241, 23, 255}},
    {19990, {32, 243, 69, 253}},   {19993, {76, 241, 88, 255}},   {19995, {269, 226, 281, 240}},
    {19991, {293, 226, 305, 240}}, {19996, {269, 241, 281, 253}}, {19992, {293, 241, 305, 253}},
    {19997, {230, 234, 261, 248}},
};

TEST(ControlBitmaps, MatchTheBackgroundAtTheirCorners) {
    const Picture background = image(1128);
    ASSERT_TRUE(background.ok());
    for (const Placement& placement : placements) {
        const Picture bitmap = image(placement.id);
        ASSERT_TRUE(bitmap.ok());
        const Area r = placement.rect;
        const int w = r.right - r.left, h = r.bottom - r.top;
        ASSERT_EQ(bitmap.width(), w) << placement.id;
        int frameHeight = 0;
        for (const ExpectedImage& e : expectedImages())
            if (e.id == placement.id) frameHeight = e.height / e.frames;
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

TEST(StepSwitch, HighlightsOnlyTheHalfUnderTheMouse) {
    const Picture steps = image(19997);
    ASSERT_TRUE(steps.ok());
    const int frameHeight = 14, half = 15;  // left: columns 0..14, right: 16..30
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
    const Picture led = image(1131);
    ASSERT_TRUE(led.ok());
    const Rgba off = led.pixel(5, 5), on = led.pixel(5, 15);
    EXPECT_GT(on.r, 200);
    EXPECT_GT(on.r, 2 * on.g);
    EXPECT_GT(on.r, 2 * on.b);
    EXPECT_LT(off.luminance(), on.luminance() / 2);
}

TEST(KnobHandles, AreRoundAndCentred) {
    for (int id : {1129, 1130}) {
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
    EXPECT_EQ(files, expectedImages().size()) << "it draws other images than the library has";

    for (const ExpectedImage& e : expectedImages()) {
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
