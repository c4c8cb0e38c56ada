#include "CtlSession.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include "i18n/WindowTexts.h"
#include "link/InterruptPipe.h"
#include "link/PortDiagnosis.h"

namespace {
QString connectionText() {
    const WindowTextRow* row = findWindowText("LabelSpojeni", TextKind::Caption);
    return row ? row->textFor(currentLanguage()) : QString();
}
}  // namespace

CtlSession::CtlSession(const PortChoice& port, const MessageTexts& texts, QTextStream& err)
    : texts_(texts), err_(err), view_(err, connectionText()), link_(makeSystemPortBackend()) {
    exchange_ = std::make_unique<DeviceExchange>(set_, header_, link_, texts_, view_);
    link_.setErrorSink(this);
    port.applyTo(link_.mapping());
    if (!port.path.isEmpty()) {
        link_.mapping().setExplicit(1, port.path);
        link_.setPortNumber(1);
    } else {
        link_.setPortNumber(static_cast<std::uint8_t>(port.portNumber));
    }
}

void PortChoice::applyTo(PortMapping& mapping) const {
    for (int n = 1; n <= PortMapping::kPorts; ++n)
        mapping.setExplicit(n, explicitDevices[static_cast<std::size_t>(n - 1)]);
    mapping.setRemembered(adapter.port, adapter.identity);
}

CtlSession::~CtlSession() { link_.closePort(); }

QString CtlSession::device() { return link_.mapping().deviceFor(link_.portNumber()); }

bool CtlSession::openPort() {
    openFailed_ = false;
    link_.openPort();
    // Port 0 opens nothing and says nothing in the window; a command that cannot reach any
    // unit says so here all the same.
    if (!link_.isOpen() && !openFailed_) portOpenFailed();
    return link_.isOpen();
}

void CtlSession::portOpenFailed() {
    openFailed_ = true;
    const QString name = device();
    err_ << texts_.portOpenError << (name.isEmpty() ? QString() : QLatin1Char(' ') + name) << Qt::endl;
    // The window's reason under it: missing (with what is present), permission, busy.
    if (link_.portNumber() != 0)
        err_ << PortDiagnosis::reason(link_.lastOpenFailure(), link_.mapping().lister().devices(), currentLanguage())
             << Qt::endl;
}

int CtlSession::run(const std::function<std::optional<int>()>& afterTick, const std::function<int()>& onInterrupt) {
    QEventLoop loop;
    int status = 0;
    QTimer timer;
    // Every protocol period is counted in ticks; a coarse timer would shorten them all.
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(ExchangeTiming::kTickMs);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        // Without a pipe to watch (Windows' console handler) the interrupt is seen here.
        if (InterruptPipe::readEnd() < 0 && InterruptPipe::pending() && InterruptPipe::take()) {
            timer.stop();
            link_.closePort();
            status = onInterrupt();
            loop.quit();
            return;
        }
        exchange_->onTimerTick();
        if (const std::optional<int> done = afterTick()) {
            status = *done;
            timer.stop();
            loop.quit();
        }
    });
    std::unique_ptr<QSocketNotifier> notifier;
    if (InterruptPipe::readEnd() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(InterruptPipe::readEnd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, [&] {
            if (!InterruptPipe::take() || !timer.isActive()) return;
            timer.stop();
            link_.closePort();
            status = onInterrupt();
            loop.quit();
        });
    }
    timer.start();
    loop.exec();
    link_.closePort();
    return status;
}

CtlSession::Outcome CtlSession::runCommand(void (DeviceExchange::*start)()) {
    view_.resetOutcome();
    (exchange_.get()->*start)();
    bool interrupted = false;
    run(
        [this]() -> std::optional<int> {
            if (exchange_->mode() != ExchangeMode::Idle) return std::nullopt;
            return 0;
        },
        [&interrupted] {
            interrupted = true;
            return 1;
        });
    if (interrupted) return Outcome::Interrupted;
    return view_.endedWith(texts_.verifyOk) ? Outcome::Succeeded : Outcome::Failed;
}
