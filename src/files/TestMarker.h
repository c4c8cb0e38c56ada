#pragma once

#include <QIODevice>
#include <QString>

// The marker file that switches on the diagnostic labels: test mode is on when one of its
// whitespace-separated tokens is exactly "DIAG_SWITCH".
class TestMarker {
public:
    static constexpr char kToken[] = "DIAG_SWITCH";
    // Tokens longer than this can never match; they are read through and skipped.
    static constexpr qsizetype kMaxToken = 255;

    static bool contains(QIODevice& in);
    // False when the path is no plain file (missing, a folder, a pipe) or cannot be read.
    static bool check(const QString& path);
};
