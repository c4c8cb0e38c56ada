#include "PortList.h"

#include <QDir>
#include <QFileInfo>

#include "link/DeviceLister.h"

namespace {

QString canonical(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

// The by-id names survive a replug and another adapter plugged in before this one.
QString stablePathOf(const QString& device) {
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QString target = canonical(device);
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        if (canonical(link.absoluteFilePath()) == target) return link.absoluteFilePath();
    return {};
}

QString describe(const SerialDevice& device) {
    QString text = device.description;
    if (!device.manufacturer.isEmpty() && !text.contains(device.manufacturer))
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + device.manufacturer;
    if (!device.serialNumber.isEmpty()) text += QStringLiteral(" (%1)").arg(device.serialNumber);
    return text;
}

}  // namespace

QList<PortRow> listPorts(const PortMapping& mapping) {
    const QList<SerialDevice> present = SystemDeviceLister().devices();
    auto infoFor = [&present](const QString& device) -> const SerialDevice* {
        const QString target = canonical(device);
        for (const SerialDevice& info : present)
            if (canonical(info.path) == target || info.name() == device) return &info;
        return nullptr;
    };

    QList<PortRow> rows;
    QStringList reached;
    for (int n = 1; n <= PortMapping::kPorts; ++n) {
        const QString device = mapping.deviceFor(n);
        if (device.isEmpty()) continue;
        PortRow row;
        row.com = n;
        row.device = device;
        row.fromSettings = !mapping.explicitDevice(n).isEmpty();
        row.present = QFileInfo::exists(device) || infoFor(device) != nullptr;
        if (const SerialDevice* info = infoFor(device)) row.description = describe(*info);
        row.stablePath = stablePathOf(device);
        rows << row;
        reached << canonical(device);
    }
    for (const SerialDevice& info : present) {
        if (reached.contains(canonical(info.path))) continue;
        PortRow row;
        row.device = info.path;
        row.present = true;
        row.description = describe(info);
        row.stablePath = stablePathOf(row.device);
        rows << row;
    }
    return rows;
}
