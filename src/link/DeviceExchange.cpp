#include "link/DeviceExchange.h"

#include <algorithm>

using namespace ExchangeTiming;

namespace {

using Payload = std::span<const std::uint8_t, kBlockSize>;

Payload payloadOf(std::span<const std::uint8_t> frame) { return Payload(frame.data() + 1, kBlockSize); }

}  // namespace

DeviceExchange::DeviceExchange(ParameterSet& set, HeaderTexts& headerTexts, SerialLink& link, const MessageTexts& texts,
                               ExchangeView& view)
    : set_(set), headerTexts_(headerTexts), link_(link), texts_(texts), view_(view) {
    link_.setReceiver(this);
}

void DeviceExchange::onTimerTick() {
    link_.readWaiting();

    ++tickCount_;
    if (mode_ != ExchangeMode::Idle) {
        // Compared with >=: a command may start while the idle count stands at 4 or 5.
        if (tickCount_ >= kResendPeriod) {
            tickCount_ = 0;
            ++attempt_;
            if (attempt_ <= kSendsPerStep)
                sendBlockFrame();
            else
                fail();
        }
    } else if (tickCount_ >= kPollPeriod) {
        tickCount_ = 0;
        sendPoll();
    }

    if (messageCountdown_ > 0) {
        --messageCountdown_;
        if (messageCountdown_ == 0) view_.hideMessage();
    }

    if (watchdogCount_ < kWatchdogLimit) {
        ++watchdogCount_;
        view_.setConnectionLabelVisible(false);
    } else {
        view_.setConnectionLabelVisible(!view_.printView());
    }

    highlightLiveRow();
}

void DeviceExchange::start(ExchangeMode mode, std::uint8_t command, const QString& text) {
    // A running command is replaced at once; tickCount runs on, so the first send comes
    // 1 to 4 ticks later. A Program cut short leaves the unit's set unknown.
    endProgram(false);
    if (mode == ExchangeMode::Program) programState_ = ProgramState::Running;
    mode_ = mode;
    command_ = mode;
    commandByte_ = command;
    attempt_ = 0;
    readTarget_ = nullptr;
    resultNote_.clear();
    verifyAnswer_.reset();
    headerOnly_ = false;
    view_.showMessage(text, ExchangeView::MessageColour::Normal);
    messageCountdown_ = kMessageLifetime;
    gauge_ = 0;
    view_.setGauge(gauge_);
    view_.setGaugeVisible(true);
}

void DeviceExchange::startProgram() { start(ExchangeMode::Program, kProgramHeaderCommand, texts_.programPrefix); }

void DeviceExchange::startVerify() { start(ExchangeMode::Verify, kReadParametersCommand, texts_.verifyPrefix); }

void DeviceExchange::startRead() {
    start(ExchangeMode::Read, kReadHeaderCommand, texts_.readPrefix);
    view_.clearFileLabel();
}

void DeviceExchange::startReadInto(ParameterSet& target) {
    start(ExchangeMode::Read, kReadHeaderCommand, texts_.readPrefix);
    readTarget_ = &target;
}

void DeviceExchange::startReadHeader() {
    start(ExchangeMode::Read, kReadHeaderCommand, texts_.readPrefix);
    headerOnly_ = true;
}

void DeviceExchange::dispatchReceived(std::span<const std::uint8_t> received) {
    if (received.size() < static_cast<std::size_t>(kFrameSize)) return;
    // Only the first frame of a read counts; anything behind it is dropped.
    const auto frame = received.first(kFrameSize);
    if (frame[0] == kTelemetryAnswer)
        handleTelemetry(frame);
    else
        handleBlockAnswer(frame);
}

void DeviceExchange::handleTelemetry(std::span<const std::uint8_t> frame) {
    if (!decodeTelemetry(frame, set_, telemetry_)) return;
    watchdogCount_ = 0;
    liveRpm_ = telemetry_.rpm;
    view_.showTelemetry(telemetry_);
}

void DeviceExchange::handleBlockAnswer(std::span<const std::uint8_t> frame) {
    if (mode_ == ExchangeMode::Idle) return;
    // Until the command's first frame has gone out nothing can answer it: what comes in
    // then belongs to an earlier command (a Verify after a Read would take its 0xC1).
    if (attempt_ == 0) return;
    if (!checkByteValid(frame) || frame[0] != (commandByte_ ^ kAnswerBit)) return;
    const int b = commandByte_ & kBlockMask;
    if (b != kHeaderBlock && b != kParameterBlock) return;
    watchdogCount_ = 0;
    const Payload payload = payloadOf(frame);

    // The message box runs a modal loop whose ticks read into the same receive buffer, so
    // nothing below touches the frame once a box has been opened.
    switch (mode_) {
        case ExchangeMode::Read:
            if (readTarget_) {
                handleSeparateRead(b, payload);
                return;
            }
            set_.replaceBlock(b, payload);
            if (b == kHeaderBlock) {
                headerTexts_.decodeHeader(set_.block(kHeaderBlock));
                if (headerOnly_) {
                    mode_ = ExchangeMode::Idle;
                    view_.setGaugeVisible(false);
                    set_.validate();
                    view_.refreshWindow();
                    return;
                }
                if (!set_.readAllowed()) {
                    view_.showMessage(texts_.noReadingNotice, ExchangeView::MessageColour::Red);
                    messageCountdown_ = kMessageLifetime;
                    mode_ = ExchangeMode::Idle;
                    set_.validate();
                    view_.refreshWindow();
                    return;
                }
                if (set_.imageVersion() != kImageVersion) {
                    mode_ = ExchangeMode::Idle;
                    set_.validate();
                    view_.refreshWindow();
                    view_.showMessageBox(texts_.versionMismatch);
                    return;
                }
                advanceStep();
            } else {
                set_.validate();
                view_.refreshWindow();
                goOverToVerify();
            }
            return;

        case ExchangeMode::Program:
            if (b == kHeaderBlock) {
                set_.replaceBlock(b, payload);
                headerTexts_.decodeHeader(set_.block(kHeaderBlock));
                set_.validate();
                view_.refreshWindow();
                if (set_.imageVersion() != kImageVersion) {
                    mode_ = ExchangeMode::Idle;
                    endProgram(false);
                    view_.showMessageBox(texts_.versionMismatch);
                    return;
                }
                advanceStep();
            } else if (blockMatches(set_.image(), b, payload, CompareRule::AllBytes)) {
                goOverToVerify();
            }
            return;

        case ExchangeMode::Verify:
            if (b == kParameterBlock) {
                verifyAnswer_.emplace();
                std::copy(payload.begin(), payload.end(), verifyAnswer_->begin());
            }
            if (!blockMatches(set_.image(), b, payload, CompareRule::SkipRpmPulses)) return;
            if (b == kHeaderBlock) {
                advanceStep();
                return;
            }
            view_.setGaugeVisible(false);
            showResult(texts_.verifyOk, ExchangeView::MessageColour::Normal);
            mode_ = ExchangeMode::Idle;
            endProgram(true);
            if (observer_) observer_->commandFinished(command_, true);
            return;

        case ExchangeMode::Idle:
            return;
    }
}

