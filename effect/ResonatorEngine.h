// Twelve tuned string resonators, one per semitone from 110 Hz, fed with the
// mono sum of the input and mixed back with the dry signal.
//
// Threading: the setters may be called from any thread while process() runs
// on the audio thread. Every engine value is a relaxed atomic, and every
// setter counts its call in one more; processing looks at that count once
// per sample or once per group of eight (see Speed) and loads the values
// again when it moved. A transposition change is only requested by its
// caller; the audio thread clears the lines and rewrites the read positions
// before its next sample, so a block never sees half of it. reset() and process() must not
// overlap (the host never suspends or resumes while processing).
//
// Line length: 16384 samples hold every delay the parameters give up to
// about 418 kHz. A rate that needs longer lines (or, after such a rate, the
// standard ones again) has them allocated by setSampleRate() on the caller's
// thread, never by process(). Hosts set the rate while suspended, and the
// next reset() takes the new lines up. Should the rate change while another
// thread processes, the new lines are handed over through an atomic pointer
// and the audio thread swaps them in between two samples; the lines it gave
// up are freed by the next setSampleRate() or reset(), never by process().
// A swap mid-processing starts the strings from silence, as a reset would.
// setSampleRate() calls come one at a time (the host's dispatcher makes
// them); two at once stay memory-safe but may leave lines that fit the
// other call's rate.
//
// Speed: deriving the twelve read positions takes twelve divisions. They only
// need deriving when the sample rate or the current tuning, detune or
// transposition changed, or after a reset; otherwise the positions of the
// next sample are the present ones advanced by one (true for every delay from
// 1 to 16383 samples that is not within rounding distance of a whole number;
// other delays are derived at every sample). process() therefore runs settled
// stretches in groups of eight samples that read and write the lines in runs
// (see SettledGroups.h). While a glide moves, the glides are worked out a
// batch of samples ahead; a group in which every string's position only
// advances, or jumps once by one sample, runs through the same groups (see
// runGliding()), any other one sample at a time with the twelve strings in
// SSE2 registers (see ResonatorKernel.h), as do samples outside whole groups
// and the longer lines. Groups look at the engine values once per group,
// single samples once per sample, and leave as soon as a setter was called: a
// value stored by another thread takes effect up to seven samples later than
// it would otherwise, as if it had been stored a little later. The output is
// bit for bit that of the plain per-sample algorithm. The groups run with
// AVX2 where the processor has it, else with SSE2; the choice changes only
// the speed.
//
// Robustness: a sample whose excitation would not be finite (a NaN or
// infinite input, or two inputs whose sum overflows) excites the strings as
// silence would; its dry share passes through, so only that output sample
// carries it. Each block is checked for such samples before it runs, so
// blocks without any take the usual path. process() flushes denormals to
// zero while it runs (see FloatEnvironment.h).
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <memory>

namespace settled_groups {
struct Kernels;
struct Jumps;
}

#if defined(__GNUC__)
#define CORVANE_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define CORVANE_ALWAYS_INLINE inline
#endif

class ResonatorEngine {
public:
    static constexpr int kNumStrings = 12;
    static constexpr int kLineLength = 16384;  // samples per delay line, at rates up to about 418 kHz
    static constexpr int kLineMask = kLineLength - 1;
    static constexpr int kMaxLineLength = 131072;  // enough up to about 3.3 MHz; beyond, delays wrap
    static constexpr int kClearedOnTranspose = 4096;  // samples zeroed at a transposition change (a quarter)
    static constexpr float kDenormalOffset = 1e-9f;
    // The lines lie in one allocation, this many floats more than a line's
    // length apart (a few cache lines), so that the twelve samples written
    // at the same index do not all compete for one cache set.
    static constexpr int kLinePadding = 80;
    static constexpr int kLineStride = kLineLength + kLinePadding;

