#include "AnnouncedFrames.h"

#include <unistd.h>

#include <array>
#include <cstring>

namespace {

using Frames = std::optional<std::uint64_t>;

constexpr std::uint32_t kUnknown32 = 0xFFFFFFFFu;
constexpr int kMaxChunks = 1000;  // a damaged file must not keep us walking
constexpr std::uint16_t kPcm = 1, kFloat = 3, kALaw = 6, kMuLaw = 7, kExtensible = 0xFFFE;

std::uint64_t little(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

std::uint64_t big(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

bool readAt(int fd, std::uint64_t offset, unsigned char* into, std::size_t size) {
    return pread(fd, into, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

bool is(const unsigned char* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

Frames framesIn(std::uint64_t bytes, std::uint64_t frameBytes) {
    if (frameBytes == 0) return std::nullopt;
    return bytes / frameBytes;
}

// How a container lays out its chunks: a header with the tag first and the
// size at `sizeAt`, a size that may count the header, bodies padded to `align`.
struct ChunkLayout {
    std::size_t headerBytes, sizeAt;
    int sizeBytes;
    bool bigEndian, sizeCountsHeader;
    std::uint64_t align;
};
constexpr ChunkLayout kRiffChunks{8, 4, 4, false, false, 2};
constexpr ChunkLayout kAiffChunks{8, 4, 4, true, false, 2};
constexpr ChunkLayout kW64Chunks{24, 16, 8, false, true, 8};

struct Chunk {
    const unsigned char* header;  // the tag first
    std::uint64_t body, size;
};

// A visitor's word on a chunk: go on to the next (kGoOn), or the answer.
using Answer = std::optional<Frames>;
constexpr Answer kGoOn = std::nullopt;
Answer answer(Frames frames) { return Answer(std::in_place, frames); }

// Hands the chunks from `offset` on to `visit` until it answers.
template <typename Visit>
Frames walkChunks(int fd, std::uint64_t offset, const ChunkLayout& layout, Visit visit) {
    for (int i = 0; i < kMaxChunks; ++i) {
        std::array<unsigned char, 24> header{};
        if (!readAt(fd, offset, header.data(), layout.headerBytes)) return std::nullopt;
        const std::uint64_t stated = (layout.bigEndian ? big : little)(header.data() + layout.sizeAt, layout.sizeBytes);
        if (layout.sizeCountsHeader && stated < layout.headerBytes) return std::nullopt;
        const Chunk chunk{header.data(), offset + layout.headerBytes,
                          layout.sizeCountsHeader ? stated - layout.headerBytes : stated};
        if (const Answer said = visit(chunk)) return *said;
        const std::uint64_t end = chunk.body + chunk.size;
        offset = end + (layout.align - end % layout.align) % layout.align;
    }
    return std::nullopt;
}

// The bytes per frame (block align) of a WAVE format chunk, for formats with
// one block of bytes per frame.
Frames waveFrameBytes(int fd, const Chunk& chunk) {
    std::array<unsigned char, 26> fmt{};
    const std::size_t length = chunk.size >= fmt.size() ? fmt.size() : 16;
    if (chunk.size < 16 || !readAt(fd, chunk.body, fmt.data(), length)) return std::nullopt;
    auto tag = static_cast<std::uint16_t>(little(fmt.data(), 2));
    if (tag == kExtensible && length == fmt.size()) tag = static_cast<std::uint16_t>(little(fmt.data() + 24, 2));
    if (tag != kPcm && tag != kFloat && tag != kALaw && tag != kMuLaw) return std::nullopt;
    return little(fmt.data() + 12, 2);
}

// RIFF or RF64 WAVE; RF64 keeps the data's size in its ds64 chunk.
Frames wavFrames(int fd) {
    std::array<unsigned char, 12> riff{};
    if (!readAt(fd, 0, riff.data(), riff.size()) || !is(riff.data() + 8, "WAVE")) return std::nullopt;
    const bool rf64 = is(riff.data(), "RF64") || is(riff.data(), "BW64");
    if (!rf64 && !is(riff.data(), "RIFF")) return std::nullopt;

    std::uint64_t ds64Data = 0;
    Frames frameBytes;
    return walkChunks(fd, riff.size(), kRiffChunks, [&](const Chunk& chunk) {
        if (is(chunk.header, "ds64")) {
            std::array<unsigned char, 16> sizes{};  // the RIFF's size, then the data's
            if (!readAt(fd, chunk.body, sizes.data(), sizes.size())) return answer(std::nullopt);
            ds64Data = little(sizes.data() + 8, 8);
        } else if (is(chunk.header, "fmt ")) {
            if (!(frameBytes = waveFrameBytes(fd, chunk))) return answer(std::nullopt);
        } else if (is(chunk.header, "data")) {
            const std::uint64_t bytes = rf64 && chunk.size == kUnknown32 ? ds64Data : chunk.size;
            if (!frameBytes || bytes == 0 || bytes == kUnknown32 || bytes == ~std::uint64_t{0})
                return answer(std::nullopt);
            return answer(framesIn(bytes, *frameBytes));
        }
        return kGoOn;
    });
}

// Wave64: WAVE's chunks under GUIDs.
Frames w64Frames(int fd) {
    constexpr unsigned char kRiff[16] = {'r', 'i', 'f', 'f', 0x2E, 0x91, 0xCF, 0x11,
                                         0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00};
    constexpr unsigned char kWaveGuidTail[12] = {0xF3, 0xAC, 0xD3, 0x11, 0x8C, 0xD1, 0x00, 0xC0, 0x4F, 0x8E, 0xDB, 0x8A};
    const auto guid = [&](const unsigned char* bytes, const char* tag) {
        return is(bytes, tag) && std::memcmp(bytes + 4, kWaveGuidTail, sizeof kWaveGuidTail) == 0;
    };
    std::array<unsigned char, 40> head{};  // riff, the file's size, wave
    if (!readAt(fd, 0, head.data(), head.size()) || std::memcmp(head.data(), kRiff, sizeof kRiff) != 0 ||
        !guid(head.data() + 24, "wave"))
        return std::nullopt;

    Frames frameBytes;
    return walkChunks(fd, head.size(), kW64Chunks, [&](const Chunk& chunk) {
        if (guid(chunk.header, "fmt ")) {
            if (!(frameBytes = waveFrameBytes(fd, chunk))) return answer(std::nullopt);
        } else if (guid(chunk.header, "data")) {
            return answer(frameBytes ? framesIn(chunk.size, *frameBytes) : std::nullopt);
        }
        return kGoOn;
    });
}

// The bytes per frame of an AIFF or AIFC COMM chunk (channels, frames,
// sample size, rate, then AIFC's compression type), for uncompressed data.
Frames aiffFrameBytes(const unsigned char* comm, bool aifc) {
    const std::uint64_t channels = big(comm, 2), sampleBytes = (big(comm + 6, 2) + 7) / 8;
    if (!aifc) return channels * sampleBytes;
    const unsigned char* type = comm + 18;
    for (const char* same : {"NONE", "twos", "sowt", "raw ", "in24", "in32"})
        if (is(type, same)) return channels * sampleBytes;
    for (const char* floats : {"fl32", "FL32"})
        if (is(type, floats)) return channels * 4;
    for (const char* doubles : {"fl64", "FL64"})
        if (is(type, doubles)) return channels * 8;
    for (const char* laws : {"ulaw", "ULAW", "alaw", "ALAW"})
        if (is(type, laws)) return channels;
    return std::nullopt;
}

// AIFF and AIFC in a FORM; the SSND chunk holds an offset to the first frame
// and a block size, then the data.
Frames aiffFrames(int fd) {
    std::array<unsigned char, 12> form{};
    if (!readAt(fd, 0, form.data(), form.size()) || !is(form.data(), "FORM")) return std::nullopt;
    const bool aifc = is(form.data() + 8, "AIFC");
    if (!aifc && !is(form.data() + 8, "AIFF")) return std::nullopt;

    Frames frameBytes;
    return walkChunks(fd, form.size(), kAiffChunks, [&](const Chunk& chunk) {
        if (is(chunk.header, "COMM")) {
            std::array<unsigned char, 22> comm{};
            const std::size_t length = aifc ? 22 : 18;
            if (chunk.size < length || !readAt(fd, chunk.body, comm.data(), length)) return answer(std::nullopt);
            if (!(frameBytes = aiffFrameBytes(comm.data(), aifc))) return answer(std::nullopt);
        } else if (is(chunk.header, "SSND")) {
            std::array<unsigned char, 4> skip{};
            if (!frameBytes || chunk.size < 8 || !readAt(fd, chunk.body, skip.data(), skip.size()) ||
                big(skip.data(), 4) > chunk.size - 8)
                return answer(std::nullopt);
            return answer(framesIn(chunk.size - 8 - big(skip.data(), 4), *frameBytes));
        }
        return kGoOn;
    });
}

// AU: ".snd", then the data's offset, its size (all ones when unknown), the
// encoding and, after the rate, the channels; big-endian, or little-endian
// under "dns.".
Frames auFrames(int fd) {
    std::array<unsigned char, 24> head{};
    if (!readAt(fd, 0, head.data(), head.size())) return std::nullopt;
    const bool bigEndian = is(head.data(), ".snd");
    if (!bigEndian && !is(head.data(), "dns.")) return std::nullopt;
    const auto word = [&](int index) { return (bigEndian ? big : little)(head.data() + 4 * index, 4); };
    const std::uint64_t bytes = word(2), encoding = word(3), channels = word(5);
    // Encodings 1 to 7: mu-law, 8-, 16-, 24-, 32-bit integers, float, double; 27: A-law.
    constexpr std::array<std::uint64_t, 8> kSampleBytes{0, 1, 1, 2, 3, 4, 4, 8};
    const std::uint64_t sampleBytes = encoding == 27 ? 1 : encoding < kSampleBytes.size() ? kSampleBytes[encoding] : 0;
    if (bytes == kUnknown32 || sampleBytes == 0) return std::nullopt;
    return framesIn(bytes, channels * sampleBytes);
}

}  // namespace

std::optional<std::uint64_t> announcedFrames(int fd) {
    for (const auto reader : {wavFrames, w64Frames, aiffFrames, auFrames})
        if (const Frames frames = reader(fd)) return frames;
    return std::nullopt;
}
