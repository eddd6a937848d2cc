// Processing speed of the effect against the plain reference engine, on the
// same noise, in host-sized blocks. "x_realtime" is seconds of 44.1 kHz
// stereo audio processed per second.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "effect/Corvane.h"
#include "effect/FactoryPrograms.h"
#include "tests/engine/ReferenceEngine.h"

namespace {

constexpr int kBlock = 512;
constexpr double kRate = 44100.0;

struct Signal {
    std::vector<float> left, right, outLeft, outRight;
    Signal() : left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock) {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        for (int i = 0; i < kBlock; ++i) {
            left[i] = noise(random);
            right[i] = noise(random);
        }
    }
};

void countRealtime(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kBlock);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / kRate, benchmark::Counter::kIsRate);
}

// program: 0 "Default", 5 "Detuned" (Detune glides after the selection)
void BM_Effect(benchmark::State& state) {
    Corvane effect(nullptr);
    effect.selectProgram(static_cast<VstInt32>(state.range(0)));
    effect.setParameter(kMix, 1.0f);
    Signal signal;
    float* inputs[2] = {signal.left.data(), signal.right.data()};
    float* outputs[2] = {signal.outLeft.data(), signal.outRight.data()};
    for (auto _ : state) {
        effect.processReplacing(inputs, outputs, kBlock);
        benchmark::DoNotOptimize(signal.outLeft.data());
        benchmark::ClobberMemory();
    }
    countRealtime(state);
}

void BM_Reference(benchmark::State& state) {
    reference::ReferenceEffect effect;
    const FactoryProgram& program = kFactoryPrograms[state.range(0)];
    for (int k = 0; k < kNumParameters; ++k) effect.setParameter(k, k == kMix ? 1.0f : program.values[k]);
    Signal signal;
    for (auto _ : state) {
        effect.engine.process(signal.left.data(), signal.right.data(), signal.outLeft.data(),
                              signal.outRight.data(), kBlock);
        benchmark::DoNotOptimize(signal.outLeft.data());
        benchmark::ClobberMemory();
    }
    countRealtime(state);
}

BENCHMARK(BM_Effect)->Arg(0)->Arg(5);
BENCHMARK(BM_Reference)->Arg(0)->Arg(5);

}  // namespace

BENCHMARK_MAIN();
