#include "XvfbServer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The programs' chatter (keymap warnings) is not the tests' output.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

bool XvfbServer::installed() { return PrivateXServer::installed(); }

XvfbServer::XvfbServer() : server_({"640x480x24", "160x120x16"}) {
    if (running()) setenv("DISPLAY", display().c_str(), 1);
}

XvfbServer::~XvfbServer() {
    if (running()) unsetenv("DISPLAY");
}

int runProgram(const std::string& program, const std::initializer_list<std::string>& arguments) {
    pid_t pid = spawn(program, arguments);
    if (pid <= 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
