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

// Fills the plug-in's input blocks from `available` interleaved frames and
// silence after them, up to `count`.
void feedInputs(const float* frames, std::size_t fileChannels, std::size_t available, std::size_t count,
                std::vector<std::vector<float>>& blocks) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        float* block = blocks[i].data();
        std::fill(block, block + count, 0.0f);
        if (blocks.size() == 1 && fileChannels > 1) {
            for (std::size_t f = 0; f < available; ++f) {
                float sum = 0;
                for (std::size_t c = 0; c < fileChannels; ++c) sum += frames[f * fileChannels + c];
                block[f] = sum / static_cast<float>(fileChannels);
            }
        } else {
            const std::size_t c = i % fileChannels;
            for (std::size_t f = 0; f < available; ++f) block[f] = frames[f * fileChannels + c];
        }
    }
}

// Reads until `count` frames have come or the source has ended.
std::size_t readFully(AudioSource& source, float* interleaved, std::size_t count, bool& ended) {
    std::size_t got = 0;
    while (got < count && !ended) {
        const std::size_t n = source.read(interleaved + got * static_cast<std::size_t>(source.channels()), count - got);
        if (n == 0) ended = true;
        got += n;
    }
    return got;
}

class BufferSource final : public AudioSource {
public:
    explicit BufferSource(const AudioBuffer& audio) : audio_(audio) {}
    int channels() const override { return static_cast<int>(audio_.channels.size()); }
    double sampleRate() const override { return audio_.sampleRate; }
    std::optional<std::uint64_t> frames() const override { return audio_.frames(); }
    std::size_t read(float* interleaved, std::size_t count) override {
        count = std::min(count, audio_.frames() - position_);
        audio_.copyInterleaved(position_, count, interleaved);
        position_ += count;
        return count;
    }

private:
    const AudioBuffer& audio_;
    std::size_t position_ = 0;
};

class BufferSink final : public AudioSink {
public:
    explicit BufferSink(AudioBuffer& audio) : audio_(audio) {}
    void write(const float* interleaved, std::size_t count) override { audio_.append(interleaved, count); }

private:
    AudioBuffer& audio_;
};

}  // namespace

std::uint64_t tailFrames(double tailSeconds, double sampleRate) {
    return static_cast<std::uint64_t>(std::llround(std::max(0.0, tailSeconds) * sampleRate));
}

void checkRenderable(const PluginInstance& plugin, int blockSize) {
    if (plugin.numOutputs() <= 0) throw HostError("'" + plugin.path() + "' has no audio outputs");
    if (blockSize <= 0) throw HostError("block size must be positive");
}

RenderResult render(PluginInstance& plugin, AudioSource& input, AudioSink& output, double tailSeconds,
                    int blockSize, const ProgressFn& progress) {
    checkRenderable(plugin, blockSize);
    const auto block = static_cast<std::size_t>(blockSize);
    const auto fileChannels = static_cast<std::size_t>(input.channels());
    if (fileChannels == 0) throw HostError("no input channels to render");

    RenderResult result;
    result.sampleRate = input.sampleRate();
    result.channels = plugin.numOutputs();
    const auto outputs = static_cast<std::size_t>(result.channels);
    const std::uint64_t tail = tailFrames(tailSeconds, result.sampleRate);
    const auto planned = input.frames();
    const double total = planned ? static_cast<double>(*planned + tail) : 0.0;

    // Separate buffers for inputs and outputs: the plug-in may not expect
    // them to alias, and a plug-in with fewer outputs must not see our data.
    std::vector<float> fileBlock(block * fileChannels), outputBlock(block * outputs);
    std::vector<std::vector<float>> inBlocks(static_cast<std::size_t>(plugin.numInputs()), std::vector<float>(block));
    std::vector<std::vector<float>> outBlocks(outputs, std::vector<float>(block));
    std::vector<float*> inPointers, outPointers;
    for (auto& b : inBlocks) inPointers.push_back(b.data());
    for (auto& b : outBlocks) outPointers.push_back(b.data());

    std::chrono::steady_clock::duration inside{};
    std::uint64_t tailLeft = tail, reportedAt = 0;
    bool inputEnded = false;
    for (;;) {
        const std::size_t got = readFully(input, fileBlock.data(), block, inputEnded);
        const auto silence = static_cast<std::size_t>(inputEnded ? std::min<std::uint64_t>(block - got, tailLeft) : 0);
        const std::size_t count = got + silence;
        if (count == 0) break;
        tailLeft -= silence;
        feedInputs(fileBlock.data(), fileChannels, got, count, inBlocks);
        for (auto& b : outBlocks) std::fill(b.begin(), b.end(), 0.0f);

        const auto before = std::chrono::steady_clock::now();
        plugin.processReplacing(inPointers.empty() ? nullptr : inPointers.data(), outPointers.data(),
                                static_cast<int>(count));
        inside += std::chrono::steady_clock::now() - before;

        for (std::size_t c = 0; c < outputs; ++c) {
            for (std::size_t f = 0; f < count; ++f) {
                const float v = outBlocks[c][f];
                if (!std::isfinite(v) && result.nonFiniteSamples++ == 0) result.firstNonFiniteFrame = result.frames + f;
                outputBlock[f * outputs + c] = std::isfinite(v) ? v : 0.0f;
            }
        }
        output.write(outputBlock.data(), count);
        result.inputFrames += got;
        result.frames += count;
        if (progress && total > 0 && static_cast<double>(result.frames - reportedAt) * 100 >= total) {
            reportedAt = result.frames;
            progress(std::min(1.0, static_cast<double>(reportedAt) / total));
        }
    }
    result.processSeconds = std::chrono::duration<double>(inside).count();
    return result;
}

RenderedAudio render(PluginInstance& plugin, const AudioBuffer& input, double tailSeconds, int blockSize,
                     const ProgressFn& progress) {
    RenderedAudio rendered;
    rendered.output.sampleRate = input.sampleRate;
    rendered.output.channels.resize(static_cast<std::size_t>(std::max(plugin.numOutputs(), 0)));
    BufferSource source(input);
    BufferSink sink(rendered.output);
    static_cast<RenderResult&>(rendered) = render(plugin, source, sink, tailSeconds, blockSize, progress);
    return rendered;
}

std::string nonFiniteWarning(const RenderResult& result) {
    if (result.nonFiniteSamples == 0) return "";
    return "warning: the plug-in produced " + std::to_string(result.nonFiniteSamples) +
           " non-finite samples (NaN or infinity), the first at frame " +
           std::to_string(result.firstNonFiniteFrame) + "; they are written as 0";
}
