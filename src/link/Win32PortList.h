#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

#include "link/DeviceLister.h"

// The COM ports Windows knows: every present device of the ports class (SetupAPI), with the
// driver's description, maker and USB identity, and the ports the serial driver lists in
// HARDWARE\DEVICEMAP\SERIALCOMM that no device names (built-in and virtual ports). Sorted by
// port number.
namespace Win32PortList {

QList<SerialDevice> devices();

// "USB\VID_0403&PID_6001&REV_0600" -> 0x0403, 0x6001; zeros when the id carries none.
void usbIdsOf(const QString& hardwareId, quint16& vendorId, quint16& productId);
// "USB\VID_0403&PID_6001\A6008ISP" -> "A6008ISP": the last part of a USB device's instance
// id is its serial number unless Windows made it up (it then holds '&').
QString serialNumberOf(const QString& instanceId);
// The text of the device column: "USB Serial Port (FTDI)", the maker only when the
// description does not already name it and it is a maker at all.
QString describe(const QString& description, const QString& manufacturer);

}  // namespace Win32PortList

#endif
