// corvane-host's edit and screenshot with the fixture plug-in's editor, on
// the suite's Xvfb as a user's display and on the host's own: the window
// appears at the editor's size, a click the X server delivers becomes
// automation in the log, closing the window closes the editor before the
// plug-in, and the screenshot holds exactly what the editor drew.
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>
#include <thread>

#include "FixtureEditorLook.h"
#include "HostTestSupport.h"
#include "XvfbServer.h"
#include "X11Observer.h"

namespace {

namespace look = fixture_editor;

const std::string kTitle = "corvane-host: Fixture";

// The fixture's log from the first editor call on.
std::vector<std::string> editorCalls(const std::string& logPath) {
    auto all = lines(readFile(logPath));
    auto first = std::find(all.begin(), all.end(), "editGetRect");
    return {first, all.end()};
}

class HostEditor : public ObservedXvfbSuite {
protected:

    // Starts `edit` and waits until the editor sits in the host's window.
    std::unique_ptr<HostProcess> startEdit() {
        auto host = std::make_unique<HostProcess>(std::vector<std::string>{"edit", fixture("fixture_editor"), "--log"},
                                                  Environment{{"CORVANE_FIXTURE_LOG", logPath()}});
        const bool shown = waitUntil([&] {
            window = observer->find(kTitle);
            return window && observer->childCount(window) == 1 && contains(readFile(logPath()), "editIdle");
        });
        EXPECT_TRUE(shown) << "no window with the editor appeared";
        return host;
    }

    std::string logPath() const { return dir.path("fixture.log"); }
    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    TempDir dir;
    Window window = 0;
};

TEST_F(HostEditor, EditShowsTheEditorAndLogsAClickUntilTheWindowIsClosed) {
    auto host = startEdit();
    ASSERT_TRUE(window);

    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(observer->get(), window, &attributes));
    EXPECT_EQ(attributes.width, look::kWidth) << "the window should follow the rectangle given after open";
    EXPECT_EQ(attributes.height, look::kHeight);

    const std::string id = std::to_string(window);
    const std::string x = std::to_string((look::kButtonLeft + look::kButtonRight) / 2);
    const std::string y = std::to_string((look::kButtonTop + look::kButtonBottom) / 2);
    ASSERT_EQ(runProgram("xdotool", {"mousemove", "--window", id, x, y, "click", "1"}), 0);
    EXPECT_TRUE(waitUntil([&] { return contains(host->out(), "endEdit 2\n"); })) << host->out();

    observer->close(window);
    const RunResult r = host->wait(20);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // The gesture, then every parameter as the editor left it.
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{"beginEdit 2", "automate 2 1", "endEdit 2", "value 0 0.5",
                                                        "value 1 0", "value 2 1"}));
    EXPECT_EQ(editorCalls(logPath()),
              (std::vector<std::string>{"editGetRect", "editOpen display", "editGetRect", "editIdle", "click " + x + " " + y,
                                        "editIdle", "editClose", "close"}));
}

// Keys typed into the host's window reach the editor as a DAW passes them:
// the character, the virtual key and the modifiers.
TEST_F(HostEditor, EditPassesKeysOnToTheEditor) {
    auto host = startEdit();
    ASSERT_TRUE(window);
    ASSERT_EQ(runProgram("xdotool", {"windowfocus", "--sync", std::to_string(window), "key", "a", "shift+b", "Return"}),
              0);
    // Shift is a key of its own (VKEY_SHIFT); xdotool lets it go before b.
    const std::vector<std::string> keys{"keyDown 97 0 0", "keyUp 97 0 0",   "keyDown 0 54 0", "keyDown 66 0 1",
                                        "keyUp 0 54 1",   "keyUp 98 0 0",   "keyDown 0 4 0",  "keyUp 0 4 0"};
    auto keysLogged = [&] {
        std::vector<std::string> logged;
        for (const std::string& line : lines(readFile(logPath())))
            if (line.rfind("key", 0) == 0) logged.push_back(line);
        return logged;
    };
    EXPECT_TRUE(waitUntil([&] { return keysLogged().size() >= keys.size(); }));
    EXPECT_EQ(keysLogged(), keys);
    observer->close(window);
    EXPECT_EQ(host->wait(20).status, 0);
}

TEST_F(HostEditor, EditEndedBySignalStillClosesTheEditorFirst) {
    auto host = startEdit();
    ASSERT_TRUE(window);
    kill(host->pid(), SIGTERM);
    const RunResult r = host->wait(20);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(editorCalls(logPath()),
              (std::vector<std::string>{"editGetRect", "editOpen display", "editGetRect", "editIdle", "editClose", "close"}));
    EXPECT_FALSE(observer->find(kTitle));
}

// On the display given and on a private server the picture is the same:
// the editor's size, its pixels as it drew them with Shade set before open.
TEST_F(HostEditor, ScreenshotHoldsWhatTheEditorDrew) {
    for (const std::string& display : {server_->display(), std::string()}) {
        SCOPED_TRACE(display.empty() ? "private server" : "display " + display);
        const std::string png = dir.path("editor" + display + ".png");
        const RunResult r = runHost({"screenshot", fixture("fixture_editor"), png, "--set", "shade=0.6"}, "",
                                    {{"DISPLAY", display}, {"CORVANE_FIXTURE_LOG", logPath()}});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "wrote " + png + ": 240 x 150 pixels\n");

        const Picture picture = readPng(png);
        ASSERT_EQ(picture.width, look::kWidth);
        ASSERT_EQ(picture.height, look::kHeight);
        int wrong = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) wrong += picture.at(x, y) != look::colourAt(x, y, 0.6f);
        EXPECT_EQ(wrong, 0) << "pixel (30, 40) is " << std::hex << picture.at(30, 40);
        EXPECT_EQ(editorCalls(logPath()).back(), "close");
        std::remove(logPath().c_str());
    }
    EXPECT_FALSE(observer->find(kTitle));
}

}  // namespace
