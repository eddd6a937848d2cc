#include "effect/ResonatorEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

#include "effect/FloatEnvironment.h"
#include "effect/ResonatorKernel.h"
#include "effect/SafeConvert.h"
#include "effect/SettledGroups.h"

namespace {

using StringInfo = ResonatorEngine::StringInfo;
constexpr int kNumStrings = ResonatorEngine::kNumStrings;

// The twelve semitones from 110 Hz, to the digits given (not computed), with
// how far and in which direction Detune moves each string.
constexpr std::array<StringInfo, kNumStrings> kStringTable = {{
    {110.0, 1.11, +1.0},
    {116.5406, 0.599, +1.0},
    {123.4706, 1.402, -1.0},
    {130.81277, 0.797, -1.0},
    {138.5912, 1.65, +1.0},
    {146.832378, 0.35, +1.0},
    {155.5631, 1.26, -1.0},
    {164.81377, 0.498, -1.0},
    {174.61411, 1.48, +1.0},
    {184.99723, 0.866, +1.0},
    {195.99767, 1.59, -1.0},
    {207.652346, 0.43, -1.0},
}};

// The same table by column, for two strings per SSE2 register.
struct alignas(16) Column {
    double value[kNumStrings];
};
constexpr Column column(double StringInfo::*member) {
    Column c{};
    for (int s = 0; s < kNumStrings; ++s) c.value[s] = kStringTable[s].*member;
    return c;
}
constexpr Column kFrequency = column(&StringInfo::frequency);
constexpr Column kDetuneFactor = column(&StringInfo::detune);
constexpr Column kDirection = column(&StringInfo::direction);

// The lines start on a cache-line boundary.
constexpr std::size_t kAlignFloats = 16;

// A delay that is not within this distance of a whole number gives the same
// whole part whatever rounding w − D + 16384 suffers (at most 2^-37 for the
// magnitudes here).
constexpr double kWholeNumberMargin = 0x1p-30;

// The longest delay the parameters give, in samples per hertz of sample
// rate: string 0 (110 Hz, lengthened by 0.015·1.11 at full Detune) at
// Transpose −24 (ratio 0.25) and Tune −100 cents (ratio 1/1.05946).
constexpr double kLongestDelayPerHertz = (1.0 + 0.015 * 1.11) / (0.25 / 1.05946 * 110.0);

inline std::uint32_t bitsOf(float x) { return std::bit_cast<std::uint32_t>(x); }

}  // namespace

const std::array<ResonatorEngine::StringInfo, ResonatorEngine::kNumStrings> ResonatorEngine::kStrings = kStringTable;

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

// The part of each string's delay that depends on the rate alone:
// σ·(0.015·fs)·k, as the formula groups it.
void ResonatorEngine::DelayTerms::compute(float rate) {
    sampleRate = bitsOf(rate);
    valid = true;
    const double fs = rate;
    const __m128d share = _mm_set1_pd(0.015 * fs);
    for (int s = 0; s < kNumStrings; s += 2)
        _mm_store_pd(moved + s, _mm_mul_pd(_mm_mul_pd(_mm_load_pd(kDirection.value + s), share),
                                           _mm_load_pd(kDetuneFactor.value + s)));
}

inline const ResonatorEngine::DelayTerms& ResonatorEngine::termsFor(float fs) {
    if (!terms_.valid || terms_.sampleRate != bitsOf(fs)) terms_.compute(fs);
    return terms_;
}

namespace {

// D = (fs + σ·(0.015·fs)·k·d) / (r·f) for strings s and s + 1, with the
// grouping (fs + ((σ·(0.015·fs))·k)·d) / (r·f); r is the float32 product of
// the current tuning and transposition, d the current detune.
inline __m128d delayPair(const double* moved, int s, __m128d fs, __m128d detune, __m128d ratio) {
    const __m128d numerator = _mm_add_pd(fs, _mm_mul_pd(_mm_load_pd(moved + s), detune));
    return _mm_div_pd(numerator, _mm_mul_pd(ratio, _mm_load_pd(kFrequency.value + s)));
}

}  // namespace

void ResonatorEngine::delays(const DelayTerms& terms, double* out) const {
    const __m128d fs = _mm_set1_pd(static_cast<double>(std::bit_cast<float>(terms.sampleRate)));
    const __m128d detune = _mm_set1_pd(static_cast<double>(detune_));
    const __m128d ratio = _mm_set1_pd(static_cast<double>(tuning_ * transposition_));
    for (int s = 0; s < kNumStrings; s += 2) _mm_store_pd(out + s, delayPair(terms.moved, s, fs, detune, ratio));
}

void ResonatorEngine::updateReadPositions(float fs) {
    derivePositions(fs, writePos_, readPos_.data(), lines_.length);
}

