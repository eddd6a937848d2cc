#include "EditorSession.h"

#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <string>

#include "HostError.h"
#include "PluginDescription.h"

namespace {

// Until the editor tells its size, and for rectangles past any screen.
constexpr int kFallbackWidth = 400, kFallbackHeight = 300;
constexpr int kMaxSide = 16384;

}  // namespace

void requireEditor(const PluginInstance& plugin) {
    if (!plugin.hasFlag(effFlagsHasEditor))
        throw HostError("'" + plugin.path() + "' has no editor of its own (its record lacks effFlagsHasEditor)");
}

EditorSession::EditorSession(PluginInstance& plugin, std::ostream* log, EditorWindow::Pointer pointer)
    : plugin_(plugin), log_(log) {
    requireEditor(plugin);
    const Size before = editorSize().value_or(Size{kFallbackWidth, kFallbackHeight});
    window_ = std::make_unique<EditorWindow>("corvane-host: " + effectName(plugin), before.width, before.height,
                                             pointer);
    plugin_.setListener(this);
    // The window in ptr; the host's display connection in value, as Linux
    // hosts pass it and some editors use it.
    if (plugin_.dispatch(effEditOpen, 0, reinterpret_cast<VstIntPtr>(window_->display()),
                         reinterpret_cast<void*>(window_->id())) == 0) {
        plugin_.setListener(nullptr);
        throw HostError("'" + plugin.path() + "' did not open its editor");
    }
    open_ = true;
    if (const auto after = editorSize()) window_->resize(after->width, after->height);
}

EditorSession::~EditorSession() {
    if (open_) plugin_.dispatch(effEditClose);
    plugin_.setListener(nullptr);
}

std::optional<EditorSession::Size> EditorSession::editorSize() {
    ERect* rect = nullptr;
    plugin_.dispatch(effEditGetRect, 0, 0, &rect);  // some editors fill it in but answer 0
    if (!rect) return std::nullopt;
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    return Size{width, height};
}

bool EditorSession::waitForIdleTime() {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    if (nextIdle_ < now - milliseconds(kIdleMilliseconds)) nextIdle_ = now;  // no catching up after a stall
    for (;;) {
        if (!window_->handleEvents()) return false;
        passKeysOn();
        const auto left = duration_cast<milliseconds>(nextIdle_ - steady_clock::now()).count();
        if (left <= 0) break;
        window_->wait(static_cast<int>(left));
    }
    nextIdle_ += milliseconds(kIdleMilliseconds);
    return true;
}

// As a DAW does: character in index, virtual key in value, modifiers in opt.
// What the editor does not take has no other use here.
void EditorSession::passKeysOn() {
    for (const EditorWindow::Key& key : window_->takeKeys())
        plugin_.dispatch(key.down ? effEditKeyDown : effEditKeyUp, key.code.character, key.code.virt, nullptr,
                         static_cast<float>(key.code.modifier));
}

bool EditorSession::idleTimes(int count) {
    for (int i = 0; i < count; ++i) {
        if (!waitForIdleTime()) return false;
        plugin_.dispatch(effEditIdle);
    }
    return true;
}

void EditorSession::writeLog(const char* format, ...) {
    if (!log_) return;
    char line[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::lock_guard lock(logMutex_);
    *log_ << line << "\n" << std::flush;  // someone may be watching it live
}

void EditorSession::automate(int index, float value) { writeLog("automate %d %.6g", index, static_cast<double>(value)); }
void EditorSession::beginEdit(int index) { writeLog("beginEdit %d", index); }
void EditorSession::endEdit(int index) { writeLog("endEdit %d", index); }
void EditorSession::updateDisplay() { writeLog("updateDisplay"); }

bool EditorSession::sizeWindow(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    window_->resize(width, height);
    return true;
}
