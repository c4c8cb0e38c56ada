#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A small ini reader and writer that keeps the file as the operator left it: every line,
// comments, unknown keys and other sections stay verbatim and in place. Values are read and
// written as UTF-8 text. Section and key names compare without regard to ASCII case, as the
// ini files of the platform the format comes from do; the first match wins.
//
// Reading accepts LF and CR LF line ends; writing uses CR LF after every line. A line longer
// than kMaxLineLength is cut there and the rest of it dropped, and reading stops after
// kMaxLines lines or kMaxTotalLength bytes, so a hostile file cannot exhaust memory.
class IniFile {
public:
    static constexpr qsizetype kMaxLineLength = 64 * 1024;
    static constexpr qsizetype kMaxTotalLength = 16 * 1024 * 1024;
    static constexpr qsizetype kMaxLines = 100'000;

    // Replaces the content with the lines of the device.
    void read(QIODevice& in);
    // Replaces the content with the file at path; false (and empty) when it is no plain file
    // (missing, a folder, a pipe) or cannot be opened.
    bool load(const QString& path);

    void write(QIODevice& out) const;
    QByteArray toBytes() const;
    // Writes through FileSaver; false when the file could not be written whole.
    bool save(const QString& path) const;

    // The value of section/key with surrounding blanks removed, or nothing when missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // A decimal integer with an optional sign and nothing else; the default for a missing key,
    // anything else ("12abc", empty) or a value outside the int range.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;

    // Updates the key's line in place, or adds key=value after the last entry of the section,
    // or adds the section at the end of the file. Line breaks in key or value are removed, as
    // they would otherwise split the entry.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);

    // The keys of the section in file order (first occurrence of each).
    QStringList keys(const QString& section) const;
    const QList<QByteArray>& lines() const { return lines_; }
    void clear() { lines_.clear(); }

private:
    struct Location {
        qsizetype keyLine = -1;   // line holding the key, or -1
        qsizetype insertAt = -1;  // where a new key of the section goes, or -1 without section
    };
    Location locate(const QByteArray& section, const QByteArray& key) const;

    QList<QByteArray> lines_;
};