    struct StringInfo {
        double frequency;  // Hz, before transposition and tuning
        double detune;     // how far Detune moves this string
        double direction;  // +1 lengthens the delay (lower pitch), -1 shortens it
    };
    static const std::array<StringInfo, kNumStrings> kStrings;

    // The vector instructions the settled groups run with.
    enum class InstructionSet { Sse2, Avx2 };
    // The widest one this processor (and its operating system) supports.
    static InstructionSet widestSupported();
    // Engines made from now on use nothing wider than this (tests and the
    // benchmark run the SSE2 path this way on any processor).
    static void limitInstructionSets(InstructionSet widest);
    InstructionSet instructionSet() const { return instructionSet_; }

    ResonatorEngine();  // allocates the twelve lines; state as after reset()
    ~ResonatorEngine();
    ResonatorEngine(const ResonatorEngine&) = delete;
    ResonatorEngine& operator=(const ResonatorEngine&) = delete;

    // The line length a sample rate needs: the smallest power of two from
    // kLineLength on that holds the longest delay the parameters give
    // (string 0, Transpose -24, Tune -100 cents, full Detune), at most
    // kMaxLineLength.
    static std::int32_t lineLengthFor(float rate);

    // Engine values (any thread).
    void setOutputGain(float gain) { set(gain_, gain); }
    void setMix(float mix) { set(mix_, mix); }
    void setFeedback(float coefficient) { set(feedback_, coefficient); }
    void setDamping(float coefficient) { set(damping_, coefficient); }
    void setTuningTarget(float ratio) { set(tuningTarget_, ratio); }
    void setDetuneTarget(float amount) { set(detuneTarget_, amount); }
    void setBypass(std::int32_t on) {
        bypass_.store(on, std::memory_order_relaxed);
        countChange();
    }
    // Allocates lines of another length here when the rate needs them (on
    // the caller's thread; without memory the present lines stay).
    void setSampleRate(float rate);
    // Moves all strings at once (no glide); the audio thread then clears the
    // first quarter of every line and recomputes the read positions.
    void setTransposition(float ratio);

    float transpositionTarget() const { return transpositionTarget_.load(); }
    float feedback() const { return feedback_.load(); }
    float damping() const { return damping_.load(); }
    float outputGain() const { return gain_.load(); }
    float mix() const { return mix_.load(); }
    float tuningTarget() const { return tuningTarget_.load(); }
    float detuneTarget() const { return detuneTarget_.load(); }
    std::int32_t bypass() const { return bypass_.load(std::memory_order_relaxed); }
    float sampleRate() const { return sampleRate_.load(); }

    // Clears the strings and ends every glide; takes up lines allocated for
    // a new rate.
    void reset();

