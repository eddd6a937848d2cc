// The plug-in's own editor in corvane-host, as a user without a DAW tries it:
// a drag on the Decay knob and a click on the bypass button, delivered by the
// X server, become parameter changes the host sees as automation; and the
// screenshot command's picture is exactly the editor's own off-screen render,
// wherever the user's pointer is.
#include <gtest/gtest.h>

// The plug-in's headers before Xlib's, whose macros (Status, None) clash.
#include "tests/editor/EditorSupport.h"

#include <X11/Xlib.h>
#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <utility>

#include "HostTestSupport.h"
#include "X11Observer.h"
#include "XvfbServer.h"
#include "tests/toolkit/filedialog/FakeDialogPrograms.h"

namespace {

const std::string kTitle = "corvane-host: Arlo Corvane";

class ArloEditorInHost : public ObservedXvfbSuite {
protected:
    static bool has(const std::vector<std::string>& all, const std::string& line) {
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    void xdotool(const std::initializer_list<std::string>& args) { ASSERT_EQ(runProgram("xdotool", args), 0); }

    TempDir dir;
};

TEST_F(ArloEditorInHost, ServerGesturesBecomeAutomation) {
    HostProcess host({"edit", ARLO_PLUGIN, "--log", "--set", "decay=0.5", "--set", "bypass=0"});
    Window window = 0;
    ASSERT_TRUE(waitUntil([&] {
        window = observer->find(kTitle);
        return window && observer->childCount(window) == 1;
    })) << "no window with the editor appeared";
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(observer->get(), window, &attributes));
    EXPECT_EQ(attributes.width, 320);
    EXPECT_EQ(attributes.height, 257);

    const std::string id = std::to_string(window);
    // 20 pixels down the Decay knob: -0.1 in linear mode.
    xdotool({"mousemove", "--window", id, "72", "93", "mousedown", "1", "mousemove", "--window", id, "72", "103",
             "mousemove", "--window", id, "72", "113", "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return host.out().find("endEdit 2\n") != std::string::npos; })) << host.out();
    xdotool({"mousemove", "--window", id, "160", "175", "click", "1"});
    ASSERT_TRUE(waitUntil([&] { return host.out().find("endEdit 7\n") != std::string::npos; })) << host.out();

    observer->close(window);
    const RunResult r = host.wait(20);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> log = lines(r.out);
    EXPECT_TRUE(has(log, "beginEdit 2")) << r.out;
    EXPECT_TRUE(has(log, "automate 2 0.4")) << r.out;
    EXPECT_TRUE(has(log, "automate 7 1")) << r.out;
    // What getParameter says once the window is closed.
    EXPECT_TRUE(has(log, "value 2 0.4")) << r.out;
    EXPECT_TRUE(has(log, "value 7 1")) << r.out;
}

// A user's whole round trip in the window: save the sound as a preset (the
// desktop dialog is a fake program answering with a file name), change the
// sound, load the preset again; the sound is back.
TEST_F(ArloEditorInHost, SavedPresetLoadsBackThroughTheWindow) {
    FakeDialogPrograms fakes;
    const std::string file = dir.path("round.arp");
    fakes.install("zenity", file + "\n");
    const char* path = std::getenv("PATH");
    HostProcess host({"edit", ARLO_PLUGIN, "--log", "--set", "decay=0.5"},
                     {{"PATH", fakes.dir() + ":" + (path ? path : "/usr/bin:/bin")},
                      {"XDG_CONFIG_HOME", dir.path("config")}});
    Window window = 0;
    ASSERT_TRUE(waitUntil([&] {
        window = observer->find(kTitle);
        return window && observer->childCount(window) == 1;
    })) << "no window with the editor appeared";
    const std::string id = std::to_string(window);

    xdotool({"mousemove", "--window", id, "17", "233", "click", "1"});  // save preset
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(file); })) << "no preset was saved";
    EXPECT_EQ(std::filesystem::file_size(file), 61u);

