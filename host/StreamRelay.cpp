#include "StreamRelay.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "HostError.h"

StreamRelay::StreamRelay(int input, const std::string& name,
                         const std::function<bool(const std::vector<unsigned char>&)>& enough)
    : input_(input) {
    const auto fail = [&](int error) {
        close(input_);
        throw HostError("cannot read '" + name + "': " + std::strerror(error));
    };
    while (head_.size() < kMaxHead && !enough(head_)) {
        std::array<unsigned char, 4096> block{};
        const ssize_t got = read(input_, block.data(), std::min(block.size(), kMaxHead - head_.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(errno);
        if (got == 0) break;
        head_.insert(head_.end(), block.begin(), block.begin() + got);
    }
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) fail(errno);
    ours_ = ends[0];
    theirs_ = ends[1];
    // The relay takes no signals: they stay with the main thread, whose
    // handlers know what it is in the middle of.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    try {
        thread_ = std::thread(&StreamRelay::run, this);
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        close(ours_);
        close(theirs_);
        close(input_);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

StreamRelay::~StreamRelay() {
    // A reader that stops early leaves the relay nowhere to send: this wakes it.
    shutdown(theirs_, SHUT_RDWR);
    thread_.join();
    close(theirs_);
    close(input_);
}

bool StreamRelay::send(const unsigned char* bytes, std::size_t size) const {
    while (size > 0) {
        // MSG_NOSIGNAL: a reader gone is an answer, not a SIGPIPE.
        const ssize_t sent = ::send(ours_, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

void StreamRelay::run() {
    std::array<unsigned char, 64 * 1024> block{};
    for (bool going = send(head_.data(), head_.size()); going;) {
        // Waits for the input or for the reader to leave, whichever comes first.
        std::array<pollfd, 2> waits{pollfd{input_, POLLIN, 0}, pollfd{ours_, 0, 0}};
        const int ready = poll(waits.data(), waits.size(), -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            error_ = errno;
            break;
        }
        if (waits[1].revents != 0) break;
        if (waits[0].revents == 0) continue;
        const ssize_t got = read(input_, block.data(), block.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) error_ = errno;
        going = got > 0 && send(block.data(), static_cast<std::size_t>(got));
    }
    close(ours_);  // the end of the stream for the reader, after any error is set
}
