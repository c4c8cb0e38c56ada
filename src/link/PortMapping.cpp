#include "link/PortMapping.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace {

bool isUsbAdapter(const QString& name) {
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM")) ||
           name.contains(QLatin1String("usb"), Qt::CaseInsensitive);
}

// Name order with the trailing number compared by value, so ttyUSB2 comes before ttyUSB10.
bool nameLess(const QString& a, const QString& b) {
    auto split = [](const QString& s) {
        qsizetype i = s.size();
        while (i > 0 && s[i - 1].isDigit()) --i;
        return std::pair<QStringView, QStringView>(QStringView(s).left(i), QStringView(s).mid(i));
    };
    const auto [stemA, numA] = split(a);
    const auto [stemB, numB] = split(b);
    if (stemA != stemB) return stemA < stemB;
    if (numA.size() != numB.size()) return numA.size() < numB.size();
    return numA < numB;
}

QString fileName(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

}  // namespace

void PortMapping::setExplicit(int portNumber, const QString& device) {
    if (portNumber < 1 || portNumber > kPorts) return;
    explicit_[static_cast<std::size_t>(portNumber - 1)] = device;
}

QString PortMapping::explicitDevice(int portNumber) const {
    if (portNumber < 1 || portNumber > kPorts) return {};
    return explicit_[static_cast<std::size_t>(portNumber - 1)];
}

QStringList PortMapping::orderedDevices(QStringList devices) {
    std::stable_sort(devices.begin(), devices.end(), [](const QString& a, const QString& b) {
        const QString nameA = fileName(a);
        const QString nameB = fileName(b);
        const bool usbA = isUsbAdapter(nameA);
        const bool usbB = isUsbAdapter(nameB);
        if (usbA != usbB) return usbA;
        return nameLess(nameA, nameB);
    });
    return devices;
}

QString PortMapping::deviceFor(int portNumber) const {
    if (portNumber < 1 || portNumber > kPorts) return {};
    const QString chosen = explicitDevice(portNumber);
    if (!chosen.isEmpty()) return chosen;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    // Looked up at every open, so an adapter plugged in after start is found on the next
    // choice of a port. The system list holds only devices that really are serial ports.
    QStringList present;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) present << info.systemLocation();
    present = orderedDevices(present);
    if (portNumber > present.size()) return {};
    return present[portNumber - 1];
#endif
}
