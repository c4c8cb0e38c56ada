#include "OutputTarget.h"

#include <QFileInfo>
#include <QTemporaryFile>

namespace OutputTarget {

Check check(const QString& path) {
    const QFileInfo target(path);
    if (!QFileInfo(target.absolutePath()).isDir()) return Check::FolderMissing;
    if (target.isDir()) return Check::NotWritable;
    // The file is saved through a temporary file beside it and renamed; the same attempt
    // answers what permissions, read-only mounts and full disks would say. The probe is
    // removed when it goes out of scope.
    QTemporaryFile probe(target.absolutePath() + QStringLiteral("/.velmorctl-XXXXXX"));
    if (!probe.open()) return Check::NotWritable;
    return Check::Writable;
}

}  // namespace OutputTarget
