#include "PluginDescription.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "CommandLine.h"
#include "HostError.h"
#include "PluginInstance.h"
#include "Text.h"

std::string effectName(PluginInstance& plugin) {
    for (const VstInt32 opcode : {effGetEffectName, effGetProductString})
        if (auto name = text::shown(plugin.askString(opcode)); !name.empty()) return name;
    return std::filesystem::path(plugin.path()).stem().string();
}

std::vector<PluginParameter> describeParameters(PluginInstance& plugin) {
    std::vector<PluginParameter> parameters;
    for (int i = 0; i < plugin.effect().numParams; ++i) {
        PluginParameter p;
        p.index = i;
        p.name = plugin.askString(effGetParamName, i);
        p.value = plugin.parameter(i);
        p.display = plugin.askString(effGetParamDisplay, i);
        p.label = plugin.askString(effGetParamLabel, i);
        parameters.push_back(std::move(p));
    }
    return parameters;
}

std::vector<std::string> programNames(PluginInstance& plugin, int limit) {
    std::vector<std::string> names;
    for (int i = 0; i < limit; ++i) {
        char buffer[512] = {};
        if (plugin.dispatch(effGetProgramNameIndexed, i, -1, buffer) == 0) break;
        buffer[sizeof buffer - 1] = '\0';
        // Past the programs in the record some plug-ins answer for any index;
        // a repeated name there means the list has run out.
        if (i >= plugin.effect().numPrograms && std::find(names.begin(), names.end(), buffer) != names.end())
            break;
        names.emplace_back(buffer);
    }
    if (names.empty()) {
        const std::string current = plugin.askString(effGetProgramName);
        if (!current.empty()) names.push_back(current);
    }
    return names;
}

int findParameter(const std::vector<PluginParameter>& parameters, const std::string& nameOrIndex) {
    const std::string wanted = text::trim(nameOrIndex);
    for (const auto& p : parameters)
        if (text::equalsIgnoreCase(text::trim(p.name), wanted)) return p.index;
    if (const auto index = text::parseInteger(wanted);
        index && *index >= 0 && *index < static_cast<long>(parameters.size()))
        return static_cast<int>(*index);

    std::string known;
    for (const auto& p : parameters) known += (known.empty() ? "" : ", ") + text::shown(p.name);
    throw HostError("unknown parameter '" + nameOrIndex + "' (the plug-in has " +
                    (known.empty() ? std::string("no parameters") : known) + ")");
}

std::string flagNames(int flags) {
    static const struct {
        int bit;
        const char* name;
    } known[] = {
        {effFlagsHasEditor, "HasEditor"},
        {1 << 1, "HasClip"},
        {1 << 2, "HasVu"},
        {1 << 3, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"},
        {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},
        {effFlagsNoSoundInStop, "NoSoundInStop"},
        {1 << 10, "ExtIsAsync"},
        {1 << 11, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string out;
    auto add = [&](const std::string& s) { out += (out.empty() ? "" : ", ") + s; };
    unsigned rest = static_cast<unsigned>(flags);
    for (const auto& f : known) {
        if (rest & static_cast<unsigned>(f.bit)) {
            add(f.name);
            rest &= ~static_cast<unsigned>(f.bit);
        }
    }
    if (rest) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", rest);
        add(hex);
    }
    return out.empty() ? "none" : out;
}

std::string categoryName(long category) {
    static const char* names[] = {"Unknown",     "Effect",         "Synth",      "Analysis",
                                  "Mastering",   "Spacializer",    "RoomFx",     "SurroundFx",
                                  "Restoration", "OfflineProcess", "Shell",      "Generator"};
    if (category >= 0 && category < static_cast<long>(std::size(names))) return names[category];
    return "Unknown";
}

void applySettings(PluginInstance& plugin, const std::vector<ParameterSetting>& settings) {
    if (settings.empty()) return;
    const auto parameters = describeParameters(plugin);
    for (const auto& setting : settings) plugin.setParameter(findParameter(parameters, setting.nameOrIndex), setting.value);
}
