// corvane-host when things go wrong around it: inputs cut short or damaged,
// signals while outputs are still being written, states a plug-in takes only
// in part, and a disk that fills up. Each time the user hears why, and no
// output is left half-written.
#include <cairo.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sndfile.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "AudioFile.h"
#include "AudioReader.h"
#include "HostError.h"
#include "HostTestSupport.h"
#include "PngFile.h"
#include "PrivateXServer.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> hiddenFiles(const std::string& folder) {
    std::vector<std::string> hidden;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.') hidden.push_back(entry.path().filename().string());
    return hidden;
}

void writeSndfile(const std::string& path, const AudioBuffer& audio, int format) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.channels = static_cast<int>(audio.channels.size());
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> interleaved(audio.frames() * audio.channels.size());
    audio.copyInterleaved(0, audio.frames(), interleaved.data());
    sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(audio.frames()));
    sf_close(file);
}

// The number between `before` and `after` in `text`, or -1 when the text is
// not that line.
long numberBetween(const std::string& text, const std::string& before, const std::string& after) {
    if (text.rfind(before, 0) != 0 || text.size() < before.size() + after.size() ||
        text.compare(text.size() - after.size(), after.size(), after) != 0)
        return -1;
    const std::string middle = text.substr(before.size(), text.size() - before.size() - after.size());
    return !middle.empty() && std::all_of(middle.begin(), middle.end(), ::isdigit) ? std::stol(middle) : -1;
}

TEST(DamagedInput, AWavCutShortIsRefusedBeforeAnyOutputIsOpened) {
    TempDir dir;
    const std::string in = dir.path("in.wav"), out = dir.path("out.wav"), pipe = dir.path("pipe.wav");
    writeFloatWav(in, testAudio(2, 1.0));  // 44100 frames of 8 bytes
    const std::string whole = readFile(in);
    writeFile(in, whole.substr(0, whole.size() - 1000 * 8));
    writeFile(out, "old");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    for (const std::string& output : {out, pipe}) {
        // Nobody reads the FIFO: a host that opened it would wait there.
        const RunResult r = HostProcess({"render", ARLO_PLUGIN, in, output}).wait(60);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "corvane-host: input '" + in +
                             "' is cut short: its header announces 44100 frames, the file holds 43100 (1000 missing)\n");
    }
    EXPECT_EQ(readFile(out), "old");
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"in.wav", "out.wav", "pipe.wav"}));

    // A size left open, as a stream writes it, claims nothing: all is read.
    std::string open = whole;
    const std::size_t data = open.find("data");
    ASSERT_NE(data, std::string::npos);
    open.replace(data + 4, 4, "\xFF\xFF\xFF\xFF");
    writeFile(in, open);
    const RunResult r = runHost({"render", ARLO_PLUGIN, in, out, "--tail", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readAudioFile(out).frames(), 44100u);
}

