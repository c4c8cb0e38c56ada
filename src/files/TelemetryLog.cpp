#include "files/TelemetryLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "files/HistoryStore.h"
#include "i18n/LogTexts.h"

namespace TelemetryLog {

namespace {

char* putNumber(char* at, long long value) { return std::to_chars(at, at + 24, value).ptr; }

char* putFlag(char* at, bool on) {
    *at++ = on ? '1' : '0';
    return at;
}

// One line of free text in a comment: control characters would end the comment early.
QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
    }
    return text;
}

}  // namespace

QByteArray columnHeader() {
    return QByteArrayLiteral(
        "time [ms],rpm [1/min],advance [deg],advance max [deg],supply [V],pick-up,kill switch,retard,blocking,"
        "start limiter,clutch master,polarity negative,live row,programming count");
}

int formatRow(char* out, qint64 elapsedMs, const TelemetryValues& v, const LiveRow& row) {
    char* at = out;
    at = putNumber(at, elapsedMs);
    *at++ = ',';
    at = putNumber(at, v.rpm);
    *at++ = ',';
    at = putNumber(at, v.advance);
    *at++ = ',';
    at = putNumber(at, v.advanceMax);
    *at++ = ',';
    // Millivolts as volts with three decimals, exactly.
    at = putNumber(at, v.supplyMillivolts / 1000);
    *at++ = '.';
    const int milli = v.supplyMillivolts % 1000;
    *at++ = static_cast<char>('0' + milli / 100);
    *at++ = static_cast<char>('0' + milli / 10 % 10);
    *at++ = static_cast<char>('0' + milli % 10);
    for (bool flag : {v.pickupSignal, v.killSwitchActive, v.retardActive, v.blockingActive, v.startLimiterActive,
                      v.clutchMasterActive}) {
        *at++ = ',';
        at = putFlag(at, flag);
    }
    *at++ = ',';
    if (v.rpm != 0) at = putFlag(at, v.pickupNegative);
    *at++ = ',';
    if (!row.none) at = putNumber(at, row.row + 1);
    *at++ = ',';
    at = putNumber(at, v.programmingCount);
    *at++ = '\n';
    return static_cast<int>(at - out);
}

QString rowText(qint64 elapsedMs, const TelemetryValues& values, const LiveRow& row) {
    char line[kMaxRowBytes];
    const int length = formatRow(line, elapsedMs, values, row);
    return QString::fromLatin1(line, length - 1);
}

QByteArray preamble(const QDateTime& start, const ParameterSet& set) {
    QByteArray out = "# velmor telemetry log\n# start " +
                     start.toOffsetFromUtc(start.offsetFromUtc()).toString(Qt::ISODate).toUtf8() + "\n# unit " +
                     oneLine(HistoryStore::unitText(set)).toUtf8() + "\n# firmware " +
                     oneLine(HistoryStore::firmware(set)).toUtf8() + "\n# image";
    for (std::uint8_t byte : set.image()) out += ' ' + QByteArray::number(byte);
    out += '\n' + columnHeader() + '\n';
    return out;
}

QString defaultFolder() { return QFileInfo(HistoryStore::defaultFolder()).path() + QStringLiteral("/logs"); }

QString fileNameFor(const QDateTime& start) { return start.toString(QStringLiteral("yyyyMMdd-HHmmss")) + ".csv"; }

QString freePath(const QString& folder, const QDateTime& start) {
    constexpr int kMaxTries = 1000;
    const QDir dir(folder);
    const QString name = fileNameFor(start);
    for (int n = 1; n <= kMaxTries; ++n) {
        const QString path = dir.filePath(
            n == 1 ? name : QString(name).replace(QStringLiteral(".csv"), QStringLiteral("-%1.csv").arg(n)));
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink()) return path;
    }
    return {};
}

}  // namespace TelemetryLog

// ---------------------------------------------------------------------------------------

TelemetryRecorder::TelemetryRecorder(Clock clock) : clock_(std::move(clock)) { ownClock_.start(); }

TelemetryRecorder::~TelemetryRecorder() { stop(); }

qint64 TelemetryRecorder::now() const { return clock_ ? clock_() : ownClock_.elapsed(); }

bool TelemetryRecorder::start(const QString& path, const QByteArray& preamble) {
    stop();
    error_.clear();
    rows_ = 0;
    used_ = 0;
    buffer_.resize(kBufferBytes);
    QDir().mkpath(QFileInfo(path).path());
    file_.setFileName(path);
    // Unbuffered: each flush goes to the system at once, and a failing write says so there.
    // NewOnly: the file is created here and now, never opened through an entry of that name.
    if (path.isEmpty() || !file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        error_ = file_.errorString();
        return false;
    }
    if (file_.write(preamble) != preamble.size()) {
        fail();
        return false;
    }
    startMs_ = now();
    lastFlushMs_ = startMs_;
    return true;
}

