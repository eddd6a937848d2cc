#include "presets/SettingsStore.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "presets/SafeFile.h"

namespace settingsstore {
namespace {

constexpr const char* kKeyPath = "Arlocraft/ArloCorvane/";
constexpr mode_t kFolderMode = 0700;
constexpr mode_t kValueMode = 0600;

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); isAbsolute(home)) return home;
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        isAbsolute(found->pw_dir))
        return found->pw_dir;
    return {};
}

std::string configHome() {
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); isAbsolute(config)) return config;
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

std::string pathOf(const char* name) {
    const std::string where = folder();
    return where.empty() ? std::string() : where + name;
}

// Creates every missing folder on the way; answers 0 or an errno.
int makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), kFolderMode) != 0 && errno != EEXIST) return errno;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

std::string folder() {
    std::string config = configHome();
    if (config.empty()) return {};
    if (config.back() != '/') config += '/';
    return config + kKeyPath;
}

bool readRecord(const char* name, std::uint8_t* record, std::size_t size) {
    const std::string path = pathOf(name);
    if (path.empty()) return false;
    const safefile::ReadResult read = safefile::readRegularFile(path, record, size);
    return read.opened && read.size == size && !read.more;
}

std::optional<std::string> readText(const char* name) {
    const std::string path = pathOf(name);
    if (path.empty()) return std::nullopt;
    // A path holds at most PATH_MAX - 1 bytes and its terminator.
    std::string text(PATH_MAX - 1, '\0');
    const safefile::ReadResult read = safefile::readRegularFile(path, text.data(), text.size());
    if (!read.opened || read.more) return std::nullopt;
    text.resize(read.size);
    if (text.find('\0') != std::string::npos) return std::nullopt;
    return text;
}

int writeValue(const char* name, const void* data, std::size_t size) {
    const std::string where = folder();
    if (where.empty()) return ENOENT;
    if (int error = makeFolders(where)) return error;
    return safefile::replaceFile(where + name, data, size, kValueMode);
}

int writeText(const char* name, const std::string& text) {
    return writeValue(name, text.data(), text.size());
}

void removeValue(const char* name) {
    const std::string path = pathOf(name);
    if (!path.empty()) unlink(path.c_str());
}

}  // namespace settingsstore
