#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "i18n/Language.h"
#include "link/DeviceLister.h"
#include "link/PortMapping.h"
#include "link/SerialLink.h"

// What the operator is told about ports: the line under "Com opening error!" that names the
// device and the reason, and the device shown beside each COM menu item.
namespace PortDiagnosis {

// The reason line for a failed open, in the language given: no such device (with the
// devices present), permission denied (the device's group and the fix), busy (the programs
// holding it, where /proc shows them) or the system's own error text.
QString reason(const SerialLink::OpenFailure& failure, const QList<SerialDevice>& present, LanguageId language);

// The programs that hold the device open, as "name (pid)", this process left out.
QStringList holdersOf(const QString& device);

// The group owning the device node, or its number when it has no name.
QString groupOf(const QString& device);

// Beside a COM item: "ttyUSB0 · FT232R USB UART", "ttyS0", or "nothing connected".
QString itemSuffix(const PortMapping::Assignment& assignment, LanguageId language);

}  // namespace PortDiagnosis