// Each container keeps the data's size its own way; a file shorter than
// that is refused as a WAV is, and one whose size was left open is read.
TEST(DamagedInput, AiffAuAndW64CutShortAreRefusedAsAWavIs) {
    TempDir dir;
    const AudioBuffer audio = testAudio(2, 0.1);  // 4410 frames
    struct Kind {
        const char* name;
        int format;
        std::size_t frameBytes;
    };
    for (const Kind& kind : {Kind{"in.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 6},
                             Kind{"in.aifc", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 8},
                             Kind{"in.au", SF_FORMAT_AU | SF_FORMAT_ULAW, 2},
                             Kind{"in.dns.au", SF_FORMAT_AU | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 4},
                             Kind{"in.w64", SF_FORMAT_W64 | SF_FORMAT_DOUBLE, 16}}) {
        const std::string in = dir.path(kind.name);
        writeSndfile(in, audio, kind.format);
        EXPECT_EQ(readAudioFile(in).frames(), 4410u) << kind.name;
        const std::string whole = readFile(in);
        writeFile(in, whole.substr(0, whole.size() - 1000 * kind.frameBytes));
        try {
            AudioReader reader(in);
            ADD_FAILURE() << kind.name << " cut short was read";
        } catch (const InputError& e) {
            EXPECT_EQ(std::string(e.what()), "input '" + in + "' is cut short: its header announces 4410 frames, "
                                             "the file holds 3410 (1000 missing)");
        }
    }

    const std::string out = dir.path("out.wav");
    writeFile(out, "old");
    const RunResult r = runHost({"render", ARLO_PLUGIN, dir.path("in.aiff"), out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.errLines().size(), 1u) << r.err;
    EXPECT_TRUE(r.err.find("(1000 missing)") != std::string::npos) << r.err;
    EXPECT_EQ(readFile(out), "old");
    EXPECT_TRUE(hiddenFiles(dir.path()).empty());

    // An AU's size left open (all ones), as a stream writes it, claims nothing.
    writeSndfile(dir.path("open.au"), audio, SF_FORMAT_AU | SF_FORMAT_PCM_16);
    std::string open = readFile(dir.path("open.au"));
    open.replace(8, 4, "\xFF\xFF\xFF\xFF");
    writeFile(dir.path("open.au"), open.substr(0, open.size() - 4000));
    EXPECT_EQ(readAudioFile(dir.path("open.au")).frames(), 3410u);
}

TEST(DamagedInput, AFlacThatBreaksOffOrEndsEarlyStopsTheRender) {
    TempDir dir;
    const std::string in = dir.path("in.flac"), out = dir.path("out.wav"), pipe = dir.path("pipe.wav");
    writeSndfile(dir.path("whole.flac"), testAudio(2, 2.0), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);  // 88200 frames
    const std::string whole = readFile(dir.path("whole.flac"));
    writeFile(out, "old");

    std::string damaged = whole;
    for (std::size_t i = whole.size() / 2; i < whole.size() / 2 + 64; ++i) damaged[i] ^= 0x5A;
    writeFile(in, damaged);
    RunResult r = runHost({"render", ARLO_PLUGIN, in, out});
    EXPECT_EQ(r.status, 1);
    // "... is damaged: WHY after READ of 88200 frames (MISSING missing); ..."
    const std::string damagedAt = "corvane-host: input '" + in + "' is damaged: ";
    const std::size_t after = r.err.rfind(" after ");
    ASSERT_TRUE(r.err.rfind(damagedAt, 0) == 0 && after > damagedAt.size()) << r.err;
    unsigned long decoded = 0, missing = 0;
    int end = 0;
    ASSERT_EQ(std::sscanf(r.err.c_str() + after, " after %lu of 88200 frames (%lu missing); nothing was written\n%n",
                          &decoded, &missing, &end), 2) << r.err;
    EXPECT_EQ(static_cast<std::size_t>(end), r.err.size() - after) << r.err;
    EXPECT_EQ(decoded + missing, 88200u);

    // The stream's header claims 1000 frames more than its frames hold: the
    // decoder just runs out. Total samples: the low 36 bits of bytes 18-25.
    std::string longer = whole;
    std::uint64_t word = 0;
    for (int i = 18; i < 26; ++i) word = word << 8 | static_cast<unsigned char>(longer[i]);
    ASSERT_EQ(word & 0xFFFFFFFFFull, 88200u);
    word += 1000;
    for (int i = 25; i >= 18; --i, word >>= 8) longer[i] = static_cast<char>(word & 0xFF);
    writeFile(in, longer);
    r = runHost({"render", ARLO_PLUGIN, in, out});
    const std::string cutShort =
        "corvane-host: input '" + in + "' is cut short: it ends after 88200 of 89200 frames (1000 missing); ";
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, cutShort + "nothing was written\n");
    EXPECT_EQ(readFile(out), "old");
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"in.flac", "out.wav", "whole.flac"}));

    // A FIFO has had its part by then, and the user is told how much.
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    FifoReader reader(pipe);
    r = runHost({"render", ARLO_PLUGIN, in, pipe, "--tail", "0"});
    const std::string received = reader.finish();
    EXPECT_EQ(r.status, 1);
    const long frames = numberBetween(r.err, cutShort + "the first ", " frames went to '" + pipe + "' and cannot be taken back\n");
    ASSERT_GT(frames, 0) << r.err;
    EXPECT_EQ(received.size(), 44 + static_cast<std::size_t>(frames) * 2 * sizeof(float));
}

// Watches a folder, from before the host starts, for hidden files: outputs
// still being written.
class PendingWatch {
public:
    explicit PendingWatch(std::string folder) : folder_(std::move(folder)), fd_(inotify_init1(IN_CLOEXEC)) {
        inotify_add_watch(fd_, folder_.c_str(), IN_CREATE);
    }
    ~PendingWatch() { close(fd_); }
    PendingWatch(const PendingWatch&) = delete;
    PendingWatch& operator=(const PendingWatch&) = delete;

