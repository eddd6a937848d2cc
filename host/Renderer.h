// Runs audio through a running plug-in in blocks, the way a host's audio
// thread would, and measures only the time spent inside processReplacing.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "AudioFile.h"

class PluginInstance;

struct RenderResult {
    AudioBuffer output;             // one channel per plug-in output
    double processSeconds = 0;      // summed over the processReplacing calls
    std::size_t nonFiniteSamples = 0;  // NaN/Inf the plug-in produced, written as 0
    std::size_t firstNonFiniteFrame = 0;

    double audioSeconds() const { return output.seconds(); }
    // Audio seconds per processing second; 0 when nothing measurable ran.
    double realTimeFactor() const;
};

// Called now and then with the fraction done (0..1).
using ProgressFn = std::function<void(double)>;

// Input channels map onto the plug-in's inputs: a mono file feeds every
// input, a stereo file feeds input i from channel i % 2 (a mono plug-in gets
// the average of both). After the input, `tailSeconds` of silence let the
// plug-in ring out. The plug-in must have been resume()d.
RenderResult render(PluginInstance& plugin, const AudioBuffer& input, double tailSeconds,
                    int blockSize, const ProgressFn& progress = {});

// One line about NaN/Inf output, or "" when there was none.
std::string nonFiniteWarning(const RenderResult& result);
