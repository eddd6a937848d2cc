// What corvane-host does to the files around it: outputs that cannot be
// replaced (FIFOs, pipes, devices) or must be followed (links), read-only
// files, outputs that are an input or the plug-in, sample rates no audio is
// made at, audio streamed through in blocks, and WAV giving way to RF64 when
// its sizes would not fit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "AudioFile.h"
#include "AudioWriter.h"
#include "HostError.h"
#include "HostTestSupport.h"
#include "PendingFile.h"
#include "PluginInstance.h"
#include "Renderer.h"

namespace fs = std::filesystem;

namespace {

bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

mode_t modeOf(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 ? status.st_mode : 0;
}

std::uint32_t little32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

TEST(Outputs, AFifoReceivesTheSameWavAFileWould) {
    TempDir dir;
    const std::string in = dir.path("in.wav"), pipe = dir.path("pipe.wav");
    writeFloatWav(in, testAudio(2, 0.3));
    ASSERT_EQ(runHost({"render", ARLO_PLUGIN, in, dir.path("file.wav")}).status, 0);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);

    FifoReader reader(pipe);
    const RunResult r = runHost({"render", ARLO_PLUGIN, in, pipe});
    const std::string streamed = reader.finish();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(S_ISFIFO(modeOf(pipe)));
    ASSERT_GT(streamed.size(), 44u);
    EXPECT_EQ(little32(streamed, 40), streamed.size() - 44);  // the data's size, known up front
    writeFile(dir.path("streamed.wav"), streamed);
    const AudioBuffer fromPipe = readAudioFile(dir.path("streamed.wav"));
    const AudioBuffer fromFile = readAudioFile(dir.path("file.wav"));
    EXPECT_EQ(fromPipe.sampleRate, fromFile.sampleRate);
    EXPECT_EQ(fromPipe.channels, fromFile.channels);
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"file.wav", "in.wav", "pipe.wav", "streamed.wav"}));

    // A reader that leaves early ends the render with an error, not a signal.
    FifoReader early(pipe, 100);
    const RunResult broken = runHost({"render", ARLO_PLUGIN, in, pipe});
    early.finish();
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.err, "corvane-host: cannot write '" + pipe + "': Broken pipe\n");
}

TEST(Outputs, ACharacterDeviceIsWrittenIntoNotReplaced) {
    TempDir dir;
    writeFloatWav(dir.path("in.wav"), testAudio(1, 0.2));
    // Root could replace the system's own /dev/null: then a scratch node of the same device.
    std::string device = "/dev/null";
    if (geteuid() == 0) {
        device = dir.path("null");
        if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "no device nodes here";
    }
    const RunResult r = runHost({"render", ARLO_PLUGIN, dir.path("in.wav"), device});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "wrote " + device + ": 2 channels")) << r.out;
    EXPECT_TRUE(S_ISCHR(modeOf(device)));
    EXPECT_LE(dir.files().size(), 2u);  // in.wav and the node, no temporary file
}

// "/dev/stdout" and bash's ">(...)" name a pipe through links that end in
// "pipe:[N]"; on our own stdout, every message goes to stderr instead.
TEST(Outputs, APipeNamedByPathGetsTheSoundAndNothingElse) {
    TempDir dir;
    const std::string in = dir.path("in.wav");
    writeFloatWav(in, testAudio(2, 0.3));  // 13230 frames, and 4410 of tail
    const auto expectWav = [&](const std::string& received, const std::string& name) {
        ASSERT_GT(received.size(), 44u) << name;
        EXPECT_EQ(little32(received, 40), received.size() - 44) << name << ": more than the sound came";
        writeFile(dir.path(name), received);
        EXPECT_EQ(readAudioFile(dir.path(name)).frames(), 13230u + 4410u) << name;
    };
    for (const bool socket : {false, true}) {
        std::string received;
        const RunResult r = runHostThroughPipe({"render", ARLO_PLUGIN, in, "/dev/stdout", "--tail", "0.1"},
                                               STDOUT_FILENO, socket, received);
        ASSERT_EQ(r.status, 0) << r.err;
        expectWav(received, socket ? "socket.wav" : "pipe.wav");
        EXPECT_TRUE(contains(r.err, "wrote /dev/stdout: 2 channels")) << r.err;
        EXPECT_TRUE(contains(r.err, "\nprocessReplacing: ")) << r.err;
    }

    std::string received;
    const RunResult r = runHostThroughPipe({"render", ARLO_PLUGIN, in, "/dev/fd/63", "--tail", "0.1"}, 63, false, received);
    ASSERT_EQ(r.status, 0) << r.err;
    expectWav(received, "fd.wav");
    EXPECT_TRUE(contains(r.out, "wrote /dev/fd/63: 2 channels")) << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"fd.wav", "in.wav", "pipe.wav", "socket.wav"}));
}

