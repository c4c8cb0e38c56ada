#pragma once

#include <QString>

#include "files/IniFile.h"

// The adapter the operator chose last, by its stable identity (its /dev/serial/by-id path,
// or USB vendor, product and serial number), and the COM number it keeps. In a section of
// its own, [ADAPTER], so that [FORM_HLAV] keeps exactly its nine keys.
struct AdapterSettings {
    static constexpr char kSection[] = "ADAPTER";

    int port = 0;  // 0: none remembered
    QString identity;

    void load(const IniFile& ini);
    // Writes the two keys; nothing at all while no adapter was ever remembered, so a file
    // without the section stays without it.
    void save(IniFile& ini) const;
};
