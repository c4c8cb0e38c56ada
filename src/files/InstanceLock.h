#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One window per settings folder. Two windows on the same folder would each write their own
// settings and working image at exit, and the last one closed would silently throw away the
// other's edits. The first window holds a lock file in the folder for as long as it runs; a
// second start finds it held and ends before it reads or writes anything. A lock left by a
// window that crashed is taken over, since its process is gone.
class InstanceLock {
public:
    static constexpr char kLockName[] = "velmor.lock";

    explicit InstanceLock(const QString& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the folder (the folder is made when missing). False
    // when another running window holds it, or the lock cannot be written at all.
    bool acquire();
    // Why acquire() failed: another window holds the folder (as opposed to a folder where
    // nothing can be written, which is left to the settings' own error handling).
    bool heldElsewhere() const { return heldElsewhere_; }
    QString folder() const { return folder_; }

private:
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    bool heldElsewhere_ = false;
};
