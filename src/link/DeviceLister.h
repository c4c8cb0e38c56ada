#pragma once

#include <QList>
#include <QString>

// One serial device present on the system.
struct SerialDevice {
    QString path;          // the device node, e.g. /dev/ttyUSB0; on Windows the port's name, COM3
    QString description;   // the adapter's own words, e.g. "FT232R USB UART"; may be empty
    QString manufacturer;  // the adapter's maker, e.g. "FTDI"; may be empty
    QString serialNumber;  // the adapter's serial number; empty when it has none
    QString byIdPath;      // /dev/serial/by-id/... naming this device; empty when there is none
    quint16 vendorId = 0;
    quint16 productId = 0;

    // The kernel's name of the device (ttyUSB0).
    QString name() const;
    // What stays the same across a replug and a renaming by the kernel: the by-id path, else
    // the USB vendor, product and serial number, else the device path itself.
    QString identity() const;
    // The path to open: the by-id path where there is one, so that a reopen after a replug
    // can only ever reach the same adapter.
    QString stablePath() const { return byIdPath.isEmpty() ? path : byIdPath; }
    bool matches(const QString& identityOrPath) const;
};

// Which serial devices are present. The system lister asks the OS; tests present fixed sets.
class DeviceLister {
public:
    virtual ~DeviceLister() = default;
    virtual QList<SerialDevice> devices() const = 0;
};

// The serial ports the system lists (real serial devices only), each with its by-id link.
class SystemDeviceLister : public DeviceLister {
public:
    QList<SerialDevice> devices() const override;
};