    xdotool({"mousemove", "--window", id, "72", "93", "mousedown", "1", "mousemove", "--window", id, "72", "113",
             "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return host.out().find("endEdit 2\n") != std::string::npos; })) << host.out();
    xdotool({"mousemove", "--window", id, "82", "233", "click", "1"});  // load preset
    // Loading selects the program again, which asks the host to update its display.
    ASSERT_TRUE(waitUntil([&] {
        const std::string out = host.out();
        return out.find("updateDisplay", out.find("endEdit 2\n")) != std::string::npos;
    })) << host.out();

    observer->close(window);
    const RunResult r = host.wait(20);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(lines(r.out), "value 2 0.5")) << r.out;
}

// The editor drawn off-screen in this process, with the same values.
std::vector<std::uint32_t> offscreenRender(float decay, float bypass) {
    setPlatformWindowMaker(editortest::makeOffscreenWindow);
    FakeHost fakeHost;
    Corvane effect(&FakeHost::callback);
    effect.setParameter(kDecay, decay);
    effect.setParameter(kBypass, bypass);
    std::vector<std::uint32_t> pixels;
    if (effect.getEditor()->open(editortest::kHostWindow)) {
        effect.getEditor()->idle();
        cairo_surface_t* image = static_cast<ADEditor*>(effect.getEditor())->getFrame()->getImage();
        cairo_surface_flush(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < cairo_image_surface_get_height(image); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(image); ++x)
                pixels.push_back(reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xffffff);
        effect.getEditor()->close();
    }
    setPlatformWindowMaker(nullptr);
    return pixels;
}

// Pixels of a PNG that differ from `expected`; -1 when it is not the window.
int wrongPixels(const std::string& png, const std::vector<std::uint32_t>& expected) {
    const Picture picture = readPng(png);
    if (picture.width != 320 || picture.height != 257 || expected.size() != picture.pixels.size()) return -1;
    int wrong = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) wrong += (picture.pixels[i] & 0xffffff) != expected[i];
    return wrong;
}

// Moves the X pointer to (x, y) of the screen, where the host's window opens
// at the corner (the test's server has no window manager).
void warpPointer(Display* display, int x, int y) {
    XWarpPointer(display, 0, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    XFlush(display);
}

TEST_F(ArloEditorInHost, ScreenshotIsTheEditorsOwnPicture) {
    const std::string png = dir.path("arlo.png");
    const RunResult r = runHost({"screenshot", ARLO_PLUGIN, png, "--set", "decay=0.287", "--set", "bypass=1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + png + ": 320 x 257 pixels\n");
    EXPECT_EQ(wrongPixels(png, offscreenRender(0.287f, 1.0f)), 0);
}

// A pointer resting over a control when the window opens, or moving over it
// while the picture is taken, highlights nothing in the picture.
TEST_F(ArloEditorInHost, ScreenshotIgnoresThePointer) {
    const std::vector<std::uint32_t> expected = offscreenRender(0.5f, 0.0f);
    // The load-preset button, the step switch's left half, the store-memo-A
    // button and the default-bank button, each with a hover picture.
    for (const auto& [x, y] : {std::pair{82, 233}, std::pair{240, 241}, std::pair{275, 233}, std::pair{50, 248}}) {
        SCOPED_TRACE("pointer at " + std::to_string(x) + "," + std::to_string(y));
        warpPointer(observer->get(), x, y);
        std::atomic<bool> taken{false};
        std::thread hand([&, x = x, y = y] {
            Display* own = XOpenDisplay(nullptr);
            for (int i = 0; own && !taken; ++i) {
                warpPointer(own, x + (i % 2 ? 2 : -2), y);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (own) {
                warpPointer(own, x, y);
                XCloseDisplay(own);
            }
        });
        const std::string png = dir.path("pointer.png");
        const RunResult r = runHost({"screenshot", ARLO_PLUGIN, png, "--set", "decay=0.5", "--set", "bypass=0"});
        taken = true;
        hand.join();
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(wrongPixels(png, expected), 0);
    }
}

}  // namespace
