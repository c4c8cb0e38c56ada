// The parameter file: writing a set and reading it back, from memory so that only the
// format's own work is timed (scripts/bench times whole files on disk with reader_probe).
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>

#include "AllocationCounter.h"
#include "files/ParameterFile.h"
#include "files/WorkingImageFile.h"

namespace {

void countAllocations(benchmark::State& state, std::int64_t before) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(AllocationCounter::total() - before),
                                                  benchmark::Counter::kAvgIterations);
}

ParameterSet sampleSet() {
    ParameterSet set;
    set.setCurvePointCount(15);
    for (int i = 0; i < kCurvePoints; ++i) {
        set.setCurveRpm(i, static_cast<std::uint8_t>(10 + 9 * i));
        set.setCurveAdvance(i, static_cast<std::uint8_t>(8 + i));
    }
    set.setInput1Function(2);
    set.setRpmCorrection(85);
    set.validate();
    return set;
}

void BM_ParameterFileWrite(benchmark::State& state) {
    const ParameterSet set = sampleSet();
    QByteArray storage;
    storage.reserve(1024);
    QBuffer buffer(&storage);
    buffer.open(QIODevice::WriteOnly);
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        buffer.seek(0);
        ParameterFile::write(buffer, set);
    }
    countAllocations(state, before);
    state.SetBytesProcessed(state.iterations() * storage.size());
}
BENCHMARK(BM_ParameterFileWrite);

void BM_ParameterFileRead(benchmark::State& state) {
    QByteArray bytes = ParameterFile::toBytes(sampleSet());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ParameterSet set;
    bool ok = true;
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        buffer.seek(0);
        ok = ParameterFile::read(buffer, set) && ok;
    }
    countAllocations(state, before);
    state.SetBytesProcessed(state.iterations() * bytes.size());
    if (!ok || set.image() != sampleSet().image()) state.SkipWithError("the file did not read back");
}
BENCHMARK(BM_ParameterFileRead);

// The same set repeated to the given size: header tokens, keys and numbers at the mix a
// real file has, so the time per byte does not depend on the size.
void BM_ParameterFileReadSized(benchmark::State& state) {
    const QByteArray one = ParameterFile::toBytes(sampleSet()) + "\r\n";
    QByteArray bytes;
    bytes.reserve(state.range(0) + one.size());
    while (bytes.size() < state.range(0)) bytes += one;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ParameterSet set;
    bool ok = true;
    for (auto _ : state) {
        buffer.seek(0);
        ok = ParameterFile::read(buffer, set) && ok;
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    if (!ok) state.SkipWithError("the file was not accepted");
}
BENCHMARK(BM_ParameterFileReadSized)->Arg(1 << 10)->Arg(1 << 20);

void BM_WorkingImageWrite(benchmark::State& state) {
    const ParameterSet set = sampleSet();
    for (auto _ : state) benchmark::DoNotOptimize(WorkingImageFile::toBytes(set));
}
BENCHMARK(BM_WorkingImageWrite);

}  // namespace

BENCHMARK_MAIN();
