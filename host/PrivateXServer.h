// A virtual X server (Xvfb) of our own, for pictures of an editor where no
// display is at hand. It runs on a free display number, announced through
// -displayfd, and ends with this object or with the process that made it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class PrivateXServer {
public:
    static bool installed();  // Xvfb on PATH

    // One screen per entry, WIDTHxHEIGHTxDEPTH ("1920x1200x24"). Waits until
    // the server accepts connections; running() tells whether it did.
    explicit PrivateXServer(const std::vector<std::string>& screens);
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool running() const { return pid_ > 0 && !display_.empty(); }
    const std::string& display() const { return display_; }  // ":N"

private:
    pid_t pid_ = -1;
    std::string display_;
};
