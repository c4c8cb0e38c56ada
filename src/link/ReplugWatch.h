#pragma once

#include <QByteArray>
#include <QString>

#include "link/SerialLink.h"

// Brings the port back after a replug. When the open device vanishes the link lets it go at
// once; from then on, every few ticks, this looks whether the same device node is there
// again (one stat, never a wait) and, once it is, reopens the port on the same path. The path
// is the adapter's by-id link where it has one, so only the same adapter can come back
// under it; nothing else is ever opened. A port closed on purpose or never opened is left
// alone. While the port is open a tick costs one test.
class ReplugWatch {
public:
    // 165 ms between looks: a replugged adapter is back well within a second.
    static constexpr int kCheckEveryTicks = 3;
    using Probe = bool (*)(const char* path);

    explicit ReplugWatch(SerialLink& link, Probe probe = &deviceNodePresent);

    // Once per tick, after the exchange; true on the tick that reopened the port.
    bool onTick();
    bool watching() const { return link_.deviceLost(); }
    // How many times the device node was looked for (the watch's whole cost).
    long looks() const { return looks_; }
    long reopens() const { return reopens_; }

    // The path names a character device now.
    static bool deviceNodePresent(const char* path);

private:
    SerialLink& link_;
    Probe probe_;
    int countdown_ = 0;
    bool lost_ = false;
    QByteArray path_;  // encoded once when the device is lost
    long looks_ = 0;
    long reopens_ = 0;
};
