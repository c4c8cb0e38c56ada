#include "link/PortMapping.h"

#include <QFileInfo>
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

bool deviceLess(const QString& a, const QString& b) {
    const QString nameA = fileName(a);
    const QString nameB = fileName(b);
    const bool usbA = isUsbAdapter(nameA);
    const bool usbB = isUsbAdapter(nameB);
    if (usbA != usbB) return usbA;
    return nameLess(nameA, nameB);
}

}  // namespace

PortMapping::PortMapping() : lister_(std::make_shared<SystemDeviceLister>()) {}

void PortMapping::setLister(std::shared_ptr<const DeviceLister> lister) {
    if (lister) lister_ = std::move(lister);
}

void PortMapping::setExplicit(int portNumber, const QString& device) {
    if (portNumber < 1 || portNumber > kPorts) return;
    explicit_[static_cast<std::size_t>(portNumber - 1)] = device;
}

QString PortMapping::explicitDevice(int portNumber) const {
    if (portNumber < 1 || portNumber > kPorts) return {};
    return explicit_[static_cast<std::size_t>(portNumber - 1)];
}

void PortMapping::setRemembered(int portNumber, const QString& identity) {
    const bool valid = portNumber >= 1 && portNumber <= kPorts && !identity.isEmpty();
    rememberedPort_ = valid ? portNumber : 0;
    rememberedIdentity_ = valid ? identity : QString();
}

void PortMapping::rememberChoice(int portNumber) {
    if (portNumber < 1 || portNumber > kPorts || !explicitDevice(portNumber).isEmpty()) return;
    const Assignments all = assign();
    const Assignment& a = all[static_cast<std::size_t>(portNumber - 1)];
    if (a.present && !a.device.path.isEmpty()) {
        setRemembered(portNumber, a.device.identity());
    } else if (portNumber != rememberedPort_) {
        setRemembered(0, {});
    }
}

QStringList PortMapping::orderedDevices(QStringList devices) {
    std::stable_sort(devices.begin(), devices.end(), deviceLess);
    return devices;
}

PortMapping::Assignments PortMapping::assign(const QList<SerialDevice>& present) const {
    Assignments out;
    QList<SerialDevice> ordered = present;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const SerialDevice& a, const SerialDevice& b) { return deviceLess(a.path, b.path); });
    std::vector<bool> taken(static_cast<std::size_t>(ordered.size()), false);

    // 1. Explicit paths; the device they lead to (a by-id link, say) is not numbered again.
    for (int n = 1; n <= kPorts; ++n) {
        const QString& chosen = explicit_[static_cast<std::size_t>(n - 1)];
        if (chosen.isEmpty()) continue;
        Assignment& a = out[static_cast<std::size_t>(n - 1)];
        a.openPath = chosen;
        a.isExplicit = true;
        const QFileInfo info(chosen);
        const QString target = info.canonicalFilePath();
        a.present = info.exists();
        for (qsizetype i = 0; i < ordered.size(); ++i) {
            const SerialDevice& d = ordered[i];
            if (d.path == chosen || d.byIdPath == chosen || (!target.isEmpty() && d.path == target)) {
                a.device = d;
                taken[static_cast<std::size_t>(i)] = true;
                break;
            }
        }
        if (a.device.path.isEmpty() && a.present) a.device.path = target.isEmpty() ? chosen : target;
    }
#ifdef Q_OS_WIN
    for (int n = 1; n <= kPorts; ++n) {
        Assignment& a = out[static_cast<std::size_t>(n - 1)];
        if (a.isExplicit) continue;
        a.openPath = QStringLiteral("COM%1").arg(n);
        for (const SerialDevice& d : ordered) {
            if (d.path.compare(a.openPath, Qt::CaseInsensitive) == 0 || d.name() == a.openPath) {
                a.device = d;
                a.present = true;
            }
        }
    }
    return out;
#else
    // 2. The remembered adapter keeps its number; the number waits for it while it is away.
    const bool remembered = rememberedPort_ >= 1 && explicit_[static_cast<std::size_t>(rememberedPort_ - 1)].isEmpty();
    if (remembered) {
        Assignment& a = out[static_cast<std::size_t>(rememberedPort_ - 1)];
        for (qsizetype i = 0; i < ordered.size(); ++i) {
            if (taken[static_cast<std::size_t>(i)] || !ordered[i].matches(rememberedIdentity_)) continue;
            a.device = ordered[i];
            a.openPath = ordered[i].stablePath();
            a.present = true;
            taken[static_cast<std::size_t>(i)] = true;
            break;
        }
    }
    // 3. Everything else in order.
    qsizetype next = 0;
    for (int n = 1; n <= kPorts; ++n) {
        Assignment& a = out[static_cast<std::size_t>(n - 1)];
        if (a.isExplicit || (remembered && n == rememberedPort_)) continue;
        while (next < ordered.size() && taken[static_cast<std::size_t>(next)]) ++next;
        if (next >= ordered.size()) break;
        a.device = ordered[next];
        a.openPath = ordered[next].stablePath();
        a.present = true;
        taken[static_cast<std::size_t>(next)] = true;
    }
    return out;
#endif
}

QString PortMapping::deviceFor(int portNumber) const {
    if (portNumber < 1 || portNumber > kPorts) return {};
    // Explicit paths need no listing.
    const QString chosen = explicitDevice(portNumber);
    if (!chosen.isEmpty()) return chosen;
    // Looked up at every open, so an adapter plugged in after start is found on the next
    // choice of a port.
    return assign()[static_cast<std::size_t>(portNumber - 1)].openPath;
}
