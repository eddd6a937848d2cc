#include "AudioReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "HostError.h"
#include "SndfileMessage.h"
#include "AnnouncedFrames.h"

namespace {

std::string frameCount(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " frame" : " frames"); }

}  // namespace

AudioReader::AudioReader(std::string path) : path_(std::move(path)) {
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw HostError("cannot read '" + path_ + "': " + std::strerror(errno));
    // Only a file can be looked at twice; a pipe's bytes are libsndfile's alone.
    struct stat status {};
    const std::uint64_t announced =
        fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? announcedFrames(fd).value_or(0) : 0;
    file_ = sf_open_fd(fd, SFM_READ, &info_, SF_TRUE);
    if (!file_) throw HostError("cannot read '" + path_ + "': " + sndfileMessage(nullptr));
    if (info_.channels <= 0 || info_.samplerate <= 0) {
        sf_close(file_);
        throw HostError("cannot read '" + path_ + "': no audio channels in it");
    }
    if (const auto holds = frames(); holds && announced > *holds) {
        sf_close(file_);
        throw InputError("input '" + path_ + "' is cut short: its header announces " + frameCount(announced) +
                         ", the file holds " + std::to_string(*holds) + " (" + std::to_string(announced - *holds) +
                         " missing)");
    }
}

AudioReader::~AudioReader() { sf_close(file_); }

std::optional<std::uint64_t> AudioReader::frames() const {
    // libsndfile's mark for a length it cannot know (a stream of unknown size).
    if (info_.frames < 0 || info_.frames == SF_COUNT_MAX) return std::nullopt;
    return static_cast<std::uint64_t>(info_.frames);
}

void AudioReader::stop(const std::string& what) const {
    std::string message = "input '" + path_ + "' " + what + " after " + std::to_string(read_);
    if (const auto total = frames(); total && *total > read_)
        message += " of " + frameCount(*total) + " (" + std::to_string(*total - read_) + " missing)";
    else
        message += read_ == 1 ? " frame" : " frames";
    throw InputError(message);
}

std::size_t AudioReader::read(float* interleaved, std::size_t count) {
    const sf_count_t got = sf_readf_float(file_, interleaved, static_cast<sf_count_t>(count));
    if (got > 0) read_ += static_cast<std::uint64_t>(got);
    if (sf_error(file_) != SF_ERR_NO_ERROR) stop("is damaged: " + sndfileMessage(file_));
    if (got > 0) return static_cast<std::size_t>(got);
    if (const auto total = frames(); count > 0 && total && read_ < *total) stop("is cut short: it ends");
    return 0;
}
