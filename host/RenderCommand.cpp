#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "AudioFile.h"
#include "CommandLine.h"
#include "Commands.h"
#include "HostError.h"
#include "PendingFile.h"
#include "PluginDescription.h"
#include "PluginInstance.h"
#include "Renderer.h"

namespace {

constexpr double kProgressFromSeconds = 20.0;  // shorter renders finish before a bar helps
constexpr std::uintmax_t kMaxStateBytes = std::uintmax_t{256} << 20;

std::vector<std::uint8_t> readStateFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HostError("cannot read state file '" + path + "'");
    std::vector<std::uint8_t> bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > kMaxStateBytes) throw HostError("state file '" + path + "' is too large");
    }
    if (in.bad()) throw HostError("cannot read state file '" + path + "'");
    if (bytes.empty()) throw HostError("state file '" + path + "' is empty");
    return bytes;
}

std::string byteCount(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// The size of the plug-in's current state, if it gives one.
std::optional<std::size_t> ownStateSize(PluginInstance& plugin) {
    try {
        return plugin.chunk().size();
    } catch (const HostError&) {
        return std::nullopt;
    }
}

// A state's length may vary with its values, so the plug-in alone judges it.
void loadState(PluginInstance& plugin, const std::vector<std::uint8_t>& state, const std::string& path) {
    if (plugin.offerChunk(state)) return;
    std::string sizes = byteCount(state.size());
    if (const auto own = ownStateSize(plugin); own && *own != state.size())
        sizes += "; its own state is " + byteCount(*own);
    throw HostError("the plug-in rejected the state in '" + path + "' (" + sizes + ")");
}

// A bar on stderr, redrawn in place; only for a terminal.
class ProgressBar {
public:
    explicit ProgressBar(std::ostream& err) : err_(err) {}
    ~ProgressBar() {
        if (shown_) err_ << "\r\033[K" << std::flush;
    }
    void operator()(double fraction) {
        shown_ = true;
        const int filled = static_cast<int>(fraction * 40);
        err_ << "\rrendering [" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(40 - filled), '.') << "] "
             << static_cast<int>(fraction * 100) << "%" << std::flush;
    }

private:
    std::ostream& err_;
    bool shown_ = false;
};

}  // namespace

int runRender(const Options& options, std::ostream& out, std::ostream& err) {
    const AudioBuffer input = readAudioFile(options.input);
    if (input.channels.size() != 1 && input.channels.size() != 2)
        throw HostError("input '" + options.input + "' has " + std::to_string(input.channels.size()) +
                        " channels; only mono or stereo input is supported");
    std::optional<std::vector<std::uint8_t>> state;
    if (!options.loadState.empty()) state = readStateFile(options.loadState);

    auto plugin = PluginInstance::load(options.plugin);
    plugin->configure(input.sampleRate, options.blockSize);
    if ((state || !options.saveState.empty()) && !plugin->hasFlag(effFlagsProgramChunks))
        throw HostError("'" + options.plugin + "' does not save its state as a chunk (no effFlagsProgramChunks)");

    if (state) loadState(*plugin, *state, options.loadState);
    if (!options.settings.empty()) {
        const auto parameters = describeParameters(*plugin);
        for (const auto& setting : options.settings)
            plugin->setParameter(findParameter(parameters, setting.nameOrIndex), setting.value);
    }

    const bool showProgress = isatty(STDERR_FILENO) && input.seconds() + options.tailSeconds >= kProgressFromSeconds;
    RenderResult result;
    {
        ProgressBar bar(err);
        plugin->resume();
        result = render(*plugin, input, options.tailSeconds, options.blockSize,
                        showProgress ? ProgressFn(std::ref(bar)) : ProgressFn());
        plugin->suspend();
    }
    if (const auto warning = nonFiniteWarning(result); !warning.empty()) err << "corvane-host: " << warning << "\n";

    // Both files, or neither.
    PendingFile wav(options.output);
    writeFloatWav(wav, result.output);
    std::optional<PendingFile> stateFile;
    if (!options.saveState.empty()) {
        const auto bytes = plugin->chunk();
        stateFile.emplace(options.saveState);
        stateFile->writeAll(bytes.data(), bytes.size());
    }
    wav.commit();
    if (stateFile) stateFile->commit();

    char line[256];
    std::snprintf(line, sizeof line, "wrote %s: %zu channel%s, %.0f Hz, %.3f s (%.3f s input + %.3f s tail)\n",
                  options.output.c_str(), result.output.channels.size(),
                  result.output.channels.size() == 1 ? "" : "s", input.sampleRate, result.audioSeconds(),
                  input.seconds(), result.audioSeconds() - input.seconds());
    out << line;
    if (stateFile) out << "saved state to " << options.saveState << "\n";
    if (result.realTimeFactor() > 0)
        std::snprintf(line, sizeof line, "processReplacing: %.4f s for %.3f s of audio in blocks of %d = %.1fx real time\n",
                      result.processSeconds, result.audioSeconds(), options.blockSize, result.realTimeFactor());
    else
        std::snprintf(line, sizeof line, "processReplacing: nothing to measure for %.3f s of audio\n", result.audioSeconds());
    out << line;
    return 0;
}
