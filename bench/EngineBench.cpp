// Processing speed of the effect's engine against the plain reference engine
// of the tests, in one run, on 44.1 kHz stereo noise in host-sized blocks.
//
// Cases, each for both engines and blocks of 32, 512 and 4096 samples:
//   static      all values still (the engine's settled path)
//   gliding     Tune and Detune gliding at every sample
//   transpose   Transpose stepped before every block
//   instances32 32 engines with static values, one block each in turn, as a
//               project with 32 tracks would run them
//   decay       Decay 0 and input that cancels the ±1e-9 offset, timed after
//               ten seconds of it: the strings have decayed as far as they
//               go (into denormals, unless processing flushes them)
// Names are <case>/<engine>/<block>, engine "fast" (the effect's, with the
// widest instruction set the processor has), "sse2" (the effect's with its
// SSE2 path forced) or "reference". Counters: ns_per_sample (CPU time per
// stereo sample frame) and x_realtime (seconds of 44.1 kHz audio processed
// per CPU second). A summary of the ratios follows the table.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "effect/Parameters.h"
#include "effect/ResonatorEngine.h"
#include "tests/engine/ReferenceEngine.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlocks[] = {32, 512, 4096};
constexpr int kInstances = 32;
// Tune and Detune turn around this often: neither reaches its target, so
// both glide at every sample.
constexpr long kGlideTurn = 4096;

// The effect's engine, its values set as the effect's parameter changes set
// them; with Sse2 it runs its SSE2 path whatever the processor has.
template <bool Sse2>
class Fast {
public:
    static constexpr const char* kName = Sse2 ? "sse2" : "fast";

    Fast() : engine_(made()) {}
    void set(int index, float v) {
        if (index == kDecay) decay_ = v;
        applyToEngine(*engine_, index, v, decay_);
    }
    void reset() { engine_->reset(); }
    void process(const float* inL, const float* inR, float* outL, float* outR, int n) {
        engine_->process(inL, inR, outL, outR, n);
    }

private:
    static std::unique_ptr<ResonatorEngine> made() {
        using Set = ResonatorEngine::InstructionSet;
        if (Sse2) ResonatorEngine::limitInstructionSets(Set::Sse2);
        auto engine = std::make_unique<ResonatorEngine>();
        ResonatorEngine::limitInstructionSets(Set::Avx2);
        return engine;
    }

    std::unique_ptr<ResonatorEngine> engine_;
    float decay_ = 0.0f;
};
using Widest = Fast<false>;
using Sse2Only = Fast<true>;

class Reference {
public:
    static constexpr const char* kName = "reference";

    void set(int index, float v) { effect_.setParameter(index, v); }
    void reset() { effect_.engine.reset(); }
    void process(const float* inL, const float* inR, float* outL, float* outR, int n) {
        effect_.engine.process(inL, inR, outL, outR, n);
    }

private:
    reference::ReferenceEffect effect_;
};

struct Buffers {
    std::vector<float> left, right, outLeft, outRight;
    Buffers(int frames, unsigned seed) : left(frames), right(frames), outLeft(frames), outRight(frames) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        for (int i = 0; i < frames; ++i) {
            left[i] = noise(random);
            right[i] = noise(random);
        }
    }
};

// One block through the engine, its output kept from being optimised away.
template <class Engine>
void processBlock(Engine& engine, Buffers& buffers, int block) {
    engine.process(buffers.left.data(), buffers.right.data(), buffers.outLeft.data(), buffers.outRight.data(), block);
    benchmark::DoNotOptimize(buffers.outLeft.data());
}

// A typical setting: half mix, long decay, some detune; then a reset and a
// second of signal, so the lines are full when timing starts.
template <class Engine>
std::unique_ptr<Engine> prepared(Buffers& buffers, int block) {
    auto engine = std::make_unique<Engine>();
    const float values[kNumParameters] = {0.5f, 0.5f, 0.7f, 0.3f, 0.5f, 0.5f, 0.25f, 0.0f};
    for (int k = 0; k < kNumParameters; ++k) engine->set(k, values[k]);
    engine->reset();
    for (long done = 0; done < static_cast<long>(kRate); done += block) processBlock(*engine, buffers, block);
    return engine;
}

