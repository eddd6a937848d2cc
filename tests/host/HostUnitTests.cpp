// The host's pieces, tested directly: command line, naming, the program
// chunk layout, state chunks and rendering through a fixture plug-in, the FFT
// and the output files.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <random>
#include <stdexcept>

#include "AudioFile.h"
#include "CommandLine.h"
#include "Fft.h"
#include "HostError.h"
#include "HostTestSupport.h"
#include "PendingFile.h"
#include "PluginDescription.h"
#include "PluginInstance.h"
#include "ProgramSwitcher.h"
#include "Renderer.h"
#include "Spectrogram.h"
#include "Text.h"

namespace {

Options parse(std::vector<std::string> args) { return parseCommandLine(args); }

TEST(CommandLine, ReadsRenderWithOptionsInBothSpellings) {
    const Options o = parse({"render", "p.so", "--set", " mix =0.25", "in.wav", "--block=64", "out.wav",
                             "--tail", "0.5", "--set=3=1", "--state", "a.bin", "--save-state=b.bin"});
    EXPECT_EQ(o.command, Command::Render);
    EXPECT_EQ(o.plugin, "p.so");
    EXPECT_EQ(o.input, "in.wav");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_DOUBLE_EQ(o.tailSeconds, 0.5);
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].nameOrIndex, " mix ");
    EXPECT_FLOAT_EQ(o.settings[0].value, 0.25f);
    EXPECT_EQ(o.settings[1].nameOrIndex, "3");
    EXPECT_EQ(o.loadState, "a.bin");
    EXPECT_EQ(o.saveState, "b.bin");
}

TEST(CommandLine, DemoDefaultsAndHelp) {
    const Options none = parse({"demo"});
    EXPECT_EQ(none.plugin, "");
    EXPECT_EQ(none.outputFolder, "out/demo");
    const Options both = parse({"demo", "x.so", "dir", "--tail", "0"});
    EXPECT_EQ(both.plugin, "x.so");
    EXPECT_EQ(both.outputFolder, "dir");
    EXPECT_EQ(both.tailSeconds, 0.0);
    EXPECT_EQ(parse({"render", "--help"}).command, Command::Help);
    EXPECT_EQ(parse({"help"}).command, Command::Help);
}

TEST(CommandLine, RejectsWhatItCannotUse) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"play", "p.so"},
        {"info"},
        {"info", "a.so", "b.so"},
        {"render", "p.so", "in.wav"},
        {"render", "p.so", "in.wav", "out.wav", "--set", "Mix"},
        {"render", "p.so", "in.wav", "out.wav", "--set", "=0.5"},
        {"render", "p.so", "in.wav", "out.wav", "--set", "Mix=loud"},
        {"render", "p.so", "in.wav", "out.wav", "--set", "Mix=1.01"},
        {"render", "p.so", "in.wav", "out.wav", "--set", "Mix=-0.1"},
        {"render", "p.so", "in.wav", "out.wav", "--set", "Mix=nan"},
        {"render", "p.so", "in.wav", "out.wav", "--block", "0"},
        {"render", "p.so", "in.wav", "out.wav", "--block", "12x"},
        {"render", "p.so", "in.wav", "out.wav", "--tail", "-1"},
        {"render", "p.so", "in.wav", "out.wav", "--tail"},
        {"render", "p.so", "in.wav", "out.wav", "--louder"},
        {"info", "p.so", "--set", "Mix=1"},
        {"demo", "p.so", "dir", "--state", "s.bin"},
        {"demo", "p.so", "dir", "extra"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_THROW(parse(args), UsageError) << joined;
    }
}

TEST(Text, FileNamesKeepLettersAndDigits) {
    EXPECT_EQ(text::fileNamePart("Low & Dark"), "Low-Dark");
    EXPECT_EQ(text::fileNamePart("  Almost reverb "), "Almost-reverb");
    EXPECT_EQ(text::fileNamePart("../../etc/passwd"), "etc-passwd");
    EXPECT_EQ(text::fileNamePart(" &* "), "program");
}

TEST(Text, ShowsPluginStringsTrimmedAndSafe) {
    EXPECT_EQ(text::shown(" Output "), "Output");
    EXPECT_EQ(text::shown("a\x1b[2Jb"), "a?[2Jb");
    EXPECT_EQ(text::fourChars(vstFourChars('A', 'r', 'C', 'v')), "'ArCv' (0x41724376)");
    EXPECT_EQ(text::fourChars(0x00000102), "0x00000102");
}

