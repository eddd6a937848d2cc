#include "Renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "HostError.h"
#include "PluginInstance.h"

double RenderResult::realTimeFactor() const {
    return processSeconds > 0 ? audioSeconds() / processSeconds : 0.0;
}

namespace {

// Fills the plug-in's input blocks for frames [start, start + count).
void feedInputs(const AudioBuffer& input, std::size_t start, std::size_t count,
                std::vector<std::vector<float>>& blocks) {
    const std::size_t available = start < input.frames() ? std::min(count, input.frames() - start) : 0;
    const std::size_t fileChannels = input.channels.size();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        float* block = blocks[i].data();
        std::fill(block, block + count, 0.0f);
        if (available == 0 || fileChannels == 0) continue;
        if (blocks.size() == 1 && fileChannels > 1) {
            for (std::size_t f = 0; f < available; ++f) {
                float sum = 0;
                for (const auto& channel : input.channels) sum += channel[start + f];
                block[f] = sum / static_cast<float>(fileChannels);
            }
        } else {
            const auto& channel = input.channels[i % fileChannels];
            std::copy_n(channel.begin() + static_cast<std::ptrdiff_t>(start), available, block);
        }
    }
}

}  // namespace

RenderResult render(PluginInstance& plugin, const AudioBuffer& input, double tailSeconds,
                    int blockSize, const ProgressFn& progress) {
    if (plugin.numOutputs() <= 0) throw HostError("'" + plugin.path() + "' has no audio outputs");
    if (blockSize <= 0) throw HostError("block size must be positive");

    const auto tailFrames = static_cast<std::size_t>(std::llround(std::max(0.0, tailSeconds) * input.sampleRate));
    const std::size_t total = input.frames() + tailFrames;
    const auto block = static_cast<std::size_t>(blockSize);

    RenderResult result;
    result.output.sampleRate = input.sampleRate;
    result.output.channels.assign(static_cast<std::size_t>(plugin.numOutputs()), std::vector<float>(total));

    // Separate buffers for inputs and outputs: the plug-in may not expect
    // them to alias, and a plug-in with fewer outputs must not see our data.
    std::vector<std::vector<float>> inBlocks(static_cast<std::size_t>(plugin.numInputs()), std::vector<float>(block));
    std::vector<std::vector<float>> outBlocks(result.output.channels.size(), std::vector<float>(block));
    std::vector<float*> inPointers, outPointers;
    for (auto& b : inBlocks) inPointers.push_back(b.data());
    for (auto& b : outBlocks) outPointers.push_back(b.data());

    std::chrono::steady_clock::duration inside{};
    std::size_t reportedAt = 0;
    for (std::size_t start = 0; start < total; start += block) {
        const std::size_t count = std::min(block, total - start);
        feedInputs(input, start, count, inBlocks);
        for (auto& b : outBlocks) std::fill(b.begin(), b.end(), 0.0f);

        const auto before = std::chrono::steady_clock::now();
        plugin.processReplacing(inPointers.empty() ? nullptr : inPointers.data(), outPointers.data(),
                                static_cast<int>(count));
        inside += std::chrono::steady_clock::now() - before;

        for (std::size_t c = 0; c < outBlocks.size(); ++c) {
            float* target = result.output.channels[c].data() + start;
            for (std::size_t f = 0; f < count; ++f) {
                const float v = outBlocks[c][f];
                if (std::isfinite(v)) {
                    target[f] = v;
                } else {
                    if (result.nonFiniteSamples++ == 0) result.firstNonFiniteFrame = start + f;
                    target[f] = 0.0f;
                }
            }
        }
        if (progress && (start + count - reportedAt) * 100 >= total) {
            reportedAt = start + count;
            progress(static_cast<double>(reportedAt) / static_cast<double>(total));
        }
    }
    result.processSeconds = std::chrono::duration<double>(inside).count();
    return result;
}

std::string nonFiniteWarning(const RenderResult& result) {
    if (result.nonFiniteSamples == 0) return "";
    return "warning: the plug-in produced " + std::to_string(result.nonFiniteSamples) +
           " non-finite samples (NaN or infinity), the first at frame " +
           std::to_string(result.firstNonFiniteFrame) + "; they are written as 0";
}
