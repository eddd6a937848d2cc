#include "AudioReader.h"

#include "HostError.h"
#include "SndfileMessage.h"

AudioReader::AudioReader(std::string path) : path_(std::move(path)) {
    file_ = sf_open(path_.c_str(), SFM_READ, &info_);
    if (!file_) throw HostError("cannot read '" + path_ + "': " + sndfileMessage(nullptr));
    if (info_.channels <= 0 || info_.samplerate <= 0) {
        sf_close(file_);
        throw HostError("cannot read '" + path_ + "': no audio channels in it");
    }
}

AudioReader::~AudioReader() { sf_close(file_); }

std::optional<std::uint64_t> AudioReader::frames() const {
    // libsndfile's mark for a length it cannot know (a stream of unknown size).
    if (info_.frames < 0 || info_.frames == SF_COUNT_MAX) return std::nullopt;
    return static_cast<std::uint64_t>(info_.frames);
}

std::size_t AudioReader::read(float* interleaved, std::size_t count) {
    const sf_count_t got = sf_readf_float(file_, interleaved, static_cast<sf_count_t>(count));
    if (sf_error(file_) != SF_ERR_NO_ERROR)
        throw HostError("cannot read '" + path_ + "': " + sndfileMessage(file_));
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}