    // One block. outR null: a single output receives (L + R)·gain·0.5.
    // inR may equal inL; outputs may be the inputs. Nothing happens for n <= 0.
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t n);

    // Audio-thread state, for inspection between blocks.
    const float* line(int string) const { return lines_.first + string * lines_.stride; }
    std::int32_t lineLength() const { return lines_.length; }
    std::int32_t readPosition(int string) const { return readPos_[string]; }
    std::int32_t writePosition() const { return writePos_; }
    float lowpass(int string) const { return lowpass_[string]; }
    float currentTuning() const { return tuning_; }
    float currentDetune() const { return detune_; }
    float currentTransposition() const { return transposition_; }

    // True while nothing needs the read positions recomputed: the glides have
    // reached their targets and the positions were derived from the present
    // sample rate, tuning, detune and transposition (for inspection between
    // blocks; the next block then runs without recomputing them).
    bool positionsSettled() const;
    // The samples processed so far in groups of eight (for inspection between
    // blocks: the fast path is taken where it should be).
    std::uint64_t groupedSamples() const { return groupedSamples_; }

    // The values processing reads, as bits, and the count of setter calls
    // they were read after.
    struct Values {
        std::uint32_t gain, mix, feedback, damping, tuningTarget, detuneTarget, sampleRate;
        std::int32_t bypass;
        std::uint32_t changes;
    };

    // What excites the strings in a stretch of samples, and what the dry
    // path carries. Input: the input with ε added, both. Bypassed: the
    // strings receive ε alone, the dry path the input as it is. Silence: a
    // sample whose excitation would not be finite; the strings receive what
    // silent input would give them (ε), the dry path the input with ε added.
    enum class Excite { Input, Bypassed, Silence };

    // The engine values as they are now, and whether no setter has been
    // called since they were loaded and no transposition waits: what the
    // processing loops look at between samples or groups (inline into every
    // instruction set's code). A setter stores its value before it counts
    // the change, and the count is loaded before the values, so values
    // loaded after a count are never older than it.
    CORVANE_ALWAYS_INLINE Values loadValues() const {
        const std::uint32_t changes = changes_.load(std::memory_order_acquire);
        return {gain_.bits(),         mix_.bits(),          feedback_.bits(),
                damping_.bits(),      tuningTarget_.bits(), detuneTarget_.bits(),
                sampleRate_.bits(),   bypass_.load(std::memory_order_relaxed), changes};
    }
    CORVANE_ALWAYS_INLINE bool valuesUnchanged(const Values& v) const {
        return changes_.load(std::memory_order_relaxed) == v.changes &&
               !transpositionPending_.load(std::memory_order_relaxed);
    }

