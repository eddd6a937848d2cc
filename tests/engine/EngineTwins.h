// The effect's engine and the plain reference engine side by side, every
// change applied to both, every block compared bit for bit, and the states
// compared between blocks.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "ReferenceEngine.h"
#include "effect/ResonatorEngine.h"

namespace enginetest {

inline std::string describe(float x) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g (0x%08X)", static_cast<double>(x), bits(x));
    return text;
}

// How one block is handed over.
struct Layout {
    bool singleOutput;  // outR null: one buffer gets (L + R)·gain·0.5
    bool monoInput;     // inR is inL
    bool inPlace;       // the outputs are the input buffers
};

// The two engines side by side, every change applied to both.
class Twins {
public:
    Twins() : fast_(std::make_unique<ResonatorEngine>()) {}

    void setGain(float x) {
        fast_->setOutputGain(x);
        plain_.gain = x;
    }
    void setMix(float x) {
        fast_->setMix(x);
        plain_.mix = x;
    }
    void setFeedback(float x) {
        fast_->setFeedback(x);
        plain_.feedback = x;
    }
    void setDamping(float x) {
        fast_->setDamping(x);
        plain_.damping = x;
    }
    void setTuningTarget(float x) {
        fast_->setTuningTarget(x);
        plain_.tuningTarget = x;
    }
    void setDetuneTarget(float x) {
        fast_->setDetuneTarget(x);
        plain_.detuneTarget = x;
    }
    void setBypass(std::int32_t x) {
        fast_->setBypass(x);
        plain_.bypass = x;
    }
    void setSampleRate(float x) {
        fast_->setSampleRate(x);
        plain_.sampleRate = x;
    }
    // The engine takes a transposition up at its next sample, the reference
    // at once; their states agree again once a sample has been processed.
    void setTransposition(float ratio) {
        fast_->setTransposition(ratio);
        plain_.applyTransposition(ratio);
        transpositionPending_ = true;
    }
    // The reference derives the read positions at its first sample after a
    // reset, the engine at the reset; they are compared once a sample ran.
    void reset() {
        fast_->reset();
        plain_.reset();
        transpositionPending_ = false;
        resetPending_ = true;
    }

    const ResonatorEngine& fast() const { return *fast_; }

    // One block through both; outputs compared bit for bit.
    ::testing::AssertionResult process(const std::vector<float>& left, const std::vector<float>& right, int frames,
                                       const Layout& layout) {
        if (frames <= 0) return processNothing(frames);
        const auto n = static_cast<std::size_t>(frames);
        Buffers a(left, right, n), b(left, right, n);
        run(*fast_, a, layout, frames);
        run(plain_, b, layout, frames);
        frames_ += frames;
        transpositionPending_ = false;
        resetPending_ = false;
        if (auto result = compare("left or single output", a.outL(layout), b.outL(layout), n); !result) return result;
        if (!layout.singleOutput)
            if (auto result = compare("right output", a.outR(layout), b.outR(layout), n); !result) return result;
        return statesAgree(false);
    }

    // Positions, gliding values and lowpass states; the lines on request.
    ::testing::AssertionResult statesAgree(bool withLines) const {
        if (transpositionPending_) return ::testing::AssertionSuccess();  // not taken up yet
        const ResonatorEngine& e = *fast_;
        const reference::ReferenceEngine& m = plain_;
        auto fail = [this]() { return ::testing::AssertionFailure() << "after " << frames_ << " frames: "; };
        if (e.writePosition() != m.writePosition())
            return fail() << "write position " << e.writePosition() << " vs " << m.writePosition();
        for (int s = 0; s < 12; ++s) {
            if (!resetPending_ && e.readPosition(s) != m.readPosition(s))
                return fail() << "read position of string " << s << ": " << e.readPosition(s) << " vs "
                              << m.readPosition(s);
            if (bits(e.lowpass(s)) != bits(m.lowpass(s)))
                return fail() << "lowpass of string " << s << ": " << describe(e.lowpass(s)) << " vs "
                              << describe(m.lowpass(s));
        }
        if (bits(e.currentTuning()) != bits(m.currentTuning()))
            return fail() << "tuning " << describe(e.currentTuning()) << " vs " << describe(m.currentTuning());
        if (bits(e.currentDetune()) != bits(m.currentDetune()))
            return fail() << "detune " << describe(e.currentDetune()) << " vs " << describe(m.currentDetune());
        if (bits(e.currentTransposition()) != bits(m.currentTransposition()))
            return fail() << "transposition " << describe(e.currentTransposition()) << " vs "
                          << describe(m.currentTransposition());
        if (withLines)
            for (int s = 0; s < 12; ++s)
                if (std::memcmp(e.line(s), m.line(s).data(), sizeof(float) * reference::kLineLength) != 0) {
                    int i = 0;
                    while (bits(e.line(s)[i]) == bits(m.line(s)[i])) ++i;
                    return fail() << "line " << s << " differs first at " << i << ": " << describe(e.line(s)[i])
                                  << " vs " << describe(m.line(s)[i]);
                }
        return ::testing::AssertionSuccess();
    }

private:
    // Inputs and outputs of one engine; with inPlace the outputs are the
    // input buffers themselves.
    struct Buffers {
        Buffers(const std::vector<float>& l, const std::vector<float>& r, std::size_t n)
            : inLeft(l.begin(), l.begin() + static_cast<long>(n)),
              inRight(r.begin(), r.begin() + static_cast<long>(n)),
              outLeft(n, -5.0f),
              outRight(n, -5.0f) {}
        std::vector<float> inLeft, inRight, outLeft, outRight;
        float* outL(const Layout& layout) { return layout.inPlace ? inLeft.data() : outLeft.data(); }
        float* outR(const Layout& layout) {
            return layout.inPlace ? (layout.monoInput ? outRight.data() : inRight.data()) : outRight.data();
        }
    };

    template <class Engine>
    static void run(Engine& engine, Buffers& buffers, const Layout& layout, int frames) {
        const float* inL = buffers.inLeft.data();
        const float* inR = layout.monoInput ? inL : buffers.inRight.data();
        engine.process(inL, inR, buffers.outL(layout), layout.singleOutput ? nullptr : buffers.outR(layout), frames);
    }

    ::testing::AssertionResult compare(const char* what, const float* actual, const float* expected,
                                       std::size_t n) const {
        if (std::memcmp(actual, expected, n * sizeof(float)) == 0) return ::testing::AssertionSuccess();
        std::size_t i = 0;
        while (bits(actual[i]) == bits(expected[i])) ++i;
        return ::testing::AssertionFailure() << what << " differs at sample " << i << " of a block of " << n
                                             << " after " << frames_ << " frames: engine " << describe(actual[i])
                                             << ", reference " << describe(expected[i]);
    }

    ::testing::AssertionResult processNothing(int frames) {
        float garbage[2] = {5.0f, 6.0f};
        float a[2] = {-7.0f, -7.0f}, b[2] = {-7.0f, -7.0f};
        fast_->process(&garbage[0], &garbage[1], &a[0], &a[1], frames);
        plain_.process(&garbage[0], &garbage[1], &b[0], &b[1], frames);
        if (a[0] != -7.0f || a[1] != -7.0f || b[0] != -7.0f || b[1] != -7.0f)
            return ::testing::AssertionFailure() << "output written for a block of " << frames << " frames";
        return statesAgree(true);
    }

    std::unique_ptr<ResonatorEngine> fast_;
    reference::ReferenceEngine plain_;
    bool transpositionPending_ = false;
    bool resetPending_ = false;
    long frames_ = 0;
};

}  // namespace enginetest
