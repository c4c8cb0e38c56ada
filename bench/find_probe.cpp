// Find unit over 1, 4 and 10 devices, the unit's the last one tried, the others silent
// pseudo-terminals: wall time to the selection, ticks, and the longest tick. Ticks on the
// 55 ms schedule of Timer1. Prints "find_<n>_ms", "find_<n>_ticks", "find_<n>_longest_tick_us".
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <vector>

#include "link/DeviceLister.h"
#include "link/PosixPortBackend.h"
#include "link/SerialLink.h"
#include "link/UnitFinder.h"

namespace {

struct Lister : DeviceLister {
    QList<SerialDevice> present;
    QList<SerialDevice> devices() const override { return present; }
};

int run(int count, const QString& sim, QTemporaryDir& dir) {
    std::vector<int> masters;
    auto lister = std::make_shared<Lister>();
    for (int i = 0; i + 1 < count; ++i) {
        const int m = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m < 0 || ::grantpt(m) != 0 || ::unlockpt(m) != 0) return 1;
        masters.push_back(m);
        const QString link = dir.filePath(QStringLiteral("ttyUSB%1").arg(i));
        QFile::remove(link);
        if (!QFile::link(QString::fromLocal8Bit(::ptsname(m)), link)) return 1;
        SerialDevice d;
        d.path = link;
        lister->present << d;
    }
    const QString unitLink = dir.filePath(QStringLiteral("ttyUSB%1").arg(count - 1));
    QFile::remove(unitLink);
    QProcess unit;
    unit.start(sim, {QStringLiteral("--link"), unitLink});
    for (int i = 0; i < 50 && !QFile::exists(unitLink); ++i) QThread::msleep(100);
    if (!QFile::exists(unitLink)) return 1;
    SerialDevice d;
    d.path = unitLink;
    lister->present << d;

    SerialLink link(std::make_unique<PosixPortBackend>());
    link.mapping().setLister(lister);
    UnitFinder finder(link, [] { return std::make_unique<PosixPortBackend>(); });
    int found = 0;
    finder.onFinished = [&found](const UnitFinder::Candidate* c) { found = c ? c->portNumber : -1; };
    QElapsedTimer clock;
    clock.start();
    if (!finder.start()) return 1;
    long ticks = 0;
    qint64 longestNs = 0;
    while (finder.running() && ticks < 1000) {
        QElapsedTimer tick;
        tick.start();
        finder.onTick();
        longestNs = std::max(longestNs, tick.nsecsElapsed());
        ++ticks;
        const qint64 next = ticks * 55;
        const qint64 wait = next - clock.elapsed();
        if (finder.running() && wait > 0) QThread::msleep(static_cast<unsigned long>(wait));
    }
    const qint64 ms = clock.elapsed();
    unit.kill();
    unit.waitForFinished(5000);
    for (int m : masters) ::close(m);
    if (found != count) {
        std::fprintf(stderr, "unit not found on COM%d (got %d)\n", count, found);
        return 1;
    }
    std::printf("find_%d_ms %lld\nfind_%d_ticks %ld\nfind_%d_longest_tick_us %lld\n", count, static_cast<long long>(ms),
                count, ticks, count, static_cast<long long>(longestNs / 1000));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--sim"));
    if (at < 0 || at + 1 >= args.size()) {
        std::fprintf(stderr, "usage: find_probe --sim PATH-OF-velmor-unit-sim\n");
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    for (int count : {1, 4, 10})
        if (run(count, args[at + 1], dir) != 0) return 1;
    return 0;
}
