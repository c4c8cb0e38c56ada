#pragma once

// What the reliability tests share: the switch for full-size runs, the result lines that
// scripts/reliability collects into its table, and a measure of peak memory growth.

#include <QByteArray>
#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>

// Set by scripts/reliability: run the full sizes and counts instead of the quicker ones that
// every test run (sanitizer builds included) can afford.
inline bool fullReliabilityRun() {
    return qEnvironmentVariableIsSet("VELMOR_RELIABILITY_FULL") && qgetenv("VELMOR_RELIABILITY_FULL") != "0";
}

// One line per case: "RELIABILITY|name|runs|failures|figure".
inline void reportReliability(const QByteArray& name, qint64 runs, qint64 failures, const QByteArray& figure) {
    std::printf("RELIABILITY|%s|%lld|%lld|%s\n", name.constData(), static_cast<long long>(runs),
                static_cast<long long>(failures), figure.constData());
    std::fflush(stdout);
}

// Peak resident memory growth of this process over a stretch of work. Linux keeps the peak
// (VmHWM) since start; writing 5 to clear_refs resets it to the current size, so the peak
// after the work minus the size before it is what the work needed at most.
class PeakMemory {
public:
    PeakMemory() {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        resetWorked_ = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
        reset.close();
        before_ = statusKb("VmRSS:");
        // Without the reset only growth above the old peak can be seen.
        if (!resetWorked_) before_ = std::max(before_, statusKb("VmHWM:"));
    }

    qint64 growthBytes() const { return std::max<qint64>(0, statusKb("VmHWM:") - before_) * 1024; }
    bool exact() const { return resetWorked_; }

    static qint64 statusKb(const char* field) {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly)) return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(field)) return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
        return 0;
    }

private:
    bool resetWorked_ = false;
    qint64 before_ = 0;
};
