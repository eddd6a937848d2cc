// Fake dialog programs in a temporary folder. Each one writes its arguments
// (NUL-separated, since an argument may hold a newline) and its process id
// next to itself, prints its canned answer and exits with its canned code.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "tests/support/TempFolder.h"

class FakeDialogPrograms {
public:
    const std::string& dir() const { return dir_.path(); }
    std::string path(const std::string& name) const { return dir_ / name; }

    // extraShell runs after the recording and before the answer.
    std::string install(const std::string& name, const std::string& answer, int exitCode = 0,
                        const std::string& extraShell = "") {
        const std::string program = path(name);
        std::ofstream(program) << "#!/bin/sh\n"
                               // Written aside and renamed, so that a file that
                               // exists is whole.
                               << "echo $$ > " << quoted(program + ".pid.part") << "\n"
                               << "/bin/mv " << quoted(program + ".pid.part") << " " << quoted(program + ".pid") << "\n"
                               << "printf '%s\\000' \"$@\" > " << quoted(program + ".args.part") << "\n"
                               << "/bin/mv " << quoted(program + ".args.part") << " " << quoted(program + ".args") << "\n"
                               << extraShell << "\n"
                               << "printf '%s' " << quoted(answer) << "\n"
                               << "exit " << exitCode << "\n";
        chmod(program.c_str(), 0755);
        return program;
    }

    // Empty when the program did not run.
    std::vector<std::string> argumentsOf(const std::string& name) const {
        const std::string recorded = contentsOf(path(name) + ".args");
        std::vector<std::string> args;
        size_t start = 0;
        for (size_t end; (end = recorded.find('\0', start)) != std::string::npos; start = end + 1)
            args.push_back(recorded.substr(start, end - start));
        return args;
    }
    // Shell for a fake that stays open until release(); it ends too when the
    // folder is gone, so that no fake outlives the test.
    std::string untilReleased() const {
        return "while [ ! -e '" + path("go") + "' ] && [ -d '" + dir() + "' ]; do /bin/sleep 0.01; done";
    }
    void release() const { std::ofstream(path("go")).put('\n'); }

    bool ran(const std::string& name) const { return std::filesystem::exists(path(name) + ".args"); }
    int pidOf(const std::string& name) const { return std::atoi(contentsOf(path(name) + ".pid").c_str()); }

    static std::string contentsOf(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    static std::string quoted(const std::string& text) {
        std::string out = "'";
        for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    }

    TempFolder dir_{"filedialog"};
};

// While it lives, PATH holds only the fakes' folder: a real zenity on the
// machine must not answer.
class OnlyFakesOnPath {
public:
    explicit OnlyFakesOnPath(const FakeDialogPrograms& fakes) {
        if (const char* path = std::getenv("PATH")) saved_ = path;
        setenv("PATH", fakes.dir().c_str(), 1);
    }
    ~OnlyFakesOnPath() { setenv("PATH", saved_.c_str(), 1); }
    OnlyFakesOnPath(const OnlyFakesOnPath&) = delete;
    OnlyFakesOnPath& operator=(const OnlyFakesOnPath&) = delete;

private:
    std::string saved_;
};