TEST(Parameters, FoundByTrimmedNameIgnoringCaseOrByIndex) {
    std::vector<PluginParameter> params(3);
    params[0] = {0, " Output ", 0, "", ""};
    params[1] = {1, " Mix ", 0, "", ""};
    params[2] = {2, "2", 0, "", ""};  // a name that looks like an index wins as a name
    EXPECT_EQ(findParameter(params, "mix"), 1);
    EXPECT_EQ(findParameter(params, " OUTPUT"), 0);
    EXPECT_EQ(findParameter(params, "1"), 1);
    EXPECT_EQ(findParameter(params, "2"), 2);
    try {
        findParameter(params, "Decay");
        FAIL() << "no error for an unknown name";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("unknown parameter 'Decay'"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("Output, Mix"), std::string::npos) << e.what();
    }
    EXPECT_THROW(findParameter(params, "3"), HostError);
    EXPECT_THROW(findParameter(params, "-1"), HostError);
}

TEST(Parameters, FlagAndCategoryNames) {
    EXPECT_EQ(flagNames(effFlagsCanReplacing | effFlagsProgramChunks), "CanReplacing, ProgramChunks");
    EXPECT_EQ(flagNames(0), "none");
    EXPECT_EQ(flagNames(effFlagsIsSynth | (1 << 20)), "IsSynth, 0x100000");
    EXPECT_EQ(categoryName(kPlugCategRoomFx), "RoomFx");
    EXPECT_EQ(categoryName(99), "Unknown");
}

std::vector<std::uint8_t> bankChunk(std::uint32_t version, std::int32_t id, std::uint32_t count,
                                    std::size_t size = BankChunkLayout::kSize) {
    std::vector<std::uint8_t> chunk(size, 0xAB);
    const std::uint32_t words[4] = {version, static_cast<std::uint32_t>(id), count, 2};
    std::memcpy(chunk.data(), words, std::min(size, sizeof words));
    return chunk;
}

TEST(BankChunkLayout, RecognisedOnlyWhenEveryHeaderWordFits) {
    const std::int32_t id = vstFourChars('A', 'r', 'C', 'v');
    EXPECT_EQ(BankChunkLayout::programCount(bankChunk(0x01000000, id, 6), id), 6);
    EXPECT_FALSE(BankChunkLayout::programCount(bankChunk(0x01000000, id, 6, 367), id));
    EXPECT_FALSE(BankChunkLayout::programCount(bankChunk(0x01000000, id, 6, 8), id));
    EXPECT_FALSE(BankChunkLayout::programCount(bankChunk(0x00000001, id, 6), id));
    EXPECT_FALSE(BankChunkLayout::programCount(bankChunk(0x01000000, id + 1, 6), id));
    EXPECT_FALSE(BankChunkLayout::programCount(bankChunk(0x01000000, id, 0), id));
    EXPECT_FALSE(BankChunkLayout::programCount(bankChunk(0x01000000, id, 100000), id));
}

TEST(BankChunkLayout, ChoosingAProgramChangesOnlyTheCurrentWord) {
    const auto original = bankChunk(0x01000000, 7, 6);
    const auto chosen = BankChunkLayout::withCurrentProgram(original, 4);
    ASSERT_EQ(chosen.size(), original.size());
    std::uint32_t current = 0;
    std::memcpy(&current, chosen.data() + 12, 4);
    EXPECT_EQ(current, 4u);
    EXPECT_TRUE(std::equal(chosen.begin(), chosen.begin() + 12, original.begin()));
    EXPECT_TRUE(std::equal(chosen.begin() + 16, chosen.end(), original.begin() + 16));
}

// The fixture plug-in: 1 input, 3 outputs, output k = input * gain * (k + 1).
struct RenderThroughFixture : ::testing::Test {
    std::unique_ptr<PluginInstance> plugin = PluginInstance::load(fixture("fixture_plugin"));
    void SetUp() override {
        plugin->configure(8000, 100);
        plugin->setParameter(0, 0.5f);
        plugin->resume();
    }
};

TEST_F(RenderThroughFixture, StereoIntoMonoInputIsAveragedAndEveryOutputIsKept) {
    AudioBuffer in{8000, {{1.0f, 0.5f, 0.0f}, {0.0f, 0.5f, -1.0f}}};
    // 3 frames + 0.1 s tail = 803 frames, in blocks of 100 with a short last one.
    const RenderedAudio r = render(*plugin, in, 0.1, 100);
    ASSERT_EQ(r.output.channels.size(), 3u);
    EXPECT_EQ(r.output.frames(), 803u);
    EXPECT_EQ(r.output.sampleRate, 8000);
    for (int k = 0; k < 3; ++k) {
        const float scale = 0.5f * static_cast<float>(k + 1);
        EXPECT_FLOAT_EQ(r.output.channels[k][0], 0.5f * scale);
        EXPECT_FLOAT_EQ(r.output.channels[k][1], 0.5f * scale);
        EXPECT_FLOAT_EQ(r.output.channels[k][2], -0.5f * scale);
        EXPECT_FLOAT_EQ(r.output.channels[k][802], 0.0f);
    }
    EXPECT_EQ(r.nonFiniteSamples, 0u);
    EXPECT_GT(r.processSeconds, 0.0);
    EXPECT_NEAR(r.realTimeFactor(), r.audioSeconds() / r.processSeconds, 1e-9);
}

