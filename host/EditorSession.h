// A plug-in's editor open in a window of the host, driven with the calls a
// DAW makes: effEditGetRect, a window of that size, effEditOpen with the
// window, effEditGetRect again (the window follows a new size), effEditIdle
// about 30 times a second, and effEditClose at the end. What the editor
// sends the host (automation, begin and end of a gesture, display updates)
// can be written to a log, one line each:
//   automate INDEX VALUE    beginEdit INDEX    endEdit INDEX    updateDisplay
#pragma once

#include <chrono>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>

#include "EditorWindow.h"
#include "PluginInstance.h"

struct ERect;

class EditorSession : public HostListener {
public:
    static constexpr int kIdleMilliseconds = 33;

    // Opens the editor; throws HostError when the plug-in has none or it
    // does not open. `log` may be null.
    EditorSession(PluginInstance& plugin, std::ostream* log, EditorWindow::Pointer pointer);
    ~EditorSession() override;  // effEditClose, then the window goes
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    EditorWindow& window() { return *window_; }

    // Idles `count` times at the editor's pace, handling the window's events
    // in between; false (and fewer idles) once the user closes the window.
    bool idleTimes(int count);
    void runUntilClosed() {
        while (idleTimes(1)) {}
    }

    void automate(int index, float value) override;
    void beginEdit(int index) override;
    void endEdit(int index) override;
    void updateDisplay() override;
    bool sizeWindow(int width, int height) override;

private:
    struct Size {
        int width, height;
    };
    std::optional<Size> editorSize();
    bool waitForIdleTime();
    // Hands the keys the window received to the editor.
    void passKeysOn();
    void writeLog(const char* format, ...) __attribute__((format(printf, 2, 3)));

    PluginInstance& plugin_;
    std::ostream* log_;
    std::mutex logMutex_;  // plug-ins may report from threads of their own
    std::unique_ptr<EditorWindow> window_;
    bool open_ = false;
    std::chrono::steady_clock::time_point nextIdle_;
};

// "'PLUGIN' has no editor" unless the record says it has one.
void requireEditor(const PluginInstance& plugin);
