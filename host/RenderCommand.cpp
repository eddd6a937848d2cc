#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "AudioReader.h"
#include "AudioWriter.h"
#include "CommandLine.h"
#include "Commands.h"
#include "FilePaths.h"
#include "HostError.h"
#include "PendingFile.h"
#include "PluginDescription.h"
#include "PluginInstance.h"
#include "Renderer.h"
#include "SignalCleanup.h"
#include "Text.h"

namespace {

constexpr double kProgressFromSeconds = 20.0;  // shorter renders finish before a bar helps
constexpr std::uintmax_t kMaxStateBytes = std::uintmax_t{256} << 20;
// The rates audio is commonly made at, telephone to the highest studio rate;
// beyond them a header is more likely wrong than the audio real.
constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 768000;

void checkInput(const AudioReader& input, const std::string& path) {
    if (input.channels() != 1 && input.channels() != 2)
        throw HostError("input '" + path + "' has " + std::to_string(input.channels()) +
                        " channels; only mono or stereo input is supported");
    if (input.sampleRate() < kMinSampleRate || input.sampleRate() > kMaxSampleRate)
        throw HostError("input '" + path + "' is at " + std::to_string(static_cast<long long>(input.sampleRate())) +
                        " Hz; rates from " + std::to_string(kMinSampleRate) + " to " + std::to_string(kMaxSampleRate) +
                        " Hz are accepted");
}

// No file the render reads (the plug-in among them) may be written over, nor
// may its two outputs be one file. Saving the state into the file it came
// from is an update, and allowed.
void refuseOverwriting(const Options& options) {
    struct Role {
        const std::string& path;
        const char* what;
        bool written, state;
    };
    std::vector<Role> files{{options.plugin, "the plug-in", false, false},
                            {options.input, "the input", false, false},
                            {options.output, "the output", true, false}};
    if (!options.loadState.empty()) files.push_back({options.loadState, "the --state file", false, true});
    if (!options.saveState.empty()) files.push_back({options.saveState, "the --save-state file", true, true});
    std::vector<FileIdentity> identities;
    for (const Role& file : files) identities.push_back(fileIdentity(file.path));
    for (std::size_t b = 1; b < files.size(); ++b)
        for (std::size_t a = 0; a < b; ++a)
            if ((files[a].written || files[b].written) && !(files[a].state && files[b].state) &&
                identities[a] == identities[b])
                throw HostError(std::string(files[b].what) + " '" + files[b].path + "' is the same file as " +
                                files[a].what + " '" + files[a].path + "'; nothing was written");
}

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

// The size of the plug-in's current state, if it gives one.
std::optional<std::size_t> ownStateSize(PluginInstance& plugin) {
    try {
        return plugin.chunk().size();
    } catch (const HostError&) {
        return std::nullopt;
    }
}

// How the state a plug-in gives back differs from the one it was given;
// "" when it does not.
std::string stateDifference(const std::vector<std::uint8_t>& given, const std::vector<std::uint8_t>& back) {
    if (back.size() != given.size())
        return "its own state is " + text::counted(back.size(), "byte") + " where the file has " +
               text::counted(given.size(), "byte");
    std::size_t differing = 0, first = 0;
    for (std::size_t i = given.size(); i-- > 0;)
        if (given[i] != back[i]) {
            ++differing;
            first = i;
        }
    if (differing == 0) return "";
    return std::to_string(differing) + " of " + text::counted(given.size(), "byte") +
           (differing == 1 ? " differs" : " differ") +
           ", the first at byte " + std::to_string(first);
}

// A state's length may vary with its values, so the plug-in alone judges it.
// One it takes but partly ignores (a version or a program it does not know)
// shows in the state it gives back: that is worth a warning.
void loadState(PluginInstance& plugin, const std::vector<std::uint8_t>& state, const std::string& path,
               std::ostream& err) {
    if (!plugin.offerChunk(state)) {
        std::string sizes = text::counted(state.size(), "byte");
        if (const auto own = ownStateSize(plugin); own && *own != state.size())
            sizes += "; its own state is " + text::counted(*own, "byte");
        throw HostError("the plug-in rejected the state in '" + path + "' (" + sizes + ")");
    }
    const std::string took = "corvane-host: warning: the plug-in took the state in '" + path + "' but gives ";
    try {
        if (const std::string difference = stateDifference(state, plugin.chunk()); !difference.empty())
            err << took << "back a different one (" << difference << "); it may ignore part of it\n";
    } catch (const HostError&) {
        err << took << "none back to compare it with\n";
    }
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

// Whether the sound or the state goes to our own standard output, where no
// message may land in the middle of it.
bool writesToStandardOutput(const Options& options) {
    return isOpenAs(options.output, STDOUT_FILENO) ||
           (!options.saveState.empty() && isOpenAs(options.saveState, STDOUT_FILENO));
}

}  // namespace

int runRender(const Options& options, std::ostream& stdOut, std::ostream& err) {
    std::ostream& out = writesToStandardOutput(options) ? err : stdOut;
    if (isOpenAs(options.output, STDOUT_FILENO) && isatty(STDOUT_FILENO))
        throw HostError("the output '" + options.output +
                        "' is standard output, which is a terminal; pipe it into a program or name a file");
    // Everything that can be checked without the input comes first: a
    // stream may have to be read whole before its first frame is known.
    refuseOverwriting(options);
    std::optional<std::vector<std::uint8_t>> state;
    if (!options.loadState.empty()) state = readStateFile(options.loadState);
    auto plugin = PluginInstance::load(options.plugin);

    AudioReader input(options.input);
    checkInput(input, options.input);
    plugin->configure(input.sampleRate(), options.blockSize);
    if ((state || !options.saveState.empty()) && !plugin->hasFlag(effFlagsProgramChunks))
        throw HostError("'" + options.plugin + "' does not save its state as a chunk (no effFlagsProgramChunks)");

    if (state) loadState(*plugin, *state, options.loadState, err);
    if (!options.settings.empty()) {
        const auto parameters = describeParameters(*plugin);
        for (const auto& setting : options.settings)
            plugin->setParameter(findParameter(parameters, setting.nameOrIndex), setting.value);
    }
    checkRenderable(*plugin, options.blockSize);

    // The sound and its state: both files, or neither. Both are opened
    // before rendering, so that a file that cannot be written stops us early.
    PendingFile wav(options.output);
    std::optional<PendingFile> stateFile;
    if (!options.saveState.empty()) stateFile.emplace(options.saveState);
    std::optional<std::uint64_t> planned = input.frames();
    if (planned) *planned += tailFrames(options.tailSeconds, input.sampleRate());
    AudioWriter writer(wav, input.sampleRate(), plugin->numOutputs(), planned);
    const bool showProgress = isatty(STDERR_FILENO) && planned &&
                              static_cast<double>(*planned) >= kProgressFromSeconds * input.sampleRate();
    RenderResult result;
    try {
        ProgressBar bar(err);
        plugin->resume();
        result = render(*plugin, input, writer, options.tailSeconds, options.blockSize,
                        showProgress ? ProgressFn(std::ref(bar)) : ProgressFn());
        plugin->suspend();
    } catch (const InputError& e) {
        // A file is dropped unseen; a FIFO or device has had a part already.
        throw InputError(std::string(e.what()) +
                         (wav.direct() ? "; the first " + std::to_string(writer.framesWritten()) + " frames went to '" +
                                             options.output + "' and cannot be taken back"
                                       : "; nothing was written"));
    }
    if (const auto warning = nonFiniteWarning(result); !warning.empty()) err << "corvane-host: " << warning << "\n";
    writer.finish();

    if (stateFile) {
        const auto bytes = plugin->chunk();
        stateFile->writeAll(bytes.data(), bytes.size());
    }
    {
        // Both files or, should a signal come, neither.
        const signalcleanup::Held held;
        wav.commit();
        if (stateFile) stateFile->commit();
    }

    char line[256];
    std::snprintf(line, sizeof line, "wrote %s: %d channel%s, %.0f Hz, %.3f s (%.3f s input + %.3f s tail)%s\n",
                  options.output.c_str(), result.channels, result.channels == 1 ? "" : "s", result.sampleRate,
                  result.audioSeconds(), result.inputSeconds(), result.audioSeconds() - result.inputSeconds(),
                  writer.rf64() ? " as RF64, too long for WAV" : "");
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
