// An audio file or stream read a block at a time, whatever its length:
// anything libsndfile reads (WAV, RF64, FLAC, AIFF, ...). A file that holds
// fewer frames than it announces, or whose frames cannot be decoded, is an
// InputError naming how many frames are missing. A stream (pipe, FIFO,
// socket, device) whose header holds a placeholder size, as sox and ffmpeg
// write into a pipe, is read to its end; one in a format that cannot be read
// from a pipe (FLAC, CAF) is buffered in a temporary file first.
#pragma once

#include <sndfile.h>

#include <optional>
#include <string>

#include "AnnouncedFrames.h"
#include "AudioFile.h"
#include "StreamRelay.h"

class AudioReader final : public AudioSource {
public:
    // Throws HostError naming the file when it cannot be opened or is not
    // audio, InputError when it is cut short.
    explicit AudioReader(std::string path);
    ~AudioReader() override;
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channels() const override { return info_.channels; }
    double sampleRate() const override { return info_.samplerate; }
    std::optional<std::uint64_t> frames() const override;
    // Throws InputError when the file breaks off or ends early.
    std::size_t read(float* interleaved, std::size_t count) override;

private:
    // Throws InputError: "input 'PATH' WHAT after N of M frames (K missing)".
    [[noreturn]] void stop(const std::string& what) const;

    std::string path_;
    SF_INFO info_{};
    SNDFILE* file_ = nullptr;
    std::uint64_t read_ = 0;  // frames handed out so far
    std::optional<StreamRelay> relay_;  // a stream's way to libsndfile
    AnnouncedLength streamLength_;      // what a stream's header says of its length
};
