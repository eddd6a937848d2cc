#include "HostTestSupport.h"

#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "AudioFile.h"

extern char** environ;

namespace fs = std::filesystem;

std::vector<std::string> RunResult::errLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {

// The plug-ins these tests load read and write a settings store: this test
// program and every host it starts use one of their own, never the user's.
class PrivateSettingsStore {
public:
    PrivateSettingsStore() {
        std::string pattern = (fs::temp_directory_path() / "corvane-host-tests-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            folder_ = pattern;
            setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        }
    }
    ~PrivateSettingsStore() {
        std::error_code ignored;
        if (!folder_.empty()) fs::remove_all(folder_, ignored);
    }

private:
    std::string folder_;
};
const PrivateSettingsStore privateSettingsStore;

std::vector<std::string> environmentWith(const Environment& changes) {
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const bool replaced = std::any_of(changes.begin(), changes.end(), [&](const auto& change) {
            return entry.rfind(change.first + "=", 0) == 0;
        });
        if (!replaced) result.push_back(entry);
    }
    for (const auto& [key, value] : changes) result.push_back(key + "=" + value);
    return result;
}

}  // namespace

HostProcess::HostProcess(const std::vector<std::string>& args, const Environment& env, const std::string& cwd,
                         PassedDescriptor passed) {
    const std::string outPath = capture_.path("stdout"), errPath = capture_.path("stderr");
    std::vector<std::string> argStrings{CORVANE_HOST_EXE};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStrings = environmentWith(env);
    std::vector<char*> envp;
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (passed.ours >= 0) posix_spawn_file_actions_adddup2(&actions, passed.ours, passed.as);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());

    // A test run in the background of a shell inherits SIGINT ignored.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, CORVANE_HOST_EXE, &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) throw std::runtime_error("cannot start " CORVANE_HOST_EXE);
    pid_ = pid;
}

HostProcess::~HostProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status;
    waitpid(pid_, &status, 0);
}

std::string HostProcess::out() const { return readFile(capture_.path("stdout")); }

RunResult HostProcess::wait(int seconds) {
    RunResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    pid_t done = 0;
    while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done == pid_) {
        pid_ = -1;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    result.out = out();
    result.err = readFile(capture_.path("stderr"));
    return result;  // a host still running is killed by the destructor
}

RunResult runHost(const std::vector<std::string>& args, const std::string& cwd, const Environment& env) {
    return HostProcess(args, env, cwd).wait(600);
}

RunResult runHostThroughPipe(const std::vector<std::string>& args, int fd, bool socket, std::string& received) {
    int ends[2];  // reading, writing
    if ((socket ? socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) : pipe2(ends, O_CLOEXEC)) != 0)
        throw std::runtime_error("cannot make a pipe");
    HostProcess host(args, {}, "", {ends[1], fd});
    close(ends[1]);  // the host's end is then the only one: its exit ends the reading
    char buffer[65536];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR) break;
    }
    close(ends[0]);
    return host.wait(600);
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/corvane-host-test.XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    root_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::string TempDir::path(const std::string& name) const { return name.empty() ? root_ : root_ + "/" + name; }

std::vector<std::string> TempDir::files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

FifoReader::FifoReader(const std::string& path, std::size_t keep)
    : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)), thread_([this, keep] { run(keep); }) {}

std::string FifoReader::finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return received_;
}

void FifoReader::run(std::size_t keep) {
    char buffer[65536];
    while (fd_ >= 0 && received_.size() < keep) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            received_.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno == EAGAIN) {  // no writer, or nothing written yet
            if (stop_) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            break;
        }
    }
    if (fd_ >= 0) close(fd_);
}

AudioBuffer testAudio(int channels, double seconds, double sampleRate) {
    AudioBuffer audio;
    audio.sampleRate = sampleRate;
    const auto frames = static_cast<std::size_t>(seconds * sampleRate);
    unsigned state = 1;
    for (int c = 0; c < channels; ++c) {
        std::vector<float> samples(frames);
        for (std::size_t i = 0; i < frames; ++i) {
            state = state * 1103515245u + 12345u;
            const double noise = static_cast<double>(state >> 9) / (1u << 22) - 1.0;
            const double envelope = std::exp(-static_cast<double>(i % 11025) / 2000.0);
            samples[i] = static_cast<float>(0.4 * noise * envelope / (c + 1));
        }
        audio.channels.push_back(std::move(samples));
    }
    return audio;
}

std::string fixture(const std::string& name) { return std::string(FIXTURE_DIR) + "/" + name + ".so"; }

Picture readPng(const std::string& path) {
    Picture picture;
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
        picture.width = cairo_image_surface_get_width(png);
        picture.height = cairo_image_surface_get_height(png);
        const unsigned char* data = cairo_image_surface_get_data(png);
        const int stride = cairo_image_surface_get_stride(png);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                picture.pixels.push_back(reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF);
    }
    cairo_surface_destroy(png);
    return picture;
}
