#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "link/DeviceLister.h"

// Maps COM port numbers 1..10 to devices. On Windows COMn is "COMn". Elsewhere, from one
// listing of the serial devices present:
//   1. a number with an explicit device path (the [PORTS] section) gets that path;
//   2. the remembered adapter (the one chosen last, known by its stable identity) keeps its
//      number wherever the kernel put it; while it is away that number stays empty, so the
//      stored port never silently reaches another device;
//   3. the other numbers, in ascending order, take the remaining devices in device order:
//      USB adapters (ttyUSB*/ttyACM*) first, then the other real serial ports such as
//      built-in ttyS*, each group by name.
// With nothing explicit and nothing remembered COMn is simply the n-th device present.
class PortMapping {
public:
    static constexpr int kPorts = 10;

    // What one number maps to right now.
    struct Assignment {
        QString openPath;      // what the link opens: the explicit path, or the by-id path or device node
        SerialDevice device;   // the device listed for it (device.path empty when not listed)
        bool present = false;  // something is there now
        bool isExplicit = false;
    };
    using Assignments = std::array<Assignment, kPorts>;

    PortMapping();

    // The devices come from here; the system's list unless a test sets another.
    void setLister(std::shared_ptr<const DeviceLister> lister);
    const DeviceLister& lister() const { return *lister_; }

    void setExplicit(int portNumber, const QString& device);  // empty clears
    QString explicitDevice(int portNumber) const;

    // The adapter that keeps its number; one at a time, an empty identity forgets it.
    void setRemembered(int portNumber, const QString& identity);
    // The operator chose the number: remember the adapter found there now. A number without a
    // device forgets the adapter, unless it is the remembered adapter's own number (it is
    // away and keeps its place). Explicit numbers need no identity.
    void rememberChoice(int portNumber);
    int rememberedPort() const { return rememberedPort_; }
    QString rememberedIdentity() const { return rememberedIdentity_; }

    // All ten numbers from the listing given, and from a fresh listing.
    Assignments assign(const QList<SerialDevice>& present) const;
    Assignments assign() const { return assign(lister_->devices()); }
    // The path to open for the number, or empty when none (e.g. number 0 or no such device).
    QString deviceFor(int portNumber) const;

    // The order in which present devices are numbered: USB adapters first, then the rest,
    // each group by name with a trailing number compared by value (ttyUSB2 before ttyUSB10).
    static QStringList orderedDevices(QStringList devices);

private:
    std::shared_ptr<const DeviceLister> lister_;
    std::array<QString, kPorts> explicit_;
    int rememberedPort_ = 0;
    QString rememberedIdentity_;
};