bool TelemetryRecorder::record(const TelemetryValues& values, const LiveRow& row) {
    if (!recording()) return false;
    if (buffer_.size() - used_ < static_cast<std::size_t>(TelemetryLog::kMaxRowBytes) && !flush()) return false;
    used_ += static_cast<std::size_t>(TelemetryLog::formatRow(buffer_.data() + used_, now() - startMs_, values, row));
    ++rows_;
    return true;
}

bool TelemetryRecorder::tick() {
    if (!recording()) return false;
    if (now() - lastFlushMs_ < kFlushIntervalMs) return true;
    return flush();
}

bool TelemetryRecorder::stop() {
    if (!recording()) return true;
    const bool ok = flush();
    if (ok) file_.close();
    return ok;
}

bool TelemetryRecorder::flush() {
    lastFlushMs_ = now();
    if (used_ == 0) return true;
    const qint64 written = file_.write(buffer_.data(), static_cast<qint64>(used_));
    if (written != static_cast<qint64>(used_)) {
        fail();
        return false;
    }
    used_ = 0;
    return true;
}

void TelemetryRecorder::fail() {
    error_ = file_.errorString();
    if (error_.isEmpty()) error_ = QStringLiteral("write failed");
    used_ = 0;
    file_.close();
}

// ---------------------------------------------------------------------------------------

int TelemetryLogData::rowNear(double ms) const {
    const auto& times = values[TelemetryLog::TimeMs];
    if (times.empty()) return -1;
    const auto after = std::lower_bound(times.begin(), times.end(), ms);
    if (after == times.begin()) return 0;
    if (after == times.end()) return rowCount() - 1;
    const auto before = after - 1;
    return static_cast<int>((ms - *before <= *after - ms ? before : after) - times.begin());
}

namespace {

void readComment(const QByteArray& line, TelemetryLogData& out) {
    const QString text = QString::fromUtf8(line.mid(1)).trimmed();
    out.comments << text;
    const auto value = [&text](const char* key) -> std::optional<QString> {
        const QString prefix = QString::fromLatin1(key) + QLatin1Char(' ');
        if (!text.startsWith(prefix)) return std::nullopt;
        return text.mid(prefix.size());
    };
    if (auto start = value("start")) out.start = QDateTime::fromString(*start, Qt::ISODate);
    if (auto unit = value("unit")) out.unitText = *unit;
    if (auto firmware = value("firmware")) out.firmware = *firmware;
    if (auto image = value("image")) {
        const QStringList numbers = image->split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ParameterImage bytes{};
        if (numbers.size() != static_cast<qsizetype>(bytes.size())) return;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bool ok = false;
            const uint byte = numbers[static_cast<qsizetype>(i)].toUInt(&ok);
            if (!ok || byte > 255) return;
            bytes[i] = static_cast<std::uint8_t>(byte);
        }
        ParameterSet set;
        set.replaceImage(bytes);
        out.set = set;
    }
}

// Takes the bytes in pieces of any size and splits them into lines. A line is held only up
// to the length of the longest line of a log; what is longer is left out without being kept.
class LogParser {
public:
    explicit LogParser(TelemetryLogData& out) : out_(out) {
        const QString path = out.path;
        out = TelemetryLogData{};
        out.path = path;
        pending_.reserve(kMaxLineBytes + 1);
    }

    // False once the bytes cannot be a log: no header within the first kMaxPreambleBytes.
    bool feed(const char* at, qsizetype size) {
        const char* const end = at + size;
        while (at < end) {
            if (!header_ && lineStart_ > TelemetryLog::kMaxPreambleBytes) return false;
            const char* lineEnd = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
            const char* const stop = lineEnd ? lineEnd : end;
            seen_ += stop - at + (lineEnd ? 1 : 0);
            if (lineEnd && pending_.empty()) {
                // A whole line in this piece: read where it lies.
                line(at, static_cast<std::size_t>(stop - at));
            } else {
                const std::size_t room = kMaxLineBytes + 1 - pending_.size();
                pending_.append(at, std::min(room, static_cast<std::size_t>(stop - at)));
                if (!lineEnd) break;
                line(pending_.data(), static_cast<std::size_t>(seen_ - lineStart_ - 1));
                pending_.clear();
            }
            lineStart_ = seen_;
            at = stop + 1;
        }
        return header_ || lineStart_ <= TelemetryLog::kMaxPreambleBytes;
    }

    // False when there was no header.
    bool finish() {
        // Written up to a crash or a full disk: the row may be partial.
        if (header_ && !pending_.empty()) out_.cutOff = true;
        pending_.clear();
        return header_;
    }

private:
    // The longest line read: the "# image" comment of 100 numbers, a unit's text, a row.
    static constexpr std::size_t kMaxLineBytes = 1024;

