// Real-time behaviour of processing: no allocation on the audio thread, and
// automation from another thread while blocks are processed, including changes
// that land in the middle of a block (this test is run under ThreadSanitizer
// too).
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "EngineTestSupport.h"
#include "ReferenceEngine.h"
#include "effect/Parameters.h"
#include "effect/ResonatorEngine.h"

// ---------------------------------------------------------------- counting allocator
//
// Every global allocation function of this executable goes through here; a
// thread can arm the counter around the calls it wants to check. new and
// delete both end in malloc and free, which the compiler cannot see across
// the replaced operators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
thread_local bool tArmed = false;
thread_local long tAllocations = 0;

void* allocate(std::size_t size, std::size_t alignment, bool nothrow) {
    if (tArmed) ++tAllocations;
    if (size == 0) size = 1;
    void* p = nullptr;
    if (alignment > alignof(std::max_align_t)) {
        const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
        p = std::aligned_alloc(alignment, rounded);
    } else {
        p = std::malloc(size);
    }
    if (!p && !nothrow) throw std::bad_alloc();
    return p;
}

void release(void* p) noexcept {
    if (tArmed && p) ++tAllocations;  // freeing on the audio thread counts too
    std::free(p);
}
// Keeps the calling thread on the nth processor it may use (counting round)
// while it lives, so that two threads of a test run at the same time even
// when the scheduler would rather take turns on one core. With one
// processor it does nothing.
class ProcessorPin {
public:
    explicit ProcessorPin(int nth) {
        if (sched_getaffinity(0, sizeof allowed_, &allowed_) != 0 || CPU_COUNT(&allowed_) < 2) return;
        int seen = 0;
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &allowed_) && seen++ == nth % CPU_COUNT(&allowed_)) {
                cpu_set_t one;
                CPU_ZERO(&one);
                CPU_SET(cpu, &one);
                pinned_ = pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0;
                return;
            }
        }
    }
    ~ProcessorPin() {
        if (pinned_) pthread_setaffinity_np(pthread_self(), sizeof allowed_, &allowed_);
    }
    ProcessorPin(const ProcessorPin&) = delete;
    ProcessorPin& operator=(const ProcessorPin&) = delete;

private:
    cpu_set_t allowed_{};
    bool pinned_ = false;
};
}  // namespace

void* operator new(std::size_t size) { return allocate(size, 0, false); }
void* operator new[](std::size_t size) { return allocate(size, 0, false); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0, true); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0, true); }
void* operator new(std::size_t size, std::align_val_t a) { return allocate(size, static_cast<std::size_t>(a), false); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocate(size, static_cast<std::size_t>(a), false); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(size, static_cast<std::size_t>(a), true);
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(size, static_cast<std::size_t>(a), true);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }

using namespace enginetest;