TEST_F(RenderThroughFixture, NonFiniteOutputIsCountedAndZeroed) {
    plugin->setParameter(1, 1.0f);  // "Poison": infinity at the start of every block
    AudioBuffer in{8000, {std::vector<float>(250, 0.25f)}};
    const RenderedAudio r = render(*plugin, in, 0.0, 100);
    EXPECT_EQ(r.nonFiniteSamples, 3u);
    EXPECT_EQ(r.firstNonFiniteFrame, 0u);
    EXPECT_EQ(r.output.channels[0][100], 0.0f);
    EXPECT_NE(nonFiniteWarning(r).find("3 non-finite samples"), std::string::npos);
}

std::vector<std::uint8_t> fixtureState(const char* tag, float gain, const std::string& more = "") {
    std::vector<std::uint8_t> bytes(tag, tag + std::strlen(tag));
    const auto* g = reinterpret_cast<const std::uint8_t*>(&gain);
    bytes.insert(bytes.end(), g, g + sizeof gain);
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

TEST(StateChunk, OfferedWhateverItsSizeAndTheAnswerKept) {
    auto plugin = PluginInstance::load(fixture("fixture_plugin"));
    ASSERT_EQ(plugin->chunk().size(), 8u);
    EXPECT_TRUE(plugin->offerChunk(fixtureState("FXST", 0.75f, "and a newer field")));
    EXPECT_FLOAT_EQ(plugin->parameter(0), 0.75f);
    EXPECT_TRUE(plugin->offerChunk(fixtureState("FXST", 0.125f)));
    EXPECT_FLOAT_EQ(plugin->parameter(0), 0.125f);

    // Rejected (-1): false, and nothing taken.
    EXPECT_FALSE(plugin->offerChunk(fixtureState("NOPE", 1.0f)));
    EXPECT_FALSE(plugin->offerChunk({'F', 'X', 'S', 'T'}));
    EXPECT_FLOAT_EQ(plugin->parameter(0), 0.125f);
    EXPECT_THROW(plugin->setChunk(fixtureState("NOPE", 1.0f)), HostError);
    EXPECT_NO_THROW(plugin->setChunk(fixtureState("FXST", 1.0f, "x")));
    EXPECT_FLOAT_EQ(plugin->parameter(0), 1.0f);

    auto noChunks = PluginInstance::load(fixture("fixture_no_chunks"));
    EXPECT_THROW((void)noChunks->offerChunk(fixtureState("FXST", 1.0f)), HostError);
}

TEST(ProgramSwitcher, FallsBackToSetProgramWithoutTheBankLayout) {
    auto plugin = PluginInstance::load(fixture("fixture_no_chunks"));
    const ProgramSwitcher switcher(*plugin);
    EXPECT_FALSE(switcher.usesChunk());
    ASSERT_EQ(switcher.programs().size(), 3u);
    EXPECT_EQ(switcher.programs()[1].name, "Beta & Gamma");  // from effGetProgramName
    switcher.select(*plugin, 2);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 2);
    EXPECT_FLOAT_EQ(plugin->parameter(0), 1.0f);
}

TEST(PendingFile, AppearsOnlyOnCommit) {
    TempDir dir;
    {
        PendingFile dropped(dir.path("a.bin"));
        dropped.writeAll("abc", 3);
    }
    EXPECT_TRUE(dir.files().empty());
    PendingFile kept(dir.path("b.bin"));
    kept.writeAll("xyz", 3);
    kept.commit();
    EXPECT_EQ(dir.files(), std::vector<std::string>{"b.bin"});
    EXPECT_EQ(readFile(dir.path("b.bin")), "xyz");
    EXPECT_THROW(PendingFile(dir.path("missing/c.bin")), HostError);
}

TEST(AudioFile, FloatWavKeepsSamplesAndRejectsNonAudio) {
    TempDir dir;
    const AudioBuffer original = testAudio(2, 0.05, 48000);
    writeFloatWav(dir.path("x.wav"), original);
    const AudioBuffer back = readAudioFile(dir.path("x.wav"));
    EXPECT_EQ(back.sampleRate, 48000);
    EXPECT_EQ(back.channels, original.channels);

    writeFile(dir.path("text.wav"), "RIFF but not really a wave file");
    EXPECT_THROW(readAudioFile(dir.path("text.wav")), HostError);
    EXPECT_THROW(readAudioFile(dir.path("absent.wav")), HostError);
    EXPECT_THROW(writeFloatWav(dir.path("y.wav"), AudioBuffer{}), HostError);
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"text.wav", "x.wav"}));
}

