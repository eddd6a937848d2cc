#include "AudioWriter.h"

#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>

#include "HostError.h"
#include "PendingFile.h"
#include "SndfileMessage.h"

namespace {

constexpr std::uint32_t kUnknownSize = 0xFFFFFFFFu;  // streaming readers read on to the end
constexpr std::uint16_t kIeeeFloat = 3;

// The 44-byte header of a float WAV: RIFF, fmt and the data chunk's start.
std::array<unsigned char, 44> floatWavHeader(int sampleRate, int channels, std::uint32_t dataBytes) {
    std::array<unsigned char, 44> header{};
    std::size_t at = 0;
    auto tag = [&](const char* text) {
        for (int i = 0; i < 4; ++i) header[at++] = static_cast<unsigned char>(text[i]);
    };
    auto little = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) header[at++] = static_cast<unsigned char>(value >> (8 * i));
    };
    const auto frameBytes = static_cast<std::uint32_t>(channels) * 4;
    tag("RIFF");
    little(dataBytes == kUnknownSize ? kUnknownSize : dataBytes + 36, 4);
    tag("WAVE");
    tag("fmt ");
    little(16, 4);
    little(kIeeeFloat, 2);
    little(static_cast<std::uint32_t>(channels), 2);
    little(static_cast<std::uint32_t>(sampleRate), 4);
    little(static_cast<std::uint32_t>(sampleRate) * frameBytes, 4);
    little(frameBytes, 2);
    little(32, 2);
    tag("data");
    little(dataBytes, 4);
    return header;
}

bool canSeek(int fd) { return lseek(fd, 0, SEEK_CUR) >= 0 || errno != ESPIPE; }

}  // namespace

AudioWriter::AudioWriter(PendingFile& file, double sampleRate, int channels,
                         std::optional<std::uint64_t> plannedFrames, std::uint64_t riffDataLimit)
    : file_(file), channels_(channels), planned_(plannedFrames) {
    if (channels <= 0) throw HostError("cannot write '" + file.destination() + "': no channels to write");
    if (file.direct() && !canSeek(file.descriptor()))
        startStream(sampleRate, riffDataLimit);
    else
        startSndfile(sampleRate, riffDataLimit);
}

AudioWriter::~AudioWriter() {
    if (sndfile_) sf_close(sndfile_);
}

std::optional<std::uint64_t> AudioWriter::plannedBytes() const {
    if (!planned_) return std::nullopt;
    return *planned_ * static_cast<std::uint64_t>(channels_) * sizeof(float);
}

void AudioWriter::startSndfile(double sampleRate, std::uint64_t riffDataLimit) {
    const auto bytes = plannedBytes();
    rf64_ = bytes && *bytes > riffDataLimit;
    SF_INFO info{};
    info.samplerate = static_cast<int>(std::lround(sampleRate));
    info.channels = channels_;
    info.format = (bytes && !rf64_ ? SF_FORMAT_WAV : SF_FORMAT_RF64) | SF_FORMAT_FLOAT;
    sndfile_ = sf_open_fd(file_.releaseDescriptor(), SFM_WRITE, &info, SF_TRUE);
    if (!sndfile_) throw HostError("cannot write '" + file_.destination() + "': " + sndfileMessage(nullptr));
    if (!bytes) sf_command(sndfile_, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
}

void AudioWriter::startStream(double sampleRate, std::uint64_t riffDataLimit) {
    static_assert(std::endian::native == std::endian::little, "stream samples are written as they lie in memory");
    const auto bytes = plannedBytes();
    exactStreamHeader_ = bytes && *bytes <= riffDataLimit;
    const auto header = floatWavHeader(static_cast<int>(std::lround(sampleRate)), channels_,
                                       exactStreamHeader_ ? static_cast<std::uint32_t>(*bytes) : kUnknownSize);
    file_.writeAll(header.data(), header.size());
}

void AudioWriter::write(const float* interleaved, std::size_t count) {
    if (sndfile_) {
        if (sf_writef_float(sndfile_, interleaved, static_cast<sf_count_t>(count)) != static_cast<sf_count_t>(count))
            throw HostError("cannot write '" + file_.destination() + "': " + sndfileMessage(sndfile_));
    } else {
        file_.writeAll(interleaved, count * static_cast<std::size_t>(channels_) * sizeof(float));
    }
    written_ += count;
}

void AudioWriter::finish() {
    if (sndfile_) {
        SNDFILE* closing = sndfile_;
        sndfile_ = nullptr;
        if (sf_close(closing) != 0) throw HostError("cannot write '" + file_.destination() + "': closing failed");
    } else if (exactStreamHeader_ && written_ != *planned_) {
        throw HostError("cannot write '" + file_.destination() + "': " + std::to_string(written_) +
                        " frames written where its header announced " + std::to_string(*planned_));
    }
}
