#pragma once

#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "RigView.h"
#include "TimedBackend.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/SerialLink.h"
#include "model/ParameterSet.h"

// The tool's side as the window holds it: a parameter set, the real serial link (the system
// port backend, timed) on COM1 mapped to the given device, and the real exchange, ticked on
// a real-time schedule. It notes when the exchange took a valid frame, when the connection
// label came up, when each step of a command was first sent and how long the longest tick took.
class LinkRig : public LinkErrorSink {
public:
    LinkRig(const QString& device, int tickMs);

    // Ticks on schedule until done() holds after a tick, at most maxTicks; returns the ticks
    // run, or -1 when done() never held.
    int run(int maxTicks, const std::function<bool()>& done);
    // Starts the tick schedule afresh (after the test spent time elsewhere).
    void restartSchedule();

    // "Com opening error!" would be shown.
    void portOpenFailed() override { ++openFailures; }

    bool idle() const { return exchange.mode() == ExchangeMode::Idle; }
    bool idleWith(const QString& text) const { return idle() && view.lastText() == text; }

    // The first send of the current step: the tick, and whether it was sent from inside an
    // answer (then the step fails 19 ticks later, otherwise 20).
    struct StepStart {
        long tick = -1;
        bool fromAnswer = false;
    };

    ParameterSet set;
    HeaderTexts header;
    MessageTexts texts;
    RigView view;
    TimedBackend* backend;
    SerialLink link;
    DeviceExchange exchange;

    int tickMs;
    int openFailures = 0;
    long ticks = 0;
    long lastValidFrameTick = -1;
    long connectionShownTick = -1;
    StepStart stepStart;
    qint64 longestTickMs = 0;

private:
    void noteTick(std::uint8_t watchdogBefore);

    QElapsedTimer schedule_;
    long scheduleTicks_ = 0;
    ExchangeMode lastMode_ = ExchangeMode::Idle;
    std::uint8_t lastCommand_ = 0;
    std::uint8_t lastAttempt_ = 0;
};
