// The command line: which command, its files and options, checked before any
// plug-in is loaded.
#pragma once

#include <string>
#include <vector>

enum class Command { Help, Info, Render, Demo, Edit, Screenshot };

struct ParameterSetting {
    std::string nameOrIndex;
    float value = 0;
};

struct Options {
    Command command = Command::Help;
    std::string plugin;        // empty for `demo` means "the one beside the program"
    std::string input, output;  // render; output also for screenshot
    std::string outputFolder;  // demo
    std::vector<ParameterSetting> settings;
    std::string loadState, saveState;
    bool log = false;  // edit, screenshot: what the editor sends the host, on stdout
    int blockSize = 512;
    double tailSeconds = 2.0;
};

// `args` without the program name. Throws UsageError for anything amiss.
Options parseCommandLine(const std::vector<std::string>& args);

std::string usageText();
