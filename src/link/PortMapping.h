#pragma once

#include <QString>
#include <QStringList>
#include <array>

// Maps COM port numbers 1..10 to devices. On Windows COMn is "COMn". Elsewhere COMn is the
// n-th serial device present when the port is opened (USB adapters ttyUSB*/ttyACM* first,
// then the other ports the system lists as real serial ports, such as built-in ttyS* that
// exist, each group in name order), unless an explicit device path was set for that number
// (the [PORTS] section of the settings file).
class PortMapping {
public:
    static constexpr int kPorts = 10;

    void setExplicit(int portNumber, const QString& device);  // empty clears
    QString explicitDevice(int portNumber) const;
    // The device for the number, or empty when none (e.g. number 0 or no such device).
    QString deviceFor(int portNumber) const;

    // The order in which present devices are numbered: USB adapters first, then the rest,
    // each group by name with a trailing number compared by value (ttyUSB2 before ttyUSB10).
    static QStringList orderedDevices(QStringList devices);

private:
    std::array<QString, kPorts> explicit_;
};
