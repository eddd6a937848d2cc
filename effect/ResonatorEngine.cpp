#include "effect/ResonatorEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "effect/FloatEnvironment.h"
#include "effect/ReadPositions.h"
#include "effect/ResonatorKernel.h"
#include "effect/SettledGroups.h"

namespace {

constexpr int kNumStrings = ResonatorEngine::kNumStrings;

// The lines start on a cache-line boundary.
constexpr std::size_t kAlignFloats = 16;

// The longest delay the parameters give, in samples per hertz of sample
// rate: string 0 (110 Hz, lengthened by 0.015·1.11 at full Detune) at
// Transpose −24 (ratio 0.25) and Tune −100 cents (ratio 1/1.05946).
constexpr double kLongestDelayPerHertz = (1.0 + 0.015 * 1.11) / (0.25 / 1.05946 * 110.0);

inline std::uint32_t bitsOf(float x) { return std::bit_cast<std::uint32_t>(x); }

}  // namespace

const std::array<ResonatorEngine::StringInfo, ResonatorEngine::kNumStrings> ResonatorEngine::kStrings =
    read_positions::kStringTable;

bool ResonatorEngine::Lines::allocate(std::int32_t lineLength) {
    const std::int32_t lineStride = lineLength + kLinePadding;
    const std::size_t floats = static_cast<std::size_t>(kNumStrings) * lineStride + kAlignFloats;
    storage.reset(new (std::nothrow) float[floats]());  // zeroed
    if (!storage) return false;
    length = lineLength;
    mask = lineLength - 1;
    stride = lineStride;
    const auto address = reinterpret_cast<std::uintptr_t>(storage.get());
    const std::size_t skip = (kAlignFloats - (address / sizeof(float)) % kAlignFloats) % kAlignFloats;
    first = storage.get() + skip;
    return true;
}

void ResonatorEngine::Lines::swapWith(Lines& other) {
    std::swap(length, other.length);
    std::swap(mask, other.mask);
    std::swap(stride, other.stride);
    std::swap(first, other.first);
    std::swap(storage, other.storage);
}

namespace {

std::atomic<ResonatorEngine::InstructionSet> widestAllowed{ResonatorEngine::InstructionSet::Avx2};

const settled_groups::Kernels& kernelsFor(ResonatorEngine::InstructionSet set) {
    return set == ResonatorEngine::InstructionSet::Avx2 ? settled_groups::kAvx2 : settled_groups::kSse2;
}

}  // namespace

// The processor's features, as the compiler's run-time library reads them
// (AVX2 counts only where the operating system saves the 256-bit registers).
ResonatorEngine::InstructionSet ResonatorEngine::widestSupported() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? InstructionSet::Avx2 : InstructionSet::Sse2;
}

void ResonatorEngine::limitInstructionSets(InstructionSet widest) {
    widestAllowed.store(widest, std::memory_order_relaxed);
}

ResonatorEngine::ResonatorEngine()
    : instructionSet_(std::min(widestSupported(), widestAllowed.load(std::memory_order_relaxed))),
      groupKernels_(&kernelsFor(instructionSet_)) {
    if (!lines_.allocate(kLineLength)) throw std::bad_alloc();
    reset();
}

ResonatorEngine::~ResonatorEngine() {
    delete offered_.load(std::memory_order_acquire);
    freeRetiredLines();
}

std::int32_t ResonatorEngine::lineLengthFor(float rate) {
    // A sample to spare for rounding; NaN keeps the standard length.
    const double longest = static_cast<double>(rate) * kLongestDelayPerHertz + 1.0;
    std::int32_t length = kLineLength;
    while (length < kMaxLineLength && longest > length - 1) length *= 2;
    return length;
}

void ResonatorEngine::setSampleRate(float rate) {
    const std::int32_t length = lineLengthFor(rate);
    if (length != plannedLength_.load(std::memory_order_relaxed)) {
        freeRetiredLines();
        std::unique_ptr<Lines> fresh(new (std::nothrow) Lines);
        if (fresh && fresh->allocate(length)) {
            // Lines offered before and not taken up were never touched by the
            // audio thread.
            delete offered_.exchange(fresh.release(), std::memory_order_acq_rel);
            plannedLength_.store(length, std::memory_order_relaxed);
        }
    }
    sampleRate_.store(rate);
    countChange();
}

