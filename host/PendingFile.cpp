#include "PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "HostError.h"

namespace {
std::string failure(const std::string& path, int error) {
    return "cannot write '" + path + "': " + std::strerror(error);
}
}  // namespace

PendingFile::PendingFile(std::string destination) : destination_(std::move(destination)) {
    const std::filesystem::path target(destination_);
    if (target.filename().empty()) throw HostError("cannot write '" + destination_ + "': not a file name");
    const std::filesystem::path folder = target.parent_path();
    temporary_ = (folder / ("." + target.filename().string() + ".XXXXXX")).string();

    std::vector<char> name(temporary_.begin(), temporary_.end());
    name.push_back('\0');
    fd_ = mkstemp(name.data());
    if (fd_ < 0) {
        const int error = errno;
        temporary_.clear();
        throw HostError(failure(destination_, error));
    }
    temporary_ = name.data();
    // mkstemp makes the file private; an output file gets the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

PendingFile::~PendingFile() {
    closeDescriptor();
    if (!committed_ && !temporary_.empty()) unlink(temporary_.c_str());
}

int PendingFile::releaseDescriptor() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void PendingFile::closeDescriptor() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

void PendingFile::writeAll(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw HostError(failure(destination_, errno));
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void PendingFile::commit() {
    if (fd_ >= 0 && close(fd_) != 0) {
        fd_ = -1;
        throw HostError(failure(destination_, errno));
    }
    fd_ = -1;
    if (std::rename(temporary_.c_str(), destination_.c_str()) != 0)
        throw HostError(failure(destination_, errno));
    committed_ = true;
}
