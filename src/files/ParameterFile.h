#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include "model/FieldRanges.h"
#include "model/ParameterSet.h"

// The "*.ign" parameter file: a header token with the format number, then 13 keys, each with
// a fixed number of decimal values. Only the parameter block goes into the file; the unit's
// identification header and the spare bytes 57, 58, 68 and 69 never do.
class ParameterFile {
public:
    static constexpr char kHeaderToken[] = "KAPRILON_KEY";
    static constexpr unsigned kFormatNumber = 41;
    // Longest token the reader keeps; anything longer can be neither a key nor a number.
    static constexpr qsizetype kMaxToken = 261;

    // Writes the header line, an empty line and the 13 key lines with CR LF line ends and no
    // line end after the last one. Write errors are left to the device (FileSaver notices them).
    static void write(QIODevice& out, const ParameterSet& set);
    static QByteArray toBytes(const ParameterSet& set);

    // Tokens are separated by blanks, tabs, CR and LF (a vertical tab or a form feed is part
    // of a token). Looks for the header token followed by the format number, then assigns the fields of
    // every key found after it. Returns false, leaving the set untouched, when no accepted
    // header is found. Keys may come in any order, be missing (the field keeps its value) or
    // repeat (the last one wins); any other token is skipped.
    //
    // A value that is not a number (or the end of the file) where a key expects one ends that
    // key's values: the fields not yet assigned keep their values and the token is read again
    // as the next key candidate. Numbers wrap modulo 2^32 (see TokenReader::parseNumber).
    static bool read(QIODevice& in, ParameterSet& set);
    // As read, then every field outside the range of its window control is brought to the
    // nearest end of that range. A number is judged as the file holds it, before the cut to
    // a byte (LIMITER 12800 is above the range, not 0); a field the file does not name by
    // the set's own byte. outOfRangeKeys receives the keys of the fields that were out, in
    // the writer's order, each once.
    static bool readInRange(QIODevice& in, ParameterSet& set, QStringList* outOfRangeKeys);

    // Writes the file at path through FileSaver; false when it could not be written whole.
    static bool save(const QString& path, const ParameterSet& set);

    // File, Open for a chosen path: only a plain file is opened (a device or a pipe chosen
    // under "All Files" could block or never end), then read and brought into range as readInRange does
    // (outOfRangeKeys, when given, receives the keys). The set changes only when the file is accepted. The window and
    // the command-line tool both open files through this.
    enum class OpenResult { Accepted, CannotOpen, VersionMismatch };
    static OpenResult open(const QString& path, ParameterSet& set, QStringList* outOfRangeKeys = nullptr);

    // The key whose values hold that image byte, or nullptr for a byte the file does not keep.
    static const char* keyOf(int imageByte);

private:
    // wide, when given, receives the unwrapped code of every field assigned.
    static bool readInto(QIODevice& in, ParameterSet& set, FieldRanges::WideCodes* wide);
};