// Takes every retired set at once, so the audio thread's pushes never meet a
// half-taken list.
void ResonatorEngine::freeRetiredLines() {
    for (Lines* lines = retired_.exchange(nullptr, std::memory_order_acquire); lines;)
        delete std::exchange(lines, lines->nextRetired);
}

// Between two samples on the audio thread: swaps in lines offered for a new
// rate; the offered object, now holding the old ones, goes onto the retired
// list.
inline void ResonatorEngine::takeOfferedLines() {
    if (offered_.load(std::memory_order_relaxed) == nullptr) return;
    Lines* next = offered_.exchange(nullptr, std::memory_order_acquire);
    if (!next) return;
    lines_.swapWith(*next);
    next->nextRetired = retired_.load(std::memory_order_relaxed);
    while (!retired_.compare_exchange_weak(next->nextRetired, next, std::memory_order_release,
                                           std::memory_order_relaxed)) {
    }
    lowpass_.fill(0.0f);
    writePos_ &= lines_.mask;
    updateReadPositions(sampleRate_.load());
}

void ResonatorEngine::setTransposition(float ratio) {
    transpositionTarget_.store(ratio);
    transpositionSampleRate_.store(sampleRate_.load());
    transpositionPending_.store(true, std::memory_order_release);
    countChange();
}

void ResonatorEngine::reset() {
    if (Lines* next = offered_.exchange(nullptr, std::memory_order_acquire)) {
        lines_.swapWith(*next);
        delete next;
    }
    freeRetiredLines();
    std::fill_n(lines_.first, kNumStrings * lines_.stride, 0.0f);
    lowpass_.fill(0.0f);
    writePos_ = lines_.mask;
    transpositionPending_.store(false, std::memory_order_relaxed);
    transposition_ = transpositionTarget_.load();
    tuning_ = tuningTarget_.load();
    detune_ = detuneTarget_.load();
    // Stale read positions could point at the write position, and the first
    // sample would then hear its own excitation as a click.
    updateReadPositions(sampleRate_.load());
}

void ResonatorEngine::applyPendingTransposition() {
    if (!transpositionPending_.exchange(false, std::memory_order_acquire)) return;
    transposition_ = transpositionTarget_.load();
    // Shorter or longer strings start from silence; older signal further
    // back in the lines is kept.
    const std::int32_t quarter = lines_.length / 4;  // kClearedOnTranspose for the standard lines
    for (int s = 0; s < kNumStrings; ++s) std::fill_n(lines_.first + s * lines_.stride, quarter, 0.0f);
    updateReadPositions(transpositionSampleRate_.load());
}

void ResonatorEngine::DelayTerms::compute(float rate) {
    sampleRate = bitsOf(rate);
    valid = true;
    read_positions::movedTerms(rate, moved);
}

inline const ResonatorEngine::DelayTerms& ResonatorEngine::termsFor(float fs) {
    if (!terms_.valid || terms_.sampleRate != bitsOf(fs)) terms_.compute(fs);
    return terms_;
}

void ResonatorEngine::updateReadPositions(float fs) {
    derivePositions(fs, writePos_, readPos_.data(), lines_.length);
}

// Notes what the positions came from.
inline void ResonatorEngine::derivePositions(float rate, std::int32_t w, std::int32_t* out, std::int32_t length) {
    read_positions::Formula(termsFor(rate).moved, rate, length).derive(tuning_ * transposition_, detune_, w, 0, out);
    noteSource(rate);
}

inline void ResonatorEngine::noteSource(float rate) {
    source_ = sourceOf(rate, tuning_, detune_);
}

inline ResonatorEngine::PositionSource ResonatorEngine::sourceOf(float rate, float tuning, float detune) const {
    return {bitsOf(rate), bitsOf(tuning), bitsOf(detune), bitsOf(transposition_), false, false};
}