    // length is the line's own, without its line end; at holds the line, or its first
    // kMaxLineBytes + 1 bytes when it is longer.
    void line(const char* const at, std::size_t length) {
        if (length <= kMaxLineBytes + 1 && length > 0 && at[length - 1] == '\r') --length;
        if (!header_) {
            if (length > kMaxLineBytes) return;
            const QByteArray text(at, static_cast<qsizetype>(length));
            if (text.startsWith('#')) {
                readComment(text, out_);
            } else if (text == TelemetryLog::columnHeader()) {
                header_ = true;
                for (const QByteArray& name : text.split(',')) out_.columns << QString::fromUtf8(name);
            }
            return;
        }
        if (length == 0) return;
        if (length > std::size_t{TelemetryLog::kMaxRowBytes} || !row(at, at + length)) ++out_.leftOut;
    }

    // A row of another length, with a word, inf or nan in it, with a number its column cannot
    // hold or with a time before the last row's is no row of ours.
    bool row(const char* cell, const char* const stop) {
        std::array<double, TelemetryLog::ColumnCount> cells;
        cells.fill(std::numeric_limits<double>::quiet_NaN());
        for (int index = 0; index < TelemetryLog::ColumnCount; ++index) {
            const char* comma = std::find(cell, stop, ',');
            const TelemetryLog::ColumnRange range = TelemetryLog::columnRange(index);
            if (comma == cell) {
                if (!range.mayBeEmpty) return false;
            } else {
                double value = 0;
                const auto parsed = std::from_chars(cell, comma, value);
                if (parsed.ec != std::errc() || parsed.ptr != comma) return false;
                if (!std::isfinite(value) || value < range.low || value > range.high) return false;
                if (range.whole && value != std::floor(value)) return false;
                cells[static_cast<std::size_t>(index)] = value;
            }
            const bool last = index == TelemetryLog::ColumnCount - 1;
            if ((comma == stop) != last) return false;
            if (!last) cell = comma + 1;
        }
        auto& times = out_.values[TelemetryLog::TimeMs];
        if (!times.empty() && cells[TelemetryLog::TimeMs] < times.back()) return false;
        for (std::size_t i = 0; i < cells.size(); ++i) out_.values[i].push_back(cells[i]);
        return true;
    }

    TelemetryLogData& out_;
    std::string pending_;  // the line so far, at most kMaxLineBytes + 1 of it
    qint64 seen_ = 0;
    qint64 lineStart_ = 0;  // where the line in pending_ began
    bool header_ = false;
};

QString noHeader() { return logText(LogText::NoHeader); }

}  // namespace

namespace TelemetryLog {

ColumnRange columnRange(int column) {
    switch (column) {
        case TimeMs:
            return {0, kMaxTimeMs, false, false};
        case Rpm:
        case ProgrammingCount:
            return {0, 65535, true, true};
        case Advance:  // the advance code less 100
            return {-100, 155, true, true};
        case AdvanceMax:
            return {0, 255, true, true};
        case Supply:  // millivolts as volts
            return {0, 65.535, false, true};
        case LiveRowColumn:
            return {1, 15, true, true};
        default:  // the flags
            return {0, 1, true, true};
    }
}

}  // namespace TelemetryLog

bool parseTelemetryLog(const QByteArray& bytes, TelemetryLogData& out, QString* error) {
    LogParser parser(out);
    if (parser.feed(bytes.constData(), bytes.size()) && parser.finish()) return true;
    if (error) *error = noHeader();
    return false;
}

bool readTelemetryLog(QIODevice& device, TelemetryLogData& out, QString* error) {
    LogParser parser(out);
    std::vector<char> piece(64 * 1024);
    qint64 total = 0;
    bool maybeLog = true;
    while (maybeLog && total < TelemetryLog::kMaxLogBytes) {
        const qint64 n = device.read(
            piece.data(), std::min<qint64>(static_cast<qint64>(piece.size()), TelemetryLog::kMaxLogBytes - total));
        if (n <= 0) break;
        total += n;
        maybeLog = parser.feed(piece.data(), static_cast<qsizetype>(n));
    }
    if (maybeLog && parser.finish()) return true;
    if (error) *error = noHeader();
    return false;
}

bool readTelemetryLog(const QString& path, TelemetryLogData& out, QString* error) {
    // Asked before opening: opening a pipe would already wait for its writer.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error) *error = logText(LogText::NotAPlainFile);
        return false;
    }
    if (info.size() > TelemetryLog::kMaxLogBytes) {
        if (error) *error = logText(LogText::TooLarge).arg(TelemetryLog::kMaxLogBytes / (1024 * 1024));
        return false;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    out.path = path;
    return readTelemetryLog(file, out, error);
}
