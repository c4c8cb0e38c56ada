#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "link/Telemetry.h"
#include "model/ParameterSet.h"

// The telemetry log: "#" comment lines (start time, the unit, its firmware and the whole
// 100-byte image in force), one header line naming the columns with their units, then one
// CSV row a frame. Flags are 1 or 0; the polarity and the live row (1-based) are empty
// while there is nothing to show. velmorctl monitor --csv writes the same rows.
namespace TelemetryLog {

enum Column {
    TimeMs,
    Rpm,
    Advance,
    AdvanceMax,
    Supply,
    Pickup,
    KillSwitch,
    Retard,
    Blocking,
    StartLimiter,
    ClutchMaster,
    PolarityNegative,
    LiveRowColumn,
    ProgrammingCount,
    ColumnCount
};

// No row is longer: 14 cells of at most 20 characters and their commas.
constexpr int kMaxRowBytes = 320;

// The column header line, without its line end.
QByteArray columnHeader();
// One row with its line end into out (at least kMaxRowBytes long); returns its length.
// Formats into the caller's buffer and allocates nothing.
int formatRow(char* out, qint64 elapsedMs, const TelemetryValues& values, const LiveRow& row);
QString rowText(qint64 elapsedMs, const TelemetryValues& values, const LiveRow& row);

// The comment lines and the column header of a log recorded from the window.
QByteArray preamble(const QDateTime& start, const ParameterSet& set);

// Linux and the like: $XDG_DATA_HOME/velmor/logs (~/.local/share/velmor/logs); Windows:
// %APPDATA%\velmor\logs.
QString defaultFolder();
// A file name by the start's date and time, e.g. 20261209-002700.csv.
QString fileNameFor(const QDateTime& start);
// The path in folder for a log started then: fileNameFor, or with -2, -3... before ".csv"
// when an entry of any kind has the name (a link whose target is missing included), so two
// recordings in one second get a number each. Empty when no free name is found.
QString freePath(const QString& folder, const QDateTime& start);

}  // namespace TelemetryLog

// Writes a log while telemetry arrives: each frame becomes a row in a buffer reserved at
// the start (no allocation per frame); tick() writes the buffered rows to the file at most
// once a second, so a crash loses at most a second and a frame never waits for the disk.
// A write that fails (a full disk) stops the recording; what was written stays readable.
class TelemetryRecorder {
public:
    // Milliseconds of a steady clock; tests drive their own.
    using Clock = std::function<qint64()>;
    static constexpr qint64 kFlushIntervalMs = 1000;
    static constexpr std::size_t kBufferBytes = 64 * 1024;

    explicit TelemetryRecorder(Clock clock = {});
    ~TelemetryRecorder();
    TelemetryRecorder(const TelemetryRecorder&) = delete;
    TelemetryRecorder& operator=(const TelemetryRecorder&) = delete;

    // Creates the file and writes the preamble at once. False (nothing recording) when the
    // file cannot be created or written, or when anything is already there under the path:
    // an existing file, or a link to one or to nowhere, is never written through.
    bool start(const QString& path, const QByteArray& preamble);
    // One decoded frame. False when a write it needed failed and the recording stopped.
    bool record(const TelemetryValues& values, const LiveRow& row);
    // Writes the buffered rows once a second has passed since the last write. False when the
    // write failed and the recording stopped.
    bool tick();
    // Writes what is buffered and closes the file. False when that write failed.
    bool stop();

    // Only between recordings: the times of the rows come from this clock.
    void setClock(Clock clock) { clock_ = std::move(clock); }

    bool recording() const { return file_.isOpen(); }
    QString path() const { return file_.fileName(); }
    qint64 elapsedMs() const { return recording() ? now() - startMs_ : 0; }
    qint64 rows() const { return rows_; }
    QString errorString() const { return error_; }

private:
    qint64 now() const;
    bool flush();
    void fail();

    Clock clock_;
    QElapsedTimer ownClock_;
    QFile file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    qint64 startMs_ = 0;
    qint64 lastFlushMs_ = 0;
    qint64 rows_ = 0;
    QString error_;
};

// A log read back for the viewer: the header's facts and the rows column by column (an empty
// cell reads as NaN; every other cell is a finite number within its column's range). A last
// line without its line end (a crash while writing) is left out, and so is every row that is
// no row of ours (another number of cells, a word, inf or nan, a number its column cannot
// hold, a time going back); those are counted.
struct TelemetryLogData {
    QString path;
    QStringList comments;  // the "#" lines without the "#"
    QDateTime start;
    QString unitText;
    QString firmware;
    std::optional<ParameterSet> set;  // the image in force, when the header has it
    QStringList columns;
    std::array<std::vector<double>, TelemetryLog::ColumnCount> values;
    bool cutOff = false;  // a partial last line was left out
    qint64 leftOut = 0;   // rows left out as malformed

    int rowCount() const { return static_cast<int>(values[TelemetryLog::TimeMs].size()); }
    double timeAt(int row) const { return values[TelemetryLog::TimeMs][static_cast<std::size_t>(row)]; }
    // The row nearest to ms; -1 for an empty log.
    int rowNear(double ms) const;
};

namespace TelemetryLog {

// The most the viewer reads of a file. At one frame each 330 ms a row of 40 to 50 bytes makes
// about half a megabyte an hour, so 16 MiB hold some 30 hours of riding: more than any one
// recording, while the rows read back (14 numbers each) stay well below a gigabyte of memory.
constexpr qint64 kMaxLogBytes = 16 * 1024 * 1024;
// The comment lines and the column header come within this many bytes; a file without the
// header there is no log.
constexpr qint64 kMaxPreambleBytes = 64 * 1024;
// A time beyond about 31 years is no time of a recording.
constexpr double kMaxTimeMs = 1e12;

// The values a column can hold: the frame's words and bytes, the flags 0 and 1, the curve's
// rows 1 to 15.
struct ColumnRange {
    double low;
    double high;
    bool whole;  // whole numbers only
    bool mayBeEmpty;
};
ColumnRange columnRange(int column);

}  // namespace TelemetryLog

// False, with a reason in error, when the bytes carry no column header of the log within
// their first kMaxPreambleBytes.
bool parseTelemetryLog(const QByteArray& bytes, TelemetryLogData& out, QString* error = nullptr);
// The same, read piece by piece from device and never more than kMaxLogBytes: what comes
// after that is left out as if the file ended there.
bool readTelemetryLog(QIODevice& device, TelemetryLogData& out, QString* error = nullptr);
// Only a plain file of at most kMaxLogBytes is opened: a pipe would wait for a writer, a
// device might never end. error gets the reason in the current language.
bool readTelemetryLog(const QString& path, TelemetryLogData& out, QString* error = nullptr);