// Deriving the positions at write position w + 1 gives those at w advanced
// by one, for every w, when each delay lies in [1, L − 1] and is a whole
// number (exact arithmetic throughout) or clearly not one: the whole part of
// w − D + L then moves with w alone. Other delays (only reachable with
// values far outside the parameters' ranges) are derived at every sample.
bool ResonatorEngine::advanceIsExact(float fs, float tuning, float detune) const {
    DelayTerms terms;
    terms.compute(fs);
    alignas(16) double delay[kNumStrings];
    read_positions::delays(terms.moved, fs, tuning * transposition_, detune, delay);
    for (double d : delay) {
        if (!(d >= 1.0 && d <= lines_.length - 1.0)) return false;
        const double below = std::floor(d);
        constexpr double kMargin = read_positions::kWholeNumberMargin;
        if (d != below && (d - below <= kMargin || below + 1.0 - d <= kMargin)) return false;
    }
    return true;
}

bool ResonatorEngine::positionsSettled() const {
    const float fs = sampleRate_.load();
    if (!source_.sameValues(sourceOf(fs, tuning_, detune_))) return false;
    if (bitsOf(tuningTarget_.load()) != bitsOf(tuning_) || bitsOf(detuneTarget_.load()) != bitsOf(detune_))
        return false;
    return source_.advanceChecked ? source_.advanceExact : advanceIsExact(fs, tuning_, detune_);
}

// The read positions were derived (as `source` notes) from this rate, the
// given tuning and detune and the present transposition, in a way that
// advancing keeps: deriving them again at the next write position would
// give the advanced ones.
inline bool ResonatorEngine::positionsAdvance(PositionSource& source, float tuning, float detune,
                                              std::uint32_t sampleRate) const {
    if (!source.sameValues(sourceOf(std::bit_cast<float>(sampleRate), tuning, detune))) return false;
    if (!source.advanceChecked) {
        source.advanceExact = advanceIsExact(std::bit_cast<float>(sampleRate), tuning, detune);
        source.advanceChecked = true;
    }
    return source.advanceExact;
}

// Nothing moves at this sample: both glides are at their targets (so they
// leave the current values as they are) and the read positions advance.
inline bool ResonatorEngine::settled(const Values& v) {
    return v.tuningTarget == bitsOf(tuning_) && v.detuneTarget == bitsOf(detune_) &&
           positionsAdvance(source_, tuning_, detune_, v.sampleRate);
}

namespace {

void advance(std::int32_t* positions, std::int32_t by, std::int32_t lineMask) {
    const __m128i step = _mm_set1_epi32(by);
    const __m128i mask = _mm_set1_epi32(lineMask);
    for (int s = 0; s < kNumStrings; s += 4) {
        auto* p = reinterpret_cast<__m128i*>(positions + s);
        _mm_store_si128(p, _mm_and_si128(_mm_add_epi32(_mm_load_si128(p), step), mask));
    }
}

}  // namespace

// Whether every string's delay lets the groups read and write the lines in
// runs (see SettledGroups.h). Values far outside the parameters' ranges give
// other delays; those stretches run one sample at a time.
bool ResonatorEngine::delaysAllowGroups() const {
    for (std::int32_t p : readPos_) {
        const std::int32_t delay = (writePos_ - p) & kLineMask;
        if (delay < settled_groups::kMinDelay || delay > settled_groups::kMaxDelay) return false;
    }
    return true;
}

// Up to the first wrap of an index, every position is a pointer that moves
// by one per sample.
std::int32_t ResonatorEngine::samplesBeforeWrap() const {
    std::int32_t highest = writePos_;
    for (std::int32_t p : readPos_) highest = std::max(highest, p);
    return kLineLength - highest;
}

void ResonatorEngine::advanceAll(std::int32_t samples) {
    writePos_ = (writePos_ + samples) & kLineMask;
    advance(readPos_.data(), samples, kLineMask);
}

