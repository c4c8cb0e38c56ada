#include "MonitorFormat.h"

#include <QStringList>

#include "files/TelemetryLog.h"

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
               "# live row: against the window's last set (the working image)\n%3\n")
        .arg(startUtc.toString(Qt::ISODate), device, QString::fromLatin1(TelemetryLog::columnHeader()));
}

QString monitorCsvRow(qint64 elapsedMs, const TelemetryValues& v, const LiveRow& row) {
    return TelemetryLog::rowText(elapsedMs, v, row);
}
