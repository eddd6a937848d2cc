// An output file that appears whole or not at all: written under a temporary
// name in the destination folder and renamed over the destination by
// commit(). Dropped without commit(), the temporary file is removed.
#pragma once

#include <string>

class PendingFile {
public:
    // Creates the temporary file; throws HostError if the folder is not writable.
    explicit PendingFile(std::string destination);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& destination() const { return destination_; }
    const std::string& temporaryPath() const { return temporary_; }
    // The open descriptor; pass ownership on with releaseDescriptor().
    int descriptor() const { return fd_; }
    int releaseDescriptor();

    void writeAll(const void* data, std::size_t size);
    void commit();

private:
    void closeDescriptor();

    std::string destination_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};
