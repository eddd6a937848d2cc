#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "PluginDescription.h"
#include "PluginInstance.h"
#include "Text.h"

namespace {

// The plug-in's pin labels, "" when it does not name its pins.
std::string pinLabels(PluginInstance& plugin, VstInt32 opcode, int count) {
    std::string labels;
    for (int i = 0; i < count; ++i) {
        VstPinProperties pin{};
        if (plugin.dispatch(opcode, i, 0, &pin) == 0) return "";
        pin.label[sizeof pin.label - 1] = '\0';
        labels += (i ? ", " : "") + text::shown(pin.label);
    }
    return labels;
}

std::string channels(PluginInstance& plugin, VstInt32 opcode, int count) {
    const std::string labels = count > 0 ? pinLabels(plugin, opcode, count) : "";
    return std::to_string(count) + (labels.empty() ? "" : " (" + labels + ")");
}

void printParameters(std::ostream& out, const std::vector<PluginParameter>& parameters) {
    struct Row {
        std::string index, name, value, display, label;
    };
    std::vector<Row> rows{{"Index", "Name", "Value", "Display", "Label"}};
    for (const auto& p : parameters) {
        char value[32];
        std::snprintf(value, sizeof value, "%.4f", static_cast<double>(p.value));
        rows.push_back({std::to_string(p.index), text::shown(p.name), value, text::shown(p.display),
                        text::shown(p.label)});
    }
    std::size_t w[5] = {};
    for (const auto& r : rows) {
        w[0] = std::max(w[0], r.index.size());
        w[1] = std::max(w[1], r.name.size());
        w[2] = std::max(w[2], r.value.size());
        w[3] = std::max(w[3], r.display.size());
    }
    auto pad = [](const std::string& s, std::size_t width, bool right) {
        const std::string fill(width > s.size() ? width - s.size() : 0, ' ');
        return right ? fill + s : s + fill;
    };
    for (const auto& r : rows)
        out << "  " << pad(r.index, w[0], true) << "  " << pad(r.name, w[1], false) << "  "
            << pad(r.value, w[2], true) << "  " << pad(r.display, w[3], false) << "  " << r.label
            << "\n";
}

}  // namespace

int runInfo(const Options& options, std::ostream& out) {
    auto plugin = PluginInstance::load(options.plugin);
    plugin->configure(44100.0, 512);
    const AEffect& e = plugin->effect();

    out << "File:            " << options.plugin << "\n"
        << "Effect name:     " << text::shown(plugin->askString(effGetEffectName)) << "\n"
        << "Vendor:          " << text::shown(plugin->askString(effGetVendorString)) << "\n"
        << "Product:         " << text::shown(plugin->askString(effGetProductString)) << "\n"
        << "Vendor version:  " << plugin->dispatch(effGetVendorVersion) << "\n"
        << "Unique ID:       " << text::fourChars(e.uniqueID) << "\n"
        << "Version:         " << e.version << "\n"
        << "VST version:     " << plugin->dispatch(effGetVstVersion) << "\n";
    const auto category = static_cast<long>(plugin->dispatch(effGetPlugCategory));
    out << "Category:        " << categoryName(category) << " (" << category << ")\n"
        << "Inputs:          " << channels(*plugin, effGetInputProperties, e.numInputs) << "\n"
        << "Outputs:         " << channels(*plugin, effGetOutputProperties, e.numOutputs) << "\n";
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(e.flags));
    out << "Flags:           " << flagNames(e.flags) << " (" << flags << ")\n"
        << "Initial delay:   " << e.initialDelay << " frames\n";

    const auto parameters = describeParameters(*plugin);
    out << "Parameters:      " << parameters.size() << "\n";
    if (!parameters.empty()) printParameters(out, parameters);

    const auto programs = programNames(*plugin);
    out << "Programs:        " << e.numPrograms << " in the record, " << programs.size() << " named\n";
    const std::size_t width = std::to_string(programs.size()).size();
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const std::string index = std::to_string(i);
        out << "  " << std::string(width - index.size(), ' ') << index << "  " << text::shown(programs[i]) << "\n";
    }
    return 0;
}
