#include "presets/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and answers 0 or the errno of close (data may be lost there).
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int errnoOr(int fallback) { return errno != 0 ? errno : fallback; }

// A name no other writer picks: several instances may store at once.
std::string temporaryName(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    unsigned long long bits = 0;
    if (getrandom(&bits, sizeof(bits), GRND_NONBLOCK) != static_cast<ssize_t>(sizeof(bits)))
        bits = (static_cast<unsigned long long>(getpid()) << 32) ^ static_cast<unsigned long long>(std::time(nullptr)) ^
               (static_cast<unsigned long long>(counter.fetch_add(1)) << 16);
    char name[40];
    std::snprintf(name, sizeof(name), ".arlo-%016llx.tmp", bits);
    return folder + name;
}

int writeAll(int fd, const void* data, std::size_t size) {
    const auto* at = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, at, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errnoOr(EIO);
        if (written == 0) return EIO;
        at += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

// The new name must survive a crash as well as the data.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    ::close(fd);
}

// Writes and syncs the temporary file; answers 0 or an errno.
int writeTemporary(int fd, const struct stat* old, const void* data, std::size_t size) {
    Descriptor file(fd);
    if (old) {
        // Only root may hand a file to another owner; anyone else keeps it.
        if ((old->st_uid != geteuid() || old->st_gid != getegid()) && fchown(fd, old->st_uid, old->st_gid) != 0)
            errno = 0;
        if (fchmod(fd, old->st_mode & 07777) != 0) return errnoOr(EPERM);
    }
    if (int error = writeAll(fd, data, size)) return error;
    if (fsync(fd) != 0) return errnoOr(EIO);
    return file.close();
}

}  // namespace

ReadResult readRegularFile(const std::string& path, void* buffer, std::size_t capacity) {
    ReadResult result;
    // Non-blocking so that opening a FIFO does not wait for a writer.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        result.error = errnoOr(ENOENT);
        return result;
    }
    struct stat info;
    if (fstat(file.get(), &info) != 0) {
        result.error = errnoOr(EIO);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return result;
    }
    auto* at = static_cast<unsigned char*>(buffer);
    while (result.size < capacity) {
        const ssize_t got = ::read(file.get(), at + result.size, capacity - result.size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.error = errnoOr(EIO);
            return result;
        }
        if (got == 0) break;
        result.size += static_cast<std::size_t>(got);
    }
    if (result.size == capacity) {
        unsigned char extra;
        ssize_t got;
        do got = ::read(file.get(), &extra, 1);
        while (got < 0 && errno == EINTR);
        result.more = got > 0;
    }
    result.opened = true;
    return result;
}

int replaceFile(const std::string& path, const void* data, std::size_t size, mode_t newFileMode) {
    if (path.empty()) return ENOENT;
    std::string target = path;
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
        if (resolved) target = resolved.get();
    }
    const bool exists = stat(target.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) return errnoOr(EIO);
    // Renaming over a folder or a FIFO would not save into it.
    if (exists && !S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;

    const std::string folder = splitPath(target).folder;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = temporaryName(folder);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, newFileMode);
        if (fd < 0 && errno != EEXIST) return errnoOr(EIO);
    }
    if (fd < 0) return EEXIST;

    int error = writeTemporary(fd, exists ? &info : nullptr, data, size);
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errnoOr(EIO);
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    syncFolder(folder);
    return 0;
}

SplitPath splitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

}  // namespace safefile
