#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "files/IniFile.h"

// What the tool remembers between runs in the settings file: window geometry, COM port,
// language, the parameter file names and the "All" box, in section "FORM_HLAV". The
// [PORTS] section (COM1..COM10 = device path) is only read; it is the operator's to edit.
struct AppSettings {
    static constexpr char kSection[] = "FORM_HLAV";
    static constexpr char kPortsSection[] = "PORTS";
    static constexpr int kPorts = 10;

    // The design size of the window, the defaults of a first start.
    static constexpr int kDesignHeight = 805;
    static constexpr int kDesignWidth = 823;

    int left = 0;
    int top = 0;
    int height = kDesignHeight;
    int width = kDesignWidth;
    std::uint8_t comPort = 1;
    std::uint8_t language = 0;
    QString file;    // caption of the file-name label
    QString iniDir;  // the parameter file last opened or saved (the whole path, not a folder)
    bool allChecked = false;
    // Explicit devices for COM1..COM10 from [PORTS]; empty where none is named.
    std::array<QString, kPorts> portDevices;

    // Reads the nine keys; a missing or non-numeric key keeps the member's current value, so
    // the caller sets the defaults first. "ComPort" and "Language" keep their low 8 bits.
    void load(const IniFile& ini);
    // Writes the nine keys in their fixed order; a new file gets them in this order, an
    // existing one has its lines updated in place.
    void save(IniFile& ini) const;
};
