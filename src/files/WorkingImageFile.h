#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "model/FieldRanges.h"
#include "model/ParameterSet.h"

// The whole 100-byte image as it was in the window at the last exit, carried to the next
// start: 100 unsigned numbers, each right-aligned in 5 characters and followed by a space,
// ten to a line, every line ended by CR LF (620 bytes).
class WorkingImageFile {
public:
    static constexpr int kPerLine = 10;
    static constexpr qsizetype kMaxToken = 261;

    static void write(QIODevice& out, const ParameterSet& set);
    static QByteArray toBytes(const ParameterSet& set);

    // Reads up to 100 whitespace-separated numbers into image bytes 0, 1, 2 ... as their low
    // 8 bits (numbers wrap modulo 2^32, see TokenReader::parseNumber). A shorter file fills
    // only the first bytes; a token that is not a number ends the load there, keeping what was
    // read. Returns how many bytes were taken.
    // wide, when given, receives each number as written, unwrapped.
    static int read(QIODevice& in, ParameterSet& set, FieldRanges::WideCodes* wide = nullptr);

    // -1 when the path is not a plain file or cannot be opened (the set is untouched), else
    // as read(). A pipe or a device there would block or never end, so it counts as missing.
    static int load(const QString& path, ParameterSet& set);
    // As load, then every parameter outside the range of its window control is brought to
    // the nearest end of that range, judged by the number as written.
    static int loadInRange(const QString& path, ParameterSet& set);
    static bool save(const QString& path, const ParameterSet& set);
};
