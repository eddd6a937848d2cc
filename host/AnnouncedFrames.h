// How many frames an audio file's header announces, read from the bytes
// themselves: libsndfile quietly shortens a file's length to what it holds,
// and takes a stream's placeholder sizes at their word, so a file cut short
// would pass for a whole one and a whole stream for one cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct AnnouncedLength {
    enum class Kind {
        Unknown,   // not a container known here, compressed data, or bytes missing
        Stated,    // `frames`
        LeftOpen,  // a placeholder size, from a writer that could not seek back to fill it in
        Damaged,   // a chunk smaller than its own header, which no reader can follow
    };
    Kind kind = Kind::Unknown;
    std::uint64_t frames = 0;
};

// `size` bytes at `offset` into `into`; false when they are not all there.
using HeaderReader = std::function<bool(std::uint64_t offset, unsigned char* into, std::size_t size)>;

// Knows WAV, RF64, W64, AIFF/AIFC and AU. A stream's (`stream` true: pipe,
// socket, device) writer cannot seek back, so every known placeholder size
// leaves its length open; a regular file's writer can, so there only those
// that writers leave in files too do.
AnnouncedLength announcedLength(const HeaderReader& read, bool stream);

// A regular file's, read with pread; the file's offset stays where it was.
AnnouncedLength announcedLength(int fd);

// The first bytes of a stream; `wantedMore` is set when the header goes on
// past them.
AnnouncedLength announcedLength(const std::vector<unsigned char>& head, bool& wantedMore);
