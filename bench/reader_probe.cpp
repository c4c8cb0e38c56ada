// The parameter-file reader on whole files on disk of 1 KiB, 1 MiB and 64 MiB, opened and
// read as the Open command does. Each file is the writer's own output repeated, so header
// tokens, keys and numbers come at the mix of a real file and every size is accepted. Each
// size is read until at least a second has passed (at least five times); the best time
// counts, as the least disturbed by whatever else the machine does. Both the wall time and
// the CPU time (user and system, which includes the copy out of the page cache) are taken;
// on a machine shared with other work the CPU time is the steadier measure of the reader's
// own cost, since a long read is more often preempted than a short one. Prints per size
//   read_<size>_us, read_<size>_cpu_us           best times of one read
//   read_<size>_us_per_mb, read_<size>_cpu_us_per_mb   the same per MiB
// and growth_ratio, growth_ratio_cpu = (per MiB at 64 MiB) / (per MiB at 1 MiB), and
// peak_rss_kb (the reader works in bounded memory whatever the size).
// Usage: reader_probe --dir FOLDER (the files are made there and removed again)
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ProcessStats.h"
#include "files/ParameterFile.h"

namespace {

struct Size {
    const char* name;
    qint64 bytes;
};

constexpr Size kSizes[] = {{"1k", 1 << 10}, {"1m", 1 << 20}, {"64m", qint64{64} << 20}};
constexpr std::int64_t kMinTotalUs = 1'000'000;
constexpr int kMinReads = 5;

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

// Whole copies of unit while they fit, then blanks up to the exact size, so no copy is cut.
bool makeFile(const QString& path, qint64 size, const QByteArray& unit) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray chunk;
    while (chunk.size() + unit.size() <= (1 << 20)) chunk += unit;
    qint64 left = size;
    while (left >= chunk.size()) {
        if (file.write(chunk) != chunk.size()) return false;
        left -= chunk.size();
    }
    while (left >= unit.size()) {
        if (file.write(unit) != unit.size()) return false;
        left -= unit.size();
    }
    const QByteArray blanks(left, ' ');
    return file.write(blanks) == blanks.size();
}

}  // namespace

int main(int argc, char** argv) {
    QString dir;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--dir") == 0) dir = QString::fromLocal8Bit(argv[i + 1]);
    if (dir.isEmpty() || !QDir(dir).exists()) {
        std::fprintf(stderr, "usage: reader_probe --dir FOLDER\n");
        return 2;
    }
    const ParameterSet expected = sampleSet();
    const QByteArray unit = ParameterFile::toBytes(expected) + "\r\n";

    double perMb[3] = {};
    double cpuPerMb[3] = {};
    bool ok = true;
    for (int s = 0; s < 3; ++s) {
        const QString path = QDir(dir).filePath(QStringLiteral("probe-%1.ign").arg(kSizes[s].name));
        if (!makeFile(path, kSizes[s].bytes, unit)) {
            std::fprintf(stderr, "reader_probe: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::int64_t best = -1, bestCpu = -1, total = 0;
        for (int reads = 0; reads < kMinReads || total < kMinTotalUs; ++reads) {
            ParameterSet set;
            const std::int64_t start = ProcessStats::monotonicUs();
            const std::int64_t startCpu = ProcessStats::cpuUs();
            QFile file(path);
            const bool accepted = file.open(QIODevice::ReadOnly) && ParameterFile::read(file, set);
            const std::int64_t took = ProcessStats::monotonicUs() - start;
            const std::int64_t tookCpu = ProcessStats::cpuUs() - startCpu;
            if (bestCpu < 0 || tookCpu < bestCpu) bestCpu = tookCpu;
            if (!accepted || set.image() != expected.image()) ok = false;
            total += took;
            if (best < 0 || took < best) best = took;
        }
        QFile::remove(path);
        const double mb = static_cast<double>(kSizes[s].bytes) / (1 << 20);
        perMb[s] = static_cast<double>(best) / mb;
        cpuPerMb[s] = static_cast<double>(bestCpu) / mb;
        std::printf("read_%s_us %lld\n", kSizes[s].name, static_cast<long long>(best));
        std::printf("read_%s_cpu_us %lld\n", kSizes[s].name, static_cast<long long>(bestCpu));
        std::printf("read_%s_us_per_mb %.0f\n", kSizes[s].name, perMb[s]);
        std::printf("read_%s_cpu_us_per_mb %.0f\n", kSizes[s].name, cpuPerMb[s]);
    }
    std::printf("growth_ratio %.3f\n", perMb[2] / perMb[1]);
    std::printf("growth_ratio_cpu %.3f\n", cpuPerMb[2] / cpuPerMb[1]);
    std::printf("peak_rss_kb %lld\n", static_cast<long long>(ProcessStats::peakResidentKb()));
    std::printf("accepted %d\n", ok ? 1 : 0);
    return ok ? 0 : 1;
}
