// Program and Read through the real window, serial link and timer against a unit on a
// pseudo-terminal (velmor-unit-sim modelling the line time), timed on the wall clock.
//
// First the line itself is measured: polls written straight to the device, the time until
// the whole answer is waiting. That round trip (request and answer, 2 x 9.03 ms at 57600
// baud) is the line-time floor of one step; a command has three steps.
//
// Then the window runs Program and Read in turn, each started right after a tick of Timer1,
// as a click between ticks would be handled at the next tick. The protocol's own timing:
//   - the first frame leaves w ticks after the start, w = max(1, 4 - tickCount), because
//     tickCount keeps its idle value (the first-send wait);
//   - each answer is read at the first tick after it has arrived, and the next frame leaves
//     from inside that tick, so a step costs ceil(round trip / 55 ms) ticks.
// Hence the references printed for each command, with T the tick period measured over the
// same run (Qt's default coarse timer may run Timer1 up to 5 % fast or slow):
//   line_floor = w * T + 3 * round trip                 (line time plus the first-send wait)
//   tick_floor = (w + 3 * ceil(round trip / T)) * T     (what the tick grid allows)
// and the measured wall time from the start to the tick that shows "Verify: OK".
//
// Usage: exchange_probe --device PATH [--runs N]. The window takes its settings from
// $XDG_CONFIG_HOME, whose [PORTS] section must point COM1 at the same device.
#include <time.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "LineRoundTrip.h"
#include "ProcessStats.h"
#include "link/PosixPortBackend.h"
#include "ui/TFormHlav.h"

namespace {

constexpr int kSteps = 3;

struct Run {
    bool program = true;
    int waitTicks = 0;
    int ticks = -1;  // ticks from the start to the end; -1 = never ended
    std::int64_t wallUs = 0;
    bool ok = false;
};

struct Summary {
    double wallMs = 0, lineFloorMs = 0, tickFloorMs = 0, worstExcessMs = -1e9, worstLineExcessMs = -1e9;
    int runs = 0, failed = 0, onGrid = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QString device;
    int runsPerCommand = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--device") == 0) device = QString::fromLocal8Bit(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runsPerCommand = std::max(1, std::atoi(argv[i + 1]));
    }
    if (device.isEmpty()) {
        std::fprintf(stderr, "usage: exchange_probe --device PATH [--runs N]\n");
        return 2;
    }

