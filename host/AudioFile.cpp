#include "AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "HostError.h"
#include "PendingFile.h"

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr sf_count_t kChunkFrames = 8192;

// libsndfile's message, without its closing full stop, to end our line.
std::string sndfileMessage(SNDFILE* file) {
    std::string message = sf_strerror(file);
    while (!message.empty() && (message.back() == '.' || message.back() == '\n')) message.pop_back();
    return message;
}

}  // namespace

AudioBuffer readAudioFile(const std::string& path) {
    SF_INFO info{};
    SndfileHandle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) throw HostError("cannot read '" + path + "': " + sndfileMessage(nullptr));
    if (info.channels <= 0 || !(info.samplerate > 0))
        throw HostError("cannot read '" + path + "': no audio channels in it");

    AudioBuffer audio;
    audio.sampleRate = info.samplerate;
    audio.channels.resize(static_cast<std::size_t>(info.channels));
    if (info.frames > 0 && info.frames < (sf_count_t{1} << 28))
        for (auto& channel : audio.channels) channel.reserve(static_cast<std::size_t>(info.frames));

    // Read in chunks rather than trusting the header's frame count.
    std::vector<float> interleaved(static_cast<std::size_t>(kChunkFrames * info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), interleaved.data(), kChunkFrames);
        if (got <= 0) break;
        for (std::size_t c = 0; c < audio.channels.size(); ++c) {
            auto& channel = audio.channels[c];
            for (sf_count_t f = 0; f < got; ++f)
                channel.push_back(interleaved[static_cast<std::size_t>(f * info.channels) + c]);
        }
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        throw HostError("cannot read '" + path + "': " + sndfileMessage(file.get()));
    return audio;
}

void writeFloatWav(const std::string& path, const AudioBuffer& audio) {
    PendingFile pending(path);
    writeFloatWav(pending, audio);
    pending.commit();
}

void writeFloatWav(PendingFile& pending, const AudioBuffer& audio) {
    const std::string& path = pending.destination();
    if (audio.channels.empty()) throw HostError("cannot write '" + path + "': no channels to write");

    SF_INFO info{};
    info.samplerate = static_cast<int>(std::lround(audio.sampleRate));
    info.channels = static_cast<int>(audio.channels.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SndfileHandle file(sf_open_fd(pending.releaseDescriptor(), SFM_WRITE, &info, SF_TRUE));
    if (!file) throw HostError("cannot write '" + path + "': " + sndfileMessage(nullptr));

    const std::size_t channels = audio.channels.size();
    std::vector<float> interleaved(static_cast<std::size_t>(kChunkFrames) * channels);
    for (std::size_t start = 0; start < audio.frames(); start += kChunkFrames) {
        const std::size_t count = std::min<std::size_t>(kChunkFrames, audio.frames() - start);
        for (std::size_t f = 0; f < count; ++f)
            for (std::size_t c = 0; c < channels; ++c)
                interleaved[f * channels + c] = audio.channels[c][start + f];
        if (sf_writef_float(file.get(), interleaved.data(), static_cast<sf_count_t>(count)) !=
            static_cast<sf_count_t>(count))
            throw HostError("cannot write '" + path + "': " + sndfileMessage(file.get()));
    }
    if (sf_close(file.release()) != 0) throw HostError("cannot write '" + path + "': closing failed");
}
