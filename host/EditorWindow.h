// The host's top-level X11 window that a plug-in's editor opens inside, on
// the host's own connection to the display named by $DISPLAY. It is mapped
// before the editor opens, keeps the editor's size, and tells when the user
// closes it (the window manager's WM_DELETE_WINDOW, or Ctrl+C / SIGTERM).
// A window only looked at lets the pointer pass through it, so that the
// editor inside never sees the pointer enter or move (no hover highlight).
// A window the user works in collects the keys it receives (those the
// editor does not take itself), for the host to pass on as a DAW does.
#pragma once

#include <X11/Xlib.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "vst2.h"

class EditorWindow {
public:
    enum class Pointer { reaches, passesThrough };

    // Throws HostError when there is no display or no window can be made.
    EditorWindow(const std::string& title, int width, int height, Pointer pointer);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    Window id() const { return window_; }
    Display* display() const { return display_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void resize(int width, int height);

    // Handles the events that have arrived; false once the user asked to
    // close the window.
    bool handleEvents();
    // Sleeps until an event arrives, a signal comes, or `milliseconds` pass.
    void wait(int milliseconds);

    // The keys pressed and released since the last call, oldest first.
    struct Key {
        bool down;
        VstKeyCode code;
    };
    std::vector<Key> takeKeys();

    // What the server shows of the window and the editor in it, 0xRRGGBB
    // row by row. Throws HostError when the server cannot give it.
    std::vector<std::uint32_t> pixels();

private:
    void passPointerThrough();
    void waitForMap();
    void fixSize();

    Display* display_ = nullptr;
    Window window_ = 0;
    Atom deleteWindow_ = 0;
    int width_ = 0, height_ = 0;
    bool closeRequested_ = false;
    std::vector<Key> keys_;
    struct sigaction previousInt_ {}, previousTerm_ {};
};
