// Reading and replacing the user's small files (preset and bank files, the
// stored settings) so that nothing can hang the host or lose what was there:
// reads open read-only, take only regular files and at most what is asked;
// a replacement is written beside the old file and renamed over it only when
// every byte reached the disk.
#pragma once

#include <cstddef>
#include <string>

#include <sys/types.h>

namespace safefile {

struct ReadResult {
    bool opened = false;  // a regular file was opened and read
    std::size_t size = 0;  // bytes read, at most the capacity
    bool more = false;     // the file holds more than the capacity
    int error = 0;         // errno when not opened
};

// Reads at most `capacity` bytes of the regular file at `path`. Anything
// else (a folder, a FIFO, a device) is refused without waiting on it.
ReadResult readRegularFile(const std::string& path, void* buffer, std::size_t capacity);

// Replaces the file at `path` (through a symbolic link, the file it names)
// with `size` bytes. The file keeps its mode; a new one gets `newFileMode`
// less the umask. Answers 0, or the errno of the step that failed: the old
// file is then as it was and no temporary file is left.
int replaceFile(const std::string& path, const void* data, std::size_t size, mode_t newFileMode);

// Splits at the last "/", which stays with the folder: "/a/b.arp" gives
// "/a/" and "b.arp"; a path without "/" has an empty folder.
struct SplitPath {
    std::string folder;
    std::string name;
};
SplitPath splitPath(const std::string& path);

}  // namespace safefile
