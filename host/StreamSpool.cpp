#include "StreamSpool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "HeaderBytes.h"
#include "HostError.h"

namespace {

bool startsWith(const std::vector<unsigned char>& head, const char* magic) {
    const std::size_t size = std::strlen(magic);
    return head.size() >= size && std::memcmp(head.data(), magic, size) == 0;
}

// An unnamed file in the folder: O_TMPFILE where the file system has it,
// else a named one removed at once.
int unnamedFile(const std::string& folder) {
    int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
    std::string path = folder + "/corvane-host-stream-XXXXXX";
    fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd >= 0) unlink(path.c_str());
    return fd;
}

}  // namespace

// A CAF written into a pipe cannot have its data size filled in at the end:
// ffmpeg leaves the format's own mark for "up to the end" (-1), which our
// copy, ending where the stream did, replaces with the size the data really
// has. sox instead writes a data size of 4 (the edit count alone), then its
// whole header a second time, then the sound: that is refused.
void completeCafFromPipe(int fd, const std::string& name, bool fillIn) {
    struct stat status {};
    unsigned char magic[4] = {};
    if (fstat(fd, &status) != 0 || pread(fd, magic, 4, 0) != 4 || std::memcmp(magic, "caff", 4) != 0) return;
    const auto fileSize = static_cast<std::uint64_t>(status.st_size);
    constexpr std::uint64_t kMaxChunks = 64;
    std::uint64_t offset = 8;  // after "caff", version and flags
    for (std::uint64_t i = 0; i < kMaxChunks && offset + 12 <= fileSize; ++i) {
        unsigned char header[12];  // type, then a signed 64-bit big-endian size
        if (pread(fd, header, sizeof header, static_cast<off_t>(offset)) != static_cast<ssize_t>(sizeof header)) return;
        const std::uint64_t size = headerbytes::big(header + 4, 8), body = offset + 12;
        if (std::memcmp(header, "data", 4) == 0) {
            const std::uint64_t rest = fileSize - body;
            unsigned char next[4] = {};
            if (size == 4 && rest > 8 && pread(fd, next, 4, static_cast<off_t>(body + 4)) == 4 &&
                std::memcmp(next, "caff", 4) == 0)
                throw InputError("input '" + name + "' is damaged: its header comes twice, the first time with no " +
                                 "sound in it (sox streams CAF so; stream WAV instead)");
            if (size != ~std::uint64_t{0} || !fillIn) return;
            unsigned char filled[8];
            for (int b = 0; b < 8; ++b) filled[b] = static_cast<unsigned char>(rest >> (56 - 8 * b));
            if (pwrite(fd, filled, sizeof filled, static_cast<off_t>(offset + 4)) != sizeof filled)
                throw HostError("cannot read '" + name + "': its temporary file cannot be completed (" +
                                std::strerror(errno) + ")");
            return;
        }
        if (size > fileSize - body) return;
        offset = body + size;
    }
}

bool needsSpooling(const std::vector<unsigned char>& head) {
    return startsWith(head, "fLaC") || startsWith(head, "caff");
}

int spoolToTemporaryFile(int input, const std::string& name, const std::function<int()>& readError) {
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
    const int fd = unnamedFile(folder);
    if (fd < 0)
        throw HostError("cannot read '" + name + "': it must be buffered in a temporary file, and none can be made in '" +
                        folder + "' (" + std::strerror(errno) + ")");
    auto fail = [&](const std::string& why) {
        close(fd);
        throw HostError("cannot read '" + name + "': " + why);
    };
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = read(input, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            fail(std::string("it could not be read to its end (") + std::strerror(errno) + ")");
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(fd, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0)
                fail("it must be buffered in a temporary file in '" + folder + "', which failed (" +
                     std::strerror(put < 0 ? errno : ENOSPC) + ")");
            done += put;
        }
    }
    if (const int error = readError(); error != 0)
        fail(std::string("it could not be read to its end (") + std::strerror(error) + ")");
    try {
        completeCafFromPipe(fd, name, true);
    } catch (...) {
        close(fd);
        throw;
    }
    if (lseek(fd, 0, SEEK_SET) != 0) fail(std::string("its temporary file cannot be read back (") + std::strerror(errno) + ")");
    return fd;
}
