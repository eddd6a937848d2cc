// Helpers for the host's tests: running the built program as a user would,
// scratch folders, and test audio.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "AudioFile.h"

struct RunResult {
    int status = -1;  // exit status, or -1 if the program did not exit normally
    int signal = 0;   // the signal that ended it, if one did
    std::string out, err;
    // stderr split into lines, for "one clear line" checks.
    std::vector<std::string> errLines() const;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs corvane-host with `args`, in `cwd` if given, with `env` replacing or
// adding to our environment.
RunResult runHost(const std::vector<std::string>& args, const std::string& cwd = "", const Environment& env = {});

// Runs corvane-host with its descriptor `fd` (its stdout, or one it is told
// of as /dev/fd/N) the writing end of a pipe, or with `socket` of a socket
// pair, and keeps in `received` all that came through.
RunResult runHostThroughPipe(const std::vector<std::string>& args, int fd, bool socket, std::string& received);

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path(const std::string& name = "") const;
    std::vector<std::string> files() const;  // sorted names, hidden ones too

private:
    std::string root_;
};

// A descriptor of ours that the host gets as its descriptor `as`.
struct PassedDescriptor {
    int ours = -1, as = -1;
};

// corvane-host running beside the test, for commands that wait for a user.
// It starts with SIGINT, SIGTERM and SIGHUP at their defaults and none
// blocked, as from a terminal, whatever this test inherited. Killed at the
// end if it is still running.
class HostProcess {
public:
    explicit HostProcess(const std::vector<std::string>& args, const Environment& env = {}, const std::string& cwd = "",
                         PassedDescriptor passed = {});
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    int pid() const { return pid_; }
    std::string out() const;  // stdout so far
    // Waits for the end, at most `seconds`; a host still running then is
    // killed and reported with status -1.
    RunResult wait(int seconds = 60);

private:
    TempDir capture_;
    int pid_ = -1;
};

// Everything a FIFO receives, read on a thread of its own while the host
// writes; with `keep` set, the reader leaves after that many bytes. Opened
// before the host runs, so the host never waits for it, and never hung by a
// host that does not come.
class FifoReader {
public:
    explicit FifoReader(const std::string& path, std::size_t keep = std::string::npos);
    ~FifoReader() { finish(); }
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    // Call once the host has exited.
    std::string finish();

private:
    void run(std::size_t keep);

    int fd_;
    std::string received_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// `channels` channels of decaying noise bursts, distinct per channel.
AudioBuffer testAudio(int channels, double seconds, double sampleRate = 44100.0);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

std::string fixture(const std::string& name);  // path of a fixture plug-in

// A PNG file's pixels as 0xRRGGBB, row by row; width 0 if unreadable.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
Picture readPng(const std::string& path);
