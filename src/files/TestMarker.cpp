#include "files/TestMarker.h"

#include <QFile>
#include <QFileInfo>

#include "files/TokenReader.h"

bool TestMarker::contains(QIODevice& in) {
    TokenReader tokens(in, kMaxToken);
    while (tokens.next())
        if (tokens.is(kToken)) return true;
    return false;
}

bool TestMarker::check(const QString& path) {
    // Only a plain file: opening a pipe would wait for a writer and hold up the start.
    if (!QFileInfo(path).isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return contains(file);
}
