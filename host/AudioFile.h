// Audio in memory, one vector per channel, and its way to and from files.
#pragma once

#include <string>
#include <vector>

struct AudioBuffer {
    double sampleRate = 44100.0;
    std::vector<std::vector<float>> channels;

    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
    double seconds() const { return static_cast<double>(frames()) / sampleRate; }
};

// Reads anything libsndfile reads (WAV, FLAC, AIFF, ...). Throws HostError
// naming the file when it cannot be opened or is not audio.
AudioBuffer readAudioFile(const std::string& path);

class PendingFile;

// Writes 32-bit float WAV into `file`, which the caller then commits.
void writeFloatWav(PendingFile& file, const AudioBuffer& audio);
// The same, whole or not at all at `path`.
void writeFloatWav(const std::string& path, const AudioBuffer& audio);
