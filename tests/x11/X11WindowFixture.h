// One Xvfb per test process; each test opens the editor's window in a fresh
// host window and checks that no error of the plug-in's connection ever
// reaches the handler the host had installed.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "X11TestSupport.h"
#include "XvfbServer.h"

class X11WindowTest : public XvfbSuite {
protected:
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 90;

    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        host = std::make_unique<HostDisplay>();
        ASSERT_TRUE(host->get());
        errors = std::make_unique<ErrorsPassedOn>();
    }

    void TearDown() override {
        window.reset();
        if (host && host->get()) XSync(host->get(), False);
        if (errors) {
            EXPECT_EQ(ErrorsPassedOn::count, 0) << "X errors reached the host's handler";
        }
        errors.reset();
        host.reset();
    }

    // As hosts do: a parent of the editor's size, then effEditOpen.
    void open() {
        parent = host->createParent();
        XResizeWindow(host->get(), parent, kWidth, kHeight);
        XSync(host->get(), False);
        window = createPlatformWindow(reinterpret_cast<void*>(parent), CRect(0, 0, kWidth, kHeight), owner);
        ASSERT_TRUE(window);
    }

    void pump() {
        if (window) window->pumpEvents();
    }
    bool pumpUntil(const std::function<bool()>& done) {
        return eventually(done, [this] { pump(); });
    }
    std::string id() const { return std::to_string(window->windowId()); }

    std::vector<uint32_t> ownerPixels() const { return imagePixels(owner.image); }
    bool showsOwnersPicture() { return host->screenshot(window->windowId(), kWidth, kHeight) == ownerPixels(); }
    // Another application's window over ours, then gone: the server sends
    // ours an expose and nobody pumps it.
    void coverAndUncover(int screen = 0) {
        Window cover = host->createParent(kWidth, kHeight, 0, screen);
        XDestroyWindow(host->get(), cover);
        XSync(host->get(), False);
    }
    Window focusedWindow() const { return ::focusedWindow(host->get()); }

    std::unique_ptr<HostDisplay> host;
    std::unique_ptr<ErrorsPassedOn> errors;
    FakeOwner owner{kWidth, kHeight};
    Window parent = None;
    std::unique_ptr<PlatformWindow> window;
};

// xdotool drives the server's test extension: real presses, as a user's.
#define XDOTOOL(...) ASSERT_EQ(runProgram("xdotool", {__VA_ARGS__}), 0) << "xdotool failed"