    const std::int64_t roundTripUs = measureRoundTripUs(device);
    if (roundTripUs < 0) {
        std::fprintf(stderr, "exchange_probe: no answer from %s\n", qPrintable(device));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("velmor");
    TFormHlav window;
    int boxes = 0;
    window.setMessageBoxHandler([&boxes](const QString&) { ++boxes; });
    window.FormCreate();
    window.show();
    if (!window.serialLink().isOpen()) {
        std::fprintf(stderr, "exchange_probe: the window could not open COM1\n");
        return 1;
    }
    const auto* messageLine = window.findChild<QLabel*>(QStringLiteral("LabelHlaseni"));
    DeviceExchange& exchange = window.exchange();

    enum class Phase { Warmup, Running, Settle };
    Phase phase = Phase::Warmup;
    int phaseTicks = 0;
    std::vector<Run> runs;
    Run current;
    std::int64_t startUs = 0;
    std::int64_t firstTickUs = -1, lastTickUs = -1, tickCount = 0;

    // Connected after the window's own handler, so this runs right after each tick.
    QObject context;
    QObject::connect(window.timer1(), &QTimer::timeout, &context, [&] {
        lastTickUs = ProcessStats::monotonicUs();
        if (firstTickUs < 0) firstTickUs = lastTickUs;
        ++tickCount;
        ++phaseTicks;
        switch (phase) {
            case Phase::Warmup:
            case Phase::Settle:
                if (phaseTicks < 12 || exchange.connectionLost() || exchange.liveRpm() == 0) return;
                if (static_cast<int>(runs.size()) >= 2 * runsPerCommand) {
                    QCoreApplication::quit();
                    return;
                }
                current = Run{};
                current.program = runs.size() % 2 == 0;
                current.waitTicks = std::max(1, int(ExchangeTiming::kResendPeriod) - int(exchange.tickCount()));
                startUs = ProcessStats::monotonicUs();
                if (current.program)
                    window.MenuProgramClick();
                else
                    window.MenuReadClick();
                phase = Phase::Running;
                phaseTicks = 0;
                return;
            case Phase::Running:
                if (exchange.mode() == ExchangeMode::Idle || phaseTicks > 60) {
                    current.wallUs = ProcessStats::monotonicUs() - startUs;
                    current.ticks = exchange.mode() == ExchangeMode::Idle ? phaseTicks : -1;
                    current.ok =
                        current.ticks > 0 && boxes == 0 && messageLine->text() == window.messageTexts().verifyOk;
                    runs.push_back(current);
                    phase = Phase::Settle;
                    phaseTicks = 0;
                }
                return;
        }
    });
    QTimer::singleShot(120'000, &app, &QCoreApplication::quit);
    app.exec();

    if (tickCount < 2) return 1;
    const double tickMs = (lastTickUs - firstTickUs) / 1000.0 / static_cast<double>(tickCount - 1);
    const int ticksPerStep = static_cast<int>(std::ceil(roundTripUs / 1000.0 / tickMs));
    std::printf("round_trip_us %lld\n", static_cast<long long>(roundTripUs));
    std::printf("tick_period_ms %.2f\n", tickMs);
    std::printf("ticks_per_step %d\n", ticksPerStep);
    Summary summary[2];
    for (const Run& run : runs) {
        const double lineFloorMs = run.waitTicks * tickMs + kSteps * roundTripUs / 1000.0;
        const double tickFloorMs = (run.waitTicks + kSteps * ticksPerStep) * tickMs;
        const double wallMs = run.wallUs / 1000.0;
        std::printf("run %s ok %d wait_ticks %d ticks %d wall_ms %.1f line_floor_ms %.1f tick_floor_ms %.1f\n",
                    run.program ? "program" : "read", run.ok ? 1 : 0, run.waitTicks, run.ticks, wallMs, lineFloorMs,
                    tickFloorMs);
        Summary& s = summary[run.program ? 0 : 1];
        ++s.runs;
        if (!run.ok) {
            ++s.failed;
            continue;
        }
        if (run.ticks == run.waitTicks + kSteps * ticksPerStep) ++s.onGrid;
        s.wallMs += wallMs;
        s.lineFloorMs += lineFloorMs;
        s.tickFloorMs += tickFloorMs;
        s.worstExcessMs = std::max(s.worstExcessMs, wallMs - tickFloorMs);
        s.worstLineExcessMs = std::max(s.worstLineExcessMs, wallMs - lineFloorMs);
    }
    for (int k = 0; k < 2; ++k) {
        Summary& s = summary[k];
        const char* name = k == 0 ? "program" : "read";
        const int good = s.runs - s.failed;
        std::printf("%s_runs %d\n%s_failed %d\n%s_on_tick_grid %d\n", name, s.runs, name, s.failed, name, s.onGrid);
        if (good == 0) continue;
        std::printf("%s_wall_ms %.1f\n%s_line_floor_ms %.1f\n%s_tick_floor_ms %.1f\n", name, s.wallMs / good, name,
                    s.lineFloorMs / good, name, s.tickFloorMs / good);
        std::printf("%s_ratio_line %.2f\n%s_ratio_tick %.3f\n", name, s.wallMs / s.lineFloorMs, name,
                    s.wallMs / s.tickFloorMs);
        std::printf("%s_worst_excess_ms %.1f\n%s_worst_line_excess_ms %.1f\n", name, s.worstExcessMs, name,
                    s.worstLineExcessMs);
    }
    std::printf("message_boxes %d\n", boxes);
    const bool complete = summary[0].runs == runsPerCommand && summary[1].runs == runsPerCommand;
    return complete ? 0 : 1;
}
