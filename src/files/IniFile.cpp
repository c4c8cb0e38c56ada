#include "files/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstring>

#include "files/FileSaver.h"
#include "files/TokenReader.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr qsizetype kChunkSize = 64 * 1024;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Views into the stored lines: locate() walks every line for every key, so it must not
// allocate per line.
QByteArrayView trimmed(QByteArrayView text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    return text.sliced(b, e - b);
}

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Names compare without regard to ASCII case only; other bytes (UTF-8) must match exactly.
bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

// "[name]" lines: the name between the bracket and the first closing one.
std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView t = trimmed(line);
    if (!t.startsWith('[')) return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0) return std::nullopt;
    return trimmed(t.sliced(1, close - 1));
}

bool isComment(QByteArrayView t) { return t.startsWith(';') || t.startsWith('#'); }

// "key=value" lines: the key before the first '=', blanks removed.
std::optional<QByteArrayView> keyName(QByteArrayView line) {
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || isComment(t)) return std::nullopt;
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0) return std::nullopt;
    return trimmed(t.first(eq));
}

QByteArray valueOf(const QByteArray& line) {
    const qsizetype eq = line.indexOf('=');
    return trimmed(QByteArrayView(line).sliced(eq + 1)).toByteArray();
}

QByteArray singleLine(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', QByteArray());
    bytes.replace('\n', QByteArray());
    return bytes;
}

}  // namespace

void IniFile::read(QIODevice& in) {
    lines_.clear();
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    QByteArray line;
    qsizetype seen = 0;  // characters of the current line, kept or not
    qsizetype total = 0;

    // Keeps the line; false once the file holds more than is reasonable for a settings file.
    auto finishLine = [&]() {
        if (seen == line.size() && line.endsWith('\r')) line.chop(1);
        if (line.size() > kMaxLineLength) line.truncate(kMaxLineLength);
        total += line.size() + 2;
        if (total > kMaxTotalLength || lines_.size() >= kMaxLines) return false;
        lines_.append(line);
        line.clear();
        seen = 0;
        return true;
    };

    for (;;) {
        const qint64 got = in.read(chunk.data(), chunk.size());
        if (got <= 0) break;
        const char* p = chunk.constData();
        const char* const end = p + got;
        while (p < end) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            const char* const stop = lf ? lf : end;
            // One character beyond the limit is kept so that a CR ending the line can be told.
            const qsizetype take = std::min<qsizetype>(kMaxLineLength + 1 - line.size(), stop - p);
            if (take > 0) line.append(p, take);
            seen += stop - p;
            p = stop;
            if (lf) {
                if (!finishLine()) return;
                ++p;
            }
        }
    }
    if (seen > 0) finishLine();
}

bool IniFile::load(const QString& path) {
    lines_.clear();
    // Only a plain file: a pipe would wait for a writer, a device might never end.
    if (!QFileInfo(path).isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    read(file);
    return true;
}

QByteArray IniFile::toBytes() const {
    QByteArray out;
    for (const QByteArray& line : lines_) {
        out.append(line);
        out.append(kLineEnd);
    }
    return out;
}

void IniFile::write(QIODevice& out) const { out.write(toBytes()); }

bool IniFile::save(const QString& path) const {
    const QByteArray bytes = toBytes();
    return FileSaver::save(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}

IniFile::Location IniFile::locate(const QByteArray& section, const QByteArray& key) const {
    Location loc;
    bool inSection = false;
    bool inFirstSection = false;  // only the first section of the name takes new keys
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QByteArray& line = lines_[i];
        if (const auto name = sectionName(line)) {
            inSection = sameName(*name, section);
            inFirstSection = inSection && loc.insertAt < 0;
            if (inFirstSection) loc.insertAt = i + 1;
            continue;
        }
        if (!inSection) continue;
        const auto k = keyName(line);
        if (!k) continue;
        if (loc.keyLine < 0 && sameName(*k, key)) loc.keyLine = i;
        if (inFirstSection) loc.insertAt = i + 1;
    }
    return loc;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const Location loc = locate(section.toUtf8(), key.toUtf8());
    if (loc.keyLine < 0) return std::nullopt;
    return QString::fromUtf8(valueOf(lines_[loc.keyLine]));
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    return value(section, key).value_or(defaultValue);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    const auto text = value(section, key);
    if (!text) return defaultValue;
    // Plain digits with an optional sign only; toInt then rejects what does not fit an int.
    if (!TokenReader::parseNumber(text->toLatin1())) return defaultValue;
    bool ok = false;
    const int number = text->toInt(&ok, 10);
    return ok ? number : defaultValue;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QByteArray s = singleLine(section);
    const QByteArray k = singleLine(key);
    const QByteArray line = k + '=' + singleLine(value);
    const Location loc = locate(s, k);
    if (loc.keyLine >= 0) {
        lines_[loc.keyLine] = line;
    } else if (loc.insertAt >= 0) {
        lines_.insert(loc.insertAt, line);
    } else {
        lines_.append('[' + s + ']');
        lines_.append(line);
    }
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

QStringList IniFile::keys(const QString& section) const {
    const QByteArray s = section.toUtf8();
    QSet<QByteArray> seen;  // lower-cased
    QStringList result;
    bool inSection = false;
    for (const QByteArray& line : lines_) {
        if (const auto name = sectionName(line)) {
            inSection = sameName(*name, s);
            continue;
        }
        if (!inSection) continue;
        const auto k = keyName(line);
        if (!k) continue;
        QByteArray folded = k->toByteArray();
        for (char& c : folded) c = foldAscii(c);
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        result.append(QString::fromUtf8(k->data(), k->size()));
    }
    return result;
}
