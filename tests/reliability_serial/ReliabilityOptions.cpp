#include "ReliabilityOptions.h"

#include <cstdio>
#include <type_traits>

ReliabilityOptions ReliabilityOptions::take(QStringList& args) {
    ReliabilityOptions o;
    auto fullRun = [&o] {
        o.full = true;
        o.cycles = 1000;
        o.tickMs = 55;
        o.lineTime = true;
        o.repeat = 10;
    };
    if (qEnvironmentVariableIntValue("VELMOR_RELIABILITY_FULL") == 1) fullRun();
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto number = [&](long low, long high, auto& out) {
            bool ok = false;
            const long v = i + 1 < args.size() ? args[i + 1].toLong(&ok) : 0;
            if (!ok || v < low || v > high) {
                o.error = a + QStringLiteral(" needs a number from %1 to %2").arg(low).arg(high);
                return;
            }
            out = static_cast<std::remove_reference_t<decltype(out)>>(v);
            ++i;
        };
        if (i == 0) {
            rest << a;
        } else if (a == QLatin1String("--full")) {
            fullRun();
        } else if (a == QLatin1String("--cycles")) {
            number(1, 1'000'000, o.cycles);
        } else if (a == QLatin1String("--tick-ms")) {
            number(5, 1000, o.tickMs);
        } else if (a == QLatin1String("--repeat")) {
            number(1, 10'000, o.repeat);
        } else if (a == QLatin1String("--seed")) {
            number(0, 2'147'483'647, o.seed);
        } else if (a == QLatin1String("--line-time")) {
            o.lineTime = true;
        } else if (a == QLatin1String("--sim-log")) {
            if (i + 1 >= args.size())
                o.error = QStringLiteral("--sim-log needs a path");
            else
                o.simLog = args[++i];
        } else if (a == QLatin1String("--profile")) {
            if (i + 1 >= args.size()) {
                o.error = QStringLiteral("--profile needs a name");
            } else {
                o.profiles << args[++i];
            }
        } else {
            rest << a;
        }
    }
    args = rest;
    return o;
}

void printReliabilityRow(const QString& name, long runs, long failures, const QString& figure) {
    QString clean = figure;
    clean.replace(QLatin1Char('|'), QLatin1Char('/'));
    std::printf("RELIABILITY|%s|%ld|%ld|%s\n", qPrintable(name), runs, failures, qPrintable(clean));
    std::fflush(stdout);
}
