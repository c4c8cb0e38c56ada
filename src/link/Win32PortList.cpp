#include "link/Win32PortList.h"

#ifdef Q_OS_WIN

// clang-format off
#include <windows.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <QRegularExpression>
#include <algorithm>

namespace Win32PortList {

namespace {

// Bounds for what the registry and the drivers hand out.
constexpr DWORD kMaxText = 1024;
constexpr DWORD kMaxDevices = 256;
constexpr DWORD kMaxValues = 256;

QString textOf(const wchar_t* text, DWORD bytes) {
    qsizetype n = static_cast<qsizetype>(bytes / sizeof(wchar_t));
    while (n > 0 && text[n - 1] == L'\0') --n;
    return QString::fromWCharArray(text, n);
}

QString deviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t buffer[kMaxText] = {};
    DWORD type = 0;
    DWORD size = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<PBYTE>(buffer),
                                             sizeof buffer - sizeof(wchar_t), &size))
        return {};
    if (type != REG_SZ && type != REG_MULTI_SZ) return {};
    // A multi-string starts with its first string, which is the one wanted.
    return QString::fromWCharArray(buffer);
}

QString portNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t buffer[kMaxText] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - sizeof(wchar_t);
    QString name;
    if (::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        name = textOf(buffer, size);
    ::RegCloseKey(key);
    return name;
}

int portNumberOf(const QString& name) {
    static const QRegularExpression com(QStringLiteral("^COM(\\d{1,3})$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(name);
    return m.hasMatch() ? m.captured(1).toInt() : 1000;
}

}  // namespace

void usbIdsOf(const QString& hardwareId, quint16& vendorId, quint16& productId) {
    static const QRegularExpression ids(QStringLiteral("VID_([0-9A-F]{4})&PID_([0-9A-F]{4})"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = ids.match(hardwareId);
    vendorId = m.hasMatch() ? static_cast<quint16>(m.captured(1).toUShort(nullptr, 16)) : 0;
    productId = m.hasMatch() ? static_cast<quint16>(m.captured(2).toUShort(nullptr, 16)) : 0;
}

QString serialNumberOf(const QString& instanceId) {
    if (!instanceId.startsWith(QLatin1String("USB\\"), Qt::CaseInsensitive)) return {};
    const QString last = instanceId.mid(instanceId.lastIndexOf(QLatin1Char('\\')) + 1);
    if (last.isEmpty() || last.contains(QLatin1Char('&')) || instanceId.count(QLatin1Char('\\')) != 2) return {};
    return last;
}

QString describe(const QString& description, const QString& manufacturer) {
    // Windows names the driver's kind ("USB Serial Port"); the maker tells two apart. A maker
    // in parentheses is Windows' word for none ("(Standard port types)").
    if (manufacturer.isEmpty() || manufacturer.startsWith(QLatin1Char('(')) ||
        description.contains(manufacturer, Qt::CaseInsensitive))
        return description;
    if (description.isEmpty()) return manufacturer;
    return QStringLiteral("%1 (%2)").arg(description, manufacturer);
}

QList<SerialDevice> devices() {
    QList<SerialDevice> out;
    auto known = [&out](const QString& name) {
        return std::any_of(out.cbegin(), out.cend(),
                           [&name](const SerialDevice& d) { return d.path.compare(name, Qt::CaseInsensitive) == 0; });
    };

    HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        for (DWORD i = 0; i < kMaxDevices; ++i) {
            SP_DEVINFO_DATA device{};
            device.cbSize = sizeof device;
            if (!::SetupDiEnumDeviceInfo(set, i, &device)) break;
            const QString name = portNameOf(set, device);
            // The ports class holds printer ports too.
            if (portNumberOf(name) >= 1000 || known(name)) continue;
            SerialDevice d;
            d.path = name.toUpper();
            d.manufacturer = deviceProperty(set, device, SPDRP_MFG);
            d.description = describe(deviceProperty(set, device, SPDRP_DEVICEDESC), d.manufacturer);
            usbIdsOf(deviceProperty(set, device, SPDRP_HARDWAREID), d.vendorId, d.productId);
            wchar_t instance[kMaxText] = {};
            if (::SetupDiGetDeviceInstanceIdW(set, &device, instance, kMaxText - 1, nullptr))
                d.serialNumber = serialNumberOf(QString::fromWCharArray(instance));
            out.append(d);
        }
        ::SetupDiDestroyDeviceInfoList(set);
    }

    // Ports without a device of their own in the ports class: the serial driver's list.
    HKEY map = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) == ERROR_SUCCESS) {
        for (DWORD i = 0; i < kMaxValues; ++i) {
            wchar_t valueName[kMaxText] = {};
            wchar_t data[kMaxText] = {};
            DWORD nameLength = kMaxText - 1;
            DWORD size = sizeof data - sizeof(wchar_t);
            DWORD type = 0;
            const LSTATUS status =
                ::RegEnumValueW(map, i, valueName, &nameLength, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status != ERROR_SUCCESS || type != REG_SZ) continue;
            const QString name = textOf(data, size);
            if (portNumberOf(name) >= 1000 || known(name)) continue;
            SerialDevice d;
            d.path = name.toUpper();
            out.append(d);
        }
        ::RegCloseKey(map);
    }

    std::sort(out.begin(), out.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return portNumberOf(a.path) < portNumberOf(b.path); });
    return out;
}

}  // namespace Win32PortList

#endif