TEST(PendingFile, FollowsLinksKeepsPermissionsAndLeavesReadOnlyFilesAlone) {
    TempDir dir;
    fs::create_directory(dir.path("takes"));
    writeFile(dir.path("takes/a.wav"), "old");
    chmod(dir.path("takes/a.wav").c_str(), 0640);
    fs::create_symlink("takes/a.wav", dir.path("link.wav"));
    fs::create_symlink("b.wav", dir.path("takes/b-link.wav"));
    fs::create_symlink("takes/b-link.wav", dir.path("dangling.wav"));  // a chain to a file not there yet
    for (const char* name : {"link.wav", "dangling.wav"}) {
        PendingFile file(dir.path(name));
        file.writeAll("new", 3);
        file.commit();
    }
    EXPECT_EQ(fs::read_symlink(dir.path("link.wav")), "takes/a.wav");
    EXPECT_EQ(readFile(dir.path("takes/a.wav")), "new");
    EXPECT_EQ(modeOf(dir.path("takes/a.wav")) & 07777, 0640u);
    EXPECT_EQ(readFile(dir.path("takes/b.wav")), "new");
    EXPECT_TRUE(fs::is_symlink(dir.path("dangling.wav")));
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"dangling.wav", "link.wav", "takes"}));

    writeFile(dir.path("kept.wav"), "keep");
    chmod(dir.path("kept.wav").c_str(), 0444);
    fs::create_symlink("kept.wav", dir.path("to-kept.wav"));
    for (const char* name : {"kept.wav", "to-kept.wav"}) {
        try {
            PendingFile file(dir.path(name));
            ADD_FAILURE() << name << " was opened";
        } catch (const HostError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write '" + dir.path(name) + "': the file is read-only");
        }
    }
    EXPECT_EQ(readFile(dir.path("kept.wav")), "keep");
    fs::create_symlink("loop.wav", dir.path("loop.wav"));
    EXPECT_THROW(PendingFile(dir.path("loop.wav")), HostError);
}

// Commands that must stop with one line and leave every file as it was.
struct Refusals : ::testing::Test {
    TempDir dir;
    std::string in = dir.path("in.wav");
    std::string plugin = ARLO_PLUGIN;

    void SetUp() override {
        writeFloatWav(in, testAudio(1, 0.2));
        fs::create_directory(dir.path("sub"));
    }
    std::map<std::string, std::string> contents() const {
        std::map<std::string, std::string> all;
        for (const auto& name : dir.files()) all[name] = fs::is_regular_file(dir.path(name)) ? readFile(dir.path(name)) : "";
        return all;
    }
    void expectRefused(std::vector<std::string> args, const std::string& what) {
        args.insert(args.begin(), {"render", plugin});
        const auto before = contents();
        const RunResult r = runHost(args);
        EXPECT_EQ(r.status, 1);
        ASSERT_EQ(r.errLines().size(), 1u) << r.err;
        EXPECT_TRUE(contains(r.err, what)) << "expected '" << what << "' in: " << r.err;
        EXPECT_EQ(contents(), before);
    }
};