namespace {

class AllocationCount {
public:
    AllocationCount() {
        tAllocations = 0;
        tArmed = true;
    }
    ~AllocationCount() { tArmed = false; }
    long stop() {
        tArmed = false;
        return tAllocations;
    }
};

class Realtime : public ::testing::Test {};

TEST_F(Realtime, CountingAllocatorSeesAllocations) {
    // The counter itself must work, or the tests below prove nothing.
    AllocationCount count;
    auto* p = new std::vector<float>(100);
    delete p;
    auto* q = new (std::align_val_t{64}) float[3];
    ::operator delete[](q, std::align_val_t{64});
    EXPECT_EQ(count.stop(), 6);
}

TEST_F(Realtime, ProcessingAllocatesNothing) {
    const int kFrames = 512;
    std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
    Random random(1);
    for (int i = 0; i < kFrames; ++i) {
        inL[i] = random.bipolar();
        inR[i] = random.bipolar();
    }
    VstSpeakerArrangement one = arrangement(1), two = arrangement(2);
    struct Setup {
        audioMasterCallback host;
        bool monoArrangement;
        bool nullRightIn;
        bool nullRightOut;
    } setups[] = {
        {connectedHost, false, false, false},
        {secondPinUnconnectedHost, false, false, false},
        {nullptr, false, false, false},
        {connectedHost, true, false, false},
        {connectedHost, false, true, true},
    };
    for (const Setup& setup : setups) {
        auto effect = makeEffect(setup.host);
        if (setup.monoArrangement) {
            ASSERT_TRUE(effect->setSpeakerArrangement(&one, &two));
        }
        AEffect* record = effect->getAeffect();
        float* inputs[2] = {inL.data(), setup.nullRightIn ? nullptr : inR.data()};
        float* outputs[2] = {outL.data(), setup.nullRightOut ? nullptr : outR.data()};

        AllocationCount count;
        for (int block = 0; block < 20; ++block) {
            record->processReplacing(record, inputs, outputs, kFrames);
            // Automation from the audio thread, every parameter, Transpose
            // stepping, glides started, bypass toggled.
            const float v = static_cast<float>(block % 7) / 6.0f;
            for (int index = 0; index < kNumParameters; ++index) record->setParameter(record, index, v);
            effect->processReplacing(inputs, outputs, block % 3 == 0 ? 1 : kFrames);
        }
        EXPECT_EQ(count.stop(), 0);
    }
}

// One thread processes while another automates every parameter through the
// record's entry, as a host may do. The outputs must stay finite.
TEST_F(Realtime, AutomationFromAnotherThreadWhileProcessing) {
    auto effect = makeEffect();
    AEffect* record = effect->getAeffect();
    constexpr int kBlocks = 200;
    constexpr int kFrames = 256;

    std::atomic<bool> audioDone{false};
    std::atomic<bool> automationStarted{false};
    std::atomic<long> changes{0};

    std::thread automation([&] {
        Random random(31);
        automationStarted.store(true);
        long n = 0;
        while (!audioDone.load()) {
            for (int index = 0; index < kNumParameters; ++index) {
                float v = random.unit();
                if (index == kTranspose) v = static_cast<float>(random.below(49)) / 48.0f;  // new step most times
                if (index == kBypass) v = (n / 8) % 2 ? 1.0f : 0.0f;
                if (index == kDecay) v = random.unit() * 1.2f;
                record->setParameter(record, index, v);
            }
            ++n;
            changes.store(n);
            std::this_thread::sleep_for(std::chrono::microseconds(50));  // a busy automation lane
        }
    });

    bool finite = true;
    std::thread audio([&] {
        while (!automationStarted.load()) std::this_thread::yield();
        Random random(32);
        std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        for (int block = 0; block < kBlocks; ++block) {
            for (int i = 0; i < kFrames; ++i) {
                inL[i] = random.bipolar();
                inR[i] = random.bipolar();
            }
            record->processReplacing(record, inputs, outputs, kFrames);
            for (int i = 0; i < kFrames; ++i) finite = finite && std::isfinite(outL[i]) && std::isfinite(outR[i]);
        }
        audioDone.store(true);
    });

    audio.join();
    automation.join();
    EXPECT_TRUE(finite);
    EXPECT_GT(changes.load(), 0);

    // Once quiet again, the engine has taken the last transposition.
    std::vector<float> l(64, 0.1f), r(64, 0.1f), ol(64), orr(64);
    float* inputs[2] = {l.data(), r.data()};
    float* outputs[2] = {ol.data(), orr.data()};
    effect->processReplacing(inputs, outputs, 64);
    EXPECT_EQ(effect->engine().currentTransposition(), effect->engine().transpositionTarget());
    for (int i = 0; i < 64; ++i) EXPECT_TRUE(std::isfinite(ol[i]) && std::isfinite(orr[i]));
}

// A host that changes the sample rate without suspending, from another
// thread, across rates whose lines differ in length: the lines are made on
// that thread and swapped in by the audio thread, which allocates and frees
// nothing, and the output stays finite.
TEST_F(Realtime, SampleRatesNeedingOtherLinesSetFromAnotherThreadWhileProcessing) {
    auto effect = makeEffect();
    AEffect* record = effect->getAeffect();
    record->setParameter(record, kMix, 0.7f);
    constexpr int kFrames = 128;
    constexpr int kSwapsWanted = 12;
    constexpr int kMaxBlocks = 200000;
    const float rates[] = {768000.0f, 44100.0f, 1536000.0f, 3072000.0f, 96000.0f, 705600.0f};

    std::atomic<bool> done{false};
    std::thread host([&] {
        for (long n = 0; !done.load(); ++n) {
            record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, rates[n % 6]);
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });

    Random random(8);
    std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    int swaps = 0;
    bool finite = true;
    long allocations = 0;
    std::int32_t length = effect->engine().lineLength();
    for (int block = 0; block < kMaxBlocks && swaps < kSwapsWanted; ++block) {
        for (int i = 0; i < kFrames; ++i) {
            inL[i] = random.bipolar();
            inR[i] = random.bipolar();
        }
        AllocationCount count;
        record->processReplacing(record, inputs, outputs, kFrames);
        allocations += count.stop();
        for (int i = 0; i < kFrames; ++i) finite = finite && std::isfinite(outL[i]) && std::isfinite(outR[i]);
        swaps += effect->engine().lineLength() != length;
        length = effect->engine().lineLength();
    }
    done.store(true);
    host.join();
    EXPECT_EQ(allocations, 0);
    EXPECT_TRUE(finite);
    EXPECT_GE(swaps, kSwapsWanted);
}

// Another thread flips engine values between encodings that sound the same:
// the detune target between +0 and −0 (the read positions come out the same)
// and, with bypass on, the switch between 1 and 2. Each flip lands on some
// sample in the middle of a block and makes the engine look again there:
// still stretches end, glides start and snap back at once, read positions
// are derived again. Wherever the flips land, every output sample must equal
// the reference's, which sees none of them.
TEST_F(Realtime, InaudibleChangesFromAnotherThreadLeaveEveryOutputBitExact) {
    constexpr int kFrames = 256;
    // Blocks run until this many flips have landed during one (the flipping
    // thread may wait a while for a core on a busy machine), half of them
    // with bypass off, half on, and for at least kMinBlocks.
    constexpr long kFlipsWanted = 400;
    constexpr int kMinBlocks = 300;
    constexpr int kMaxBlocks = 50000;
    auto engine = std::make_unique<ResonatorEngine>();
    reference::ReferenceEngine plain;
    engine->setOutputGain(1.0f);
    plain.gain = 1.0f;
    engine->setMix(0.8f);
    plain.mix = 0.8f;
    engine->setFeedback(0.97f);
    plain.feedback = 0.97f;
    engine->setDamping(0.8f);
    plain.damping = 0.8f;
    engine->setTuningTarget(1.02f);
    plain.tuningTarget = 1.02f;
    engine->reset();
    plain.reset();

    std::atomic<int> phase{0};  // 0: bypass off, 1: bypass on, 2: done
    std::atomic<long> flips{0};
    std::thread automation([&] {
        ProcessorPin pin(1);
        long n = 0;
        while (phase.load() != 2) {
            engine->setDetuneTarget(n % 2 ? -0.0f : 0.0f);
            if (phase.load() == 1) engine->setBypass(n % 4 < 2 ? 1 : 2);
            ++n;
            flips.store(n);
            for (int spin = 0; spin < 200; ++spin) std::atomic_signal_fence(std::memory_order_seq_cst);
        }
    });

    // Not yielding between blocks matters as much: on a shared core the
    // scheduler would otherwise hand over only between blocks, never in one.
    ProcessorPin pin(0);
    while (flips.load() == 0) std::this_thread::yield();
    Random random(5);
    std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames), refL(kFrames), refR(kFrames);
    long flipsSeen = 0;
    bool identical = true;
    for (int block = 0; block < kMaxBlocks && identical && (flipsSeen < kFlipsWanted || block < kMinBlocks);
         ++block) {
        if (phase.load() == 0 && flipsSeen >= kFlipsWanted / 2 && block >= kMinBlocks / 2) {
            engine->setBypass(1);
            plain.bypass = 1;
            phase.store(1);
        }
        for (int i = 0; i < kFrames; ++i) {
            inL[i] = random.bipolar();
            inR[i] = random.bipolar();
        }
        const long before = flips.load();
        engine->process(inL.data(), inR.data(), outL.data(), outR.data(), kFrames);
        flipsSeen += flips.load() - before;
        plain.process(inL.data(), inR.data(), refL.data(), refR.data(), kFrames);
        identical = std::memcmp(outL.data(), refL.data(), sizeof(float) * kFrames) == 0 &&
                    std::memcmp(outR.data(), refR.data(), sizeof(float) * kFrames) == 0;
        EXPECT_TRUE(identical) << "block " << block << ", bypass " << (phase.load() == 1 ? "on" : "off");
    }
    phase.store(2);
    automation.join();
    EXPECT_GE(flipsSeen, kFlipsWanted) << "too few flips landed during a block";
    for (int s = 0; s < 12; ++s) EXPECT_EQ(engine->readPosition(s), plain.readPosition(s)) << "string " << s;
}

}  // namespace
