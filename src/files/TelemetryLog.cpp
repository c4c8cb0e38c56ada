#include "files/TelemetryLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "files/HistoryStore.h"

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

}  // namespace

bool parseTelemetryLog(const QByteArray& bytes, TelemetryLogData& out, QString* error) {
    const QString path = out.path;
    out = TelemetryLogData{};
    out.path = path;
    const char* at = bytes.constData();
    const char* const end = at + bytes.size();
    bool header = false;
    for (auto& column : out.values) column.reserve(static_cast<std::size_t>(bytes.size() / 40));
    while (at < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        if (!lineEnd) {
            // Written up to a crash or a full disk: the row may be partial.
            out.cutOff = true;
            break;
        }
        const char* stop = lineEnd;
        if (stop > at && stop[-1] == '\r') --stop;
        if (!header) {
            const QByteArray line(at, stop - at);
            if (line.startsWith('#')) {
                readComment(line, out);
            } else if (line == TelemetryLog::columnHeader()) {
                header = true;
                for (const QByteArray& name : line.split(',')) out.columns << QString::fromUtf8(name);
            }
            at = lineEnd + 1;
            continue;
        }
        std::array<double, TelemetryLog::ColumnCount> cells;
        cells.fill(std::numeric_limits<double>::quiet_NaN());
        const char* cell = at;
        int index = 0;
        bool ok = true;
        while (index < TelemetryLog::ColumnCount) {
            const char* comma = std::find(cell, stop, ',');
            if (comma != cell) {
                double value = 0;
                const auto parsed = std::from_chars(cell, comma, value);
                if (parsed.ec != std::errc() || parsed.ptr != comma) ok = false;
                cells[static_cast<std::size_t>(index)] = value;
            }
            ++index;
            if (comma == stop) break;
            cell = comma + 1;
        }
        // A row of another length or with a word in it is no row of ours: left out.
        if (ok && index == TelemetryLog::ColumnCount && !std::isnan(cells[TelemetryLog::TimeMs])) {
            for (std::size_t i = 0; i < cells.size(); ++i) out.values[i].push_back(cells[i]);
        }
        at = lineEnd + 1;
    }
    if (!header && error) *error = QStringLiteral("no telemetry log header");
    return header;
}

bool readTelemetryLog(const QString& path, TelemetryLogData& out, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    out.path = path;
    return parseTelemetryLog(file.readAll(), out, error);
}
