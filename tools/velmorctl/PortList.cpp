#include "PortList.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

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

QString describe(const QSerialPortInfo& info) {
    QString text = info.description();
    if (!info.manufacturer().isEmpty() && !text.contains(info.manufacturer()))
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + info.manufacturer();
    if (!info.serialNumber().isEmpty()) text += QStringLiteral(" (%1)").arg(info.serialNumber());
    return text;
}

}  // namespace

QList<PortRow> listPorts(const PortMapping& mapping) {
    const QList<QSerialPortInfo> present = QSerialPortInfo::availablePorts();
    auto infoFor = [&present](const QString& device) -> const QSerialPortInfo* {
        const QString target = canonical(device);
        for (const QSerialPortInfo& info : present)
            if (canonical(info.systemLocation()) == target || info.portName() == device) return &info;
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
        if (const QSerialPortInfo* info = infoFor(device)) row.description = describe(*info);
        row.stablePath = stablePathOf(device);
        rows << row;
        reached << canonical(device);
    }
    for (const QSerialPortInfo& info : present) {
        if (reached.contains(canonical(info.systemLocation()))) continue;
        PortRow row;
        row.device = info.systemLocation();
        row.present = true;
        row.description = describe(info);
        row.stablePath = stablePathOf(row.device);
        rows << row;
    }
    return rows;
}
