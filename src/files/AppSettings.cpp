#include "files/AppSettings.h"

namespace {

const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kHeight = QStringLiteral("Height");
const QString kWidth = QStringLiteral("Width");
const QString kComPort = QStringLiteral("ComPort");
const QString kLanguage = QStringLiteral("Language");
const QString kFile = QStringLiteral("File");
const QString kIniDir = QStringLiteral("IniDir");
const QString kAllChecked = QStringLiteral("CheckBoxIgnAll->Checked");

std::uint8_t lowByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

}  // namespace

void AppSettings::load(const IniFile& ini) {
    const QString section = QString::fromLatin1(kSection);
    left = ini.readInteger(section, kLeft, left);
    top = ini.readInteger(section, kTop, top);
    height = ini.readInteger(section, kHeight, height);
    width = ini.readInteger(section, kWidth, width);
    comPort = lowByte(ini.readInteger(section, kComPort, comPort));
    language = lowByte(ini.readInteger(section, kLanguage, language));
    file = ini.readString(section, kFile, file);
    iniDir = ini.readString(section, kIniDir, iniDir);
    allChecked = ini.readInteger(section, kAllChecked, allChecked ? 1 : 0) != 0;

    const QString ports = QString::fromLatin1(kPortsSection);
    for (int i = 0; i < kPorts; ++i)
        portDevices[static_cast<std::size_t>(i)] = ini.readString(ports, QStringLiteral("COM%1").arg(i + 1), {});
}

void AppSettings::save(IniFile& ini) const {
    const QString section = QString::fromLatin1(kSection);
    ini.writeInteger(section, kLeft, left);
    ini.writeInteger(section, kTop, top);
    ini.writeInteger(section, kHeight, height);
    ini.writeInteger(section, kWidth, width);
    ini.writeInteger(section, kComPort, comPort);
    ini.writeInteger(section, kLanguage, language);
    ini.writeString(section, kFile, file);
    ini.writeString(section, kIniDir, iniDir);
    ini.writeInteger(section, kAllChecked, allChecked ? 1 : 0);
}
