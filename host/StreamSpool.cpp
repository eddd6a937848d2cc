#include "StreamSpool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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
    if (lseek(fd, 0, SEEK_SET) != 0) fail(std::string("its temporary file cannot be read back (") + std::strerror(errno) + ")");
    return fd;
}
