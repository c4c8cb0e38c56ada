#include "files/InstanceLock.h"

#include <QDir>

InstanceLock::InstanceLock(const QString& folder) : folder_(folder) {}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::acquire() {
    heldElsewhere_ = false;
    if (!QDir().mkpath(folder_)) {
        return false;
    }
    lock_ = std::make_unique<QLockFile>(QDir(folder_).filePath(QString::fromLatin1(kLockName)));
    // Held for the whole session: only a lock whose process is gone counts as stale, never one
    // that is merely old.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(100)) {
        return true;
    }
    heldElsewhere_ = lock_->error() == QLockFile::LockFailedError;
    lock_.reset();
    return false;
}
