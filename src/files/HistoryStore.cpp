#include "files/HistoryStore.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "files/ParameterFile.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kNameTime[] = "yyyyMMdd-HHmmss-zzz";
// Only our own names count: <time>_<kind>_<unit>[-n].ign
const QRegularExpression& namePattern() {
    static const QRegularExpression pattern(QStringLiteral("^\\d{8}-\\d{6}-\\d{3}_(read|programmed|backup)_.*\\.ign$"));
    return pattern;
}

// Tries for a free name end here: a folder that full is not written to.
constexpr int kMaxNameTries = 1000;

// At most limit bytes, from a device that may hand them out in pieces. Asked for in chunks:
// read(n) sets n bytes aside before it knows how many come.
QByteArray readBounded(QIODevice& in, qint64 limit) {
    constexpr qint64 kChunk = 4096;
    QByteArray bytes;
    while (bytes.size() < limit) {
        const QByteArray piece = in.read(std::min(kChunk, limit - bytes.size()));
        if (piece.isEmpty()) break;
        bytes += piece;
    }
    return bytes;
}

// Gives the file at from the name to as well, only when no entry of any kind has that name:
// link(2) fails on anything there and never follows a link at to, so nothing planted under
// the name is written through or replaced.
bool placeUnder(const QString& from, const QString& to) {
#ifdef Q_OS_UNIX
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#else
    // Elsewhere a copy under the new name, made only when the name is free.
    return QFile::copy(from, to);
#endif
}

// Anything under the name: a file, a folder, a link, even one whose target is missing
// (exists() follows links and says no for that).
bool entryAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QByteArray encode(const QString& text) {
    if (text.isEmpty()) return QByteArrayLiteral("-");
    // '-' alone means empty, so a real '-' is encoded too.
    return text.toUtf8().toPercentEncoding(QByteArray(), QByteArrayLiteral("-"));
}

QString decode(const QByteArray& token) {
    if (token == "-") return {};
    return QString::fromUtf8(QByteArray::fromPercentEncoding(token));
}

std::optional<HistoryKind> kindFromWord(const QByteArray& word) {
    if (word == "read") return HistoryKind::Read;
    if (word == "programmed") return HistoryKind::Programmed;
    if (word == "backup") return HistoryKind::Backup;
    return std::nullopt;
}

QString safeForName(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
        out += plain ? c : QLatin1Char('_');
    }
    return out.isEmpty() ? QStringLiteral("unit") : out;
}

}  // namespace

QString HistoryStore::defaultFolder() {
#ifdef Q_OS_WIN
    QString base = qEnvironmentVariable("APPDATA");
    if (base.isEmpty()) base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::cleanPath(base + QStringLiteral("/velmor/history"));
#else
    // GenericDataLocation is $XDG_DATA_HOME (or ~/.local/share) itself, without the
    // application and organisation names AppDataLocation would add.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/velmor/history");
#endif
}

QString HistoryStore::kindWord(HistoryKind kind) {
    switch (kind) {
        case HistoryKind::Programmed:
            return QStringLiteral("programmed");
        case HistoryKind::Backup:
            return QStringLiteral("backup");
        case HistoryKind::Read:
            break;
    }
    return QStringLiteral("read");
}

QString HistoryStore::unitText(const ParameterSet& set) {
    QByteArray text;
    for (int i = 0; i < ImageByte::unitTextLength; ++i) {
        const std::uint8_t c = set.byte(ImageByte::unitText + i);
        if (c == 0) break;
        text.append(static_cast<char>(c));
    }
    return QString::fromLatin1(text);
}

QString HistoryStore::firmware(const ParameterSet& set) {
    QString text;
    for (int i = 0; i < 3; ++i) text += QLatin1Char(static_cast<char>(set.byte(ImageByte::firmwareLetters + i)));
    const int number = set.byte(ImageByte::firmwareNumber);
    text += QLatin1Char(static_cast<char>('0' + number / 10 % 10));
    text += QLatin1Char(static_cast<char>('0' + number % 10));
    return text;
}

QByteArray HistoryStore::toBytes(HistoryKind kind, const ParameterSet& set, std::optional<int> programmingCount,
                                 const QDateTime& when) {
    QByteArray out;
    out.reserve(1400);
    out += "# " + QByteArray(kMarker) + ' ' + QByteArray::number(kFormat) + kLineEnd;
    out += "# DATE " + when.toString(Qt::ISODateWithMs).toLatin1() + kLineEnd;
    out += "# KIND " + kindWord(kind).toLatin1() + kLineEnd;
    out += "# UNIT " + encode(unitText(set)) + kLineEnd;
    out += "# FIRMWARE " + encode(firmware(set)) + kLineEnd;
    out += "# PROGRAMMINGS " + (programmingCount ? QByteArray::number(*programmingCount) : QByteArray("-")) + kLineEnd;
    for (int row = 0; row < kImageSize / 10; ++row) {
        out += "# IMAGE";
        for (int i = 0; i < 10; ++i) out += ' ' + QByteArray::number(set.byte(row * 10 + i));
        out += kLineEnd;
    }
    out += kLineEnd;
    out += ParameterFile::toBytes(set);
    return out;
}

