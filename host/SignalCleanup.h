// Files to remove should the program be ended by SIGINT, SIGTERM or SIGHUP:
// the hidden temporary files of outputs still being written. The handler
// only unlinks paths laid out in advance, which is safe inside a signal
// handler, and then ends the program by the same signal, as if it had not
// been caught. A signal the program was started ignoring (nohup) stays ignored.
#pragma once

#include <csignal>
#include <cstddef>

namespace signalcleanup {

// Holds those signals back in this thread while it lives; one that came
// meanwhile arrives when it ends.
class Held {
public:
    Held();
    ~Held();
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    sigset_t previous_;
};

// A place for one path: `path()` is written by the caller (mkstemp fills it
// in), and the file it names is removed on a signal until release().
class Slot {
public:
    static constexpr std::size_t kCapacity = 4096;

    // Takes one of a few places and installs the handler the first time.
    // Without a place (see error()) the path is not protected.
    explicit Slot(const char* path);
    ~Slot() { release(); }
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;

    // ENAMETOOLONG or EMFILE when no place was taken, else 0.
    int error() const { return error_; }
    char* path();
    void release();

private:
    int index_ = -1;
    int error_ = 0;
};

}  // namespace signalcleanup
