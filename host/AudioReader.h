// An audio file read a block at a time, whatever its length: anything
// libsndfile reads (WAV, RF64, FLAC, AIFF, ...).
#pragma once

#include <sndfile.h>

#include <string>

#include "AudioFile.h"

class AudioReader final : public AudioSource {
public:
    // Throws HostError naming the file when it cannot be opened or is not audio.
    explicit AudioReader(std::string path);
    ~AudioReader() override;
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channels() const override { return info_.channels; }
    double sampleRate() const override { return info_.samplerate; }
    std::optional<std::uint64_t> frames() const override;
    std::size_t read(float* interleaved, std::size_t count) override;

private:
    std::string path_;
    SF_INFO info_{};
    SNDFILE* file_ = nullptr;
};
