// Wall time of whole velmorctl program processes, from the start of the process to its exit,
// against a unit on a pseudo-terminal (velmor-unit-sim modelling the line time).
//
// The reference is the protocol's tick floor for a fresh exchange, measured in the same run:
// the tool starts its command at once, with tickCount still 0, so the first frame leaves
// after w = 4 ticks; each of the three steps then costs ceil(round trip / 55 ms) ticks,
// because an answer is read at the first tick after it has arrived and the next frame
// leaves from inside that tick:
//   tick_floor = (4 + 3 * ceil(round trip / 55 ms)) * 55 ms
// Anything above it is the process's own cost: start-up, the file, the port, the exit.
//
// Usage: ctl_probe --device PATH --ctl PATH-TO-VELMORCTL [--runs N]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "LineRoundTrip.h"
#include "files/ParameterFile.h"
#include "link/DeviceExchange.h"

namespace {
constexpr int kSteps = 3;
constexpr int kFirstSendTicks = ExchangeTiming::kResendPeriod;
constexpr int kProcessBoundMs = 10000;
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString device;
    QString ctl;
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--device") == 0) device = QString::fromLocal8Bit(argv[i + 1]);
        if (std::strcmp(argv[i], "--ctl") == 0) ctl = QString::fromLocal8Bit(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    if (device.isEmpty() || ctl.isEmpty()) {
        std::fprintf(stderr, "usage: ctl_probe --device PATH --ctl PATH [--runs N]\n");
        return 2;
    }
    const std::int64_t roundTripUs = measureRoundTripUs(device);
    if (roundTripUs < 0) {
        std::fprintf(stderr, "ctl_probe: no answer from %s\n", qPrintable(device));
        return 1;
    }

    QTemporaryDir dir;
    // Two sets in turn, so that every run really changes what the unit holds.
    ParameterSet sets[2];
    sets[1].setBaseAdvance(14);
    sets[1].setLimiter(128);
    const QString files[2] = {dir.filePath("a.ign"), dir.filePath("b.ign")};
    for (int i = 0; i < 2; ++i)
        if (!ParameterFile::save(files[i], sets[i])) return 1;

    std::vector<double> walls;
    int failed = 0;
    for (int i = 0; i < runs; ++i) {
        sleepUs(400'000);  // the simulator's idle state between runs, like a script's pause
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        process.start(ctl, {"--port", device, "program", files[i % 2]});
        const bool finished = process.waitForFinished(kProcessBoundMs);
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            ++failed;
            process.kill();
            process.waitForFinished(kProcessBoundMs);
            continue;
        }
        walls.push_back(ms);
    }
    const double tick = ExchangeTiming::kTickMs;
    const double roundTripMs = static_cast<double>(roundTripUs) / 1000.0;
    const double tickFloor = (kFirstSendTicks + kSteps * std::ceil(roundTripMs / tick)) * tick;
    const double lineFloor = kFirstSendTicks * tick + kSteps * roundTripMs;
    double mean = 0;
    double worst = 0;
    for (double w : walls) {
        mean += w;
        worst = std::max(worst, w);
    }
    if (!walls.empty()) mean /= static_cast<double>(walls.size());
    std::printf("round_trip_us %lld\n", static_cast<long long>(roundTripUs));
    std::printf("ctl_runs %d\nctl_failed %d\n", runs, failed);
    std::printf("ctl_wall_ms %.1f\nctl_worst_ms %.1f\n", mean, worst);
    std::printf("ctl_tick_floor_ms %.1f\nctl_line_floor_ms %.1f\n", tickFloor, lineFloor);
    std::printf("ctl_mean_excess_ms %.1f\nctl_worst_excess_ms %.1f\n", mean - tickFloor,
                walls.empty() ? 1e9 : worst - tickFloor);
    return failed == 0 ? 0 : 1;
}
