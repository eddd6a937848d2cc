// Audio in memory, one vector per channel; audio streamed block by block;
// and their ways to and from files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct AudioBuffer {
    double sampleRate = 44100.0;
    std::vector<std::vector<float>> channels;

    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
    double seconds() const { return static_cast<double>(frames()) / sampleRate; }

    // Interleaved frames, as files and streams carry them.
    void append(const float* interleaved, std::size_t count);
    void copyInterleaved(std::size_t start, std::size_t count, float* interleaved) const;
};

// Audio that arrives a block at a time (interleaved frames).
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int channels() const = 0;
    virtual double sampleRate() const = 0;
    // The length announced up front, if any; the audio may end sooner.
    virtual std::optional<std::uint64_t> frames() const = 0;
    // Up to `count` frames; 0 at the end.
    virtual std::size_t read(float* interleaved, std::size_t count) = 0;
};

// Where audio goes a block at a time (interleaved frames).
class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual void write(const float* interleaved, std::size_t count) = 0;
};

// Reads anything libsndfile reads (WAV, FLAC, AIFF, ...), whole. Throws
// HostError naming the file when it cannot be opened or is not audio.
AudioBuffer readAudioFile(const std::string& path);

class PendingFile;

// Writes 32-bit float WAV into `file`, which the caller then commits.
void writeFloatWav(PendingFile& file, const AudioBuffer& audio);
// The same, whole or not at all at `path`.
void writeFloatWav(const std::string& path, const AudioBuffer& audio);
