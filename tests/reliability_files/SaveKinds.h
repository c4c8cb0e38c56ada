#pragma once

// The three files the tool writes, each with two versions "a" and "b". The writer helper saves
// them through the real savers; the tests work out the bytes each version must have on disk.

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <optional>

#include "files/AppSettings.h"
#include "files/IniFile.h"
#include "files/ParameterFile.h"
#include "files/WorkingImageFile.h"

enum class SaveKind { Ign, Settings, Image };

inline std::optional<SaveKind> saveKindNamed(const QString& name) {
    if (name == QLatin1String("ign")) return SaveKind::Ign;
    if (name == QLatin1String("settings")) return SaveKind::Settings;
    if (name == QLatin1String("image")) return SaveKind::Image;
    return std::nullopt;
}

inline const char* saveKindName(SaveKind kind) {
    switch (kind) {
        case SaveKind::Ign:
            return "ign";
        case SaveKind::Settings:
            return "settings";
        case SaveKind::Image:
            return "image";
    }
    return "?";
}

inline const char* saveKindFileName(SaveKind kind) {
    switch (kind) {
        case SaveKind::Ign:
            return "bike.ign";
        case SaveKind::Settings:
            return "velmor.ini";
        case SaveKind::Image:
            return "_velmor.ini";
    }
    return "?";
}

// Two parameter sets that differ in every byte the files carry.
inline ParameterSet versionSet(bool b) {
    ParameterSet set;
    if (b) {
        for (int i = 0; i < kImageSize; ++i) set.setByte(i, static_cast<std::uint8_t>(255 - (i * 7) % 200));
        set.setNoReading(1);
    }
    return set;
}

inline AppSettings versionSettings(bool b) {
    AppSettings s;
    s.left = b ? 1210 : 100;
    s.top = b ? -40 : 50;
    s.height = b ? 900 : AppSettings::kDesignHeight;
    s.width = b ? 1000 : AppSettings::kDesignWidth;
    s.comPort = b ? 10 : 2;
    s.language = b ? 3 : 1;
    s.file = b ? QStringLiteral("/home/mechanic/sady/závodní/ktm 690.ign") : QStringLiteral("/home/mechanic/a.ign");
    s.iniDir = s.file;
    s.allChecked = b;
    return s;
}

// A settings file as an operator might keep it: comments, a [PORTS] section and enough other
// lines that writing it takes a while.
inline QByteArray settingsBase() {
    QByteArray text = "; velmor settings\r\n[PORTS]\r\nCOM1=/dev/ttyUSB0\r\nCOM2=/dev/serial/by-id/usb-x-port0\r\n";
    text += "[Notes]\r\n";
    for (int i = 0; i < 3000; ++i) text += "note" + QByteArray::number(i) + "=tuning session for the 690, dyno run\r\n";
    return text;
}

// The settings file after saving the version over the given content, as the tool does at exit:
// read the file, write the nine keys into it, save it whole.
inline QByteArray settingsAfterSave(const QByteArray& current, bool b) {
    QBuffer buffer;
    buffer.setData(current);
    buffer.open(QIODevice::ReadOnly);
    IniFile ini;
    ini.read(buffer);
    versionSettings(b).save(ini);
    return ini.toBytes();
}

// The bytes of version b of the file, given what was on disk before (only the settings file
// depends on it).
inline QByteArray versionBytes(SaveKind kind, bool b, const QByteArray& current) {
    switch (kind) {
        case SaveKind::Ign:
            return ParameterFile::toBytes(versionSet(b));
        case SaveKind::Image:
            return WorkingImageFile::toBytes(versionSet(b));
        case SaveKind::Settings:
            return settingsAfterSave(current, b);
    }
    return {};
}

// Saves version b through the tool's own code path; false when the saver reports a failure.
inline bool saveVersion(SaveKind kind, const QString& path, bool b) {
    switch (kind) {
        case SaveKind::Ign:
            return ParameterFile::save(path, versionSet(b));
        case SaveKind::Image:
            return WorkingImageFile::save(path, versionSet(b));
        case SaveKind::Settings: {
            IniFile ini;
            ini.load(path);  // a missing file starts empty
            versionSettings(b).save(ini);
            return ini.save(path);
        }
    }
    return false;
}
