// Runs audio through a running plug-in in blocks, the way a host's audio
// thread would, and measures only the time spent inside processReplacing.
// Audio is read, processed and passed on a block at a time, so memory stays
// the same whatever the length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "AudioFile.h"

class PluginInstance;

struct RenderResult {
    double sampleRate = 44100.0;
    int channels = 0;                  // one per plug-in output
    std::uint64_t inputFrames = 0;     // as many as the source gave
    std::uint64_t frames = 0;          // written: input and tail
    double processSeconds = 0;         // summed over the processReplacing calls
    std::size_t nonFiniteSamples = 0;  // NaN/Inf the plug-in produced, written as 0
    std::uint64_t firstNonFiniteFrame = 0;

    double audioSeconds() const { return static_cast<double>(frames) / sampleRate; }
    double inputSeconds() const { return static_cast<double>(inputFrames) / sampleRate; }
    // Audio seconds per processing second; 0 when nothing measurable ran.
    double realTimeFactor() const;
};

// A render kept in memory.
struct RenderedAudio : RenderResult {
    AudioBuffer output;
};

// Called now and then with the fraction done (0..1).
using ProgressFn = std::function<void(double)>;

// Frames of silence that `tailSeconds` make at `sampleRate`.
std::uint64_t tailFrames(double tailSeconds, double sampleRate);

// Throws HostError unless `plugin` can be rendered through in blocks of `blockSize`.
void checkRenderable(const PluginInstance& plugin, int blockSize);

// Input channels map onto the plug-in's inputs: a mono source feeds every
// input, a stereo source feeds input i from channel i % 2 (a mono plug-in
// gets the average of both). After the input, `tailSeconds` of silence let
// the plug-in ring out. The plug-in must have been resume()d.
RenderResult render(PluginInstance& plugin, AudioSource& input, AudioSink& output, double tailSeconds,
                    int blockSize, const ProgressFn& progress = {});
RenderedAudio render(PluginInstance& plugin, const AudioBuffer& input, double tailSeconds, int blockSize,
                     const ProgressFn& progress = {});

// One line about NaN/Inf output, or "" when there was none.
std::string nonFiniteWarning(const RenderResult& result);
