#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "AudioFile.h"
#include "CommandLine.h"
#include "Commands.h"
#include "HostError.h"
#include "PluginDescription.h"
#include "PluginInstance.h"
#include "ProgramSwitcher.h"
#include "Renderer.h"
#include "Spectrogram.h"
#include "TestSignal.h"
#include "Text.h"

int runDemo(const Options& options, std::ostream& out, std::ostream& err) {
    const std::filesystem::path folder(options.outputFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder))
        throw HostError("cannot create folder '" + options.outputFolder + "': " +
                        (ec ? ec.message() : "a file is in the way"));

    const AudioBuffer phrase = makeDemoPhrase();
    std::string name;
    std::optional<ProgramSwitcher> switcher;
    {
        auto probe = PluginInstance::load(options.plugin);
        probe->configure(phrase.sampleRate, options.blockSize);
        name = effectName(*probe);
        switcher.emplace(*probe);
    }

    auto file = [&](const std::string& stem, const char* extension) {
        return (folder / (stem + extension)).string();
    };
    writeFloatWav(file("input", ".wav"), phrase);
    writeSpectrogramPng(file("input", ".png"), phrase, name + " demo: input");
    out << "input: " << file("input", ".wav") << ", " << file("input", ".png") << "\n";

    for (const DemoProgram& program : switcher->programs()) {
        // A fresh instance per program: nothing rings over from the last one.
        auto plugin = PluginInstance::load(options.plugin);
        plugin->configure(phrase.sampleRate, options.blockSize);
        switcher->select(*plugin, program.index);
        plugin->resume();
        const RenderedAudio result = render(*plugin, phrase, options.tailSeconds, options.blockSize);
        plugin->suspend();

        const std::string number = std::to_string(program.index + 1);
        if (const auto warning = nonFiniteWarning(result); !warning.empty())
            err << "corvane-host: program " << number << " '" << program.name << "': " << warning << "\n";
        const std::string stem = number + "-" + text::fileNamePart(program.name);
        writeFloatWav(file(stem, ".wav"), result.output);
        writeSpectrogramPng(file(stem, ".png"), result.output,
                            name + ": program " + number + " \u2013 " + program.name);
        char speed[64];
        std::snprintf(speed, sizeof speed, " (%.1fx real time)", result.realTimeFactor());
        out << number << " " << program.name << ": " << file(stem, ".wav") << ", " << file(stem, ".png")
            << speed << "\n";
    }
    out << "demo: " << 2 * (switcher->programs().size() + 1) << " files in " << folder.string() << "\n";
    return 0;
}
