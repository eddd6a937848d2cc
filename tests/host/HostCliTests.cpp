// corvane-host run as a user runs it: the commands' happy paths against the
// project's plug-in and the fixtures, and every kind of bad input, which must
// end in one clear line on stderr, a non-zero exit and no output file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "AudioFile.h"
#include "HostTestSupport.h"

namespace {

bool allFinite(const AudioBuffer& audio) {
    for (const auto& channel : audio.channels)
        for (float v : channel)
            if (!std::isfinite(v)) return false;
    return true;
}

double difference(const std::vector<float>& a, const std::vector<float>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) sum += std::abs(a[i] - b[i]);
    return sum;
}

bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

TEST(Cli, HelpAndUsageMistakes) {
    const RunResult help = runHost({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* line : {"info PLUGIN", "render PLUGIN IN OUT", "demo [PLUGIN] [OUTDIR]", "edit PLUGIN",
                             "screenshot PLUGIN OUT.png", "--log", "--set NAME_OR_INDEX=VALUE",
                             "--state FILE", "--save-state FILE", "--block N", "--tail SECONDS"})
        EXPECT_TRUE(contains(help.out, line)) << line;

    const RunResult none = runHost({});
    EXPECT_EQ(none.status, 2);
    ASSERT_EQ(none.errLines().size(), 1u);
    EXPECT_TRUE(contains(none.err, "--help"));
}

TEST(Cli, InfoShowsTheProjectPlugin) {
    const RunResult r = runHost({"info", ARLO_PLUGIN});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    for (const char* expected : {"'ArCv'", "Inputs:          2", "Outputs:         2", "ProgramChunks", "CanReplacing"})
        EXPECT_TRUE(contains(r.out, expected)) << expected << "\n" << r.out;
    // Names shown trimmed (" Output " would not follow the index's two
    // blanks directly), one table row each.
    const char* names[] = {"Output", "Mix", "Decay", "Damp", "Transpose", "Tune", "Detune", "Bypass"};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(contains(r.out, "      " + std::to_string(i) + "  " + names[i] + " ")) << names[i] << "\n" << r.out;
    int row = 0;
    for (const char* program : {"Default", "Bright", "High", "Low & Dark", "Almost reverb", "Detuned"})
        EXPECT_TRUE(contains(r.out, "  " + std::to_string(row++) + "  " + program + "\n")) << program;
    EXPECT_TRUE(contains(r.out, "6 named"));
}

TEST(Cli, InfoFallsBackToTheCurrentProgramName) {
    const RunResult r = runHost({"info", fixture("fixture_no_chunks")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "'Fxtr'"));
    EXPECT_TRUE(contains(r.out, "Outputs:         3"));
    EXPECT_TRUE(contains(r.out, "3 in the record, 1 named\n  0  Alpha\n")) << r.out;
}

TEST(Cli, RenderRunsStereoThroughTheProjectPluginAndReportsSpeed) {
    TempDir dir;
    const AudioBuffer in = testAudio(2, 0.5);
    writeFloatWav(dir.path("in.wav"), in);
    const RunResult r = runHost({"render", ARLO_PLUGIN, dir.path("in.wav"), dir.path("out.wav"), "--tail", "1",
                                 "--set", "mix=1", "--set", " decay =0.8", "--block", "300"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "processReplacing: ")) << r.out;
    EXPECT_TRUE(contains(r.out, "x real time")) << r.out;

    const AudioBuffer out = readAudioFile(dir.path("out.wav"));
    ASSERT_EQ(out.channels.size(), 2u);
    EXPECT_EQ(out.sampleRate, 44100);
    EXPECT_EQ(out.frames(), in.frames() + 44100);
    EXPECT_TRUE(allFinite(out));
    EXPECT_GT(difference(out.channels[0], in.channels[0]), 1.0);
    // The strings ring on into the tail.
    double tailEnergy = 0;
    for (std::size_t i = in.frames(); i < out.frames(); ++i) tailEnergy += out.channels[0][i] * out.channels[0][i];
    EXPECT_GT(tailEnergy, 1e-6);
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"in.wav", "out.wav"}));
}

