// A desktop dialog program (zenity, kdialog) run as a child process that the
// user-interface thread watches without waiting for it. The program runs
// under /bin/sh, which writes the program's exit status after its answer:
// the status is known even when the host ignores SIGCHLD or reaps children
// itself, where waitpid cannot report it.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

class DialogProcess {
public:
    DialogProcess() = default;
    ~DialogProcess() { stop(); }
    DialogProcess(const DialogProcess&) = delete;
    DialogProcess& operator=(const DialogProcess&) = delete;

    // Starts the program at `path` (no shell word splitting: each argument
    // is passed as it is). False when it could not be started or one runs.
    bool start(const std::string& path, const std::vector<std::string>& args);
    // Takes what the program wrote so far; true while it runs. Never waits.
    bool poll();
    // Returns when the program has ended.
    void wait();
    // Ends the program and everything it started, and reaps it.
    void stop();
    bool running() const { return pid_ > 0; }

    // Once ended: whether it exited with 0, and its standard output.
    bool succeeded() const { return succeeded_; }
    const std::string& output() const { return output_; }

    // Starts a program that nobody waits for: its process is not a child of
    // ours, so nothing needs reaping. False when it could not be started.
    static bool launchDetached(const std::string& path, const std::vector<std::string>& args);

private:
    bool step(bool block);
    void drain();
    void closePipe();
    void finish();

    pid_t pid_ = 0;
    int pipe_ = -1;  // read end; -1 once the program closed its output
    std::string output_;
    bool succeeded_ = false;
};
