#pragma once

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "link/LinkFrame.h"
#include "link/PortBackend.h"
#include "link/SerialLink.h"

// Looks for the unit when the operator asks: tries each serial device present, one at a
// time, with the poll frame, and stops at the first whose answer is a valid telemetry
// frame. Driven by ticks (one open or one look per tick), so the window never waits; it can
// be cancelled at any tick. The link's own port is closed while it searches, so the exchange
// neither reads the candidates' answers nor holds a device the search must try; the
// candidates are opened through a backend of the finder's own.
class UnitFinder {
public:
    // How long each device has to answer: the resend period of a command step.
    static constexpr int kAnswerTicks = 4;

    struct Candidate {
        int portNumber = 0;
        QString openPath;
        QString name;  // shown to the operator, e.g. "ttyUSB0"
    };
    using BackendFactory = std::function<std::unique_ptr<PortBackend>()>;

    UnitFinder(SerialLink& link, BackendFactory factory);

    // Takes the devices present with their numbers now, closes the link's port and starts.
    // Returns false (and does nothing) when there is no device to try.
    bool start();
    void cancel();
    bool running() const { return running_; }
    void onTick();

    const QList<Candidate>& candidates() const { return candidates_; }
    void setBackendFactory(BackendFactory factory) { factory_ = std::move(factory); }

    // Reports, on the tick where they happen.
    std::function<void(const Candidate&)> onTrying;
    // The device that answered, or nullptr when none did.
    std::function<void(const Candidate*)> onFinished;

private:
    void next();
    void finish(const Candidate* found);

    SerialLink& link_;
    BackendFactory factory_;
    std::unique_ptr<PortBackend> port_;
    QList<Candidate> candidates_;
    qsizetype index_ = 0;
    int waited_ = 0;
    bool running_ = false;
    bool opened_ = false;
    std::array<std::uint8_t, 4096> buffer_{};
};