TEST(Cli, StateSavedAfterSettingsRestoresTheSameSound) {
    TempDir dir;
    writeFloatWav(dir.path("in.wav"), testAudio(1, 0.3));
    const RunResult set = runHost({"render", ARLO_PLUGIN, dir.path("in.wav"), dir.path("set.wav"), "--set", "Mix=1",
                                   "--set", "2=0.9", "--save-state", dir.path("state.bin")});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(readFile(dir.path("state.bin")).size(), 368u);
    const RunResult plain = runHost({"render", ARLO_PLUGIN, dir.path("in.wav"), dir.path("plain.wav")});
    const RunResult restored =
        runHost({"render", ARLO_PLUGIN, dir.path("in.wav"), dir.path("restored.wav"), "--state", dir.path("state.bin")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(restored.status, 0) << restored.err;

    const AudioBuffer a = readAudioFile(dir.path("set.wav"));
    const AudioBuffer b = readAudioFile(dir.path("restored.wav"));
    EXPECT_EQ(a.channels, b.channels);
    EXPECT_GT(difference(a.channels[1], readAudioFile(dir.path("plain.wav")).channels[1]), 1.0);
    // Mono input fed both inputs: both outputs carry sound.
    EXPECT_GT(difference(a.channels[1], std::vector<float>(a.frames())), 1.0);
}

TEST(Cli, StateOfAnotherSizeIsHandedOverWholeBeforeProcessing) {
    TempDir dir;
    writeFloatWav(dir.path("in.wav"), AudioBuffer{22050, {std::vector<float>(500, 0.5f)}});
    // The fixture's own state is 8 bytes ("FXST", gain); it takes this longer one.
    std::string state = "FXST";
    const float gain = 2.0f;
    state.append(reinterpret_cast<const char*>(&gain), sizeof gain);
    state += "and more";
    writeFile(dir.path("long.bin"), state);
    const RunResult r = runHost({"render", fixture("fixture_plugin"), dir.path("in.wav"), dir.path("out.wav"),
                                 "--tail", "0", "--block", "64", "--state", dir.path("long.bin")},
                                "", {{"CORVANE_FIXTURE_LOG", dir.path("calls.log")}});
    ASSERT_EQ(r.status, 0) << r.err;
    // What it ignored shows in the state it gives back.
    EXPECT_EQ(r.err, "corvane-host: warning: the plug-in took the state in '" + dir.path("long.bin") +
                         "' but gives back a different one (its own state is 8 bytes where the file has 16 bytes); "
                         "it may ignore part of it\n");
    EXPECT_TRUE(contains(readFile(dir.path("calls.log")), "blockSize 64\nsetChunk 16\nresume\n"))
        << readFile(dir.path("calls.log"));
    const AudioBuffer out = readAudioFile(dir.path("out.wav"));
    ASSERT_EQ(out.channels.size(), 3u);
    EXPECT_FLOAT_EQ(out.channels[2][499], 0.5f * gain * 3);
}

TEST(Cli, RenderWritesEveryOutputOfAnOddPlugin) {
    TempDir dir;
    writeFloatWav(dir.path("in.wav"), AudioBuffer{22050, {std::vector<float>(1000, 0.5f)}});
    const RunResult r = runHost({"render", fixture("fixture_plugin"), dir.path("in.wav"), dir.path("out.wav"),
                                 "--tail", "0", "--set", "gain=1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const AudioBuffer out = readAudioFile(dir.path("out.wav"));
    ASSERT_EQ(out.channels.size(), 3u);
    EXPECT_EQ(out.sampleRate, 22050);
    EXPECT_EQ(out.frames(), 1000u);
    EXPECT_FLOAT_EQ(out.channels[2][999], 1.5f);
}

TEST(Cli, HostDrivesThePluginInTheUsualOrder) {
    TempDir dir;
    writeFloatWav(dir.path("in.wav"), AudioBuffer{48000, {std::vector<float>(100, 0.1f)}});
    const RunResult r = runHost({"render", fixture("fixture_plugin"), dir.path("in.wav"), dir.path("out.wav"),
                                 "--block", "64"},
                                "", {{"CORVANE_FIXTURE_LOG", dir.path("calls.log")}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(dir.path("calls.log")),
              "hostVersion 2400\ncurrentId 1182299250\nopen\nsampleRate 48000\nblockSize 64\n"
              "resume\nprocess\nsuspend\nclose\n");
    EXPECT_TRUE(r.err.empty()) << r.err;  // the fixture poisons output it makes while suspended
}

TEST(Cli, NonFiniteOutputIsReported) {
    TempDir dir;
    writeFloatWav(dir.path("in.wav"), testAudio(1, 0.1));
    const RunResult r = runHost({"render", fixture("fixture_plugin"), dir.path("in.wav"), dir.path("out.wav"),
                                 "--set", "Poison=1", "--tail", "0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.err, "non-finite")) << r.err;
    EXPECT_TRUE(allFinite(readAudioFile(dir.path("out.wav"))));
}

TEST(Cli, DemoRendersEveryProgramOfTheProjectPlugin) {
    TempDir dir;
    // No PLUGIN or OUTDIR: the plug-in beside the program, into out/demo here.
    const RunResult r = runHost({"demo", "--tail", "0.5"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string folder = dir.path("out/demo");
    const std::vector<std::string> stems = {"input",           "1-Default",       "2-Bright",   "3-High",
                                            "4-Low-Dark",      "5-Almost-reverb", "6-Detuned"};
    std::set<std::string> sounds;
    for (const auto& stem : stems) {
        const std::string png = readFile(folder + "/" + stem + ".png");
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << stem;
        const AudioBuffer audio = readAudioFile(folder + "/" + stem + ".wav");
        EXPECT_TRUE(allFinite(audio)) << stem;
        EXPECT_NEAR(audio.seconds(), stem == "input" ? 4.0 : 4.5, 0.01) << stem;
        sounds.insert(readFile(folder + "/" + stem + ".wav"));
        EXPECT_TRUE(contains(r.out, folder.substr(dir.path().size() + 1) + "/" + stem + ".wav")) << r.out;
    }
    EXPECT_EQ(sounds.size(), stems.size()) << "each program must sound different";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 14);
}

TEST(Cli, DemoChoosesProgramsBySetProgramWithoutTheBankLayout) {
    TempDir dir;
    const RunResult r = runHost({"demo", fixture("fixture_plugin"), dir.path(), "--tail", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const float gains[] = {0.25f, 0.5f, 1.0f};
    const char* stems[] = {"1-Alpha", "2-Beta-Gamma", "3-Gamma"};
    const AudioBuffer input = readAudioFile(dir.path("input.wav"));
    for (int p = 0; p < 3; ++p) {
        const AudioBuffer out = readAudioFile(dir.path(std::string(stems[p]) + ".wav"));
        ASSERT_EQ(out.channels.size(), 3u);
        EXPECT_FLOAT_EQ(out.channels[0][22050], input.channels[0][22050] * gains[p]) << stems[p];
    }
}

// ---- bad input ----------------------------------------------------------

struct BadInput : ::testing::Test {
    TempDir dir;
    void SetUp() override {
        writeFloatWav(dir.path("in.wav"), testAudio(2, 0.2));
        writeFile(dir.path("notes.txt"), "not audio, not a plug-in\n");
    }
    // Fails with exactly one "corvane-host: ..." line mentioning `what`, and
    // leaves the folder as it was.
    void expectRefused(const std::vector<std::string>& args, const std::string& what, const Environment& env = {}) {
        const auto before = dir.files();
        const RunResult r = runHost(args, "", env);
        EXPECT_NE(r.status, 0);
        ASSERT_EQ(r.errLines().size(), 1u) << r.err;
        EXPECT_EQ(r.err.rfind("corvane-host: ", 0), 0u) << r.err;
        EXPECT_TRUE(contains(r.err, what)) << "expected '" << what << "' in: " << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(dir.files(), before);
    }
    void expectRenderRefused(const std::string& plugin, const std::vector<std::string>& extra, const std::string& what,
                             const std::string& input = "in.wav") {
        std::vector<std::string> args = {"render", plugin, dir.path(input), dir.path("out.wav")};
        args.insert(args.end(), extra.begin(), extra.end());
        expectRefused(args, what);
    }
};

TEST_F(BadInput, PluginFilesThatCannotBeHosted) {
    expectRenderRefused(dir.path("absent.so"), {}, "cannot load '" + dir.path("absent.so") + "': no such file");
    expectRenderRefused(dir.path("notes.txt"), {}, "cannot load '" + dir.path("notes.txt") + "'");
    expectRenderRefused(fixture("fixture_no_entry"), {}, "no VST entry point");
    expectRenderRefused(fixture("fixture_null_entry"), {}, "returned no effect");
    expectRenderRefused(fixture("fixture_bad_magic"), {}, "not a VST 2.4 effect");
    expectRefused({"info", fixture("fixture_null_entry")}, "returned no effect");
    expectRefused({"demo", fixture("fixture_no_entry"), dir.path()}, "no VST entry point");
}

TEST_F(BadInput, InputFilesThatAreNotUsableAudio) {
    expectRenderRefused(ARLO_PLUGIN, {}, "cannot read '" + dir.path("absent.wav") + "'", "absent.wav");
    expectRenderRefused(ARLO_PLUGIN, {}, "cannot read '" + dir.path("notes.txt") + "'", "notes.txt");
    writeFloatWav(dir.path("quad.wav"), testAudio(4, 0.1));
    expectRenderRefused(ARLO_PLUGIN, {}, "has 4 channels; only mono or stereo", "quad.wav");
}

TEST_F(BadInput, ParametersThatDoNotExistOrFit) {
    expectRenderRefused(ARLO_PLUGIN, {"--set", "Volume=0.5"}, "unknown parameter 'Volume'");
    expectRenderRefused(ARLO_PLUGIN, {"--set", "8=0.5"}, "unknown parameter '8'");
    expectRenderRefused(ARLO_PLUGIN, {"--set", "Mix=1.5"}, "out of range (0..1)");
}

// Before any window opens: the editor commands' own mistakes.
TEST_F(BadInput, EditorCommandsWithoutAnEditorOrADisplay) {
    expectRefused({"edit", fixture("fixture_plugin")}, "has no editor");
    expectRefused({"edit", fixture("fixture_editor")}, "no X display to show the editor on ($DISPLAY is not set)",
                  {{"DISPLAY", ""}});
    expectRefused({"screenshot", fixture("fixture_editor"), dir.path("out.png"), "--set", "colour=1"},
                  "unknown parameter 'colour'");
    expectRenderRefused(ARLO_PLUGIN, {"--log"}, "option --log does not apply to 'render'");
    expectRefused({"edit", fixture("fixture_editor"), "--state", "x"}, "option --state does not apply to 'edit'");
    expectRefused({"edit", fixture("fixture_editor"), "--log=yes"}, "option --log takes no value");
    expectRefused({"screenshot", fixture("fixture_editor")}, "screenshot takes PLUGIN OUT.png");
}

TEST_F(BadInput, StatesThePluginRejects) {
    // A real state of the project's plug-in, spoilt in one way at a time.
    TempDir elsewhere;
    const RunResult saved = runHost({"render", ARLO_PLUGIN, dir.path("in.wav"), elsewhere.path("out.wav"), "--set",
                                     "Mix=1", "--save-state", elsewhere.path("state.bin")});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string state = readFile(elsewhere.path("state.bin"));
    ASSERT_EQ(state.size(), 368u);
    const auto rejected = [&](const std::string& name, const std::string& sizes) {
        return "the plug-in rejected the state in '" + dir.path(name) + "' (" + sizes + ")";
    };

    writeFile(dir.path("short.bin"), state.substr(0, 367));
    expectRenderRefused(ARLO_PLUGIN, {"--state", dir.path("short.bin")},
                        rejected("short.bin", "367 bytes; its own state is 368 bytes"));
    std::string otherId = state;
    otherId[4] = static_cast<char>(otherId[4] ^ 0x20);  // the unique ID's first byte
    writeFile(dir.path("other-id.bin"), otherId);
    expectRenderRefused(ARLO_PLUGIN, {"--state", dir.path("other-id.bin")}, rejected("other-id.bin", "368 bytes"));
    writeFile(dir.path("zeros.bin"), std::string(368, '\0'));
    expectRenderRefused(ARLO_PLUGIN, {"--state", dir.path("zeros.bin")}, rejected("zeros.bin", "368 bytes"));

    writeFile(dir.path("fixture.bin"), std::string("NOPE\0\0\0\0", 8));
    expectRenderRefused(fixture("fixture_plugin"), {"--state", dir.path("fixture.bin")},
                        rejected("fixture.bin", "8 bytes"));
    writeFile(dir.path("tag.bin"), "FXST");
    expectRenderRefused(fixture("fixture_plugin"), {"--state", dir.path("tag.bin")},
                        rejected("tag.bin", "4 bytes; its own state is 8 bytes"));
}

TEST_F(BadInput, StateFilesThatCannotBeUsed) {
    expectRenderRefused(ARLO_PLUGIN, {"--state", dir.path("absent.bin")}, "cannot read state file");
    writeFile(dir.path("empty.bin"), "");
    expectRenderRefused(fixture("fixture_plugin"), {"--state", dir.path("empty.bin")},
                        "state file '" + dir.path("empty.bin") + "' is empty");
    writeFile(dir.path("zeros.bin"), std::string(368, '\0'));
    expectRenderRefused(fixture("fixture_no_chunks"), {"--state", dir.path("zeros.bin")}, "no effFlagsProgramChunks");
    expectRenderRefused(fixture("fixture_no_chunks"), {"--save-state", dir.path("saved.bin")},
                        "no effFlagsProgramChunks");
}

TEST_F(BadInput, OutputsThatCannotBeWritten) {
    expectRefused({"render", ARLO_PLUGIN, dir.path("in.wav"), dir.path("missing/out.wav")},
                  "cannot write '" + dir.path("missing/out.wav") + "'");
    // The sound is not left behind when its state cannot be saved with it.
    expectRenderRefused(ARLO_PLUGIN, {"--save-state", dir.path("missing/state.bin")}, "cannot write");
    std::filesystem::create_directory(dir.path("folder.wav"));
    expectRefused({"render", ARLO_PLUGIN, dir.path("in.wav"), dir.path("folder.wav")}, "cannot write");
    writeFile(dir.path("file"), "");
    expectRefused({"demo", ARLO_PLUGIN, dir.path("file")}, "cannot create folder");
}

}  // namespace
