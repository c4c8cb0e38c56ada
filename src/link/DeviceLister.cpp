#include "link/DeviceLister.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

QString SerialDevice::name() const { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString SerialDevice::identity() const {
    if (!byIdPath.isEmpty()) return byIdPath;
    if (!serialNumber.isEmpty() && (vendorId != 0 || productId != 0))
        return QStringLiteral("usb:%1:%2:%3")
            .arg(vendorId, 4, 16, QLatin1Char('0'))
            .arg(productId, 4, 16, QLatin1Char('0'))
            .arg(serialNumber);
    return path;
}

bool SerialDevice::matches(const QString& identityOrPath) const {
    if (identityOrPath.isEmpty()) return false;
    return identityOrPath == identity() || identityOrPath == path ||
           (!byIdPath.isEmpty() && identityOrPath == byIdPath);
}

QList<SerialDevice> SystemDeviceLister::devices() const {
    // The by-id folder holds one symbolic link per adapter, named by its maker, model and
    // serial number; udev creates it only for adapters that can tell themselves apart.
    QHash<QString, QString> byId;
#ifndef Q_OS_WIN
    const QDir folder(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !byId.contains(target)) byId.insert(target, link.absoluteFilePath());
    }
#endif
    QList<SerialDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
#ifdef Q_OS_WIN
        // "COM3", the name the COM menu and the port take, not "\\.\COM3".
        d.path = info.portName();
#else
        d.path = info.systemLocation();
#endif
        d.description = info.description();
#ifdef Q_OS_WIN
        // Windows names the driver's kind ("USB Serial Port"); the maker tells two apart.
        if (!info.manufacturer().isEmpty() && !d.description.contains(info.manufacturer()))
            d.description += QStringLiteral(" (%1)").arg(info.manufacturer());
#endif
        d.serialNumber = info.serialNumber();
        d.vendorId = info.hasVendorIdentifier() ? info.vendorIdentifier() : 0;
        d.productId = info.hasProductIdentifier() ? info.productIdentifier() : 0;
        d.byIdPath = byId.value(QFileInfo(d.path).canonicalFilePath());
        out.append(d);
    }
    return out;
}
