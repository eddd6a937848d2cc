#include "AudioReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "AnnouncedFrames.h"
#include "HostError.h"
#include "SndfileMessage.h"
#include "StreamSpool.h"
#include "Text.h"

AudioReader::AudioReader(std::string path) : path_(std::move(path)) {
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw HostError("cannot read '" + path_ + "': " + std::strerror(errno));
    struct stat status {};
    AnnouncedLength announced;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        // A stream's bytes can be read only once: its header is read ahead
        // and handed on to libsndfile with the rest.
        relay_.emplace(fd, path_, [&](const std::vector<unsigned char>& head) {
            bool wantedMore = false;
            announced = announcedLength(head, wantedMore);
            return !wantedMore;
        });
        if (needsSpooling(relay_->head())) {
            fd = spoolToTemporaryFile(relay_->fd(), path_, [this] { return relay_->error(); });
            relay_.reset();
        }
    }
    if (!relay_) {
        try {
            completeCafFromPipe(fd, path_, false);  // a file saved from a pipe
        } catch (...) {
            close(fd);
            throw;
        }
        announced = announcedLength(fd);
        file_ = sf_open_fd(fd, SFM_READ, &info_, SF_TRUE);
    } else {
        // libsndfile takes a stream's sizes at their word or makes one up
        // (W64); the header's own is the one to go by.
        streamLength_ = announced;
        file_ = sf_open_fd(relay_->fd(), SFM_READ, &info_, SF_FALSE);
    }
    if (announced.kind == AnnouncedLength::Kind::Damaged) {
        if (file_) sf_close(file_);
        // sox writes W64 so into a pipe, its header twice over.
        throw InputError("input '" + path_ + "' is damaged: a chunk in its header is smaller than its own header" +
                         (relay_ ? " (sox streams W64 so; stream WAV instead)" : ""));
    }
    if (!file_) throw HostError("cannot read '" + path_ + "': " + sndfileMessage(nullptr));
    if (info_.channels <= 0 || info_.samplerate <= 0) {
        sf_close(file_);
        throw HostError("cannot read '" + path_ + "': no audio channels in it");
    }
    // libsndfile shortens a file's length to what it holds; a stream's it cannot know.
    if (const auto holds = frames(); holds && !relay_ && announced.kind == AnnouncedLength::Kind::Stated &&
                                     announced.frames > *holds) {
        sf_close(file_);
        throw InputError("input '" + path_ + "' is cut short: its header announces " +
                         text::counted(announced.frames, "frame") +
                         ", the file holds " + std::to_string(*holds) + " (" +
                         std::to_string(announced.frames - *holds) + " missing)");
    }
}

AudioReader::~AudioReader() { sf_close(file_); }

std::optional<std::uint64_t> AudioReader::frames() const {
    if (streamLength_.kind == AnnouncedLength::Kind::LeftOpen) return std::nullopt;
    if (streamLength_.kind == AnnouncedLength::Kind::Stated) return streamLength_.frames;
    // libsndfile's mark for a length it cannot know (a stream of unknown size).
    if (info_.frames < 0 || info_.frames == SF_COUNT_MAX) return std::nullopt;
    return static_cast<std::uint64_t>(info_.frames);
}

void AudioReader::stop(const std::string& what) const {
    std::string message = "input '" + path_ + "' " + what + " after ";
    if (const auto total = frames(); total && *total > read_)
        message += std::to_string(read_) + " of " + text::counted(*total, "frame") + " (" +
                   std::to_string(*total - read_) + " missing)";
    else
        message += text::counted(read_, "frame");
    throw InputError(message);
}

std::size_t AudioReader::read(float* interleaved, std::size_t count) {
    const sf_count_t got = sf_readf_float(file_, interleaved, static_cast<sf_count_t>(count));
    if (got > 0) read_ += static_cast<std::uint64_t>(got);
    if (sf_error(file_) != SF_ERR_NO_ERROR) stop("is damaged: " + sndfileMessage(file_));
    if (got > 0) return static_cast<std::size_t>(got);
    if (const int error = relay_ ? relay_->error() : 0; count > 0 && error != 0)
        stop(std::string("could not be read further (") + std::strerror(error) + ")");
    if (const auto total = frames(); count > 0 && total && read_ < *total) stop("is cut short: it ends");
    return 0;
}
