#include "AnnouncedFrames.h"

#include <unistd.h>

#include <array>
#include <cstring>
#include <optional>
#include <span>

#include "HeaderBytes.h"

namespace {

using Kind = AnnouncedLength::Kind;
using headerbytes::big;
using headerbytes::little;
constexpr AnnouncedLength kUnknown{};
constexpr int kMaxChunks = 1000;  // a damaged file must not keep us walking
constexpr std::uint16_t kPcm = 1, kFloat = 3, kALaw = 6, kMuLaw = 7, kExtensible = 0xFFFE;

// A data size a writer puts in the header when it cannot seek back to fill
// in the real one. ffmpeg writing to "-" never seeks back, even when that is
// a file; sox does, so its placeholders in a file mean a file cut short.
struct Placeholder {
    std::uint64_t bytes;
    bool roundedToFrames;  // or that size rounded down to whole frames
    bool inFiles;          // left in regular files too
};
using Placeholders = std::span<const Placeholder>;

// WAV's data chunk, or RF64's data size in its ds64 chunk.
constexpr Placeholder kWavOpen[]{
    {0xFFFFFFFF, false, true},          // ffmpeg; the usual mark
    {0xFFFFFFFFFFFFFFFF, false, true},  // the same mark in RF64's 64-bit size
    {0, false, true},                   // writers that never fill it in; ffmpeg's streamed RF64
    {0x7FFFF000, true, false},          // sox
};
// The sound in AIFF/AIFC's SSND chunk, after its offset and block size.
constexpr Placeholder kAiffOpen[]{
    {0, false, true},           // ffmpeg (the chunk's size is 0)
    {0x7F000000, true, false},  // sox
};
// AU's data size.
constexpr Placeholder kAuOpen[]{
    {0xFFFFFFFF, false, true},  // sox and ffmpeg; the format's own mark
};
// W64's data chunk, less its 24-byte header.
constexpr Placeholder kW64Open[]{
    {0x7FFFFFFFFFFFFFFF - 24, false, true},  // ffmpeg
};

bool is(const unsigned char* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

// The length `bytes` of data, in frames of `frameBytes`, stand for.
AnnouncedLength lengthOf(std::uint64_t bytes, std::optional<std::uint64_t> frameBytes, Placeholders open,
                         bool stream) {
    if (!frameBytes || *frameBytes == 0) return kUnknown;
    for (const Placeholder& p : open)
        if ((stream || p.inFiles) &&
            (bytes == p.bytes || (p.roundedToFrames && bytes == p.bytes - p.bytes % *frameBytes)))
            return {Kind::LeftOpen, 0};
    return {Kind::Stated, bytes / *frameBytes};
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

// Where the header is read from, and whether it came down a stream.
struct Header {
    const HeaderReader& read;
    bool stream;
};

// A visitor's word on a chunk: go on to the next (kGoOn), or the answer.
using Answer = std::optional<AnnouncedLength>;
constexpr Answer kGoOn = std::nullopt;

// Hands the chunks from `offset` on to `visit` until it answers.
template <typename Visit>
AnnouncedLength walkChunks(const Header& file, std::uint64_t offset, const ChunkLayout& layout, Visit visit) {
    for (int i = 0; i < kMaxChunks; ++i) {
        std::array<unsigned char, 24> header{};
        if (!file.read(offset, header.data(), layout.headerBytes)) return kUnknown;
        const std::uint64_t stated = (layout.bigEndian ? big : little)(header.data() + layout.sizeAt, layout.sizeBytes);
        if (layout.sizeCountsHeader && stated < layout.headerBytes) return {Kind::Damaged, 0};
        const Chunk chunk{header.data(), offset + layout.headerBytes,
                          layout.sizeCountsHeader ? stated - layout.headerBytes : stated};
        if (const Answer said = visit(chunk)) return *said;
        const std::uint64_t end = chunk.body + chunk.size;
        offset = end + (layout.align - end % layout.align) % layout.align;
    }
    return kUnknown;
}

// The bytes per frame (block align) of a WAVE format chunk, for formats with
// one block of bytes per frame.
std::optional<std::uint64_t> waveFrameBytes(const Header& file, const Chunk& chunk) {
    std::array<unsigned char, 26> fmt{};
    const std::size_t length = chunk.size >= fmt.size() ? fmt.size() : 16;
    if (chunk.size < 16 || !file.read(chunk.body, fmt.data(), length)) return std::nullopt;
    auto tag = static_cast<std::uint16_t>(little(fmt.data(), 2));
    if (tag == kExtensible && length == fmt.size()) tag = static_cast<std::uint16_t>(little(fmt.data() + 24, 2));
    if (tag != kPcm && tag != kFloat && tag != kALaw && tag != kMuLaw) return std::nullopt;
    return little(fmt.data() + 12, 2);
}

// RIFF or RF64 WAVE; RF64 keeps the data's size in its ds64 chunk.
AnnouncedLength wavLength(const Header& file) {
    std::array<unsigned char, 12> riff{};
    if (!file.read(0, riff.data(), riff.size()) || !is(riff.data() + 8, "WAVE")) return kUnknown;
    const bool rf64 = is(riff.data(), "RF64") || is(riff.data(), "BW64");
    if (!rf64 && !is(riff.data(), "RIFF")) return kUnknown;

    std::uint64_t ds64Data = 0;
    std::optional<std::uint64_t> frameBytes;
    return walkChunks(file, riff.size(), kRiffChunks, [&](const Chunk& chunk) -> Answer {
        if (is(chunk.header, "ds64")) {
            std::array<unsigned char, 16> sizes{};  // the RIFF's size, then the data's
            if (!file.read(chunk.body, sizes.data(), sizes.size())) return kUnknown;
            ds64Data = little(sizes.data() + 8, 8);
        } else if (is(chunk.header, "fmt ")) {
            if (!(frameBytes = waveFrameBytes(file, chunk))) return kUnknown;
        } else if (is(chunk.header, "data")) {
            const std::uint64_t bytes = rf64 && chunk.size == 0xFFFFFFFF ? ds64Data : chunk.size;
            return lengthOf(bytes, frameBytes, kWavOpen, file.stream);
        }
        return kGoOn;
    });
}

// Wave64: WAVE's chunks under GUIDs.
AnnouncedLength w64Length(const Header& file) {
    constexpr unsigned char kRiff[16] = {'r', 'i', 'f', 'f', 0x2E, 0x91, 0xCF, 0x11,
                                         0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00};
    constexpr unsigned char kWaveGuidTail[12] = {0xF3, 0xAC, 0xD3, 0x11, 0x8C, 0xD1, 0x00, 0xC0, 0x4F, 0x8E, 0xDB, 0x8A};
    const auto guid = [&](const unsigned char* bytes, const char* tag) {
        return is(bytes, tag) && std::memcmp(bytes + 4, kWaveGuidTail, sizeof kWaveGuidTail) == 0;
    };
    std::array<unsigned char, 40> head{};  // riff, the file's size, wave
    if (!file.read(0, head.data(), head.size()) || std::memcmp(head.data(), kRiff, sizeof kRiff) != 0 ||
        !guid(head.data() + 24, "wave"))
        return kUnknown;

    std::optional<std::uint64_t> frameBytes;
    return walkChunks(file, head.size(), kW64Chunks, [&](const Chunk& chunk) -> Answer {
        if (guid(chunk.header, "fmt ")) {
            if (!(frameBytes = waveFrameBytes(file, chunk))) return kUnknown;
        } else if (guid(chunk.header, "data")) {
            return lengthOf(chunk.size, frameBytes, kW64Open, file.stream);
        }
        return kGoOn;
    });
}

// The bytes per frame of an AIFF or AIFC COMM chunk (channels, frames,
// sample size, rate, then AIFC's compression type), for uncompressed data.
std::optional<std::uint64_t> aiffFrameBytes(const unsigned char* comm, bool aifc) {
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
AnnouncedLength aiffLength(const Header& file) {
    std::array<unsigned char, 12> form{};
    if (!file.read(0, form.data(), form.size()) || !is(form.data(), "FORM")) return kUnknown;
    const bool aifc = is(form.data() + 8, "AIFC");
    if (!aifc && !is(form.data() + 8, "AIFF")) return kUnknown;

    std::optional<std::uint64_t> frameBytes;
    return walkChunks(file, form.size(), kAiffChunks, [&](const Chunk& chunk) -> Answer {
        if (is(chunk.header, "COMM")) {
            std::array<unsigned char, 22> comm{};
            const std::size_t length = aifc ? 22 : 18;
            if (chunk.size < length || !file.read(chunk.body, comm.data(), length)) return kUnknown;
            if (!(frameBytes = aiffFrameBytes(comm.data(), aifc))) return kUnknown;
        } else if (is(chunk.header, "SSND")) {
            if (chunk.size == 0) return lengthOf(0, frameBytes, kAiffOpen, file.stream);
            std::array<unsigned char, 4> skip{};
            if (chunk.size < 8 || !file.read(chunk.body, skip.data(), skip.size()) ||
                big(skip.data(), 4) > chunk.size - 8)
                return kUnknown;
            return lengthOf(chunk.size - 8 - big(skip.data(), 4), frameBytes, kAiffOpen, file.stream);
        }
        return kGoOn;
    });
}

// AU: ".snd", then the data's offset, its size, the encoding and, after the
// rate, the channels; big-endian, or little-endian under "dns.".
AnnouncedLength auLength(const Header& file) {
    std::array<unsigned char, 24> head{};
    if (!file.read(0, head.data(), head.size())) return kUnknown;
    const bool bigEndian = is(head.data(), ".snd");
    if (!bigEndian && !is(head.data(), "dns.")) return kUnknown;
    const auto word = [&](int index) { return (bigEndian ? big : little)(head.data() + 4 * index, 4); };
    const std::uint64_t bytes = word(2), encoding = word(3), channels = word(5);
    // Encodings 1 to 7: mu-law, 8-, 16-, 24-, 32-bit integers, float, double; 27: A-law.
    constexpr std::array<std::uint64_t, 8> kSampleBytes{0, 1, 1, 2, 3, 4, 4, 8};
    const std::uint64_t sampleBytes = encoding == 27 ? 1 : encoding < kSampleBytes.size() ? kSampleBytes[encoding] : 0;
    return lengthOf(bytes, channels * sampleBytes, kAuOpen, file.stream);
}

}  // namespace

AnnouncedLength announcedLength(const HeaderReader& read, bool stream) {
    const Header file{read, stream};
    for (const auto container : {wavLength, w64Length, aiffLength, auLength})
        if (const AnnouncedLength length = container(file); length.kind != Kind::Unknown) return length;
    return kUnknown;
}

AnnouncedLength announcedLength(int fd) {
    return announcedLength(
        [fd](std::uint64_t offset, unsigned char* into, std::size_t size) {
            return pread(fd, into, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
        },
        false);
}

AnnouncedLength announcedLength(const std::vector<unsigned char>& head, bool& wantedMore) {
    wantedMore = false;
    return announcedLength(
        [&](std::uint64_t offset, unsigned char* into, std::size_t size) {
            if (offset > head.size() || size > head.size() - offset) {
                wantedMore = true;
                return false;
            }
            std::memcpy(into, head.data() + offset, size);
            return true;
        },
        true);
}
