// Where a path really leads, and whether two paths (or a path and an open
// descriptor) lead to the same file.
#pragma once

#include <sys/types.h>

#include <string>
#include <system_error>

// Follows a chain of symbolic links to the path of the file the last one
// names, which need not exist yet; any other path comes back as it is. Sets
// `error` on a loop or an unreadable link.
std::string followLinks(const std::string& path, std::error_code& error);

// A file is known by its device and inode; one still to be made by those of
// its folder and its name.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::string name;  // only for a file that is not there yet

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity fileIdentity(const std::string& path);

// Whether `path`, links followed, is the file open as `fd`.
bool isOpenAs(const std::string& path, int fd);
