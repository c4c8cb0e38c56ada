#include "MonitorFormat.h"

#include <QStringList>

namespace {
QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
}  // namespace

QString monitorLine(const TelemetryValues& values, const MessageTexts& texts) {
    const TelemetryTexts t = telemetryTexts(values, texts);
    const QStringList parts = {t.labelRpm,         t.labelNapeti,    t.labelAdvance,          t.labelSnimac,
                               t.labelPolaritaMer, t.labelBlocking,  t.labelKillSwitch,       t.labelMonOmez1,
                               t.labelMonRetard,   t.labelClutchMon, t.labelPocetProgramovani};
    QStringList trimmed;
    for (const QString& part : parts) trimmed << part.trimmed();
    return trimmed.join(QStringLiteral(" | "));
}

QString monitorCsvPreamble(const QDateTime& startUtc, const QString& device) {
    return QStringLiteral(
               "# velmorctl monitor\n# start %1\n# device %2\n"
               "# live row: against the window's last set (the working image)\n"
               "time [ms],rpm [1/min],advance [deg],advance max [deg],supply [V],pick-up,kill switch,"
               "retard,blocking,start limiter,clutch master,polarity negative,live row,programming count\n")
        .arg(startUtc.toString(Qt::ISODate), device);
}

QString monitorCsvRow(qint64 elapsedMs, const TelemetryValues& v, const LiveRow& row) {
    const QStringList cells = {
        QString::number(elapsedMs),
        QString::number(v.rpm),
        QString::number(v.advance),
        QString::number(v.advanceMax),
        QString::number(v.supplyMillivolts / 1000.0, 'f', 3),
        flag(v.pickupSignal),
        flag(v.killSwitchActive),
        flag(v.retardActive),
        flag(v.blockingActive),
        flag(v.startLimiterActive),
        flag(v.clutchMasterActive),
        v.rpm == 0 ? QString() : flag(v.pickupNegative),
        row.none ? QString() : QString::number(row.row + 1),
        QString::number(v.programmingCount),
    };
    return cells.join(QLatin1Char(','));
}
