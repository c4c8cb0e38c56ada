#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "i18n/MessageTexts.h"
#include "link/ExchangeObserver.h"
#include "link/ExchangeView.h"
#include "link/LinkFrame.h"
#include "link/SerialLink.h"
#include "link/Telemetry.h"
#include "model/ParameterSet.h"

enum class ExchangeMode : std::uint8_t { Idle = 0, Program = 1, Verify = 2, Read = 3 };

// Timing in ticks of the 55 ms timer.
namespace ExchangeTiming {
constexpr int kTickMs = 55;
constexpr std::uint8_t kPollPeriod = 6;
constexpr std::uint8_t kResendPeriod = 4;
constexpr std::uint8_t kSendsPerStep = 5;
constexpr std::uint8_t kMessageLifetime = 200;
constexpr std::uint8_t kWatchdogLimit = 18;
}  // namespace ExchangeTiming

// The state machine behind all traffic with the unit, driven only by explicit ticks,
// received buffers and the three command starts. No clock, no event loop inside.
// It registers itself as the link's receiver, so the link's reads reach dispatchReceived.
class DeviceExchange : public FrameReceiver {
public:
    DeviceExchange(ParameterSet& set, HeaderTexts& headerTexts, SerialLink& link, const MessageTexts& texts,
                   ExchangeView& view);

    void onTimerTick();
    void startProgram();
    void startVerify();
    void startRead();
    // Reads the unit's header and parameter blocks into target with the frames of Read's two
    // read steps, leaving the window's set and labels alone; the observer hears the outcome.
    // target must outlive the read. A later start replaces it like any command.
    void startReadInto(ParameterSet& target);

    // Optional; at most one.
    void setObserver(ExchangeObserver* observer) { observer_ = observer; }
    // Appended to the end-of-command text of the command now running (cleared by every start).
    void setResultNote(const QString& note) { resultNote_ = note; }
    // The last parameter block the unit answered to a verify of the current command, whether
    // or not it matched; empty until one arrives.
    const std::optional<ImageBlock>& lastVerifyAnswer() const { return verifyAnswer_; }

    // The header step of Read alone (the command-line tool's info): the same 0x40 frames and
    // resends; once the unit's header is in block 0 the exchange is idle again, with nothing
    // on the message line. Refused reading and another image version are the caller's to
    // judge from the header; a unit that never answers fails with "Read error!".
    void startReadHeader();

    void dispatchReceived(std::span<const std::uint8_t> received) override;

    // The print command counts the stamp down like any message.
    void setMessageCountdown(std::uint8_t ticks) { messageCountdown_ = ticks; }

    ExchangeMode mode() const { return mode_; }
    std::uint8_t commandByte() const { return commandByte_; }
    std::uint8_t tickCount() const { return tickCount_; }
    std::uint8_t attempt() const { return attempt_; }
    std::uint8_t messageCountdown() const { return messageCountdown_; }
    std::uint8_t watchdogCount() const { return watchdogCount_; }
    // The value last given to the progress gauge.
    std::uint8_t gauge() const { return gauge_; }
    bool connectionLost() const { return watchdogCount_ >= ExchangeTiming::kWatchdogLimit; }
    // The last Program ended without its verify passing: it failed, met a version mismatch
    // or was replaced by another command, so what the unit holds is not known. Cleared by
    // the next Program start.
    bool lastProgramFailed() const { return programState_ == ProgramState::Failed; }

    // Live state kept from telemetry, read by the advance tools.
    std::uint16_t liveRpm() const { return liveRpm_; }
    LiveRow liveRow() const { return liveRow_; }
    const TelemetryValues& lastTelemetry() const { return telemetry_; }

private:
    void handleBlockAnswer(std::span<const std::uint8_t> frame);
    void handleTelemetry(std::span<const std::uint8_t> frame);
    void handleSeparateRead(int block, std::span<const std::uint8_t, kBlockSize> payload);
    void finishSeparateRead(ExchangeObserver::ReadOutcome outcome);
    void showResult(const QString& text, ExchangeView::MessageColour colour);
    void sendBlockFrame();
    void sendPoll();
    void start(ExchangeMode mode, std::uint8_t command, const QString& text);
    void advanceStep();
    void goOverToVerify();
    void fail();
    void highlightLiveRow();

    ParameterSet& set_;
    HeaderTexts& headerTexts_;
    SerialLink& link_;
    const MessageTexts& texts_;
    ExchangeView& view_;
    ExchangeObserver* observer_ = nullptr;
    ParameterSet* readTarget_ = nullptr;         // set while a read goes into a separate set
    ExchangeMode command_ = ExchangeMode::Idle;  // the command as it was started
    QString resultNote_;
    std::optional<ImageBlock> verifyAnswer_;

    enum class ProgramState : std::uint8_t { None, Running, Confirmed, Failed };
    void endProgram(bool confirmed);

    ExchangeMode mode_ = ExchangeMode::Idle;
    ProgramState programState_ = ProgramState::None;
    std::uint8_t commandByte_ = 0;
    std::uint8_t tickCount_ = 0;
    std::uint8_t attempt_ = 0;
    std::uint8_t messageCountdown_ = 0;
    std::uint8_t watchdogCount_ = 0;
    std::uint8_t gauge_ = 0;
    bool headerOnly_ = false;

    std::uint16_t liveRpm_ = 0;
    LiveRow liveRow_;
    TelemetryValues telemetry_;
    LinkFrame transmit_{};
};
