// The correction pass every change of the set goes through, and the advance step that
// runs it fifteen times.
#include <benchmark/benchmark.h>

#include "AllocationCounter.h"
#include "model/ParameterSet.h"

namespace {

void countAllocations(benchmark::State& state, std::int64_t before) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(AllocationCounter::total() - before),
                                                  benchmark::Counter::kAvgIterations);
}

// A set as a bad file or a confused unit could leave it: a falling curve beyond its limits
// and a start limiter above the limiter, so every rule has work to do.
ParameterSet tangledSet() {
    ParameterSet set;
    set.setCurvePointCount(15);
    for (int i = 0; i < kCurvePoints; ++i) {
        set.setCurveRpm(i, static_cast<std::uint8_t>(250 - 13 * i));
        set.setCurveAdvance(i, static_cast<std::uint8_t>(90 - i));
    }
    set.setStartLimiter(200);
    set.setLimiter(120);
    return set;
}

void BM_ValidateValid(benchmark::State& state) {
    ParameterSet set;
    set.validate();
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        set.validate();
        benchmark::DoNotOptimize(set.image().data());
    }
    countAllocations(state, before);
}
BENCHMARK(BM_ValidateValid);

void BM_ValidateCorrecting(benchmark::State& state) {
    const ParameterSet tangled = tangledSet();
    ParameterSet set;
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        set = tangled;
        set.validate();
        benchmark::DoNotOptimize(set.image().data());
    }
    countAllocations(state, before);
    ParameterSet again = set;
    again.validate();
    if (again.image() != set.image()) state.SkipWithError("validate did not reach a fixed point");
}
BENCHMARK(BM_ValidateCorrecting);

// "Advance +" on all fifteen points: fifteen steps, each followed by validate.
void BM_StepAdvanceAll(benchmark::State& state) {
    ParameterSet set;
    set.setCurvePointCount(15);
    set.validate();
    const ParameterSet start = set;
    for (auto _ : state) {
        set = start;
        set.stepAdvance(StepDirection::Plus, true, std::nullopt);
        benchmark::DoNotOptimize(set.image().data());
    }
}
BENCHMARK(BM_StepAdvanceAll);

}  // namespace

BENCHMARK_MAIN();
