// How many frames an audio file's header announces, read from the file
// itself: libsndfile quietly shortens the length to what the file holds, so
// a file cut short would otherwise pass for a whole one.
#pragma once

#include <cstdint>
#include <optional>

// Knows WAV, RF64, W64, AIFF/AIFC and AU. `fd` is read with pread and left
// where it was. Null for other formats, for a size a stream left open, and
// for compressed data, whose frames cannot be counted from its bytes.
std::optional<std::uint64_t> announcedFrames(int fd);