// Whole groups from sample i on, at most `groups` of them and none across a
// wrap, each with its jumps if any are given; returns the samples done.
template <ResonatorEngine::Excite Mode, bool SingleOutput>
std::int32_t ResonatorEngine::runGroups(const float* inL, const float* inR, float* outL, float* outR,
                                        std::int32_t i, std::int32_t groups, const Values& v,
                                        const settled_groups::Jumps* jumps) {
    settled_groups::Job job;
    job.engine = this;
    job.values = v;
    float* const lines = lines_.first;
    for (int s = 0; s < kNumStrings; ++s) job.read[s] = lines + s * kLineStride + readPos_[s];
    job.write = lines + writePos_;
    job.lowpass = lowpass_.data();
    job.inL = inL + i;
    job.inR = inR + i;
    job.outL = outL + i;
    job.outR = SingleOutput ? nullptr : outR + i;
    job.groups = groups;
    job.oddFirst = (i & 1) != 0;
    job.jumps = jumps;
    const auto& kernels = Mode == Excite::Bypassed ? groupKernels_->bypassed : groupKernels_->input;
    const std::int32_t done = kernels[SingleOutput](job);
    groupedSamples_ += static_cast<std::uint64_t>(done) * settled_groups::kGroup;
    advanceAll(done * settled_groups::kGroup);
    if (jumps != nullptr) {
        const settled_groups::Jumps& last = jumps[done - 1];
        for (int s = 0; s < kNumStrings; ++s) {
            const std::int32_t moved = last.before[s] + (((last.strings >> s) & 1) ? last.shift[s] : 0);
            readPos_[s] = (readPos_[s] + moved) & kLineMask;
        }
    }
    return done * settled_groups::kGroup;
}

// Samples i..n−1 one at a time, none across a wrap; the first with v as
// loaded by the caller, every later one after looking at the values again.
// Returns the samples done.
template <ResonatorEngine::Excite Mode, bool SingleOutput>
std::int32_t ResonatorEngine::runSamples(const float* inL, const float* inR, float* outL, float* outR,
                                         std::int32_t i, std::int32_t n, const Values& v) {
    using namespace resonator_kernel;
    const Constants k(v);
    Lowpass lp = Lowpass::load(lowpass_.data());
    __m128 offset = offsetFor(i);
    Taps at;
    float* const lines = lines_.first;
    for (int s = 0; s < kNumStrings; ++s) at.read[s] = lines + s * kLineStride + readPos_[s];
    at.write = lines + writePos_;
    const std::int32_t run = n - i;
    std::int32_t j = 0;
    do {
        at.j = j;
        const std::int32_t x = i + j;
        sample<Mode, SingleOutput>(at, lp, k, inL + x, inR + x, outL + x, SingleOutput ? outL : outR + x, offset);
        offset = flipped(offset);
        ++j;
    } while (j < run && valuesUnchanged(v));
    lp.store(lowpass_.data());
    advanceAll(j);
    return j;
}

// Samples i..n−1 with the values v and nothing moving, on the standard
// lines, until n or a value differs from v (the caller then looks again):
// whole groups where the delays allow them, the samples before a wrap and
// at the end one at a time. Returns the index of the first sample not
// processed.
template <ResonatorEngine::Excite Mode, bool SingleOutput>
std::int32_t ResonatorEngine::runSettled(const float* inL, const float* inR, float* outL, float* outR, std::int32_t i,
                                         std::int32_t n, const Values& v) {
    const bool grouped = delaysAllowGroups();
    for (;;) {
        const std::int32_t run = std::min(n - i, samplesBeforeWrap());
        std::int32_t done = 0;
        if (grouped && run >= settled_groups::kGroup)
            done = runGroups<Mode, SingleOutput>(inL, inR, outL, outR, i, run / settled_groups::kGroup, v, nullptr);
        if (done < run && (done == 0 || valuesUnchanged(v)))
            done += runSamples<Mode, SingleOutput>(inL, inR, outL, outR, i + done, i + run, v);
        i += done;
        if (done < run || i == n || !valuesUnchanged(v)) break;
    }
    return i;
}

// Steps 6 and 7: Detune glides exponentially and snaps to its target when
// close; Tune ramps by at most 0.00002 per sample, then glides exponentially.
// On values of the caller's, which the compiler can keep in registers: the
// glides are a serial chain from sample to sample.
inline void ResonatorEngine::glide(float& tuning, float& detune, const Values& v) {
    const float detuneTarget = std::bit_cast<float>(v.detuneTarget);
    const float detuneDelta = detuneTarget - detune;
    if (std::fabs(detuneDelta) > 0.002)
        detune = static_cast<float>(detune + 0.00075 * detuneDelta);
    else
        detune = detuneTarget;

    const float tuningTarget = std::bit_cast<float>(v.tuningTarget);
    const float tuningDelta = tuningTarget - tuning;
    if (std::fabs(tuningDelta) > 0.0015) {
        const auto candidate = static_cast<float>(tuning + 0.00025 * tuningDelta);
        if (std::fabs(candidate - tuning) > 0.00002)
            tuning = static_cast<float>(candidate > tuning ? tuning + 0.00002 : tuning - 0.00002);
        else
            tuning = candidate;
    } else {
        tuning = tuningTarget;
    }
}

