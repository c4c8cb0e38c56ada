// The window's side of the hot paths, on the offscreen platform: the tick of Timer1 with the
// real view, telemetry into the labels, whole commands answered by an in-memory unit, and
// refreshWindow and updateLayout with and without a change to show.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "AllocationCounter.h"
#include "BenchPort.h"
#include "ui/CurveGraph.h"
#include "ui/TFormHlav.h"

namespace {

TFormHlav* window = nullptr;
BenchPort* port = nullptr;
int messageBoxes = 0;

void countAllocations(benchmark::State& state, std::int64_t before) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(AllocationCounter::total() - before),
                                                  benchmark::Counter::kAvgIterations);
}

QString messageLine() { return window->findChild<QLabel*>(QStringLiteral("LabelHlaseni"))->text(); }

// Two sets that differ in every bound control and in the layout: the defaults, and a
// fifteen-point curve with a forcing keying and all three input-dependent groups on.
ParameterSet plainSet() {
    ParameterSet set;
    set.validate();
    return set;
}

ParameterSet busySet() {
    ParameterSet set;
    set.setKeyingType(1);
    set.setCurvePointCount(15);
    for (int i = 0; i < kCurvePoints; ++i) {
        set.setCurveRpm(i, static_cast<std::uint8_t>(8 + 9 * i));
        set.setCurveAdvance(i, static_cast<std::uint8_t>(5 + 2 * i));
    }
    set.setBaseAdvance(7);
    set.setStartLimiter(60);
    set.setLimiter(140);
    set.setRetard(12);
    set.setInput1Function(3);
    set.setInput2Function(4);
    set.setPilotLight(120);
    set.setRpmPulses(3);
    set.setRpmCorrection(90);
    set.validate();
    return set;
}

void idleFor(int ticks) {
    for (int i = 0; i < ticks; ++i) window->Timer1Timer();
}

// Back to idle with window, set and unit agreeing, whatever a benchmark left behind.
bool settle() {
    port->discardInput();
    window->MenuProgramClick();
    for (int tick = 0; tick < 12 && window->exchange().mode() != ExchangeMode::Idle; ++tick) window->Timer1Timer();
    idleFor(12);
    return window->exchange().mode() == ExchangeMode::Idle && messageLine() == window->messageTexts().verifyOk;
}

// The idle tick as the timer runs it, a revving engine answering every poll: five quiet
// ticks, a poll, and a tick that decodes the answer into the labels, averaged.
void BM_WindowIdleTick(benchmark::State& state) {
    port->setTelemetry(BenchPort::engineTelemetry(64, 330));
    idleFor(12);
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) window->Timer1Timer();
    countAllocations(state, before);
    if (window->exchange().connectionLost()) state.SkipWithError("no telemetry reached the window");
}
BENCHMARK(BM_WindowIdleTick);

// The same with an engine that holds its speed: nothing on the labels changes.
void BM_WindowIdleTickSteady(benchmark::State& state) {
    port->setTelemetry({BenchPort::telemetryAt(3500)});
    idleFor(12);
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) window->Timer1Timer();
    countAllocations(state, before);
}
BENCHMARK(BM_WindowIdleTickSteady);

// One telemetry frame from the receive buffer to the label texts and colours.
void BM_DecodeTelemetryToLabels(benchmark::State& state) {
    const std::vector<LinkFrame> frames = BenchPort::engineTelemetry(64, 330);
    std::size_t i = 0;
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        window->exchange().dispatchReceived(frames[i]);
        i = (i + 1) % frames.size();
    }
    countAllocations(state, before);
}
BENCHMARK(BM_DecodeTelemetryToLabels);

// The same frame with the paint pass the event loop then runs: the whole visible cost of a
// frame, three times a second while idle.
void BM_DecodeTelemetryToLabelsPainted(benchmark::State& state) {
    const std::vector<LinkFrame> frames = BenchPort::engineTelemetry(64, 330);
    std::size_t i = 0;
    QCoreApplication::processEvents();
    for (auto _ : state) {
        window->exchange().dispatchReceived(frames[i]);
        QCoreApplication::processEvents();
        i = (i + 1) % frames.size();
    }
}
BENCHMARK(BM_DecodeTelemetryToLabelsPainted);

// A whole command answered at once by the unit, through the menu command and the ticks; the
// waiting between ticks is not counted.
void runCommand(benchmark::State& state, void (TFormHlav::*command)(), int expectedRequests) {
    idleFor(12);
    const std::int64_t requestsBefore = port->blockRequests();
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        (window->*command)();
        for (int tick = 0; tick < 12 && window->exchange().mode() != ExchangeMode::Idle; ++tick) window->Timer1Timer();
    }
    countAllocations(state, before);
    const std::int64_t requests = port->blockRequests() - requestsBefore;
    if (messageLine() != window->messageTexts().verifyOk || requests != expectedRequests * state.iterations())
        state.SkipWithError("the command did not end with one answered send per step");
}

void BM_WindowProgram(benchmark::State& state) { runCommand(state, &TFormHlav::MenuProgramClick, 3); }
BENCHMARK(BM_WindowProgram);

void BM_WindowRead(benchmark::State& state) { runCommand(state, &TFormHlav::MenuReadClick, 3); }
BENCHMARK(BM_WindowRead);

