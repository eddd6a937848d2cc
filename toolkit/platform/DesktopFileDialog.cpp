#include "toolkit/platform/DesktopFileDialog.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Kind = FileDialogRequest::Kind;

// Enough for thousands of paths; anything past it is read and dropped so
// that a chatty program can still finish writing and exit.
constexpr size_t kMaxAnswerBytes = 1 << 20;

std::string_view baseName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Empty PATH entries are skipped: a plug-in must not run programs from
// whatever the host's current directory happens to be.
std::string locate(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return isExecutableFile(program) ? program : std::string{};
    const char* path = std::getenv("PATH");
    std::string_view dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        const size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
        if (dir.empty()) continue;
        std::string candidate = std::string(dir) + "/" + program;
        if (isExecutableFile(candidate)) return candidate;
    }
    return {};
}

// The folder with a trailing slash (so that both dialogs open it rather
// than propose its name), followed by the proposed name when saving.
std::string startLocation(const FileDialogRequest& request) {
    std::string where = request.initialDirectory;
    if (!where.empty() && where.back() != '/') where += '/';
    if (request.kind == Kind::save) where += request.proposedName;
    return where;
}

std::vector<std::string> zenityArguments(const FileDialogRequest& request) {
    std::vector<std::string> args{"--file-selection"};
    if (!request.title.empty()) args.push_back("--title=" + request.title);
    if (request.kind == Kind::save) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
    }
    if (request.kind == Kind::directory) args.push_back("--directory");
    if (const std::string start = startLocation(request); !start.empty()) args.push_back("--filename=" + start);
    if (request.kind != Kind::directory && !request.filters.empty()) {
        for (const FileDialogFilter& filter : request.filters) {
            const std::string pattern = "*." + filter.extension;
            args.push_back("--file-filter=" + filter.description + " (" + pattern + ") | " + pattern);
        }
        args.push_back("--file-filter=All files | *");
    }
    // A newline separates the paths: it is the character least likely to be
    // part of one.
    if (request.multiple && request.kind == Kind::open) {
        args.push_back("--multiple");
        args.push_back("--separator=\n");
    }
    if (request.parentWindow != 0) args.push_back("--attach=" + std::to_string(request.parentWindow));
    return args;
}

std::vector<std::string> kdialogArguments(const FileDialogRequest& request) {
    const char* mode = request.kind == Kind::save        ? "--getsavefilename"
                       : request.kind == Kind::directory ? "--getexistingdirectory"
                                                         : "--getopenfilename";
    std::vector<std::string> args{mode, startLocation(request)};
    if (request.kind != Kind::directory && !request.filters.empty()) {
        std::string filters;
        for (const FileDialogFilter& filter : request.filters) {
            const std::string pattern = "*." + filter.extension;
            filters += pattern + "|" + filter.description + " (" + pattern + ")\n";
        }
        args.push_back(filters + "*|All files");
    }
    if (!request.title.empty()) {
        args.push_back("--title");
        args.push_back(request.title);
    }
    if (request.multiple && request.kind == Kind::open) {
        args.push_back("--multiple");
        args.push_back("--separate-output");
    }
    if (request.parentWindow != 0) {
        args.push_back("--attach");
        args.push_back(std::to_string(request.parentWindow));
    }
    return args;
}

struct ChildResult {
    bool started = false;
    bool succeeded = false;  // exited with code 0
    std::string output;
};

// Runs the program without a shell, its standard output into a pipe, and
// waits for it. The child gets no descriptor of ours but that pipe, its
// standard input reads nothing, and it starts with default signal handling
// whatever the host has blocked or ignored.
ChildResult runCapturingOutput(const std::string& path, const std::vector<std::string>& args) {
    ChildResult result;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The pipe first: if the host runs with its standard input closed, the
    // pipe may be descriptor 0 and must be moved before /dev/null takes it.
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
    // Hosts open files without O_CLOEXEC too.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    const int spawnError = posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawnError != 0) {
        close(pipeEnds[0]);
        return result;
    }
    result.started = true;

    char buffer[4096];
    for (;;) {
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        const size_t room = kMaxAnswerBytes - result.output.size();
        result.output.append(buffer, std::min(static_cast<size_t>(got), room));
    }
    close(pipeEnds[0]);

    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    result.succeeded = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

bool hasExtension(std::string_view path) {
    const size_t dot = baseName(path).rfind('.');
    return dot != std::string_view::npos && dot > 0;
}

std::vector<std::string> chosenPaths(std::string answer, const FileDialogRequest& request) {
    if (!answer.empty() && answer.back() == '\n') answer.pop_back();
    std::vector<std::string> paths;
    if (request.multiple) {
        size_t start = 0;
        while (start < answer.size()) {
            size_t end = answer.find('\n', start);
            if (end == std::string::npos) end = answer.size();
            if (end > start) paths.push_back(answer.substr(start, end - start));
            start = end + 1;
        }
    } else if (!answer.empty()) {
        paths.push_back(std::move(answer));
    }
    if (request.kind == Kind::save && !request.saveExtension.empty()) {
        for (std::string& path : paths)
            if (!hasExtension(path)) path += "." + request.saveExtension;
    }
    return paths;
}

}  // namespace

DesktopFileDialog::DesktopFileDialog(std::vector<std::string> programs) : programs_(std::move(programs)) {}

std::vector<std::string> DesktopFileDialog::run(const FileDialogRequest& request) const {
    for (const std::string& program : programs_) {
        const std::string path = locate(program);
        if (path.empty()) continue;
        const bool isKdialog = baseName(path) == "kdialog";
        ChildResult child = runCapturingOutput(path, isKdialog ? kdialogArguments(request) : zenityArguments(request));
        if (!child.started) continue;
        // A dialog that ran has answered, even by failing: asking the next
        // program would show the user a second dialog.
        if (!child.succeeded) return {};
        return chosenPaths(std::move(child.output), request);
    }
    return {};
}