TEST_F(Refusals, AnOutputThatIsAnInputByAnyPath) {
    fs::create_symlink("in.wav", dir.path("alias.wav"));
    fs::create_hard_link(in, dir.path("hard.wav"));
    expectRefused({in, in}, "the output '" + in + "' is the same file as the input '" + in + "'; nothing was written");
    for (const char* other : {"sub/../in.wav", "alias.wav", "hard.wav"})
        expectRefused({in, dir.path(other)}, "the output '" + dir.path(other) + "' is the same file as the input");
    expectRefused({dir.path("alias.wav"), dir.path("out.wav"), "--save-state", in},
                  "the --save-state file '" + in + "' is the same file as the input");

    ASSERT_EQ(runHost({"render", ARLO_PLUGIN, in, dir.path("first.wav"), "--save-state", dir.path("state.bin")}).status, 0);
    expectRefused({in, dir.path("state.bin"), "--state", dir.path("state.bin")},
                  "the --state file '" + dir.path("state.bin") + "' is the same file as the output");
    // Two spellings of one file that is not there yet.
    expectRefused({in, dir.path("new.wav"), "--save-state", dir.path("sub/../new.wav")},
                  "the --save-state file '" + dir.path("sub/../new.wav") + "' is the same file as the output");
    // Saving a state back where it came from is an update.
    const RunResult update = runHost({"render", ARLO_PLUGIN, in, dir.path("second.wav"), "--state", dir.path("state.bin"),
                                      "--save-state", dir.path("state.bin"), "--set", "Mix=1"});
    EXPECT_EQ(update.status, 0) << update.err;
}

TEST_F(Refusals, ThePluginItself) {
    plugin = dir.path("copy.so");
    fs::copy_file(ARLO_PLUGIN, plugin);
    expectRefused({in, plugin}, "the output '" + plugin + "' is the same file as the plug-in '" + plugin +
                                    "'; nothing was written");
    expectRefused({in, dir.path("out.wav"), "--save-state", dir.path("sub/../copy.so")},
                  "the --save-state file '" + dir.path("sub/../copy.so") + "' is the same file as the plug-in");
}

TEST_F(Refusals, ReadOnlyOutputsBeforeAnythingIsRendered) {
    writeFile(dir.path("old.wav"), "old");
    chmod(dir.path("old.wav").c_str(), 0444);
    expectRefused({in, dir.path("old.wav")}, "cannot write '" + dir.path("old.wav") + "': the file is read-only");
    expectRefused({in, dir.path("new.wav"), "--save-state", dir.path("old.wav")}, "the file is read-only");
}

TEST_F(Refusals, SampleRatesNoAudioIsMadeAt) {
    const std::string wav = readFile(in);
    for (const std::uint32_t rate : {2147483647u, 768001u, 7999u}) {
        std::string claimed = wav;
        for (int i = 0; i < 4; ++i) claimed[24 + i] = static_cast<char>(rate >> (8 * i));  // fmt's rate field
        writeFile(dir.path("claimed.wav"), claimed);
        expectRefused({dir.path("claimed.wav"), dir.path("out.wav"), "--tail", "0"},
                      "input '" + dir.path("claimed.wav") + "' is at " + std::to_string(rate) +
                          " Hz; rates from 8000 to 768000 Hz are accepted");
    }
}

// Hands out at most 37 frames a read, of a length it does not announce.
class TricklingSource final : public AudioSource {
public:
    explicit TricklingSource(std::size_t length) : length_(length) {}
    int channels() const override { return 1; }
    double sampleRate() const override { return 8000; }
    std::optional<std::uint64_t> frames() const override { return std::nullopt; }
    std::size_t read(float* interleaved, std::size_t count) override {
        count = std::min({count, std::size_t{37}, length_ - given_});
        std::fill(interleaved, interleaved + count, 0.25f);
        given_ += count;
        return count;
    }
    std::size_t given() const { return given_; }

private:
    std::size_t length_, given_ = 0;
};

// Notes, for each block written, how much of the source had been read.
struct WatchingSink final : AudioSink {
    explicit WatchingSink(const TricklingSource& source) : source(source) {}
    void write(const float* interleaved, std::size_t count) override {
        blocks.push_back({source.given(), count});
        last = interleaved[count * 3 - 1];
    }
    const TricklingSource& source;
    std::vector<std::pair<std::size_t, std::size_t>> blocks;
    float last = -1;
};

