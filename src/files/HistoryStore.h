#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "model/ParameterSet.h"

enum class HistoryKind { Read, Programmed, Backup };

// The sets read from and programmed into units, one parameter file each, in a folder of the
// user's data. A file is what Save writes, preceded by a few "#" lines (date, kind, unit text,
// firmware version, programming count and the whole 100-byte image). The parameter-file reader
// skips everything before its header token, so any reader of the format opens such a file as
// it opens a saved one; free texts are percent-encoded into single tokens and each is followed
// by a fixed word, so they can never pass for the header.
class HistoryStore {
public:
    static constexpr int kKeep = 1000;
    static constexpr char kMarker[] = "VELMOR_HISTORY";
    static constexpr int kFormat = 1;

    struct Entry {
        QString path;
        QDateTime when;
        HistoryKind kind = HistoryKind::Read;
        QString unitText;
        QString firmware;
        std::optional<int> programmingCount;
    };

    // Linux and the like: $XDG_DATA_HOME/velmor/history (~/.local/share/velmor/history);
    // Windows: %APPDATA%\velmor\history.
    static QString defaultFolder();

    explicit HistoryStore(QString folder = defaultFolder()) : folder_(std::move(folder)) {}
    const QString& folder() const { return folder_; }

    // Writes one new file, whole before it appears under its name, and then removes the oldest
    // beyond kKeep. The name is one no entry of the folder has (a number is added as needed);
    // an entry already there, a link to anywhere included, is never written through. Returns
    // the new file's path, or empty when it could not be written whole (nothing is left behind).
    QString add(HistoryKind kind, const ParameterSet& set, std::optional<int> programmingCount,
                const QDateTime& when = QDateTime::currentDateTime());

    // Newest first; files of the folder that are not history files are left out.
    QList<Entry> list() const;
    // Removes the oldest history files beyond keep.
    void prune(int keep = kKeep) const;

    static QByteArray toBytes(HistoryKind kind, const ParameterSet& set, std::optional<int> programmingCount,
                              const QDateTime& when);
    // The header lines of a history file, looked for in its first kHeadBytes only; empty when
    // the bytes do not start like one. The texts are never longer than the writer makes them
    // (kMaxUnitText and kMaxFirmware characters) and a programming count is one a unit can
    // report (0..65535); anything else in a file is left out.
    static constexpr qint64 kHeadBytes = 2048;
    static constexpr int kMaxUnitText = ImageByte::unitTextLength;
    static constexpr int kMaxFirmware = 5;
    static std::optional<Entry> parseHeader(const QByteArray& head);

    // Opens a history file (or any parameter file): the stored image first, then the keys as
    // Open reads them. False, set untouched, when the parameter-file header is not accepted.
    // Reads at most kMaxFileBytes; the files the store writes are far shorter.
    static constexpr qint64 kMaxFileBytes = 256 * 1024;
    static bool read(QIODevice& in, ParameterSet& set);
    // As read, then every field outside the range of its window control is brought to the
    // nearest end of that range, as File, Open does (ParameterFile::readInRange): a field the
    // keys name is judged as the file holds it, any other by what the stored image gave it.
    // outOfRangeKeys receives the keys of the fields that were out, in the writer's order.
    static bool readInRange(QIODevice& in, ParameterSet& set, QStringList* outOfRangeKeys);

    static QString kindWord(HistoryKind kind);
    // The unit's text (image bytes 16..45 up to the first zero) and the firmware version
    // (three letters and two digits).
    static QString unitText(const ParameterSet& set);
    static QString firmware(const ParameterSet& set);

private:
    // The set with the file's stored image put in, when it holds a whole one.
    static ParameterSet withStoredImage(const QByteArray& bytes, const ParameterSet& set);
    // Writes bytes to a new file under the first free name for the set; empty on failure.
    QString create(HistoryKind kind, const ParameterSet& set, const QDateTime& when, const QByteArray& bytes) const;
    QStringList historyFiles() const;  // oldest first

    QString folder_;
};
