#include "TestSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

constexpr double kSeconds = 4.0;

// Deterministic noise in -1..1 for the string excitations.
struct Noise {
    std::uint32_t state = 0x12345678u;
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 23) - 1.0f;
    }
};

// A plucked string: a noise burst circulating through a delay line whose
// two-point average damps the highs a little more on every pass.
void addPluck(std::vector<float>& out, double sampleRate, double startSec, double hz, float level,
              double seconds, Noise& noise) {
    const auto period = std::max<std::size_t>(2, static_cast<std::size_t>(std::lround(sampleRate / hz)));
    // A softened burst without DC, which the loop would otherwise keep.
    std::vector<float> line(period);
    float smooth = 0, mean = 0;
    for (float& s : line) {
        smooth += 0.6f * (noise.next() - smooth);
        s = smooth;
        mean += s / static_cast<float>(period);
    }
    for (float& s : line) s -= mean;
    const auto start = static_cast<std::size_t>(startSec * sampleRate);
    const auto length = static_cast<std::size_t>(seconds * sampleRate);
    std::size_t at = 0;
    for (std::size_t i = 0; i < length && start + i < out.size(); ++i) {
        const std::size_t nextAt = (at + 1) % period;
        const float value = line[at];
        line[at] = 0.996f * 0.5f * (line[at] + line[nextAt]);
        at = nextAt;
        const double fade = std::min(1.0, static_cast<double>(length - i) / (0.01 * sampleRate));
        out[start + i] += level * value * static_cast<float>(fade);
    }
}

void addBell(std::vector<float>& out, double sampleRate, double startSec, double hz, float level) {
    const auto start = static_cast<std::size_t>(startSec * sampleRate);
    for (std::size_t i = 0; start + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double envelope = std::exp(-t * 9.0);
        out[start + i] += level * static_cast<float>(envelope * (std::sin(2 * std::numbers::pi * hz * t) +
                                                                 0.4 * std::sin(2 * std::numbers::pi * 2.76 * hz * t)));
    }
}

void addClick(std::vector<float>& out, double sampleRate, double startSec, float level) {
    const auto at = static_cast<std::size_t>(startSec * sampleRate);
    if (at < out.size()) out[at] += level;
}

}  // namespace

AudioBuffer makeDemoPhrase(double sampleRate) {
    std::vector<float> mono(static_cast<std::size_t>(kSeconds * sampleRate), 0.0f);
    Noise noise;

    addClick(mono, sampleRate, 0.05, 1.0f);
    const double arpeggio[] = {110.0, 164.81, 220.0, 277.18, 329.63};  // A2 E3 A3 C#4 E4
    for (int i = 0; i < 5; ++i) addPluck(mono, sampleRate, 0.3 + 0.35 * i, arpeggio[i], 0.5f, 0.8, noise);
    const double chord[] = {110.0, 164.81, 220.0, 277.18};
    for (int i = 0; i < 4; ++i) addPluck(mono, sampleRate, 2.2 + 0.018 * i, chord[i], 0.35f, 1.0, noise);
    addBell(mono, sampleRate, 3.25, 880.0, 0.3f);
    addClick(mono, sampleRate, 3.6, 1.0f);

    // A short fade so the phrase does not end on a step.
    const auto fade = static_cast<std::size_t>(0.05 * sampleRate);
    for (std::size_t i = 0; i < fade && i < mono.size(); ++i)
        mono[mono.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);

    float peak = 0;
    for (float s : mono) peak = std::max(peak, std::abs(s));
    if (peak > 0)
        for (float& s : mono) s *= 0.5f / peak;

    AudioBuffer audio;
    audio.sampleRate = sampleRate;
    audio.channels.push_back(std::move(mono));
    return audio;
}
