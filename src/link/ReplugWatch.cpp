#include "link/ReplugWatch.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

ReplugWatch::ReplugWatch(SerialLink& link, Probe probe) : link_(link), probe_(probe) {}

bool ReplugWatch::deviceNodePresent(const char* path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISCHR(st.st_mode);
#else
    return QFile::exists(QString::fromLocal8Bit(path));
#endif
}

bool ReplugWatch::onTick() {
    if (!link_.deviceLost()) {
        lost_ = false;
        return false;
    }
    if (!lost_) {
        lost_ = true;
        path_ = QFile::encodeName(link_.openedDevice());
        countdown_ = kCheckEveryTicks;
    }
    if (--countdown_ > 0) return false;
    countdown_ = kCheckEveryTicks;
    ++looks_;
    // A node that is back but not yet usable (udev still setting its group) is tried again
    // on the next look; no message either way.
    if (!probe_(path_.constData()) || !link_.reopenLost()) return false;
    lost_ = false;
    ++reopens_;
    return true;
}
