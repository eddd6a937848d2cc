#include "PrivateXServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

}  // namespace

bool PrivateXServer::installed() { return onPath("Xvfb"); }

PrivateXServer::PrivateXServer(const std::vector<std::string>& screens) {
    int fds[2];
    if (pipe(fds) != 0) return;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb", "-displayfd", fd, "-nolisten", "tcp", "-noreset"};
    for (std::size_t i = 0; i < screens.size(); ++i) args.insert(args.end(), {"-screen", std::to_string(i), screens[i]});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // The server ends with its owner, even one that crashed.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        const int quiet = open("/dev/null", O_WRONLY);  // keymap warnings are not our output
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        return;
    }
    // Xvfb writes the display number and a newline once it is ready; EOF
    // first means it failed.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c;
        if (read(fds[0], &c, 1) != 1) break;
        if (c == '\n') {
            display_ = ":" + number;
            break;
        }
        number += c;
    }
    close(fds[0]);
}

PrivateXServer::~PrivateXServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
}
