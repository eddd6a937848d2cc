// What a plug-in tells about itself through the dispatcher: names, parameters
// and programs, as gathered once for `info`, `--set` and `demo`.
#pragma once

#include <optional>
#include <string>
#include <vector>

class PluginInstance;
struct ParameterSetting;

struct PluginParameter {
    int index = 0;
    std::string name;  // as the plug-in gave it, padding included
    float value = 0;
    std::string display;
    std::string label;
};

// The effect's name, else its product name, else the file's stem.
std::string effectName(PluginInstance& plugin);

std::vector<PluginParameter> describeParameters(PluginInstance& plugin);

// Program names by effGetProgramNameIndexed from 0 until the plug-in answers
// 0, or repeats a name past the record's numPrograms, or `limit` is reached.
// A plug-in that answers nothing at all gets the current program's name from
// effGetProgramName, if it has one.
std::vector<std::string> programNames(PluginInstance& plugin, int limit = 128);

// Finds a parameter by its trimmed name, case-insensitively, or else by its
// index written as a number. Throws HostError listing the names if neither.
int findParameter(const std::vector<PluginParameter>& parameters, const std::string& nameOrIndex);

// Sets each parameter named in `settings`, in order (findParameter's rules).
void applySettings(PluginInstance& plugin, const std::vector<ParameterSetting>& settings);

// "CanReplacing, ProgramChunks", unknown bits in hex; "none" for 0.
std::string flagNames(int flags);
std::string categoryName(long category);
