#pragma once

#include <QList>
#include <QString>

#include "link/PortMapping.h"

// One row of velmorctl ports: a COM number with the device the window would open for it,
// or a device present that no COM number reaches (com 0).
struct PortRow {
    int com = 0;
    QString device;
    QString stablePath;  // a /dev/serial/by-id link to the device, where the system has one
    QString description;
    bool present = false;       // the device exists now
    bool fromSettings = false;  // named in the settings' [PORTS]
};

// The rows in COM order, then the unreached devices.
QList<PortRow> listPorts(const PortMapping& mapping);
