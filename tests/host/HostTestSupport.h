// Helpers for the host's tests: running the built program as a user would,
// scratch folders, and test audio.
#pragma once

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

// Runs corvane-host with `args`, in `cwd` if given, with `env` added to ours.
RunResult runHost(const std::vector<std::string>& args, const std::string& cwd = "",
                  const std::vector<std::pair<std::string, std::string>>& env = {});

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

// `channels` channels of decaying noise bursts, distinct per channel.
AudioBuffer testAudio(int channels, double seconds, double sampleRate = 44100.0);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

std::string fixture(const std::string& name);  // path of a fixture plug-in