// Whole groups from the present sample on (at most `groups`) whose read
// positions advance by one per sample but for jumps that the groups'
// kernels can follow, described in `jumps` (one per group). Entry q of
// tuning and detune is the state after the glides of the stretch's first q
// samples, and the positions of sample q + 1 are derived from it. Groups in
// which every string is steady (see read_positions::steadyStrings()) need no
// deriving; in the others the strings that may jump are derived at every
// sample. Sets `jumped` if any group has jumps.
std::int32_t ResonatorEngine::groupsWithJumps(const DelayTerms& terms, float fs, const float* tuning,
                                              const float* detune, std::int32_t groups, settled_groups::Jumps* jumps,
                                              bool& jumped) const {
    constexpr int kGroup = settled_groups::kGroup;
    constexpr int kAll = (1 << kNumStrings) - 1;
    jumped = false;
    // Where the present positions do not come from entry 0, no string is
    // known to be steady in the first group.
    const bool consistent = source_.sameValues(sourceOf(fs, tuning[0], detune[0]));
    // Each group's jumps may read up to one sample further on.
    groups = std::min(groups, samplesBeforeWrap() / (kGroup + 1));
    std::int32_t before[kNumStrings] = {};
    for (std::int32_t g = 0; g < groups; ++g) {
        const float* t = tuning + g * kGroup;
        const float* d = detune + g * kGroup;
        int steady = 0;
        if (consistent || g > 0) {
            const auto [tuningLow, tuningHigh] = std::minmax_element(t, t + kGroup + 1);
            const auto [detuneLow, detuneHigh] = std::minmax_element(d, d + kGroup + 1);
            steady = read_positions::steadyStrings(terms.moved, fs, transposition_, *tuningLow, *tuningHigh,
                                                   *detuneLow, *detuneHigh);
        }
        settled_groups::Jumps& group = jumps[g];
        std::copy(before, before + kNumStrings, group.before);
        group.strings = 0;
        if (steady != kAll && !jumpsIn(terms, fs, t, d, steady, g * kGroup, before, group)) return g;
        for (int s = 0; s < kNumStrings; ++s)
            if ((group.strings >> s) & 1) before[s] += group.shift[s];
        jumped = jumped || group.strings != 0;
    }
    return groups;
}

// Whether the group starting `start` samples on (the positions there being
// the present ones advanced that far and moved by `before`) can run through
// the groups' kernels with jumps: deriving the positions of its samples for
// the strings not in `steady`, each advances by one per sample but for at
// most one jump of one sample, with delays the groups allow on both sides.
// Entries 0..kGroup of tuning and detune are the states the positions of
// the group's samples 1..kGroup are derived from.
bool ResonatorEngine::jumpsIn(const DelayTerms& terms, float fs, const float* tuning, const float* detune,
                              int steady, std::int32_t start, const std::int32_t* before,
                              settled_groups::Jumps& jumps) const {
    constexpr int kGroup = settled_groups::kGroup;
    const std::int32_t w = writePos_ + start;
    jumps.strings = 0;
    for (int s = 0; s < kNumStrings; ++s) {
        if ((steady >> s) & 1) continue;
        const std::int32_t first = (readPos_[s] + start + before[s]) & kLineMask;
        // How far each sample's position is from advancing by one: 0 until
        // the jump, the jump's size from there on.
        int from = kGroup + 1, shift = 0;
        for (int j = 1; j <= kGroup; ++j) {
            std::int32_t position;
            if (!read_positions::positionOf(terms.moved, s, fs, tuning[j] * transposition_, detune[j], w + j - 1,
                                            position))
                return false;
            const std::int32_t off = ((position + 1 - first - j + kLineLength / 2) & kLineMask) - kLineLength / 2;
            if (off == shift) continue;
            if (shift != 0 || (off != 1 && off != -1)) return false;
            from = j;
            shift = off;
        }
        const std::int32_t delay = (w - first) & kLineMask;
        for (std::int32_t d : {delay, delay - shift})
            if (d < settled_groups::kMinDelay || d > settled_groups::kMaxDelay) return false;
        // The kernels read a group's samples at the jumped position in one
        // load, from one before its first sample for a jump back.
        if (shift < 0 && first == 0) return false;
        if (shift != 0) {
            jumps.strings |= 1u << s;
            jumps.from[s] = from;
            jumps.shift[s] = shift;
        }
    }
    return true;
}