    // Stops the host at a moment `count` hidden files are there; false if it
    // ended first. It stays a child to be waited for.
    bool stopWhileWriting(int pid, std::size_t count = 1) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd ready{fd_, POLLIN, 0};
            const bool created = poll(&ready, 1, 100) > 0;
            if (created) {
                char events[4096];
                if (read(fd_, events, sizeof events) <= 0) return false;
                kill(pid, SIGSTOP);
            }
            // After a creation: until it has stopped (or ended); else: has it ended?
            siginfo_t state{};
            if (waitid(P_PID, static_cast<id_t>(pid), &state, WEXITED | WNOWAIT | (created ? WSTOPPED : WNOHANG)) != 0)
                return false;
            if (state.si_pid == pid && state.si_code != CLD_STOPPED) return false;
            if (created) {
                if (hiddenFiles(folder_).size() >= count) return true;
                kill(pid, SIGCONT);
            }
        }
        return false;
    }

private:
    std::string folder_;
    int fd_;
};

struct Signals : ::testing::Test {
    TempDir dir;

    // Stops `args` while it writes `pending` files into `folder`, ends it by
    // `signal` and checks that it died of it, leaving no hidden file.
    void expectNothingLeft(const std::vector<std::string>& args, const std::string& folder, int signal,
                           std::size_t pending = 1, const Environment& env = {}) {
        PendingWatch watch(folder);
        HostProcess host(args, env);
        ASSERT_TRUE(watch.stopWhileWriting(host.pid(), pending)) << "no output was being written";
        kill(host.pid(), signal);
        kill(host.pid(), SIGCONT);
        const RunResult r = host.wait(60);
        EXPECT_EQ(r.signal, signal) << strsignal(signal) << ": " << r.err;
        EXPECT_EQ(hiddenFiles(folder), std::vector<std::string>{}) << strsignal(signal);
    }
};

TEST_F(Signals, RenderLeavesTheOldOutputAndNoStateBehind) {
    writeFloatWav(dir.path("in.wav"), testAudio(2, 5.0));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        writeFile(dir.path("out.wav"), "old");
        expectNothingLeft({"render", ARLO_PLUGIN, dir.path("in.wav"), dir.path("out.wav"), "--save-state",
                           dir.path("state.bin")},
                          dir.path(), signal, 2);
        EXPECT_EQ(readFile(dir.path("out.wav")), "old");
        EXPECT_EQ(dir.files(), (std::vector<std::string>{"in.wav", "out.wav"}));
    }
}

TEST_F(Signals, DemoAndScreenshotLeaveNoHiddenFile) {
    fs::create_directory(dir.path("demo"));
    expectNothingLeft({"demo", ARLO_PLUGIN, dir.path("demo")}, dir.path("demo"), SIGTERM);
    if (!PrivateXServer::installed()) GTEST_SKIP() << "no Xvfb for the screenshot";
    // Without a display the host starts its own X server: that ends with it.
    expectNothingLeft({"screenshot", fixture("fixture_editor"), dir.path("shot.png")}, dir.path(), SIGHUP, 1,
                      {{"DISPLAY", ""}});
    EXPECT_FALSE(fs::exists(dir.path("shot.png")));
}

