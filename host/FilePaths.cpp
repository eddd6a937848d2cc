#include "FilePaths.h"

#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {
constexpr int kMaxLinks = 40;  // as the kernel allows
}

std::string followLinks(const std::string& path, std::error_code& error) {
    error.clear();
    fs::path current(path);
    for (int hops = 0;; ++hops) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current.string();
        if (hops == kMaxLinks) {
            error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
            return current.string();
        }
        const fs::path target = fs::read_symlink(current, error);
        if (error) return current.string();
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
}

FileIdentity fileIdentity(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) return {status.st_dev, status.st_ino, ""};

    std::error_code ec;
    const fs::path target(followLinks(path, ec));
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!ec && stat(folder.c_str(), &status) == 0) return {status.st_dev, status.st_ino, target.filename().string()};
    return {0, 0, fs::absolute(target, ec).lexically_normal().string()};
}

bool isOpenAs(const std::string& path, int fd) {
    struct stat named {}, open {};
    return stat(path.c_str(), &named) == 0 && fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}