void count(benchmark::State& state, long framesPerIteration) {
    const double frames = static_cast<double>(state.iterations()) * static_cast<double>(framesPerIteration);
    state.counters["ns_per_sample"] =
        benchmark::Counter(frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

template <class Engine>
void Static(benchmark::State& state, int block) {
    Buffers buffers(block, 7);
    auto engine = prepared<Engine>(buffers, block);
    for (auto _ : state) {
        processBlock(*engine, buffers, block);
        benchmark::ClobberMemory();
    }
    count(state, block);
}

template <class Engine>
void Gliding(benchmark::State& state, int block) {
    Buffers buffers(block, 7);
    auto engine = prepared<Engine>(buffers, block);
    long sinceTurn = kGlideTurn;
    bool up = false;
    for (auto _ : state) {
        if (sinceTurn >= kGlideTurn) {
            up = !up;
            engine->set(kTune, up ? 1.0f : 0.0f);
            engine->set(kDetune, up ? 1.0f : 0.0f);
            sinceTurn = 0;
        }
        processBlock(*engine, buffers, block);
        sinceTurn += block;
        benchmark::ClobberMemory();
    }
    count(state, block);
}

template <class Engine>
void Transpose(benchmark::State& state, int block) {
    Buffers buffers(block, 7);
    auto engine = prepared<Engine>(buffers, block);
    int step = 24;
    for (auto _ : state) {
        step = step == 24 ? 31 : 24;  // a fifth up and back
        engine->set(kTranspose, static_cast<float>(step) / 48.0f);
        processBlock(*engine, buffers, block);
        benchmark::ClobberMemory();
    }
    count(state, block);
}

// x + ε is exactly 0 at every sample: ε starts at +1e-9 in every block and
// alternates, and the blocks are of even size.
void cancelOffset(Buffers& buffers) {
    for (std::size_t i = 0; i < buffers.left.size(); ++i)
        buffers.left[i] = buffers.right[i] = i % 2 == 0 ? -1e-9f : 1e-9f;
}

template <class Engine>
void Decay(benchmark::State& state, int block) {
    Buffers buffers(block, 7);
    auto engine = prepared<Engine>(buffers, block);
    engine->set(kDecay, 0.0f);
    cancelOffset(buffers);
    for (long done = 0; done < 10 * static_cast<long>(kRate); done += block) processBlock(*engine, buffers, block);
    for (auto _ : state) {
        processBlock(*engine, buffers, block);
        benchmark::ClobberMemory();
    }
    count(state, block);
}

template <class Engine>
void Instances(benchmark::State& state, int block) {
    std::vector<Buffers> buffers;
    std::vector<std::unique_ptr<Engine>> engines;
    for (int k = 0; k < kInstances; ++k) {
        buffers.emplace_back(block, 7 + k);
        engines.push_back(prepared<Engine>(buffers.back(), block));
    }
    for (auto _ : state) {
        for (int k = 0; k < kInstances; ++k) {
            Buffers& b = buffers[k];
            processBlock(*engines[k], b, block);
        }
        benchmark::ClobberMemory();
    }
    count(state, static_cast<long>(block) * kInstances);
}

using CaseFunction = void (*)(benchmark::State&, int);
struct Case {
    const char* name;
    CaseFunction engines[3];  // in the order of kEngineNames
};
const char* const kEngineNames[3] = {Widest::kName, Sse2Only::kName, Reference::kName};
const Case kCases[] = {
    {"static", {Static<Widest>, Static<Sse2Only>, Static<Reference>}},
    {"gliding", {Gliding<Widest>, Gliding<Sse2Only>, Gliding<Reference>}},
    {"transpose", {Transpose<Widest>, Transpose<Sse2Only>, Transpose<Reference>}},
    {"instances32", {Instances<Widest>, Instances<Sse2Only>, Instances<Reference>}},
    {"decay", {Decay<Widest>, Decay<Sse2Only>, Decay<Reference>}},
};

void registerAll() {
    for (const Case& c : kCases)
        for (int block : kBlocks)
            for (int engine = 0; engine < 3; ++engine) {
                const std::string name =
                    std::string(c.name) + "/" + kEngineNames[engine] + "/" + std::to_string(block);
                CaseFunction function = c.engines[engine];
                benchmark::RegisterBenchmark(name.c_str(), [function, block](benchmark::State& state) {
                    function(state, block);
                });
            }
}

// The usual table, then for every case and block the engines side by side:
// the speed-up of each path of the effect's engine over the reference, and
// the cost per sample of 32 instances relative to one.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(bool colour) : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        // The counters are final here; shown as plain numbers, without the
        // unit the rate flags would add.
        std::vector<Run> shown = runs;
        for (Run& run : shown)
            for (auto& counter : run.counters) counter.second = benchmark::Counter(counter.second.value);
        ConsoleReporter::ReportRuns(shown);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            std::string name = run.run_name.function_name;
            auto ns = run.counters.find("ns_per_sample");
            auto rt = run.counters.find("x_realtime");
            if (ns == run.counters.end() || rt == run.counters.end()) continue;
            if (median || !results_.count(name)) results_[name] = {ns->second.value, rt->second.value};
        }
    }

    void Finalize() override {
        std::FILE* out = stdout;
        std::fflush(out);
        GetOutputStream().flush();
        std::fprintf(out, "\n%-12s %6s %12s %12s %12s %9s %9s %10s\n", "case", "block", "fast ns/smp", "sse2 ns/smp",
                     "ref ns/smp", "fast x", "sse2 x", "fast x_rt");
        for (const Case& c : kCases)
            for (int block : kBlocks) {
                const Result* fast = find(c.name, Widest::kName, block);
                const Result* sse2 = find(c.name, Sse2Only::kName, block);
                const Result* ref = find(c.name, Reference::kName, block);
                if (!fast && !sse2 && !ref) continue;
                std::fprintf(out, "%-12s %6d %12s %12s %12s %9s %9s %10s\n", c.name, block,
                             number(fast, false).c_str(), number(sse2, false).c_str(), number(ref, false).c_str(),
                             speedUp(fast, ref).c_str(), speedUp(sse2, ref).c_str(), number(fast, true).c_str());
            }
        for (const char* engine : {Widest::kName, Sse2Only::kName})
            for (int block : kBlocks) {
                const Result* one = find("static", engine, block);
                const Result* many = find("instances32", engine, block);
                if (one && many)
                    std::fprintf(out, "32 instances / one, %s, block %d: %.2fx the cost per sample\n", engine, block,
                                 many->nsPerSample / one->nsPerSample);
            }
        std::fflush(out);
    }

private:
    struct Result {
        double nsPerSample, realtime;
    };

    const Result* find(const char* name, const char* engine, int block) const {
        auto it = results_.find(std::string(name) + "/" + engine + "/" + std::to_string(block));
        return it == results_.end() ? nullptr : &it->second;
    }
    static std::string format(const char* pattern, double x) {
        char text[32];
        std::snprintf(text, sizeof text, pattern, x);
        return text;
    }
    static std::string speedUp(const Result* engine, const Result* ref) {
        return engine && ref ? format("%.2fx", ref->nsPerSample / engine->nsPerSample) : "-";
    }
    static std::string number(const Result* r, bool realtime) {
        if (!r) return "-";
        return realtime ? format("%.0f", r->realtime) : format("%.2f", r->nsPerSample);
    }

    std::map<std::string, Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