// The read-position formula at write position w, for lines of length L:
// (int)(w − D + L) AND (L − 1), the conversion toward zero (L = 16384 for
// the standard lines). Notes what the positions came from.
inline void ResonatorEngine::derivePositions(float rate, std::int32_t w, std::int32_t* out, std::int32_t length) {
    const DelayTerms& terms = termsFor(rate);
    const __m128d fs = _mm_set1_pd(static_cast<double>(rate));
    const __m128d detune = _mm_set1_pd(static_cast<double>(detune_));
    const __m128d ratio = _mm_set1_pd(static_cast<double>(tuning_ * transposition_));
    const __m128d write = _mm_set1_pd(static_cast<double>(w));
    const __m128d wrap = _mm_set1_pd(static_cast<double>(length));
    const __m128i invalid = _mm_set1_epi32(std::numeric_limits<std::int32_t>::min());
    for (int s = 0; s < kNumStrings; s += 4) {
        const __m128d x0 = _mm_add_pd(_mm_sub_pd(write, delayPair(terms.moved, s, fs, detune, ratio)), wrap);
        const __m128d x1 = _mm_add_pd(_mm_sub_pd(write, delayPair(terms.moved, s + 2, fs, detune, ratio)), wrap);
        __m128i whole = _mm_unpacklo_epi64(_mm_cvttpd_epi32(x0), _mm_cvttpd_epi32(x1));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(whole, invalid)) != 0) [[unlikely]] {
            // Out of range or NaN: saturate as the plain conversion does.
            alignas(16) double x[4];
            alignas(16) std::int32_t fixed[4];
            _mm_store_pd(x, x0);
            _mm_store_pd(x + 2, x1);
            for (int k = 0; k < 4; ++k) fixed[k] = truncToInt32(x[k]);
            whole = _mm_load_si128(reinterpret_cast<const __m128i*>(fixed));
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(out + s), _mm_and_si128(whole, _mm_set1_epi32(length - 1)));
    }
    source_ = {bitsOf(rate), bitsOf(tuning_), bitsOf(detune_), bitsOf(transposition_), false, false};
}

// Deriving the positions at write position w + 1 gives those at w advanced
// by one, for every w, when each delay lies in [1, L − 1] and is a whole
// number (exact arithmetic throughout) or clearly not one: the whole part of
// w − D + L then moves with w alone. Other delays (only reachable with
// values far outside the parameters' ranges) are derived at every sample.
bool ResonatorEngine::advanceIsExact(float fs) const {
    DelayTerms terms;
    terms.compute(fs);
    alignas(16) double delay[kNumStrings];
    delays(terms, delay);
    for (double d : delay) {
        if (!(d >= 1.0 && d <= lines_.length - 1.0)) return false;
        const double below = std::floor(d);
        if (d != below && (d - below <= kWholeNumberMargin || below + 1.0 - d <= kWholeNumberMargin)) return false;
    }
    return true;
}

bool ResonatorEngine::positionsSettled() const {
    const float fs = sampleRate_.load();
    if (source_.sampleRate != bitsOf(fs) || source_.tuning != bitsOf(tuning_) || source_.detune != bitsOf(detune_) ||
        source_.transposition != bitsOf(transposition_))
        return false;
    if (bitsOf(tuningTarget_.load()) != bitsOf(tuning_) || bitsOf(detuneTarget_.load()) != bitsOf(detune_))
        return false;
    return source_.advanceChecked ? source_.advanceExact : advanceIsExact(fs);
}

// The present read positions were derived from this rate and the current
// tuning, detune and transposition, in a way that advancing keeps: deriving
// them again at the next write position would give the advanced ones.
inline bool ResonatorEngine::positionsAdvance(std::uint32_t sampleRate) {
    if (source_.sampleRate != sampleRate || source_.tuning != bitsOf(tuning_) || source_.detune != bitsOf(detune_) ||
        source_.transposition != bitsOf(transposition_))
        return false;
    if (!source_.advanceChecked) {
        source_.advanceExact = advanceIsExact(std::bit_cast<float>(sampleRate));
        source_.advanceChecked = true;
    }
    return source_.advanceExact;
}

// Nothing moves at this sample: both glides are at their targets (so they
// leave the current values as they are) and the read positions advance.
inline bool ResonatorEngine::settled(const Values& v) {
    return v.tuningTarget == bitsOf(tuning_) && v.detuneTarget == bitsOf(detune_) && positionsAdvance(v.sampleRate);
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
// wrap; returns the samples done.
template <ResonatorEngine::Excite Mode, bool SingleOutput>
std::int32_t ResonatorEngine::runGroups(const float* inL, const float* inR, float* outL, float* outR,
                                        std::int32_t i, std::int32_t groups, const Values& v) {
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
    const auto& kernels = Mode == Excite::Bypassed ? groupKernels_->bypassed : groupKernels_->input;
    const std::int32_t done = kernels[SingleOutput](job) * settled_groups::kGroup;
    advanceAll(done);
    return done;
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
            done = runGroups<Mode, SingleOutput>(inL, inR, outL, outR, i, run / settled_groups::kGroup, v);
        if (done < run && (done == 0 || valuesUnchanged(v)))
            done += runSamples<Mode, SingleOutput>(inL, inR, outL, outR, i + done, i + run, v);
        i += done;
        if (done < run || i == n || !valuesUnchanged(v)) break;
    }
    return i;
}

