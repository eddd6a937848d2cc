#include "CommandLine.h"

#include "HostError.h"
#include "Text.h"

namespace {

constexpr int kMaxBlockSize = 65536;
constexpr double kMaxTailSeconds = 600.0;

ParameterSetting parseSetting(const std::string& arg) {
    const auto equals = arg.rfind('=');
    if (equals == std::string::npos || equals == 0)
        throw UsageError("--set needs NAME_OR_INDEX=VALUE, got '" + arg + "'");
    ParameterSetting setting{arg.substr(0, equals), 0};
    const std::string valueText = arg.substr(equals + 1);
    const auto value = text::parseNumber(valueText);
    if (!value) throw UsageError("--set " + arg + ": '" + valueText + "' is not a number");
    if (*value < 0.0 || *value > 1.0)
        throw UsageError("--set " + arg + ": value " + valueText + " is out of range (0..1)");
    setting.value = static_cast<float>(*value);
    return setting;
}

}  // namespace

Options parseCommandLine(const std::vector<std::string>& args) {
    Options options;
    if (args.empty()) throw UsageError("no command given");
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h") return options;

    const std::string& command = args.front();
    if (command == "help") return options;
    if (command == "info") options.command = Command::Info;
    else if (command == "render") options.command = Command::Render;
    else if (command == "demo") options.command = Command::Demo;
    else if (command == "edit") options.command = Command::Edit;
    else if (command == "screenshot") options.command = Command::Screenshot;
    else throw UsageError("unknown command '" + command + "'");

    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // Both "--opt value" and "--opt=value".
        std::string value;
        bool hasValue = false;
        if (const auto equals = arg.find('='); equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg.resize(equals);
            hasValue = true;
        }
        const bool known = arg == "--set" || arg == "--state" || arg == "--save-state" ||
                           arg == "--block" || arg == "--tail" || arg == "--log";
        if (!known) throw UsageError("unknown option '" + arg + "'");
        const bool editor = options.command == Command::Edit || options.command == Command::Screenshot;
        const bool allowed = (options.command == Command::Render && arg != "--log") ||
                             (options.command == Command::Demo && (arg == "--block" || arg == "--tail")) ||
                             (editor && (arg == "--set" || arg == "--log"));
        if (!allowed) throw UsageError("option " + arg + " does not apply to '" + command + "'");
        if (arg == "--log") {  // a switch: takes no value
            if (hasValue) throw UsageError("option --log takes no value");
            options.log = true;
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
            value = args[++i];
        }

        if (arg == "--set") {
            options.settings.push_back(parseSetting(value));
        } else if (arg == "--state") {
            options.loadState = value;
        } else if (arg == "--save-state") {
            options.saveState = value;
        } else if (arg == "--block") {
            const auto n = text::parseInteger(value);
            if (!n || *n < 1 || *n > kMaxBlockSize)
                throw UsageError("--block " + value + ": expected a whole number of frames, 1.." +
                                 std::to_string(kMaxBlockSize));
            options.blockSize = static_cast<int>(*n);
        } else {
            const auto s = text::parseNumber(value);
            if (!s || *s < 0 || *s > kMaxTailSeconds)
                throw UsageError("--tail " + value + ": expected seconds, 0..600");
            options.tailSeconds = *s;
        }
    }

    const std::size_t count = positional.size();
    switch (options.command) {
        case Command::Info:
            if (count != 1) throw UsageError("info takes one plug-in file");
            options.plugin = positional[0];
            break;
        case Command::Render:
            if (count != 3) throw UsageError("render takes PLUGIN IN OUT");
            options.plugin = positional[0];
            // "-" is the usual name for standard input and output.
            options.input = positional[1] == "-" ? "/dev/stdin" : positional[1];
            options.output = positional[2] == "-" ? "/dev/stdout" : positional[2];
            break;
        case Command::Demo:
            if (count > 2) throw UsageError("demo takes at most PLUGIN and OUTDIR");
            if (count > 0) options.plugin = positional[0];
            options.outputFolder = count > 1 ? positional[1] : "out/demo";
            break;
        case Command::Edit:
            if (count != 1) throw UsageError("edit takes one plug-in file");
            options.plugin = positional[0];
            break;
        case Command::Screenshot:
            if (count != 2) throw UsageError("screenshot takes PLUGIN OUT.png");
            options.plugin = positional[0];
            options.output = positional[1];
            break;
        case Command::Help:
            break;
    }
    return options;
}

std::string usageText() {
    return R"(Usage: corvane-host COMMAND ...
Loads a Linux VST 2.4 plug-in (.so) to show what it offers and to run audio
files through it, without a DAW.

  corvane-host info PLUGIN
      The plug-in's record (ID, version, inputs and outputs, flags), its
      names, category, every parameter (index, name, value, display, label)
      and the programs it names.

  corvane-host render PLUGIN IN OUT [options]
      Runs IN (WAV, FLAC, AIFF, ...; mono or stereo) through the plug-in at
      IN's sample rate, then silence for the tail, and writes OUT as 32-bit
      float WAV (RF64 beyond 4 GiB) with one channel per plug-in output, a
      block at a time. IN may be at 8000 to 768000 Hz. A mono file feeds every
      plug-in input; a stereo file feeds inputs 1, 2, 1, 2, ... (a mono
      plug-in gets the average). Reports the time spent in processReplacing
      and the real-time factor. IN or OUT "-" is standard input or output.
      --set NAME_OR_INDEX=VALUE  set a parameter (0..1) before rendering;
                           names match trimmed and ignoring case; repeatable
      --state FILE         first restore the plug-in's state chunk from FILE
      --save-state FILE    afterwards save the plug-in's state chunk to FILE
      --block N            frames per processReplacing call (default 512)
      --tail SECONDS       silence appended to ring out (default 2)

  corvane-host demo [PLUGIN] [OUTDIR] [--block N] [--tail SECONDS]
      Renders a built-in plucked phrase through each of the plug-in's
      programs and writes input.wav, input.png and one N-NAME.wav and
      N-NAME.png (spectrogram) per program into OUTDIR.
      PLUGIN defaults to ArloCorvane.so beside this program, OUTDIR to
      out/demo.

  corvane-host edit PLUGIN [--set NAME_OR_INDEX=VALUE]... [--log]
      Opens the plug-in's editor in a window on the X display and runs until
      the window is closed (or Ctrl+C), idling the editor 30 times a second
      as a DAW does. --set applies before the editor opens.
      --log                every request of the editor on stdout, one a line:
                           "automate INDEX VALUE", "beginEdit INDEX",
                           "endEdit INDEX", "updateDisplay"; after the window
                           is closed, "value INDEX VALUE" for every parameter

  corvane-host screenshot PLUGIN OUT.png [--set NAME_OR_INDEX=VALUE]... [--log]
      Opens the editor the same way, lets it draw, and saves the window as a
      PNG of the editor's size. Without $DISPLAY it uses a private virtual X
      server (Xvfb).

  corvane-host help | --help
      This text.

Plug-in names are shown with surrounding blanks trimmed. Output files appear
whole or not at all, also when the program is interrupted, and never over an
input, the plug-in or a read-only file; FIFOs, pipes and devices such as
/dev/null are written straight into, and with OUT /dev/stdout the report goes
to stderr. An input cut short or damaged stops render. Exit status:
0 done, 1 failed, 2 bad command line.
)";
}
