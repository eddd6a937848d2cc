// corvane-host with a plug-in it did not come with: Dragonfly Room Reverb
// from Debian's dragonfly-reverb-vst package (a DPF plug-in exporting only
// `main`). Skipped where that package is not installed.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

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

}  // namespace
