// What the replug watch adds to the idle tick through the window: with the port open (one
// test per tick) and with the device gone (one stat of its path every few ticks).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "BenchPort.h"
#include "link/ReplugWatch.h"
#include "ui/PortAssist.h"
#include "ui/TFormHlav.h"

namespace {

TFormHlav* window = nullptr;
BenchPort* port = nullptr;
// A by-id path of an adapter that is not plugged in.
const char kAbsent[] = "/dev/serial/by-id/usb-velmor-bench-absent-if00-port0";

void reopen() {
    window->serialLink().openPort();
    for (int i = 0; i < 12; ++i) window->Timer1Timer();
}

// Open port, steady engine: the tick as BM_WindowIdleTickSteady, the watch included.
void BM_WindowIdleTickWatchOpen(benchmark::State& state) {
    reopen();
    port->setTelemetry({BenchPort::telemetryAt(3500)});
    const long looksBefore = window->portAssist().watch().looks();
    for (auto _ : state) window->Timer1Timer();
    if (!window->serialLink().isOpen()) state.SkipWithError("port not open");
    // Every run reports the same counters, as the CSV output wants them.
    state.counters["looks_per_tick"] = benchmark::Counter(
        static_cast<double>(window->portAssist().watch().looks() - looksBefore), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WindowIdleTickWatchOpen);

// The device vanished (the backend let it go): the exchange ticks on a closed port and the
// watch looks for the adapter's path every few ticks.
void BM_WindowIdleTickWatchLost(benchmark::State& state) {
    reopen();
    port->close();
    const long looksBefore = window->portAssist().watch().looks();
    for (auto _ : state) window->Timer1Timer();
    if (!window->serialLink().deviceLost()) state.SkipWithError("device not lost");
    state.counters["looks_per_tick"] = benchmark::Counter(
        static_cast<double>(window->portAssist().watch().looks() - looksBefore), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WindowIdleTickWatchLost);

// One look: the stat of an absent by-id path.
void BM_ReplugWatchLook(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReplugWatch::deviceNodePresent(kAbsent));
    state.counters["looks_per_tick"] = benchmark::Counter(1);
}
BENCHMARK(BM_ReplugWatchLook);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    if (!config.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());

    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    auto owned = std::make_unique<BenchPort>();
    port = owned.get();
    TFormHlav form(std::move(owned));
    window = &form;
    int boxes = 0;
    form.setMessageBoxHandler([&boxes](const QString&) { ++boxes; });
    form.serialLink().mapping().setExplicit(1, QString::fromLatin1(kAbsent));
    form.FormCreate();
    form.timer1()->stop();
    form.show();
    QCoreApplication::processEvents();
    if (boxes != 0 || !form.serialLink().isOpen()) return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