TEST(Rendering, EachBlockGoesOutBeforeTheNextComesIn) {
    auto plugin = PluginInstance::load(fixture("fixture_plugin"));
    plugin->configure(8000, 100);
    plugin->resume();
    TricklingSource source(1030);
    WatchingSink sink(source);
    const RenderResult r = render(*plugin, source, sink, 0.5, 100);
    EXPECT_EQ(r.inputFrames, 1030u);
    EXPECT_EQ(r.frames, 5030u);
    ASSERT_EQ(sink.blocks.size(), 51u);
    std::size_t written = 0;
    for (const auto& [read, count] : sink.blocks) {
        written += count;
        EXPECT_LE(read, written) << "the source ran ahead of the output";
        EXPECT_EQ(count, written == r.frames ? 30u : 100u);  // input and tail alike in whole blocks
    }
    EXPECT_EQ(sink.last, 0.0f);  // the tail is silence through the fixture
}

SF_INFO fileInfo(const std::string& path) {
    SF_INFO info{};
    if (SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info)) sf_close(file);
    return info;
}

TEST(AudioWriter, RiffGivesWayToRf64WhenThePlannedDataWouldNotFit) {
    TempDir dir;
    const AudioBuffer audio = testAudio(2, 0.01, 48000);
    std::vector<float> interleaved(audio.frames() * 2);
    audio.copyInterleaved(0, audio.frames(), interleaved.data());
    const std::uint64_t bytes = interleaved.size() * sizeof(float);
    const auto write = [&](const std::string& name, std::optional<std::uint64_t> planned, std::uint64_t limit) {
        PendingFile file(dir.path(name));
        AudioWriter writer(file, 48000, 2, planned, limit);
        writer.write(interleaved.data(), audio.frames());
        writer.finish();
        file.commit();
        EXPECT_EQ(readAudioFile(dir.path(name)).channels, audio.channels) << name;
        return writer.rf64();
    };
    EXPECT_FALSE(write("fits.wav", audio.frames(), bytes));
    EXPECT_TRUE(write("over.wav", audio.frames(), bytes - 1));
    EXPECT_FALSE(write("unplanned.wav", std::nullopt, bytes - 1));
    EXPECT_EQ(fileInfo(dir.path("fits.wav")).format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
    EXPECT_EQ(fileInfo(dir.path("over.wav")).format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
    // Without a plan libsndfile decides on closing, and this fits.
    EXPECT_NE(fileInfo(dir.path("unplanned.wav")).format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
}

TEST(AudioWriter, AStreamCarriesThePlannedSizesOrMarksThemUnknown) {
    TempDir dir;
    const std::string pipe = dir.path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    const std::vector<float> frames(200, 0.5f);  // 100 stereo frames, well within the pipe's buffer
    const auto stream = [&](std::optional<std::uint64_t> planned, std::uint64_t limit) {
        const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        {
            PendingFile file(pipe);
            AudioWriter writer(file, 44100, 2, planned, limit);
            writer.write(frames.data(), 100);
            writer.finish();
            file.commit();
        }
        std::string bytes(65536, '\0');
        bytes.resize(static_cast<std::size_t>(std::max<ssize_t>(0, read(reader, bytes.data(), bytes.size()))));
        close(reader);
        return bytes;
    };
    const std::string exact = stream(100, AudioWriter::kRiffDataLimit);
    ASSERT_EQ(exact.size(), 44u + 800u);
    EXPECT_EQ(little32(exact, 4), 36u + 800u);
    EXPECT_EQ(little32(exact, 40), 800u);
    for (const std::string& unknown : {stream(std::nullopt, AudioWriter::kRiffDataLimit), stream(100, 799)}) {
        EXPECT_EQ(little32(unknown, 4), 0xFFFFFFFFu);
        EXPECT_EQ(little32(unknown, 40), 0xFFFFFFFFu);
    }

    // A stream whose header announced more than came cannot be mended: an error.
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    PendingFile file(pipe);
    AudioWriter writer(file, 44100, 2, 150, AudioWriter::kRiffDataLimit);
    writer.write(frames.data(), 100);
    try {
        writer.finish();
        ADD_FAILURE() << "a short stream passed";
    } catch (const HostError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot write '" + pipe + "': 100 frames written where its header announced 150");
    }
    close(reader);
}

}  // namespace
