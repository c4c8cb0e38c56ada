#pragma once

#include <QString>
#include <array>
#include <functional>

#include "i18n/Language.h"
#include "link/DeviceExchange.h"
#include "link/ExchangeView.h"
#include "link/PortMapping.h"
#include "link/ReplugWatch.h"
#include "link/SerialLink.h"
#include "link/UnitFinder.h"

class QAction;

// The window's helpers around the port: the replug watch and the unit search ticked after
// the exchange, the devices beside the COM items, and the reason under "Com opening error!".
// The window owns one and only wires it to its menu, its tick and its message box.
class PortAssist {
public:
    // selectPort is the window's COM command (tick, remember, reopen).
    PortAssist(SerialLink& link, DeviceExchange& exchange, ExchangeView& view, std::function<void(int)> selectPort);

    // After the exchange's tick; never waits.
    void onTick();

    // The Find unit command: starts a search, or cancels the one running.
    void findUnit();
    // Ends a running search without a word (another port chosen, the window closing).
    void cancelQuietly();

    // The COM items show the device each number maps to now; the captions stay first.
    void refreshComMenu(const std::array<QAction*, PortMapping::kPorts>& items, LanguageId language) const;
    void applyTexts(QAction* findItem, LanguageId language) const;
    // The box text for a failed open: the first line as given, then the reason.
    QString openFailureText(const QString& firstLine, LanguageId language) const;

    ReplugWatch& watch() { return watch_; }
    UnitFinder& finder() { return finder_; }

private:
    void show(const QString& text, ExchangeView::MessageColour colour);

    SerialLink& link_;
    DeviceExchange& exchange_;
    ExchangeView& view_;
    std::function<void(int)> selectPort_;
    ReplugWatch watch_;
    UnitFinder finder_;
};