std::optional<HistoryStore::Entry> HistoryStore::parseHeader(const QByteArray& bytes) {
    const QByteArray head = bytes.left(kHeadBytes);
    Entry entry;
    bool marked = false;
    bool kindSeen = false;
    for (const QByteArray& rawLine : head.split('\n')) {
        const QList<QByteArray> words = rawLine.simplified().split(' ');
        if (words.size() < 2 || words[0] != "#") {
            if (words.value(0).startsWith(ParameterFile::kHeaderToken)) break;
            continue;
        }
        const QByteArray& key = words[1];
        const QByteArray value = words.value(2);
        if (key == kMarker) {
            marked = true;
        } else if (key == "DATE") {
            entry.when = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
        } else if (key == "KIND") {
            const auto kind = kindFromWord(value);
            if (!kind) return std::nullopt;
            entry.kind = *kind;
            kindSeen = true;
        } else if (key == "UNIT") {
            entry.unitText = decode(value).left(kMaxUnitText);
        } else if (key == "FIRMWARE") {
            entry.firmware = decode(value).left(kMaxFirmware);
        } else if (key == "PROGRAMMINGS") {
            bool ok = false;
            const uint count = value.toUInt(&ok);
            entry.programmingCount.reset();
            if (ok && count <= 0xFFFFu) entry.programmingCount = static_cast<int>(count);
        }
    }
    if (!marked || !kindSeen) return std::nullopt;
    return entry;
}

ParameterSet HistoryStore::withStoredImage(const QByteArray& bytes, const ParameterSet& set) {
    // The stored image brings back what the keys do not carry (the spare bytes); the keys
    // follow, so a file edited by hand says what its keys say. An image that is cut short or
    // holds something other than bytes is not used at all.
    ParameterImage image{};
    int taken = 0;
    bool imageValid = true;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        const QList<QByteArray> words = rawLine.simplified().split(' ');
        if (words.value(0).startsWith(ParameterFile::kHeaderToken)) break;
        if (words.size() < 3 || words[0] != "#" || words[1] != "IMAGE") continue;
        for (qsizetype i = 2; i < words.size(); ++i) {
            bool ok = false;
            const uint value = words[i].toUInt(&ok);
            if (!ok || value > 255 || taken >= kImageSize) {
                imageValid = false;
                break;
            }
            image[static_cast<std::size_t>(taken++)] = static_cast<std::uint8_t>(value);
        }
    }
    ParameterSet result = set;
    if (imageValid && taken == kImageSize) result.replaceImage(image);
    return result;
}

bool HistoryStore::read(QIODevice& in, ParameterSet& set) {
    const QByteArray bytes = readBounded(in, kMaxFileBytes);
    ParameterSet result = withStoredImage(bytes, set);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!ParameterFile::read(buffer, result)) return false;
    set = result;
    return true;
}

bool HistoryStore::readInRange(QIODevice& in, ParameterSet& set, QStringList* outOfRangeKeys) {
    const QByteArray bytes = readBounded(in, kMaxFileBytes);
    ParameterSet result = withStoredImage(bytes, set);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!ParameterFile::readInRange(buffer, result, outOfRangeKeys)) return false;
    set = result;
    return true;
}

QString HistoryStore::create(HistoryKind kind, const ParameterSet& set, const QDateTime& when,
                             const QByteArray& bytes) const {
    // The content goes whole into a new temporary file of the folder first (created anew, a
    // name the list ignores), and only then gets its name: nobody sees a file half written,
    // and a failure leaves nothing behind.
    if (!QDir().mkpath(folder_)) return {};
    QTemporaryFile temp(folder_ + QStringLiteral("/.history-XXXXXX"));
    if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush()) return {};
#ifdef Q_OS_UNIX
    if (::fsync(temp.handle()) != 0) return {};
#endif
    const QString unit = unitText(set).isEmpty() ? firmware(set) : unitText(set);
    const QString stem = folder_ + QLatin1Char('/') + when.toString(QLatin1String(kNameTime)) + QLatin1Char('_') +
                         kindWord(kind) + QLatin1Char('_') + safeForName(unit);
    for (int n = 1; n <= kMaxNameTries; ++n) {
        const QString path = n == 1 ? stem + QStringLiteral(".ign")
                                    : stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".ign");
        if (placeUnder(temp.fileName(), path)) return path;  // the temporary name goes with temp
        // Anything already under the name, a link included, keeps it: the next number.
        if (!entryAt(path)) return {};
    }
    return {};
}

QString HistoryStore::add(HistoryKind kind, const ParameterSet& set, std::optional<int> programmingCount,
                          const QDateTime& when) {
    const QString path = create(kind, set, when, toBytes(kind, set, programmingCount, when));
    if (path.isEmpty()) return {};
    prune();
    return path;
}

QStringList HistoryStore::historyFiles() const {
    QStringList names = QDir(folder_).entryList({QStringLiteral("*.ign")}, QDir::Files | QDir::NoSymLinks, QDir::Name);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& name) { return !namePattern().match(name).hasMatch(); }),
                names.end());
    return names;
}

void HistoryStore::prune(int keep) const {
    const QStringList names = historyFiles();
    for (qsizetype i = 0; i + keep < names.size(); ++i) QFile::remove(folder_ + QLatin1Char('/') + names[i]);
}

QList<HistoryStore::Entry> HistoryStore::list() const {
    const QStringList names = historyFiles();
    QList<Entry> entries;
    entries.reserve(names.size());
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        const QString path = folder_ + QLatin1Char('/') + *it;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        auto entry = parseHeader(file.read(kHeadBytes));
        if (!entry) continue;
        entry->path = path;
        entries.append(*entry);
    }
    return entries;
}