// The transform as the host relies on it: bins 0..n/2, unnormalised, with
// FFTW's sign convention X[k] = sum x[j] e^(-2 pi i jk/n).
std::vector<std::complex<double>> directTransform(const std::vector<float>& x) {
    const std::size_t n = x.size();
    std::vector<std::complex<double>> out(n / 2 + 1);
    for (std::size_t k = 0; k < out.size(); ++k)
        for (std::size_t j = 0; j < n; ++j)
            out[k] += static_cast<double>(x[j]) * std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(j * k) / n);
    return out;
}

TEST(RealFft, CosineSineAndConstantLandWhereAndHowLoudExpected) {
    constexpr std::size_t n = 64;
    RealFft fft(n);
    ASSERT_EQ(fft.size(), n);
    ASSERT_EQ(fft.bins(), 33u);
    ASSERT_EQ(fft.output().size(), 33u);
    const auto fill = [&](auto f) {
        for (std::size_t j = 0; j < n; ++j) fft.input()[j] = static_cast<float>(f(2 * std::numbers::pi * j / n));
        fft.execute();
    };
    fill([](double t) { return 0.5 * std::cos(5 * t); });
    for (std::size_t k = 0; k < fft.bins(); ++k) {
        const std::complex<float> expected = k == 5 ? std::complex<float>(0.5f * n / 2, 0) : 0.0f;
        EXPECT_NEAR(std::abs(fft.output()[k] - expected), 0.0, 1e-4) << "bin " << k;
    }
    fill([](double t) { return 0.5 * std::sin(5 * t); });
    EXPECT_NEAR(fft.output()[5].real(), 0.0, 1e-4);
    EXPECT_NEAR(fft.output()[5].imag(), -0.5 * n / 2, 1e-4);
    fill([](double) { return 0.25; });
    EXPECT_NEAR(fft.output()[0].real(), 0.25 * n, 1e-4);
    EXPECT_NEAR(std::abs(fft.output()[1]), 0.0, 1e-4);
    fill([](double t) { return std::cos(32 * t); });  // Nyquist: +1, -1, ...
    EXPECT_NEAR(fft.output()[32].real(), static_cast<double>(n), 1e-3);
}

TEST(RealFft, OnePlanServesFrameAfterFrameOfAnySize) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (const std::size_t n : {1u, 2u, 12u, 15u, 256u}) {
        RealFft fft(n);
        for (int frame = 0; frame < 3; ++frame) {
            std::vector<float> x(n);
            for (float& v : x) v = sample(random);
            std::copy(x.begin(), x.end(), fft.input().begin());
            fft.execute();
            const auto expected = directTransform(x);
            for (std::size_t k = 0; k < expected.size(); ++k) {
                const std::complex<double> got(fft.output()[k].real(), fft.output()[k].imag());
                EXPECT_NEAR(std::abs(got - expected[k]), 0.0, 1e-4 * static_cast<double>(n))
                    << "size " << n << ", frame " << frame << ", bin " << k;
            }
        }
    }
    EXPECT_THROW(RealFft(0), std::invalid_argument);
}

TEST(Spectrogram, SineLandsOnItsFrequencyRow) {
    AudioBuffer sine{44100, {std::vector<float>(44100)}};
    for (std::size_t i = 0; i < sine.frames(); ++i)
        sine.channels[0][i] = 0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 1000.0 * i / 44100.0));
    const int rows = 200;
    const LevelGrid grid = spectrogramLevels(sine, 10, rows, 20.0, 20000.0);
    // 1 kHz sits at log(1000/20)/log(1000) of the way up a 20 Hz..20 kHz axis.
    const int expectedRow = rows - 1 - static_cast<int>(std::log(50.0) / std::log(1000.0) * rows);
    int loudest = 0;
    for (int y = 0; y < rows; ++y)
        if (grid.at(5, y) > grid.at(5, loudest)) loudest = y;
    EXPECT_NEAR(loudest, expectedRow, 1);
    // A 0.5 sine is -6 dBFS, less up to 1.42 dB when it falls between two bins.
    EXPECT_NEAR(grid.at(5, loudest), 20 * std::log10(0.5) - 0.7, 0.75);
    EXPECT_LT(grid.at(5, 10), -80.0f);                           // far above it: nothing
}

TEST(Spectrogram, WritesAPngOfTheAskedSize) {
    TempDir dir;
    writeSpectrogramPng(dir.path("s.png"), testAudio(2, 0.3), "title", {400, 300});
    cairo_surface_t* png = cairo_image_surface_create_from_png(dir.path("s.png").c_str());
    EXPECT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 400);
    EXPECT_EQ(cairo_image_surface_get_height(png), 300);
    cairo_surface_destroy(png);
    EXPECT_EQ(dir.files(), std::vector<std::string>{"s.png"});
}

}  // namespace
