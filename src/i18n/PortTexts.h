#pragma once

#include <QString>

#include "i18n/Language.h"

// The texts of the serial-port help: why a port does not open, what each COM item maps to,
// and the unit search. Four languages each; %1, %2 are filled in by the caller.
enum class PortText {
    NothingAtNumber,   // %1 = port number
    DeviceMissing,     // %1 = device
    DevicesPresent,    // %1 = list of device names
    NoDevicesPresent,  //
    PermissionDenied,  // %1 = device, %2 = the device's group
    BusyBy,            // %1 = device, %2 = the programs holding it
    Busy,              // %1 = device
    OtherError,        // %1 = device, %2 = the system's error text
    NothingConnected,  // the COM item of a number without a device
    FindUnitCaption,   // the COM menu item
    FindUnitHint,      // its status-bar hint
    FindingOn,         // %1 = device being tried
    FoundOn,           // %1 = device, %2 = port number
    NoneAnswered,      //
    FindCancelled,     //
};

QString portText(PortText text, LanguageId language);
inline QString portText(PortText text) { return portText(text, currentLanguage()); }
