// The telemetry log parser fed arbitrary bytes: every number it keeps is finite and one its
// column can hold, the times never go back, every line is a row, a row left out or neither,
// and the bytes read in small pieces give the same log as the bytes at once.

#include <cmath>

#include "FuzzSupport.h"
#include "files/TelemetryLog.h"

namespace {

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void checkValues(const TelemetryLogData& log, bool header, qsizetype lines) {
    const std::size_t rows = log.values[TelemetryLog::TimeMs].size();
    for (const auto& column : log.values) FUZZ_CHECK(column.size() == rows);
    FUZZ_CHECK(header || (rows == 0 && log.leftOut == 0));
    FUZZ_CHECK(log.leftOut >= 0);
    FUZZ_CHECK(static_cast<qint64>(rows) + log.leftOut <= lines);
    FUZZ_CHECK(log.comments.size() <= lines);
    FUZZ_CHECK(!log.cutOff || header);
    for (int c = 0; c < TelemetryLog::ColumnCount; ++c) {
        const TelemetryLog::ColumnRange range = TelemetryLog::columnRange(c);
        for (double v : log.values[static_cast<std::size_t>(c)]) {
            if (std::isnan(v)) {
                FUZZ_CHECK(range.mayBeEmpty);
                continue;
            }
            FUZZ_CHECK(std::isfinite(v));
            FUZZ_CHECK(v >= range.low && v <= range.high);
            FUZZ_CHECK(!range.whole || v == std::floor(v));
        }
    }
    const auto& times = log.values[TelemetryLog::TimeMs];
    for (std::size_t i = 1; i < times.size(); ++i) FUZZ_CHECK(times[i - 1] <= times[i]);
    // What the viewer's cursor asks: a row of the log for any time.
    for (double ms : {-1e308, 0.0, 1e19, std::nan(""), times.empty() ? 0.0 : times.back() / 2}) {
        const int row = log.rowNear(ms);
        FUZZ_CHECK(rows == 0 ? row == -1 : row >= 0 && row < static_cast<int>(rows));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArray input = fuzzBytes(data, size);
    TelemetryLogData log;
    const bool header = parseTelemetryLog(input, log);
    checkValues(log, header, input.count('\n'));

    TrickleDevice trickle(input, static_cast<unsigned>(size));
    TelemetryLogData streamed;
    FUZZ_CHECK(readTelemetryLog(trickle, streamed) == header);
    FUZZ_CHECK(streamed.leftOut == log.leftOut);
    FUZZ_CHECK(streamed.cutOff == log.cutOff);
    FUZZ_CHECK(streamed.comments == log.comments);
    FUZZ_CHECK(streamed.columns == log.columns);
    FUZZ_CHECK(streamed.unitText == log.unitText);
    FUZZ_CHECK(streamed.set.has_value() == log.set.has_value());
    for (std::size_t c = 0; c < log.values.size(); ++c) {
        FUZZ_CHECK(streamed.values[c].size() == log.values[c].size());
        for (std::size_t i = 0; i < log.values[c].size(); ++i)
            FUZZ_CHECK(same(streamed.values[c][i], log.values[c][i]));
    }
    return 0;
}