TEST(StateReadBack, AStateTakenOnlyInPartIsWarnedAbout) {
    TempDir dir;
    const std::string in = dir.path("in.wav"), out = dir.path("out.wav");
    writeFloatWav(in, testAudio(1, 0.1));
    ASSERT_EQ(runHost({"render", ARLO_PLUGIN, in, out, "--save-state", dir.path("default.bin")}).status, 0);
    ASSERT_EQ(runHost({"render", ARLO_PLUGIN, in, out, "--set", "Mix=1", "--save-state", dir.path("state.bin")}).status, 0);
    const std::string state = readFile(dir.path("state.bin")), defaults = readFile(dir.path("default.bin"));
    ASSERT_EQ(state.size(), 368u);
    RunResult r = runHost({"render", ARLO_PLUGIN, in, out, "--state", dir.path("state.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");  // given back as it was read

    // The header's words: the format version at byte 0 (1 in its top byte),
    // the current program at byte 12. Given back: `expected`, with the byte changed.
    const auto expectWarned = [&](const std::string& name, std::size_t at, char value, std::string expected) {
        std::string spoilt = state;
        spoilt[at] = value;
        expected[at] = state[at];
        std::size_t differing = 0;
        for (std::size_t i = 0; i < spoilt.size(); ++i) differing += spoilt[i] != expected[i];
        writeFile(dir.path(name), spoilt);
        r = runHost({"render", ARLO_PLUGIN, in, out, "--state", dir.path(name)});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "corvane-host: warning: the plug-in took the state in '" + dir.path(name) +
                             "' but gives back a different one (" + std::to_string(differing) + " of 368 bytes " +
                             (differing == 1 ? "differs" : "differ") + ", the first at byte " + std::to_string(at) +
                             "); it may ignore part of it\n");
    };
    expectWarned("version.bin", 3, 2, defaults);  // a later format: all of it left alone
    expectWarned("program.bin", 12, 99, state);   // a program it does not have: only that
}

// Runs `body` in a process of its own (for a mount table or a file size
// limit of its own) and gives its exit status.
int inChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Writes to limit files to in this process and its children: a file size
// limit, which fails a write as a full disk does.
bool limitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

TEST(FullDisk, DemoSaysSoAndLeavesOnlyWholeFiles) {
    TempDir dir;
    const std::string whole = dir.path("whole"), full = dir.path("full"), left = dir.path("left");
    ASSERT_EQ(runHost({"demo", ARLO_PLUGIN, whole}).status, 0);
    std::string first;  // the first program's files
    for (const auto& entry : fs::directory_iterator(whole))
        if (entry.path().filename().string().rfind("1-", 0) == 0) first = entry.path().stem().string();
    const auto size = [&](const std::string& name) { return fs::file_size(whole + "/" + name); };
    const auto pages = [](std::uintmax_t bytes) { return (bytes + 4095) / 4096 * 4096; };
    fs::create_directory(full);

    const int status = inChild([&] {
        // Root may mount a small tmpfs of its own, with room for the input's
        // files, the first program's sound and half its picture; otherwise no
        // file may grow beyond the input's sound.
        int error = ENOSPC;
        const std::string room = "size=" + std::to_string(pages(size("input.wav")) + pages(size("input.png")) +
                                                          pages(size(first + ".wav")) + pages(size(first + ".png") / 2));
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", full.c_str(), "tmpfs", 0, room.c_str()) != 0) {
            error = EFBIG;
            if (!limitFileSize(size("input.wav"))) return 2;
        }
        const RunResult r = runHost({"demo", ARLO_PLUGIN, full});
        writeFile(dir.path("err"), r.err);
        writeFile(dir.path("why"), std::strerror(error));
        fs::copy(full, left);  // a tmpfs goes with this process
        return r.status;
    });
    ASSERT_EQ(status, 1);
    // One line (a sanitizer may add its own below): the file, and why.
    const std::string err = readFile(dir.path("err")), line = err.substr(0, err.find('\n'));
    const std::string why = "': " + readFile(dir.path("why"));
    EXPECT_EQ(line.rfind("corvane-host: cannot write '" + full + "/", 0), 0u) << err;
    EXPECT_TRUE(line.size() > why.size() && line.compare(line.size() - why.size(), why.size(), why) == 0) << err;
    EXPECT_EQ(err.find("corvane-host", line.size()), std::string::npos) << err;

    // What is there is whole: the files the full run wrote.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(left)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(hiddenFiles(left), std::vector<std::string>{});
    for (const std::string& name : names) {
        if (fs::path(name).extension() == ".wav")  // the same sound (a WAV's PEAK chunk carries the time)
            EXPECT_EQ(readAudioFile(left + "/" + name).channels, readAudioFile(whole + "/" + name).channels) << name;
        else
            EXPECT_EQ(readFile(left + "/" + name), readFile(whole + "/" + name)) << name;
    }
}

TEST(FullDisk, APictureThatDoesNotFitSaysWhy) {
    TempDir dir;
    const std::string png = dir.path("noise.png");
    const int status = inChild([&] {
        if (!limitFileSize(1000)) return 2;
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 64);
        auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
        std::uint32_t noise = 1;
        for (int i = 0; i < 64 * 64; ++i) pixels[i] = (noise = noise * 1103515245u + 12345u) >> 8;
        cairo_surface_mark_dirty(surface);
        try {
            writePng(png, surface);
            return 3;
        } catch (const HostError& e) {
            return std::string(e.what()) == "cannot write '" + png + "': " + std::strerror(EFBIG) ? 0 : 4;
        }
    });
    EXPECT_EQ(status, 0) << "2: no limit, 3: written, 4: another message";
    EXPECT_EQ(dir.files(), std::vector<std::string>{});
}

}  // namespace
