#include "PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "FilePaths.h"
#include "HostError.h"

PendingFile::PendingFile(std::string destination) : destination_(std::move(destination)) {
    if (std::filesystem::path(destination_).filename().empty())
        throw HostError("cannot write '" + destination_ + "': not a file name");
    // Only a regular file is replaced. Anything else is written by the path
    // as given: the links of "/dev/stdout" end in "pipe:[N]", no file name.
    struct stat status {};
    const bool exists = stat(destination_.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) fail(errno);
    if (exists && !S_ISREG(status.st_mode)) {
        openDirect(status.st_mode);
        return;
    }

    std::error_code linkError;
    target_ = followLinks(destination_, linkError);
    if (linkError) throw HostError("cannot write '" + destination_ + "': " + linkError.message());
    if (!exists) {
        openTemporary(nullptr);
    } else if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        // Even where root could replace it, a read-only file asks to be kept.
        throw HostError("cannot write '" + destination_ + "': the file is read-only");
    } else if (faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
        fail(errno);
    } else {
        openTemporary(&status);
    }
}

PendingFile::~PendingFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && !temporary_.empty()) unlink(temporary_.c_str());
}

void PendingFile::fail(int error) const {
    throw HostError("cannot write '" + destination_ + "': " + std::strerror(error));
}

void PendingFile::openDirect(mode_t mode) {
    if (S_ISDIR(mode)) fail(EISDIR);
    if (!S_ISCHR(mode) && !S_ISFIFO(mode) && !S_ISSOCK(mode))
        throw HostError("cannot write '" + destination_ + "': not a file, character device, FIFO or socket");
    fd_ = open(destination_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    // A socket cannot be opened by name, but our own standard output is open already.
    if (fd_ < 0 && errno == ENXIO && S_ISSOCK(mode) && isOpenAs(destination_, STDOUT_FILENO))
        fd_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) fail(errno);
    // A reader that leaves a pipe or socket early must end in an error, not a silent exit.
    std::signal(SIGPIPE, SIG_IGN);
}

void PendingFile::openTemporary(const struct stat* existing) {
    const std::filesystem::path target(target_);
    const std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    // No signal of ours between making the file and knowing its name.
    const signalcleanup::Held held;
    onSignal_.emplace(pattern.c_str());
    if (onSignal_->error()) fail(onSignal_->error());
    fd_ = mkstemp(onSignal_->path());
    if (fd_ < 0) fail(errno);
    temporary_ = onSignal_->path();

    // mkstemp makes the file private: a new output gets the usual mode, a
    // replaced one keeps its owner (where we may give it) and permissions.
    mode_t mode = 0;
    if (existing) {
        if (fchown(fd_, existing->st_uid, existing->st_gid) != 0) {
            // Only root may give a file away; ours is then the owner.
        }
        mode = existing->st_mode & 0777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd_, mode);
}

int PendingFile::releaseDescriptor() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void PendingFile::writeAll(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void PendingFile::commit() {
    const int fd = releaseDescriptor();
    if (fd >= 0 && close(fd) != 0) fail(errno);
    if (!direct() && std::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
    committed_ = true;
    onSignal_.reset();
}