private:
    // A float engine value: one relaxed 32-bit load or store.
    class AtomicFloat {
    public:
        explicit AtomicFloat(float x) : bits_(std::bit_cast<std::uint32_t>(x)) {}
        void store(float x) { bits_.store(std::bit_cast<std::uint32_t>(x), std::memory_order_relaxed); }
        float load() const { return std::bit_cast<float>(bits()); }
        CORVANE_ALWAYS_INLINE std::uint32_t bits() const { return bits_.load(std::memory_order_relaxed); }

    private:
        std::atomic<std::uint32_t> bits_;
    };

    // A setter stores its value, then counts the change (see loadValues()).
    void set(AtomicFloat& value, float x) {
        value.store(x);
        countChange();
    }
    void countChange() { changes_.fetch_add(1, std::memory_order_release); }

    // What the read positions were last derived from (float bits), and
    // whether advancing them by one per sample gives exactly what deriving
    // them again at the next write position would.
    struct PositionSource {
        std::uint32_t sampleRate = 0, tuning = 0, detune = 0, transposition = 0;
        bool advanceChecked = false;
        bool advanceExact = false;
        // The same values (whatever was found about advancing).
        bool sameValues(const PositionSource& o) const {
            return sampleRate == o.sampleRate && tuning == o.tuning && detune == o.detune &&
                   transposition == o.transposition;
        }
    };

    // Twelve lines of one length in one zeroed allocation; line s starts
    // at first + s * stride, 64-byte aligned.
    struct Lines {
        bool allocate(std::int32_t lineLength);  // false without memory
        void swapWith(Lines& other);             // all but nextRetired
        std::int32_t length = 0, mask = 0, stride = 0;
        float* first = nullptr;
        std::unique_ptr<float[]> storage;
        Lines* nextRetired = nullptr;
    };

    bool positionsAdvance(PositionSource& source, float tuning, float detune, std::uint32_t sampleRate) const;
    bool settled(const Values& v);
    void applyPendingTransposition();
    // σ·(0.015·fs)·k of each string, for the rate whose bits are noted.
    struct DelayTerms {
        std::uint32_t sampleRate = 0;
        bool valid = false;
        alignas(16) double moved[kNumStrings] = {};
        void compute(float rate);
    };
    const DelayTerms& termsFor(float fs);
    void updateReadPositions(float fs);
    void derivePositions(float fs, std::int32_t w, std::int32_t* out, std::int32_t length);
    void noteSource(float rate);
    PositionSource sourceOf(float rate, float tuning, float detune) const;
    bool advanceIsExact(float fs, float tuning, float detune) const;

    void takeOfferedLines();
    void freeRetiredLines();

    bool delaysAllowGroups() const;
    std::int32_t samplesBeforeWrap() const;
    void advanceAll(std::int32_t samples);
    template <Excite Mode, bool SingleOutput>
    std::int32_t runGroups(const float* inL, const float* inR, float* outL, float* outR, std::int32_t i,
                           std::int32_t groups, const Values& v, const settled_groups::Jumps* jumps);
    template <Excite Mode, bool SingleOutput>
    std::int32_t runSamples(const float* inL, const float* inR, float* outL, float* outR, std::int32_t i,
                            std::int32_t n, const Values& v);
    template <Excite Mode, bool SingleOutput>
    std::int32_t runSettled(const float* inL, const float* inR, float* outL, float* outR, std::int32_t i,
                            std::int32_t n, const Values& v);
    std::int32_t groupsWithJumps(const DelayTerms& terms, float fs, const float* tuning, const float* detune,
                                 std::int32_t groups, settled_groups::Jumps* jumps, bool& jumped) const;
    bool jumpsIn(const DelayTerms& terms, float fs, const float* tuning, const float* detune, int steady,
                 std::int32_t start, const std::int32_t* before, settled_groups::Jumps& jumps) const;
    template <class Geometry, Excite Mode, bool SingleOutput>
    std::int32_t runDerived(const float* inL, const float* inR, float* outL, float* outR, std::int32_t i,
                            std::int32_t n, const Values& v, const float* tuning, const float* detune,
                            Geometry geometry);
    template <class Geometry, Excite Mode, bool SingleOutput>
    std::int32_t runGliding(const float* inL, const float* inR, float* outL, float* outR, std::int32_t i,
                            std::int32_t n, const Values& v, Geometry geometry);
    template <Excite Mode>
    std::int32_t runStretch(const float* inL, const float* inR, float* outL, float* outR, std::int32_t i,
                            std::int32_t n, const Values& v);
    static void glide(float& tuning, float& detune, const Values& v);

    // Engine values written by parameter changes.
    AtomicFloat gain_{0.0f};
    AtomicFloat mix_{0.0f};
    AtomicFloat feedback_{0.0f};
    AtomicFloat damping_{0.0f};
    AtomicFloat tuningTarget_{1.0f};
    AtomicFloat detuneTarget_{0.0f};
    AtomicFloat transpositionTarget_{1.0f};
    std::atomic<std::int32_t> bypass_{0};
    AtomicFloat sampleRate_{44100.0f};
    // The rate in force when the transposition changed: the new read
    // positions are those of that moment, even if the rate changes before
    // the audio thread takes them up.
    AtomicFloat transpositionSampleRate_{44100.0f};
    std::atomic<bool> transpositionPending_{false};
    std::atomic<std::uint32_t> changes_{0};  // setter calls so far

    // Lines for a new rate: offered by setSampleRate(), swapped in by the
    // audio thread or reset(); the ones the audio thread gives up wait on
    // the retired_ list until a setSampleRate() or reset() frees them.
    // plannedLength_ is the length of the newest lines, offered or in use.
    std::atomic<Lines*> offered_{nullptr};
    std::atomic<Lines*> retired_{nullptr};
    std::atomic<std::int32_t> plannedLength_{kLineLength};

    // Owned by the audio thread.
    Lines lines_;
    alignas(16) std::array<std::int32_t, kNumStrings> readPos_{};
    alignas(16) std::array<float, kNumStrings> lowpass_{};
    std::int32_t writePos_ = kLineMask;
    std::uint64_t groupedSamples_ = 0;
    float tuning_ = 1.0f;
    float detune_ = 0.0f;
    float transposition_ = 1.0f;
    PositionSource source_;
    DelayTerms terms_;
    InstructionSet instructionSet_;
    const settled_groups::Kernels* groupKernels_;
};
