#include "files/AdapterSettings.h"

namespace {
const QString kPort = QStringLiteral("Port");
const QString kIdentity = QStringLiteral("Identity");
}  // namespace

void AdapterSettings::load(const IniFile& ini) {
    const QString section = QString::fromLatin1(kSection);
    port = ini.readInteger(section, kPort, 0);
    identity = ini.readString(section, kIdentity, {});
    if (port < 1 || port > 10 || identity.isEmpty()) {
        port = 0;
        identity.clear();
    }
}

void AdapterSettings::save(IniFile& ini) const {
    const QString section = QString::fromLatin1(kSection);
    if (port == 0 && ini.keys(section).isEmpty()) return;
    ini.writeInteger(section, kPort, port);
    ini.writeString(section, kIdentity, identity);
}
