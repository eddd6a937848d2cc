// Host automation, restored states and program names from a second thread
// while the user-interface thread opens, idles and closes the window again
// and again. Run under ThreadSanitizer: no control may be touched by the
// other thread, and nothing the window reads may race with what it writes.
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "EditorSupport.h"
#include "editor/CLED.h"
#include "toolkit/CKnob.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/CTextEdit.h"

using namespace editortest;

namespace {

class EditorThreads : public EditorTest {
protected:
    // Opens, idles and closes the window at least `rounds` times while
    // `hostCall` runs on another thread, until that has run `calls` times.
    template <class HostCall>
    void openAndCloseWhile(HostCall hostCall, int rounds, int calls) {
        std::atomic<bool> done{false};
        std::atomic<int> made{0};
        std::thread other([&] {
            while (!done.load() || made.load() < calls) hostCall(made.fetch_add(1));
        });
        for (int round = 0; round < rounds || made.load() < calls; ++round) {
            EXPECT_TRUE(open());
            for (int i = 0; i < 3; ++i) idle();
            close();
        }
        done = true;
        other.join();
    }
};

TEST_F(EditorThreads, AutomationWhileTheWindowOpensAndCloses) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> index(0, 7);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    openAndCloseWhile([&](int) { automate(index(random), value(random)); }, 200, 2000);

    // The last values, whatever thread set them, show after one idle: the
    // button and the LED on at 0.7, off at 0.3.
    ASSERT_TRUE(open());
    const auto fromAnotherThread = [this](int index, float value) {
        std::thread([=, this] { automate(index, value); }).join();
    };
    fromAnotherThread(kDecay, 0.42f);
    fromAnotherThread(kBypass, 0.7f);
    idle();
    EXPECT_FLOAT_EQ(editor()->knob(kDecay)->getValue(), 0.42f);
    EXPECT_EQ(editor()->display(kDecay)->getText(), "42%");
    EXPECT_EQ(editor()->bypassButton()->getValue(), 1.0f);
    EXPECT_EQ(editor()->bypassLed()->getValue(), 1.0f);
    fromAnotherThread(kBypass, 0.3f);
    idle();
    EXPECT_EQ(editor()->bypassButton()->getValue(), 0.0f);
    EXPECT_EQ(editor()->bypassLed()->getValue(), 0.0f);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(editor()->knob(k)->getValue(), parameter(k)) << "parameter " << k;
}

// A host restoring its state or naming the program on another thread: the
// window shows the names the programs hold once the other thread is done.
TEST_F(EditorThreads, StatesAndNamesWhileTheWindowOpensAndCloses) {
    void* data = nullptr;
    ASSERT_EQ(dispatch(effGetChunk, 0, 0, &data), 368);
    const std::vector<char> state(static_cast<const char*>(data), static_cast<const char*>(data) + 368);
    std::vector<char> chunk = state;
    char name[] = "Name 0";
    openAndCloseWhile(
        [&](int n) {
            if (n % 2 == 0) {
                dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
            } else {
                name[5] = static_cast<char>('0' + n % 10);
                dispatch(effSetProgramName, 0, 0, name);
            }
        },
        100, 500);

    ASSERT_TRUE(open());
    char expected[25] = {};
    dispatch(effGetProgramName, 0, 0, expected);
    idle();
    EXPECT_EQ(editor()->nameField()->getString(), expected);
}

}  // namespace