// Samples i..n−1 one at a time (at most kGroup of them), the read positions
// derived at every sample from the states worked out ahead (entry q + 1 of
// tuning and detune: after the glides of sample q), before the strings run
// through them. Stops early when a value changes; returns the samples done.
template <class Geometry, ResonatorEngine::Excite Mode, bool SingleOutput>
std::int32_t ResonatorEngine::runDerived(const float* inL, const float* inR, float* outL, float* outR,
                                         std::int32_t i, std::int32_t n, const Values& v, const float* tuning,
                                         const float* detune, Geometry geometry) {
    using namespace resonator_kernel;
    constexpr int kMost = settled_groups::kGroup;
    const std::int32_t mask = geometry.mask;
    const float fs = std::bit_cast<float>(v.sampleRate);
    const read_positions::Formula formula(termsFor(fs).moved, fs, mask + 1);
    const int m = static_cast<int>(std::min<std::int32_t>(kMost, n - i));
    const std::int32_t w = writePos_;
    alignas(16) std::int32_t positions[kMost + 1][kNumStrings];
    std::copy(readPos_.begin(), readPos_.end(), positions[0]);
    for (int q = 0; q < m; ++q)
        formula.derive(tuning[q + 1] * transposition_, detune[q + 1], (w + q) & mask, 1, positions[q + 1]);

    const Constants k(v);
    Lowpass lp = Lowpass::load(lowpass_.data());
    __m128 offset = offsetFor(i);
    int q = 0;
    do {
        const PositionTaps<Geometry> at{lines_.first, positions[q], (w + q) & mask, geometry};
        sample<Mode, SingleOutput>(at, lp, k, inL + i + q, inR + i + q, outL + i + q,
                                     SingleOutput ? nullptr : outR + i + q, offset);
        offset = flipped(offset);
        ++q;
    } while (q < m && valuesUnchanged(v));
    lp.store(lowpass_.data());
    std::copy(positions[q], positions[q] + kNumStrings, readPos_.begin());
    writePos_ = (w + q) & mask;
    return q;
}

// Samples i..n−1 with the values v while a glide moves or the positions
// need deriving, until n, a value differs from v or (on the standard lines)
// nothing moves any more. The glides depend on nothing the strings do, so
// they are worked out a batch ahead, assuming v stays: a serial chain that
// nothing waits for, a few samples of it after each piece of the present
// batch, so that it runs alongside the strings' work. The batch then runs
// through the groups of the settled stretches wherever every read position
// advances by one per sample or jumps once by one sample (see
// groupsWithJumps()), elsewhere one sample at a time with positions derived
// at every sample. Should a value change, what was worked out for the
// samples from there on is dropped. Returns the index of the first sample
// not processed.
template <class Geometry, ResonatorEngine::Excite Mode, bool SingleOutput>
std::int32_t ResonatorEngine::runGliding(const float* inL, const float* inR, float* outL, float* outR,
                                         std::int32_t i, std::int32_t n, const Values& v, Geometry geometry) {
    constexpr bool kGroups = std::is_same_v<Geometry, resonator_kernel::StandardGeometry> && Mode != Excite::Silence;
    constexpr int kBatch = 8 * settled_groups::kGroup;
    const float fs = std::bit_cast<float>(v.sampleRate);
    const DelayTerms& terms = termsFor(fs);
    // Entry q: the tuning and detune after the glides of the batch's first q
    // samples; entries up to `worked` are known.
    struct Glides {
        float tuning[kBatch + 1], detune[kBatch + 1];
        int count, worked;
        void start(float t, float d, int samples) {
            tuning[0] = t;
            detune[0] = d;
            count = samples;
            worked = 0;
        }
        void work(int upTo, const Values& values) {
            for (; worked < std::min(upTo, count); ++worked) {
                tuning[worked + 1] = tuning[worked];
                detune[worked + 1] = detune[worked];
                glide(tuning[worked + 1], detune[worked + 1], values);
            }
        }
    };
    Glides batches[2];
    Glides* now = &batches[0];
    Glides* next = &batches[1];
    now->start(tuning_, detune_, static_cast<int>(std::min<std::int32_t>(kBatch, n - i)));
    now->work(kBatch, v);
    for (;;) {
        const int count = now->count;
        next->start(now->tuning[count], now->detune[count],
                    static_cast<int>(std::min<std::int32_t>(kBatch, n - i - count)));
        bool unchanged = true;
        for (int q = 0; q < count && unchanged;) {
            settled_groups::Jumps jumps[kBatch / settled_groups::kGroup];
            bool jumped = false;
            const std::int32_t groups =
                kGroups ? groupsWithJumps(terms, fs, now->tuning + q, now->detune + q,
                                          (count - q) / settled_groups::kGroup, jumps, jumped)
                        : 0;
            std::int32_t done;
            if (groups > 0) {
                done = runGroups<Mode, SingleOutput>(inL, inR, outL, outR, i, groups, v, jumped ? jumps : nullptr);
            } else {
                done = runDerived<Geometry, Mode, SingleOutput>(inL, inR, outL, outR, i, i + count - q, v,
                                                                now->tuning + q, now->detune + q, geometry);
            }
            q += static_cast<int>(done);
            i += done;
            tuning_ = now->tuning[q];
            detune_ = now->detune[q];
            source_ = sourceOf(fs, tuning_, detune_);
            unchanged = valuesUnchanged(v);
            next->work(q, v);
        }
        if (!unchanged || i == n || (kGroups && settled(v))) break;
        next->work(kBatch, v);
        std::swap(now, next);
    }
    return i;
}

