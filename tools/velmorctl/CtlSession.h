#pragma once

#include <QString>
#include <QTextStream>
#include <functional>
#include <memory>
#include <optional>

#include "ConsoleView.h"
#include "files/AdapterSettings.h"
#include "i18n/ConsoleTexts.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/SerialLink.h"
#include "model/ParameterImage.h"
#include "model/ParameterSet.h"

// Which port to use: the settings' choice unless the command line names one.
struct PortChoice {
    int portNumber = 1;  // COM number 1..10 (0: none, as a hand-edited settings file may say)
    std::array<QString, PortMapping::kPorts> explicitDevices;  // the settings' [PORTS] entries
    QString path;                                              // --port PATH: this device, whatever the numbers say
    AdapterSettings adapter;                                   // the adapter the window remembered, and its number

    // The numbers as the window gives them out: [PORTS] entries, then the remembered adapter.
    void applyTo(PortMapping& mapping) const;
};

// One connection to the unit: the window's serial link and device exchange on a parameter
// set of their own, ticked by a 55 ms precise timer like Timer1, with the console view.
class CtlSession : public LinkErrorSink {
public:
    CtlSession(const PortChoice& port, const MessageTexts& texts, QTextStream& err);
    ~CtlSession() override;

    // Opens the port; on failure "Com opening error!" is on standard error and false returned.
    bool openPort();
    // The device the port number maps to now (for the reports).
    QString device();

    // Ticks until afterTick returns an exit status; Ctrl+C ends the run with onInterrupt's
    // status. The port is closed before this returns, whichever way the run ended.
    int run(const std::function<std::optional<int>()>& afterTick, const std::function<int()>& onInterrupt);

    // Starts a command of the exchange and runs until it is idle again: succeeded when it
    // ended on "Verify:" + " OK".
    enum class Outcome { Succeeded, Failed, Interrupted };
    Outcome runCommand(void (DeviceExchange::*start)());

    ParameterSet& set() { return set_; }
    HeaderTexts& header() { return header_; }
    DeviceExchange& exchange() { return *exchange_; }
    ConsoleView& view() { return view_; }
    const MessageTexts& texts() const { return texts_; }

    void portOpenFailed() override;

private:
    const MessageTexts& texts_;
    QTextStream& err_;
    ParameterSet set_;
    HeaderTexts header_;
    ConsoleView view_;
    SerialLink link_;
    std::unique_ptr<DeviceExchange> exchange_;
    bool openFailed_ = false;
};
