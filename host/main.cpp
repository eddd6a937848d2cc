// corvane-host: a command-line VST 2.4 host. See usageText() for the commands.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "HostError.h"

namespace {

// The plug-in built beside this program (build/ArloCorvane.so).
std::string pluginBesideProgram(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0, ec);
    return (self.parent_path() / "ArloCorvane.so").string();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Options options = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        switch (options.command) {
            case Command::Help:
                std::cout << usageText();
                return 0;
            case Command::Info:
                return runInfo(options, std::cout);
            case Command::Render:
                return runRender(options, std::cout, std::cerr);
            case Command::Demo:
                if (options.plugin.empty()) options.plugin = pluginBesideProgram(argv[0]);
                return runDemo(options, std::cout, std::cerr);
            case Command::Edit:
                return runEdit(options, std::cout);
            case Command::Screenshot:
                return runScreenshot(options, std::cout);
        }
    } catch (const UsageError& e) {
        std::cerr << "corvane-host: " << e.what() << " (see corvane-host --help)\n";
        return 2;
    } catch (const HostError& e) {
        std::cerr << "corvane-host: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "corvane-host: " << e.what() << "\n";
        return 1;
    }
    return 1;
}