// handleBlockAnswer at its heaviest: the parameter block of a Read, taken into the set,
// validated, shown, and the verify request sent.
void BM_HandleReadParametersAnswer(benchmark::State& state) {
    ImageBlock unitHeader = port->unit().header();
    LinkFrame header{};
    header[0] = kReadHeaderCommand | kAnswerBit;
    std::copy(unitHeader.begin(), unitHeader.end(), header.begin() + 1);
    sealFrame(header);
    LinkFrame parameters{};
    parameters[0] = kReadParametersCommand | kAnswerBit;
    const ParameterSet other = busySet();
    std::copy(other.block(kParameterBlock).begin(), other.block(kParameterBlock).end(), parameters.begin() + 1);
    sealFrame(parameters);
    const ParameterSet plain = plainSet();
    for (auto _ : state) {
        state.PauseTiming();
        window->parameterSet() = plain;
        window->exchange().startRead();
        window->exchange().dispatchReceived(header);
        state.ResumeTiming();
        window->exchange().dispatchReceived(parameters);
    }
    if (window->exchange().mode() != ExchangeMode::Verify) state.SkipWithError("the read did not go over to verify");
    if (!settle()) state.SkipWithError("the window did not settle after the reads");
}
BENCHMARK(BM_HandleReadParametersAnswer);

void BM_RefreshWindow(benchmark::State& state) {
    window->parameterSet() = busySet();
    window->refreshWindow();
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) window->refreshWindow();
    countAllocations(state, before);
}
BENCHMARK(BM_RefreshWindow);

// Every value and the layout change each time.
void BM_RefreshWindowChanged(benchmark::State& state) {
    const ParameterSet sets[2] = {plainSet(), busySet()};
    int i = 0;
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        window->parameterSet() = sets[i];
        window->refreshWindow();
        i ^= 1;
    }
    countAllocations(state, before);
}
BENCHMARK(BM_RefreshWindowChanged);

// As above, with the relayout and repaint the event loop then does.
void BM_RefreshWindowChangedPainted(benchmark::State& state) {
    const ParameterSet sets[2] = {plainSet(), busySet()};
    int i = 0;
    for (auto _ : state) {
        window->parameterSet() = sets[i];
        window->refreshWindow();
        QCoreApplication::processEvents();
        i ^= 1;
    }
}
BENCHMARK(BM_RefreshWindowChangedPainted);

void BM_UpdateLayout(benchmark::State& state) {
    window->parameterSet() = busySet();
    window->refreshWindow();
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) window->updateLayout();
    countAllocations(state, before);
}
BENCHMARK(BM_UpdateLayout);

// The point count, keying and inputs switch each time: rows, spinners and groups come and go.
void BM_UpdateLayoutChanged(benchmark::State& state) {
    const ParameterSet sets[2] = {plainSet(), busySet()};
    int i = 0;
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        window->parameterSet() = sets[i];
        window->updateLayout();
        i ^= 1;
    }
    countAllocations(state, before);
}
BENCHMARK(BM_UpdateLayoutChanged);

// The per-tick highlight with the row unchanged: thirty colour look-ups, nothing applied.
void BM_HighlightLiveRowUnchanged(benchmark::State& state) {
    window->highlightLiveRow(3, false);
    const int changes = window->colourChanges();
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) window->highlightLiveRow(3, false);
    countAllocations(state, before);
    if (window->colourChanges() != changes) state.SkipWithError("an unchanged row was coloured again");
}
BENCHMARK(BM_HighlightLiveRowUnchanged);

// The whole graph drawn again, as after a change of the set: the cached picture rebuilt
// and the widget painted whole (into an image of the screen's kind).
void BM_CurveGraphRepaint(benchmark::State& state) {
    CurveGraph* graph = window->curveGraph();
    const ParameterSet sets[2] = {plainSet(), busySet()};
    QImage target(graph->size(), QImage::Format_ARGB32_Premultiplied);
    graph->showSet(sets[1]);
    graph->render(&target);
    int i = 0;
    const int before = graph->pictureRedraws();
    for (auto _ : state) {
        graph->showSet(sets[i]);
        graph->render(&target);
        i ^= 1;
    }
    if (graph->pictureRedraws() - before < state.iterations()) state.SkipWithError("the picture was not redrawn");
    graph->showSet(window->parameterSet());
}
BENCHMARK(BM_CurveGraphRepaint);

// A moving live point: the cached picture is not redrawn. The whole widget is painted
// here, more than the small area the event loop paints.
void BM_CurveGraphLivePoint(benchmark::State& state) {
    CurveGraph* graph = window->curveGraph();
    QImage target(graph->size(), QImage::Format_ARGB32_Premultiplied);
    graph->render(&target);
    int rpm = 1000;
    const int before = graph->pictureRedraws();
    for (auto _ : state) {
        graph->showLive(rpm, 10 + rpm / 1000);
        graph->render(&target);
        rpm = rpm >= 9000 ? 1000 : rpm + 50;
    }
    if (graph->pictureRedraws() != before) state.SkipWithError("a live point redrew the whole picture");
}
BENCHMARK(BM_CurveGraphLivePoint);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and the working image come from an empty folder of our own.
    QTemporaryDir config;
    if (!config.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_DATA_HOME", (config.path() + "/data").toUtf8());  // the set history

    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    auto owned = std::make_unique<BenchPort>();
    port = owned.get();
    TFormHlav form(std::move(owned));
    window = &form;
    form.setMessageBoxHandler([](const QString&) { ++messageBoxes; });
    form.serialLink().mapping().setExplicit(1, QStringLiteral("bench"));
    form.FormCreate();
    // The benchmarks tick by hand.
    form.timer1()->stop();
    form.show();
    QCoreApplication::processEvents();
    if (messageBoxes != 0 || !form.serialLink().isOpen()) return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
