// Child process of the crash test: records made-up frames through the real recorder, as
// fast as it can, writing once a second, and says "R" once its first rows are on disk. The
// test kills it at some point.
//
//   telemetry_log_writer <path>
#include <unistd.h>

#include <QString>
#include <cstdio>

#include "files/TelemetryLog.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <path>\n", argv[0]);
        return 2;
    }
    TelemetryRecorder recorder;
    if (!recorder.start(QString::fromLocal8Bit(argv[1]), TelemetryLog::preamble(QDateTime::currentDateTime(), {})))
        return 1;
    TelemetryValues values;
    bool told = false;
    for (int i = 0;; ++i) {
        values.rpm = static_cast<std::uint16_t>(1000 + i % 9000);
        values.advance = i % 40;
        values.supplyMillivolts = static_cast<std::uint16_t>(12000 + i % 2000);
        if (!recorder.record(values, LiveRow{i % 15, false}) || !recorder.tick()) return 1;
        if (!told && recorder.rows() > 0 && ::access(argv[1], R_OK) == 0) {
            ::usleep(1100 * 1000);  // past the first write
            recorder.tick();
            told = ::write(STDOUT_FILENO, "R", 1) == 1;
        }
        ::usleep(200);
    }
}
