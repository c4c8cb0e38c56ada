#pragma once

#include <QDateTime>
#include <QString>

#include "i18n/MessageTexts.h"
#include "link/Telemetry.h"

// velmorctl monitor: one line a telemetry frame, the window's label texts side by side.
QString monitorLine(const TelemetryValues& values, const MessageTexts& texts);

// The --csv layout, that of the telemetry log (files/TelemetryLog.h): "#" comment lines, a header line naming the
// columns with their units, then one row a frame. Flags are 1 or 0; the polarity and the
// live row (1-based) are empty while there is nothing to show.
QString monitorCsvPreamble(const QDateTime& startUtc, const QString& device);
QString monitorCsvRow(qint64 elapsedMs, const TelemetryValues& values, const LiveRow& row);
