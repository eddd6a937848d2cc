// corvane-host with a plug-in it did not come with: Dragonfly Room Reverb
// from Debian's dragonfly-reverb-vst package (a DPF plug-in exporting only
// `main`). Skipped where that package is not installed.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "AudioFile.h"
#include "HostTestSupport.h"

namespace {

struct ThirdParty : ::testing::Test {
    void SetUp() override {
        if (!std::filesystem::exists(DRAGONFLY_VST))
            GTEST_SKIP() << "dragonfly-reverb-vst is not installed (no " DRAGONFLY_VST "); "
                            "scripts/setup.sh installs it";
    }
};

TEST_F(ThirdParty, InfoDescribesIt) {
    const RunResult r = runHost({"info", DRAGONFLY_VST});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Effect name:     Dragonfly Room Reverb"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Inputs:          2"), std::string::npos);
    EXPECT_NE(r.out.find("Decay"), std::string::npos);
    EXPECT_NE(r.out.find("1 named\n  0  Default\n"), std::string::npos) << r.out;
}

TEST_F(ThirdParty, RenderChangesTheSoundAndStaysFinite) {
    TempDir dir;
    const AudioBuffer in = testAudio(2, 0.5, 48000);
    writeFloatWav(dir.path("in.wav"), in);
    const RunResult r = runHost({"render", DRAGONFLY_VST, dir.path("in.wav"), dir.path("out.wav"), "--set",
                                 "dry level=0", "--set", "late level=1", "--tail", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("x real time"), std::string::npos) << r.out;

    const AudioBuffer out = readAudioFile(dir.path("out.wav"));
    ASSERT_EQ(out.channels.size(), 2u);
    EXPECT_EQ(out.frames(), in.frames() + 48000);
    double change = 0, tail = 0;
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < out.frames(); ++i) {
            const float v = out.channels[c][i];
            ASSERT_TRUE(std::isfinite(v));
            change += std::abs(v - (i < in.frames() ? in.channels[c][i] : 0.0f));
            if (i >= in.frames()) tail += std::abs(v);
        }
    EXPECT_GT(change, 10.0);
    EXPECT_GT(tail, 1.0) << "the reverb should ring on after the input";
}

// Dragonfly keeps its state as text, so its length follows the values: the
// state after "dry level=0" is a byte shorter than a fresh instance's.
TEST_F(ThirdParty, StateSavedAfterSettingsLoadsBack) {
    TempDir dir;
    writeFloatWav(dir.path("in.wav"), testAudio(2, 0.3, 48000));
    const auto render = [&](const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args = {"render", DRAGONFLY_VST, dir.path("in.wav"), dir.path(out), "--tail", "0.5"};
        args.insert(args.end(), extra.begin(), extra.end());
        return runHost(args);
    };
    const RunResult fresh = render("fresh.wav", {"--save-state", dir.path("fresh.bin")});
    const RunResult set = render("set.wav", {"--set", "dry level=0", "--save-state", dir.path("set.bin")});
    ASSERT_EQ(fresh.status, 0) << fresh.err;
    ASSERT_EQ(set.status, 0) << set.err;
    const std::string state = readFile(dir.path("set.bin"));
    EXPECT_NE(state.size(), readFile(dir.path("fresh.bin")).size())
        << "the two states should differ in length for this test to mean something";

    const RunResult loaded = render("loaded.wav", {"--state", dir.path("set.bin"), "--save-state", dir.path("back.bin")});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(readFile(dir.path("back.bin")), state);
    const AudioBuffer expected = readAudioFile(dir.path("set.wav"));
    EXPECT_EQ(readAudioFile(dir.path("loaded.wav")).channels, expected.channels);
    EXPECT_NE(readAudioFile(dir.path("fresh.wav")).channels, expected.channels);
}

// Its editor (DPF, drawn with OpenGL) on the host's own virtual X server;
// a setting made before the editor opens shows in the picture.
TEST_F(ThirdParty, ScreenshotShowsItsEditor) {
    TempDir dir;
    const auto screenshot = [&](const std::string& name, std::vector<std::string> extra) {
        std::vector<std::string> args = {"screenshot", DRAGONFLY_VST, dir.path(name)};
        args.insert(args.end(), extra.begin(), extra.end());
        const RunResult r = runHost(args, "", {{"DISPLAY", ""}});
        EXPECT_EQ(r.status, 0) << r.err;
        const Picture picture = readPng(dir.path(name));
        EXPECT_EQ(r.out, "wrote " + dir.path(name) + ": " + std::to_string(picture.width) + " x " +
                             std::to_string(picture.height) + " pixels\n");
        return picture;
    };
    const Picture fresh = screenshot("fresh.png", {});
    EXPECT_GT(fresh.width, 200);
    EXPECT_GT(fresh.height, 100);
    EXPECT_GT(std::set<std::uint32_t>(fresh.pixels.begin(), fresh.pixels.end()).size(), 100u)
        << "a drawn editor, not an empty window";
    const Picture dry = screenshot("dry.png", {"--set", "dry level=0"});
    EXPECT_EQ(dry.width, fresh.width);
    EXPECT_NE(dry.pixels, fresh.pixels);
}

}  // namespace
