// Temporary folders, whole-file bytes, a settings store of the test's own
// and child processes for the preset tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "presets/PresetLibrary.h"
#include "tests/support/Plugin.h"
#include "tests/support/TempFolder.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

inline std::string textOf(const std::string& file) {
    const Bytes bytes = bytesOf(file);
    return {bytes.begin(), bytes.end()};
}

// Points the settings store at a folder of the test's own; the store's
// values live in config/Arlocraft/ArloCorvane/ inside it.
class TestSettings {
public:
    TestSettings() {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    }
    ~TestSettings() { setenv("XDG_CONFIG_HOME", saved_.c_str(), 1); }
    TestSettings(const TestSettings&) = delete;
    TestSettings& operator=(const TestSettings&) = delete;

    std::string value(const std::string& name) const { return home / ("config/Arlocraft/ArloCorvane/" + name); }
    bool exists() const { return std::filesystem::exists(home / "config"); }

    TempFolder home{"corvane-presets"};

private:
    std::string saved_;
};

// Starts `body` in a child process, which leaves by _exit with what it
// answers: nothing of the test program's own clean-up runs twice.
inline pid_t startChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    return child;
}

// Waits for the child; its exit code, or -1 when it was killed.
inline int exitCodeOf(pid_t child) {
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int inChild(const std::function<int()>& body) { return exitCodeOf(startChild(body)); }

// A fresh instance as a host creates one, with the given names and values
// in its current program (program 0).
inline std::unique_ptr<Corvane> instanceWith(FakeHost& host, const char* name, float decay) {
    auto plugin = makeCorvane(host);
    plugin->renameCurrentProgram(name);
    plugin->setParameter(kDecay, decay);
    return plugin;
}

inline std::string programName(Corvane& plugin, int program) {
    const char* name = plugin.getPrograms()[program].name;
    return std::string(name, strnlen(name, ProgramRecord::kNameLength));
}
