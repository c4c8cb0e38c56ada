#include "link/DeviceLister.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#ifdef Q_OS_WIN
#include "link/Win32PortList.h"
#else
#include <QSerialPortInfo>
#endif

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
#ifdef Q_OS_WIN
    return Win32PortList::devices();
#else
    // The by-id folder holds one symbolic link per adapter, named by its maker, model and
    // serial number; udev creates it only for adapters that can tell themselves apart.
    QHash<QString, QString> byId;
    const QDir folder(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !byId.contains(target)) byId.insert(target, link.absoluteFilePath());
    }
    QList<SerialDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.path = info.systemLocation();
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        d.vendorId = info.hasVendorIdentifier() ? info.vendorIdentifier() : 0;
        d.productId = info.hasProductIdentifier() ? info.productIdentifier() : 0;
        d.byIdPath = byId.value(QFileInfo(d.path).canonicalFilePath());
        out.append(d);
    }
    return out;
#endif
}
