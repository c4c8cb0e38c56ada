#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QList>
#include <QString>
#include <memory>

#include "link/DeviceLister.h"

// A device set the test decides, and may change between calls.
class FixedLister : public DeviceLister {
public:
    QList<SerialDevice> present;
    QList<SerialDevice> devices() const override { return present; }
};

inline SerialDevice usbDevice(const QString& node, const QString& serial, const QString& description) {
    SerialDevice d;
    d.path = node;
    d.description = description;
    d.serialNumber = serial;
    d.vendorId = 0x0403;
    d.productId = 0x6001;
    d.byIdPath = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_%1-if00-port0").arg(serial);
    return d;
}

inline SerialDevice plainDevice(const QString& node) {
    SerialDevice d;
    d.path = node;
    return d;
}

// The master end of a pseudo-terminal; its slave is the "serial device". Never read unless
// the test reads it, so its other side can be made to stall.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        if (const char* name = ::ptsname(master_)) slave_ = QString::fromLocal8Bit(name);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    bool ok() const { return master_ >= 0 && !slave_.isEmpty(); }
    const QString& slave() const { return slave_; }
    int master() const { return master_; }
    // Everything the slave side has written so far.
    QByteArray drainMaster() const {
        QByteArray out;
        char buf[4096];
        for (ssize_t n; (n = ::read(master_, buf, sizeof buf)) > 0;) out.append(buf, n);
        return out;
    }

private:
    int master_ = -1;
    QString slave_;
};
