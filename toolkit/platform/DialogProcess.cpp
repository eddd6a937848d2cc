#include "toolkit/platform/DialogProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The answer is the program's output; the status line follows it.
constexpr const char* kReportStatus = "\"$@\"; printf '\\n%d\\n' \"$?\"";
constexpr const char* kDetach = "\"$@\" >/dev/null 2>&1 &";

// Enough for thousands of paths; anything past it is read and dropped so
// that a chatty program can still finish writing and exit. The status line
// is always kept.
constexpr size_t kMaxAnswerBytes = 1 << 20;
constexpr size_t kStatusRoom = 16;

// How often a blocking wait looks whether the shell has ended while a
// program it started still holds the pipe.
constexpr int kWaitSliceMs = 100;

std::vector<char*> shellArguments(const char* script, const std::string& path, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script),
                            const_cast<char*>("sh"), const_cast<char*>(path.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Runs the script without a descriptor of ours but `output` (as standard
// output), standard input reading nothing, default signal handling whatever
// the host has blocked or ignored, and in a process group of its own so that
// stopping it reaches the program too.
pid_t spawnShell(const char* script, const std::string& path, const std::vector<std::string>& args, int output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The pipe first: if the host runs with its standard input closed, the
    // pipe may be descriptor 0 and must be moved before /dev/null takes it.
    if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    else posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The desktop's dialog programs warn freely (settings daemons, themes);
    // none of that belongs in the host's log.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
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
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    std::vector<char*> argv = shellArguments(script, path, args);
    pid_t child = 0;
    const int error = posix_spawn(&child, "/bin/sh", &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? child : 0;
}

// waitpid that treats a child reaped by someone else (a host ignoring
// SIGCHLD) as ended: answers false only while it still runs.
bool reaped(pid_t child, bool block) {
    pid_t result;
    int status = 0;
    do result = waitpid(child, &status, block ? 0 : WNOHANG);
    while (result < 0 && errno == EINTR);
    return result != 0;
}

}  // namespace

bool DialogProcess::start(const std::string& path, const std::vector<std::string>& args) {
    if (running()) return false;
    output_.clear();
    succeeded_ = false;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    pid_ = spawnShell(kReportStatus, path, args, ends[1]);
    close(ends[1]);
    if (pid_ <= 0) {
        pid_ = 0;
        close(ends[0]);
        return false;
    }
    pipe_ = ends[0];
    fcntl(pipe_, F_SETFL, fcntl(pipe_, F_GETFL) | O_NONBLOCK);
    return true;
}

void DialogProcess::drain() {
    char buffer[4096];
    while (pipe_ >= 0) {
        const ssize_t got = read(pipe_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return;
        if (got <= 0) {
            closePipe();
            return;
        }
        // Past the limit, only the last bytes (where the status is) are kept.
        output_.append(buffer, static_cast<size_t>(got));
        if (output_.size() > kMaxAnswerBytes + kStatusRoom)
            output_.erase(kMaxAnswerBytes, output_.size() - kMaxAnswerBytes - kStatusRoom);
    }
}

void DialogProcess::closePipe() {
    if (pipe_ >= 0) close(pipe_);
    pipe_ = -1;
}

bool DialogProcess::step(bool block) {
    if (!running()) return false;
    if (block && pipe_ >= 0) {
        pollfd ready{pipe_, POLLIN, 0};
        ::poll(&ready, 1, kWaitSliceMs);
    }
    drain();
    // Until the pipe closes only a quick look: the shell writes the status
    // just before it exits.
    if (!reaped(pid_, block && pipe_ < 0)) return true;
    drain();
    closePipe();
    pid_ = 0;
    finish();
    return false;
}

bool DialogProcess::poll() { return step(false); }

void DialogProcess::wait() {
    while (step(true)) {
    }
}

// The output ends with "\n<status>\n"; a shell that was killed wrote none.
void DialogProcess::finish() {
    succeeded_ = false;
    if (output_.size() < 3 || output_.back() != '\n') {
        output_.clear();
        return;
    }
    const size_t start = output_.rfind('\n', output_.size() - 2);
    if (start == std::string::npos) {
        output_.clear();
        return;
    }
    const std::string status = output_.substr(start + 1, output_.size() - start - 2);
    succeeded_ = status == "0";
    output_.resize(start);
}

void DialogProcess::stop() {
    if (!running()) return;
    // While the pipe is open the group has a live member, so its id still
    // names our processes and not someone else's.
    if (pipe_ >= 0) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
    }
    reaped(pid_, true);
    closePipe();
    pid_ = 0;
    output_.clear();
    succeeded_ = false;
}

bool DialogProcess::launchDetached(const std::string& path, const std::vector<std::string>& args) {
    const pid_t shell = spawnShell(kDetach, path, args, -1);
    if (shell <= 0) return false;
    // The shell leaves at once, handing the program to init.
    reaped(shell, true);
    return true;
}
