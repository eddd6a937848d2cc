// 32-bit float WAV written a block at a time into a PendingFile.
// RIFF's size fields have 32 bits: when the planned data would not fit, the
// file is RF64 instead, and with no plan libsndfile decides as it closes the
// file. A stream that cannot seek (a FIFO) gets the planned sizes in its
// header up front, as that cannot be corrected later.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <optional>

#include "AudioFile.h"

class PendingFile;

class AudioWriter final : public AudioSink {
public:
    // The most data bytes a RIFF WAV may carry, leaving room for its header.
    static constexpr std::uint64_t kRiffDataLimit = 0xFFFFFFFFu - 4096;

    // `plannedFrames`: how long the audio will be, if known.
    // `riffDataLimit` may be lowered to exercise the switch to RF64.
    AudioWriter(PendingFile& file, double sampleRate, int channels, std::optional<std::uint64_t> plannedFrames,
                std::uint64_t riffDataLimit = kRiffDataLimit);
    ~AudioWriter() override;
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    void write(const float* interleaved, std::size_t count) override;
    // Completes the file; the caller then commits it.
    void finish();

    bool rf64() const { return rf64_; }  // decided up front from the plan
    std::uint64_t framesWritten() const { return written_; }

private:
    void startStream(double sampleRate, std::uint64_t riffDataLimit);
    void startSndfile(double sampleRate, std::uint64_t riffDataLimit);
    std::optional<std::uint64_t> plannedBytes() const;

    PendingFile& file_;
    int channels_;
    std::optional<std::uint64_t> planned_;
    SNDFILE* sndfile_ = nullptr;  // null for a stream
    bool rf64_ = false;
    bool exactStreamHeader_ = false;
    std::uint64_t written_ = 0;
};
