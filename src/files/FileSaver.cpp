#include "files/FileSaver.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool FileSaver::save(const QString& path, const Writer& writer) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) return false;

    QSaveFile file(path);
    // Never fall back to writing the target in place: that is exactly what must not happen.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!writer(file)) {
        file.cancelWriting();
        return false;
    }
    // commit() alone misses a short write of the buffered rest (a full disk takes part of it
    // without an error): the explicit flush reports it, and then the old file stays.
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
