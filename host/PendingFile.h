// An output file that appears whole or not at all: written under a temporary
// name beside the file and renamed over it by commit(). Dropped without
// commit(), the temporary file is removed, and so it is when SIGINT, SIGTERM
// or SIGHUP ends the program.
// A symbolic link is followed and the file it names replaced, with that
// file's permissions; a read-only file is refused rather than replaced.
// Character devices, FIFOs and sockets (/dev/null, a pipe, /dev/stdout)
// cannot be replaced: they are written straight into, by the path as given.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "SignalCleanup.h"

class PendingFile {
public:
    // Opens the temporary file or the device; throws HostError if it cannot.
    explicit PendingFile(std::string destination);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& destination() const { return destination_; }
    // Empty when writing straight into a device, FIFO or socket.
    const std::string& temporaryPath() const { return temporary_; }
    bool direct() const { return temporary_.empty(); }
    // The open descriptor; pass ownership on with releaseDescriptor().
    int descriptor() const { return fd_; }
    int releaseDescriptor();

    void writeAll(const void* data, std::size_t size);
    void commit();

private:
    void openDirect(mode_t mode);
    void openTemporary(const struct stat* existing);
    [[noreturn]] void fail(int error) const;

    std::string destination_;  // as the user named it
    std::string target_;       // the file it leads to
    std::string temporary_;
    std::optional<signalcleanup::Slot> onSignal_;  // removes temporary_ should a signal end us
    int fd_ = -1;
    bool committed_ = false;
};
