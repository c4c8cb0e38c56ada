#include "LinkRig.h"

#include <QThread>

#include "i18n/Language.h"

LinkRig::LinkRig(const QString& device, int tickMs)
    : backend(new TimedBackend(makeSystemPortBackend())),
      link(std::unique_ptr<PortBackend>(backend)),
      exchange(set, header, link, texts, view),
      tickMs(tickMs) {
    setCurrentLanguage(LanguageId::English);
    buildMessageTexts(texts);
    link.setErrorSink(this);
    link.mapping().setExplicit(1, device);
    link.setPortNumber(1);
    link.openPort();
    restartSchedule();
}

void LinkRig::restartSchedule() {
    schedule_.start();
    scheduleTicks_ = 0;
}

int LinkRig::run(int maxTicks, const std::function<bool()>& done) {
    for (int i = 1; i <= maxTicks; ++i) {
        ++scheduleTicks_;
        const qint64 left = scheduleTicks_ * tickMs - schedule_.elapsed();
        if (left > 0) QThread::msleep(static_cast<unsigned long>(left));
        ++ticks;
        view.tick = ticks;
        const std::uint8_t watchdogBefore = exchange.watchdogCount();
        QElapsedTimer clock;
        clock.start();
        exchange.onTimerTick();
        longestTickMs = std::max(longestTickMs, clock.elapsed());
        noteTick(watchdogBefore);
        if (done()) return i;
    }
    return -1;
}

void LinkRig::noteTick(std::uint8_t watchdogBefore) {
    // The watchdog counts on after a valid frame cleared it, so it stands at 1 exactly then.
    if (watchdogBefore > 0 && exchange.watchdogCount() == 1) lastValidFrameTick = ticks;
    if (!view.connectionVisible)
        connectionShownTick = -1;
    else if (connectionShownTick < 0)
        connectionShownTick = ticks;

    const ExchangeMode mode = exchange.mode();
    const std::uint8_t command = exchange.commandByte();
    const std::uint8_t attempt = exchange.attempt();
    if (mode != ExchangeMode::Idle && attempt == 1 &&
        (mode != lastMode_ || command != lastCommand_ || lastAttempt_ != 1)) {
        // A send by the tick clears tickCount after the count went up; one from inside an
        // answer comes before it, so the count already stands at 1.
        stepStart = {ticks, exchange.tickCount() == 1};
    }
    lastMode_ = mode;
    lastCommand_ = command;
    lastAttempt_ = attempt;
}
