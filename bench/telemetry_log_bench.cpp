// The telemetry log: what recording adds to a telemetry frame (a minute of frames at the poll
// rate, the writes once a second included), opening an hour's log in the viewer, and
// redrawing its time plot after a zoom. Recording is CPU time with its allocations; opening
// and redrawing are wall time (real_time, in nanoseconds; scripts/bench shows the units).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "AllocationCounter.h"
#include "files/TelemetryLog.h"
#include "ui/LogViewer.h"

namespace {

QTemporaryDir* dir = nullptr;
constexpr qint64 kPollMs = 330;
constexpr int kHourRows = 65000;

// A dyno run: the engine sweeps from idle to 9000 rpm and back every 12 s, a frame every
// 55 ms; the advance follows the RPM.
TelemetryValues frameAt(int i) {
    const int phase = (i * 55) % 12000;
    TelemetryValues v;
    v.rpm = static_cast<std::uint16_t>(1200 + (phase < 6000 ? phase : 12000 - phase) * 13 / 10);
    v.advance = 10 + v.rpm / 400 + i % 2;
    v.advanceMax = 40;
    v.supplyMillivolts = static_cast<std::uint16_t>(13800 + i % 40);
    v.pickupSignal = true;
    v.programmingCount = 12;
    return v;
}

// One telemetry frame as the window hands it on: the live row, the row into the buffer, and
// the tick's write when a second has passed. The clock moves on by the poll period, so the
// mean covers the writes of a minute's frames.
void BM_LogRecordFrame(benchmark::State& state) {
    qint64 now = 0;
    TelemetryRecorder recorder([&now] { return now; });
    ParameterSet set;
    set.setDefaults();
    if (!recorder.start(dir->filePath("record.csv"), TelemetryLog::preamble(QDateTime::currentDateTime(), set)))
        state.SkipWithError("cannot create the log");
    std::array<TelemetryValues, 64> frames;
    for (int i = 0; i < 64; ++i) frames[static_cast<std::size_t>(i)] = frameAt(i);
    std::size_t i = 0;
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        now += kPollMs;
        const TelemetryValues& v = frames[i++ % frames.size()];
        if (!recorder.record(v, findLiveRow(v.rpm, set)) || !recorder.tick()) state.SkipWithError("write failed");
    }
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(AllocationCounter::total() - before),
                                                  benchmark::Counter::kAvgIterations);
    recorder.stop();
}
BENCHMARK(BM_LogRecordFrame)->Iterations(60 * 1000 / kPollMs * 50);  // 50 minutes of frames

QString hourLog() {
    const QString path = dir->filePath("hour.csv");
    if (QFileInfo::exists(path)) return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    ParameterSet set;
    set.setDefaults();
    file.write(TelemetryLog::preamble(QDateTime::currentDateTime(), set));
    char row[TelemetryLog::kMaxRowBytes];
    for (int i = 0; i < kHourRows; ++i) {
        const TelemetryValues v = frameAt(i);
        file.write(row, TelemetryLog::formatRow(row, i * 55LL, v, findLiveRow(v.rpm, set)));
    }
    return path;
}

void BM_LogViewerOpenHour(benchmark::State& state) {
    const QString path = hourLog();
    for (auto _ : state) {
        LogViewer viewer({}, [&state](const QString& text) { state.SkipWithError(qPrintable(text)); });
        viewer.resize(900, 600);
        if (!viewer.open(path)) break;
        viewer.show();
        QApplication::processEvents();  // the first paint
        benchmark::DoNotOptimize(viewer.log().rowCount());
    }
}
BENCHMARK(BM_LogViewerOpenHour)->UseRealTime();

// A wheel step in or out about the middle, and the plot painted whole.
void BM_LogViewerZoomRedraw(benchmark::State& state) {
    TelemetryLogData log;
    if (!readTelemetryLog(hourLog(), log)) state.SkipWithError("cannot read the log");
    LogTimePlot plot;
    plot.resize(900, 440);
    plot.setLog(&log);
    QImage image(plot.size(), QImage::Format_ARGB32_Premultiplied);
    bool in = true;
    int steps = 0;
    for (auto _ : state) {
        plot.zoom(in ? 0.8 : 1.25, plot.width() / 2.0);
        if (++steps == 20) {
            steps = 0;
            in = !in;
        }
        QPainter painter(&image);
        plot.render(&painter);
    }
}
BENCHMARK(BM_LogViewerZoomRedraw)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    QTemporaryDir folder;
    dir = &folder;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
