#include "SignalCleanup.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace signalcleanup {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSlots = 8;  // a command has at most two outputs pending at once

struct Place {
    std::atomic<bool> used{false};
    char path[Slot::kCapacity] = {};
};
Place places[kSlots];
static_assert(std::atomic<bool>::is_always_lock_free, "read inside a signal handler");

void removePending(int signal) {
    const int savedErrno = errno;
    for (Place& place : places)
        if (place.used.load(std::memory_order_acquire)) unlink(place.path);
    errno = savedErrno;
    std::signal(signal, SIG_DFL);
    raise(signal);  // delivered, with its default action, once we return
}

void installOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = removePending;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) sigaddset(&action.sa_mask, s);
    for (int s : kSignals) {
        struct sigaction previous {};
        if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) sigaction(s, &action, nullptr);
    }
}

}  // namespace

Held::Held() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : kSignals) sigaddset(&held, s);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

Held::~Held() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

Slot::Slot(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= kCapacity) {
        error_ = ENAMETOOLONG;
        return;
    }
    installOnce();
    for (int i = 0; i < kSlots; ++i) {
        if (places[i].used.load(std::memory_order_relaxed)) continue;
        std::memcpy(places[i].path, path, length + 1);
        places[i].used.store(true, std::memory_order_release);
        index_ = i;
        return;
    }
    error_ = EMFILE;
}

char* Slot::path() { return places[index_].path; }

void Slot::release() {
    if (index_ < 0) return;
    places[index_].used.store(false, std::memory_order_release);
    index_ = -1;
}

}  // namespace signalcleanup
