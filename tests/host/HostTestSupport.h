// Helpers for the host's tests: running the built program as a user would,
// scratch folders, and test audio.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "AudioFile.h"

struct RunResult {
    int status = -1;  // exit status, or -1 if the program did not exit normally
    std::string out, err;
    // stderr split into lines, for "one clear line" checks.
    std::vector<std::string> errLines() const;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs corvane-host with `args`, in `cwd` if given, with `env` replacing or
// adding to our environment.
RunResult runHost(const std::vector<std::string>& args, const std::string& cwd = "", const Environment& env = {});

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

// corvane-host running beside the test, for commands that wait for a user.
// Killed at the end if it is still running.
class HostProcess {
public:
    explicit HostProcess(const std::vector<std::string>& args, const Environment& env = {}, const std::string& cwd = "");
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
