#include "files/TestMarker.h"

#include <QFile>

#include "files/TokenReader.h"

bool TestMarker::contains(QIODevice& in) {
    TokenReader tokens(in, kMaxToken);
    while (tokens.next())
        if (tokens.is(kToken)) return true;
    return false;
}

bool TestMarker::check(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return contains(file);
}
