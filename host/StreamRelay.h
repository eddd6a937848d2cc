// A stream's first bytes read ahead, so that its header can be looked at
// before anything else reads it, then passed on unchanged, those bytes first,
// by a thread of its own into a socket whose other end reads as the stream
// would (libsndfile takes a socket for the pipe it is).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class StreamRelay {
public:
    static constexpr std::size_t kMaxHead = 64 * 1024;

    // Takes `input` (closed with the relay) and reads from it until `enough`
    // says so of the bytes so far, the stream ends or kMaxHead bytes came.
    // Throws HostError naming `name` when it cannot be read.
    StreamRelay(int input, const std::string& name, const std::function<bool(const std::vector<unsigned char>&)>& enough);
    ~StreamRelay();
    StreamRelay(const StreamRelay&) = delete;
    StreamRelay& operator=(const StreamRelay&) = delete;

    const std::vector<unsigned char>& head() const { return head_; }
    // The end to read the stream from; the relay closes it.
    int fd() const { return theirs_; }
    // The errno of the read that broke the stream off, once fd() has come to
    // its end; 0 when it ended as the stream did.
    int error() const { return error_.load(); }

private:
    void run();
    bool send(const unsigned char* bytes, std::size_t size) const;

    int input_;
    int ours_ = -1, theirs_ = -1;  // the socket's two ends
    std::vector<unsigned char> head_;
    std::atomic<int> error_{0};
    std::thread thread_;
};
