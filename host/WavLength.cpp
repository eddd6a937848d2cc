#include "WavLength.h"

#include <unistd.h>

#include <array>
#include <cstring>

namespace {

constexpr std::uint32_t kUnknown32 = 0xFFFFFFFFu;
constexpr int kMaxChunks = 1000;  // a damaged file must not keep us walking
constexpr std::uint16_t kPcm = 1, kFloat = 3, kALaw = 6, kMuLaw = 7, kExtensible = 0xFFFE;

std::uint64_t little(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

bool readAt(int fd, std::uint64_t offset, unsigned char* into, std::size_t size) {
    return pread(fd, into, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// Formats with one block of bytes per frame.
bool countable(std::uint16_t tag) { return tag == kPcm || tag == kFloat || tag == kALaw || tag == kMuLaw; }

}  // namespace

std::optional<std::uint64_t> announcedWavFrames(int fd) {
    std::array<unsigned char, 12> riff{};
    if (!readAt(fd, 0, riff.data(), riff.size()) || std::memcmp(riff.data() + 8, "WAVE", 4) != 0) return std::nullopt;
    const bool rf64 = std::memcmp(riff.data(), "RF64", 4) == 0 || std::memcmp(riff.data(), "BW64", 4) == 0;
    if (!rf64 && std::memcmp(riff.data(), "RIFF", 4) != 0) return std::nullopt;

    std::uint64_t ds64Data = 0, offset = riff.size();
    std::uint32_t blockAlign = 0;
    for (int i = 0; i < kMaxChunks; ++i) {
        std::array<unsigned char, 8> header{};
        if (!readAt(fd, offset, header.data(), header.size())) return std::nullopt;
        const std::uint64_t size = little(header.data() + 4, 4);
        const std::uint64_t body = offset + header.size();
        if (std::memcmp(header.data(), "ds64", 4) == 0) {
            std::array<unsigned char, 16> sizes{};  // the RIFF's size, then the data's
            if (!readAt(fd, body, sizes.data(), sizes.size())) return std::nullopt;
            ds64Data = little(sizes.data() + 8, 8);
        } else if (std::memcmp(header.data(), "fmt ", 4) == 0) {
            std::array<unsigned char, 26> fmt{};
            const std::size_t length = size >= fmt.size() ? fmt.size() : 16;
            if (size < 16 || !readAt(fd, body, fmt.data(), length)) return std::nullopt;
            auto tag = static_cast<std::uint16_t>(little(fmt.data(), 2));
            if (tag == kExtensible && length == fmt.size()) tag = static_cast<std::uint16_t>(little(fmt.data() + 24, 2));
            if (!countable(tag)) return std::nullopt;
            blockAlign = static_cast<std::uint32_t>(little(fmt.data() + 12, 2));
        } else if (std::memcmp(header.data(), "data", 4) == 0) {
            const std::uint64_t bytes = rf64 && size == kUnknown32 ? ds64Data : size;
            if (blockAlign == 0 || bytes == 0 || bytes == kUnknown32 || bytes == ~std::uint64_t{0}) return std::nullopt;
            return bytes / blockAlign;
        }
        offset = body + size + (size & 1);  // chunks are padded to even lengths
    }
    return std::nullopt;
}