// Steps 6 and 7: Detune glides exponentially and snaps to its target when
// close; Tune ramps by at most 0.00002 per sample, then glides exponentially.
inline void ResonatorEngine::glide(const Values& v) {
    const float detuneTarget = std::bit_cast<float>(v.detuneTarget);
    const float detuneDelta = detuneTarget - detune_;
    if (std::fabs(detuneDelta) > 0.002)
        detune_ = static_cast<float>(detune_ + 0.00075 * detuneDelta);
    else
        detune_ = detuneTarget;

    const float tuningTarget = std::bit_cast<float>(v.tuningTarget);
    const float tuningDelta = tuningTarget - tuning_;
    if (std::fabs(tuningDelta) > 0.0015) {
        const auto candidate = static_cast<float>(tuning_ + 0.00025 * tuningDelta);
        if (std::fabs(candidate - tuning_) > 0.00002)
            tuning_ = static_cast<float>(candidate > tuning_ ? tuning_ + 0.00002 : tuning_ - 0.00002);
        else
            tuning_ = candidate;
    } else {
        tuning_ = tuningTarget;
    }
}

// Samples i..n−1 with the values v while a glide moves or the positions
// need deriving, until n, a value differs from v or (on the standard lines)
// nothing moves any more. The glides and the read positions depend on nothing the strings
// do, so they are worked out for up to kAhead samples first, assuming v
// stays; the divisions of those samples then run side by side instead of
// each waiting for the last. Should a value change, what was worked out
// for the samples from there on is dropped. Returns the index of the first
// sample not processed.
template <class Geometry, ResonatorEngine::Excite Mode, bool SingleOutput>
std::int32_t ResonatorEngine::runGliding(const float* inL, const float* inR, float* outL, float* outR,
                                         std::int32_t i, std::int32_t n, const Values& v, Geometry geometry) {
    using namespace resonator_kernel;
    constexpr bool kStandard = std::is_same_v<Geometry, StandardGeometry>;
    const std::int32_t mask = geometry.mask;
    float* const lines = lines_.first;
    constexpr int kAhead = 16;
    const Constants k(v);
    const float fs = std::bit_cast<float>(v.sampleRate);
    Lowpass lp = Lowpass::load(lowpass_.data());
    __m128 offset = offsetFor(i);
    // Entry q: the state at the start of sample i + q.
    alignas(16) std::int32_t positions[kAhead + 1][kNumStrings];
    float tuning[kAhead + 1], detune[kAhead + 1];
    PositionSource source[kAhead + 1];
    for (;;) {
        const std::int32_t w = writePos_;
        const int m = static_cast<int>(std::min<std::int32_t>(kAhead, n - i));
        std::copy(readPos_.begin(), readPos_.end(), positions[0]);
        tuning[0] = tuning_;
        detune[0] = detune_;
        source[0] = source_;
        for (int q = 0; q < m; ++q) {
            glide(v);
            if (positionsAdvance(v.sampleRate))
                std::copy(positions[q], positions[q] + kNumStrings, positions[q + 1]);
            else
                derivePositions(fs, (w + q) & mask, positions[q + 1], mask + 1);
            advance(positions[q + 1], 1, mask);
            tuning[q + 1] = tuning_;
            detune[q + 1] = detune_;
            source[q + 1] = source_;
        }

        int q = 0;
        do {
            const PositionTaps<Geometry> at{lines, positions[q], (w + q) & mask, geometry};
            sample<Mode, SingleOutput>(at, lp, k, inL + i + q, inR + i + q, outL + i + q,
                                         SingleOutput ? nullptr : outR + i + q, offset);
            offset = flipped(offset);
            ++q;
        } while (q < m && valuesUnchanged(v));

        std::copy(positions[q], positions[q] + kNumStrings, readPos_.begin());
        tuning_ = tuning[q];
        detune_ = detune[q];
        source_ = source[q];
        writePos_ = (w + q) & mask;
        i += q;
        if (q < m || i == n || !valuesUnchanged(v) || (kStandard && settled(v))) break;
    }
    lp.store(lowpass_.data());
    return i;
}

// Samples i..n−1 excited as Mode says, on whatever lines are in use.
template <ResonatorEngine::Excite Mode>
std::int32_t ResonatorEngine::runStretch(const float* inL, const float* inR, float* outL, float* outR,
                                         std::int32_t i, std::int32_t n, const Values& v) {
    using namespace resonator_kernel;
    const bool single = outR == nullptr;
    // Single silenced samples and longer lines are rare enough for the one
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
            // Bypassed, the strings never hear the input anyway.
            i = bypass ? runStretch<Excite::Bypassed>(inL, inR, outL, outR, i, i + 1, v)
                       : runStretch<Excite::Silence>(inL, inR, outL, outR, i, i + 1, v);
            unfit = resonator_kernel::firstUnfitSample(inL, inR, i, n);
        }
    }
}
