#include "AudioFile.h"

#include <algorithm>

#include "AudioReader.h"
#include "AudioWriter.h"
#include "PendingFile.h"

namespace {
constexpr std::size_t kChunkFrames = 8192;
}

void AudioBuffer::append(const float* interleaved, std::size_t count) {
    const std::size_t stride = channels.size();
    for (std::size_t c = 0; c < stride; ++c) {
        auto& channel = channels[c];
        for (std::size_t f = 0; f < count; ++f) channel.push_back(interleaved[f * stride + c]);
    }
}

void AudioBuffer::copyInterleaved(std::size_t start, std::size_t count, float* interleaved) const {
    const std::size_t stride = channels.size();
    for (std::size_t c = 0; c < stride; ++c)
        for (std::size_t f = 0; f < count; ++f) interleaved[f * stride + c] = channels[c][start + f];
}

AudioBuffer readAudioFile(const std::string& path) {
    AudioReader reader(path);
    AudioBuffer audio;
    audio.sampleRate = reader.sampleRate();
    audio.channels.resize(static_cast<std::size_t>(reader.channels()));
    std::vector<float> interleaved(kChunkFrames * audio.channels.size());
    while (const std::size_t got = reader.read(interleaved.data(), kChunkFrames)) audio.append(interleaved.data(), got);
    return audio;
}

void writeFloatWav(const std::string& path, const AudioBuffer& audio) {
    PendingFile pending(path);
    writeFloatWav(pending, audio);
    pending.commit();
}

void writeFloatWav(PendingFile& pending, const AudioBuffer& audio) {
    AudioWriter writer(pending, audio.sampleRate, static_cast<int>(audio.channels.size()), audio.frames());
    std::vector<float> interleaved(kChunkFrames * audio.channels.size());
    for (std::size_t start = 0; start < audio.frames(); start += kChunkFrames) {
        const std::size_t count = std::min(kChunkFrames, audio.frames() - start);
        audio.copyInterleaved(start, count, interleaved.data());
        writer.write(interleaved.data(), count);
    }
    writer.finish();
}
