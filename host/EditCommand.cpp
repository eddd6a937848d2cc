#include <cstdio>
#include <ostream>

#include "CommandLine.h"
#include "Commands.h"
#include "EditorSession.h"
#include "PluginDescription.h"
#include "PluginInstance.h"

int runEdit(const Options& options, std::ostream& out) {
    auto plugin = PluginInstance::load(options.plugin);
    plugin->configure(44100.0, 512);
    requireEditor(*plugin);
    applySettings(*plugin, options.settings);

    EditorSession session(*plugin, options.log ? &out : nullptr, EditorWindow::Pointer::reaches);
    session.runUntilClosed();
    // What the editor left the plug-in with, while it is still open.
    if (options.log) {
        for (int i = 0; i < plugin->effect().numParams; ++i) {
            char line[64];
            std::snprintf(line, sizeof line, "value %d %.6g\n", i, static_cast<double>(plugin->parameter(i)));
            out << line;
        }
        out << std::flush;
    }
    return 0;
}