// Samples i..n−1 excited as Mode says, on whatever lines are in use.
template <ResonatorEngine::Excite Mode>
std::int32_t ResonatorEngine::runStretch(const float* inL, const float* inR, float* outL, float* outR,
                                         std::int32_t i, std::int32_t n, const Values& v) {
    using namespace resonator_kernel;
    const bool single = outR == nullptr;
    // Silenced stretches (unfit input) and longer lines are rare enough for the one
    // loop that takes any line length.
    if (Mode == Excite::Silence || lines_.length != kLineLength) {
        const AnyGeometry geometry{lines_.stride, lines_.mask};
        return single ? runGliding<AnyGeometry, Mode, true>(inL, inR, outL, outR, i, n, v, geometry)
                      : runGliding<AnyGeometry, Mode, false>(inL, inR, outL, outR, i, n, v, geometry);
    }
    if constexpr (Mode != Excite::Silence) {
        if (settled(v))
            return single ? runSettled<Mode, true>(inL, inR, outL, outR, i, n, v)
                          : runSettled<Mode, false>(inL, inR, outL, outR, i, n, v);
    }
    const StandardGeometry geometry;
    return single ? runGliding<StandardGeometry, Mode, true>(inL, inR, outL, outR, i, n, v, geometry)
                  : runGliding<StandardGeometry, Mode, false>(inL, inR, outL, outR, i, n, v, geometry);
}

void ResonatorEngine::process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t n) {
    if (n <= 0) return;
    const FloatEnvironment environment;
    std::int32_t unfit = resonator_kernel::firstUnfitSample(inL, inR, 0, n);
    std::int32_t i = 0;
    while (i < n) {
        takeOfferedLines();
        if (transpositionPending_.load(std::memory_order_relaxed)) applyPendingTransposition();
        const Values v = loadValues();
        const bool bypass = v.bypass != 0;
        if (i < unfit) {
            i = bypass ? runStretch<Excite::Bypassed>(inL, inR, outL, outR, i, unfit, v)
                       : runStretch<Excite::Input>(inL, inR, outL, outR, i, unfit, v);
        } else {
            // A run of unfit samples; bypassed, the strings never hear the input anyway.
            const std::int32_t fit = resonator_kernel::firstFitSample(inL, inR, i, n);
            i = bypass ? runStretch<Excite::Bypassed>(inL, inR, outL, outR, i, fit, v)
                       : runStretch<Excite::Silence>(inL, inR, outL, outR, i, fit, v);
            unfit = resonator_kernel::firstUnfitSample(inL, inR, i, n);
        }
    }
}