void DeviceExchange::advanceStep() {
    ++gauge_;
    view_.setGauge(gauge_);
    ++commandByte_;
    attempt_ = 1;
    sendBlockFrame();
}

void DeviceExchange::goOverToVerify() {
    mode_ = ExchangeMode::Verify;
    commandByte_ = kReadParametersCommand;
    attempt_ = 1;
    sendBlockFrame();
    view_.showMessage(texts_.verifyPrefix, ExchangeView::MessageColour::Normal);
    messageCountdown_ = kMessageLifetime;
    gauge_ = 0;
    view_.setGauge(gauge_);
}

void DeviceExchange::fail() {
    const QString& text = mode_ == ExchangeMode::Program  ? texts_.programError
                          : mode_ == ExchangeMode::Verify ? texts_.verifyError
                                                          : texts_.readError;
    showResult(text, ExchangeView::MessageColour::Red);
    mode_ = ExchangeMode::Idle;
    endProgram(false);
    if (readTarget_)
        finishSeparateRead(ExchangeObserver::ReadOutcome::Failed);
    else if (observer_)
        observer_->commandFinished(command_, false);
}

void DeviceExchange::showResult(const QString& text, ExchangeView::MessageColour colour) {
    // The note is rare (a refused backup); only then is a string built on this path.
    view_.showMessage(resultNote_.isEmpty() ? text : text + resultNote_, colour);
    messageCountdown_ = kMessageLifetime;
}

// The same answers as Read's first two steps, taken into the target alone: the window's set,
// header texts and labels stay as they are, and no verify step follows.
void DeviceExchange::handleSeparateRead(int block, Payload payload) {
    readTarget_->replaceBlock(block, payload);
    if (block == kHeaderBlock) {
        if (!readTarget_->readAllowed()) {
            view_.showMessage(texts_.noReadingNotice, ExchangeView::MessageColour::Red);
            messageCountdown_ = kMessageLifetime;
            finishSeparateRead(ExchangeObserver::ReadOutcome::NoReading);
            return;
        }
        if (readTarget_->imageVersion() != kImageVersion) {
            mode_ = ExchangeMode::Idle;
            view_.showMessageBox(texts_.versionMismatch);
            finishSeparateRead(ExchangeObserver::ReadOutcome::VersionMismatch);
            return;
        }
        advanceStep();
        return;
    }
    view_.setGaugeVisible(false);
    finishSeparateRead(ExchangeObserver::ReadOutcome::Done);
}

void DeviceExchange::finishSeparateRead(ExchangeObserver::ReadOutcome outcome) {
    mode_ = ExchangeMode::Idle;
    readTarget_ = nullptr;
    if (observer_) observer_->separateReadFinished(outcome);
}

void DeviceExchange::endProgram(bool confirmed) {
    if (programState_ == ProgramState::Running)
        programState_ = confirmed ? ProgramState::Confirmed : ProgramState::Failed;
}

void DeviceExchange::sendBlockFrame() {
    tickCount_ = 0;
    transmit_[0] = commandByte_;
    const int b = commandByte_ & kBlockMask;
    // Read requests carry no data; a block number beyond the image never occurs, but would
    // get zeros rather than bytes from outside it.
    if (mode_ == ExchangeMode::Read || (b != kHeaderBlock && b != kParameterBlock)) {
        std::fill(transmit_.begin() + 1, transmit_.begin() + 1 + kPayloadSize, std::uint8_t{0});
    } else {
        const auto block = set_.block(b);
        std::copy(block.begin(), block.end(), transmit_.begin() + 1);
    }
    sealFrame(transmit_);
    // An answer that came in before a step's first send cannot answer it: a late or doubled
    // answer to the step before (Read and Verify both send 0x41) would pass the check.
    // Resends keep what waits, as an answer to an earlier send of the same step is good.
    if (attempt_ == 1) link_.discardWaiting();
    link_.writeFrame(transmit_);
}

void DeviceExchange::sendPoll() {
    transmit_.fill(0);
    transmit_[0] = kPollCommand;
    sealFrame(transmit_);
    link_.writePollFrame(transmit_);
}

void DeviceExchange::highlightLiveRow() {
    liveRow_ = findLiveRow(liveRpm_, set_);
    view_.highlightLiveRow(liveRow_.row, liveRow_.none);
}
