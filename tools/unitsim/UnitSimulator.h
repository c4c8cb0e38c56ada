#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "EngineModel.h"
#include "FaultPlan.h"
#include "FrameAssembler.h"
#include "UnitFaults.h"
#include "link/LinkFrame.h"
#include "model/ParameterImage.h"

// The unit's side of the line, without a port and without a clock of its own: the caller
// feeds received bytes and moves the unit's clock on explicitly, and takes whatever answer
// bytes have become due. One 52-byte answer per request: 0x30 telemetry, 0x00 and 0x40 the
// header, 0x01 stores the block and echoes it, 0x41 the stored block. Requests with a wrong
// check byte, and requests the unit does not know, get no answer.
class UnitSimulator {
public:
    // Line time of one frame at 57600 baud, 10 bits a byte, rounded up.
    static constexpr std::int64_t kBaud = 57600;
    static constexpr std::int64_t kFrameTimeUs = (kFrameSize * 10 * 1'000'000 + kBaud - 1) / kBaud;

    // The identification the unit reports.
    static constexpr char kFirmwareLetters[3] = {'V', 'L', 'M'};
    static constexpr std::uint8_t kFirmwareNumber = 12;
    static constexpr std::uint8_t kFirmwareDay = 14;
    static constexpr std::uint8_t kFirmwareMonthCode = 35;  // April
    static constexpr std::uint8_t kFirmwareYear = 24;
    static constexpr std::uint8_t kFirmwareHour = 9;
    static constexpr std::uint8_t kFirmwareMinute = 30;

    enum class LogEvent {
        Received,    // a whole request frame
        BadFrame,    // a request frame with a wrong check byte: no answer
        Unanswered,  // a request the faults kept from going out (bytes: the answer that was lost)
        Sent,        // answer bytes handed to the line
        LostOnLine,  // a request the line lost before the unit saw it
    };
    using Log = std::function<void(LogEvent, std::int64_t nowUs, std::span<const std::uint8_t>)>;

    explicit UnitSimulator(const UnitFaults& faults = {});

    // The unit's clock, in microseconds since it started.
    std::int64_t nowUs() const { return nowUs_; }
    void advance(std::int64_t ms) { advanceUs(ms * 1000); }
    void advanceUs(std::int64_t us);
    void advanceTo(std::int64_t us);

    // Bytes arriving now, in any chunks.
    void receive(std::span<const std::uint8_t> bytes);
    // Answer bytes due by now, oldest first; they are taken.
    std::vector<std::uint8_t> takeOutput();
    // When the next answer bytes fall due, if any are waiting.
    std::optional<std::int64_t> nextDueUs() const;

    // The header as the unit answers it now.
    ImageBlock header() const;
    const ImageBlock& parameterBlock() const { return parameters_; }
    void setParameterBlock(const ImageBlock& block) { parameters_ = block; }
    std::uint16_t programmingCount() const { return programmingCount_; }
    void setProgrammingCount(std::uint16_t count) { programmingCount_ = count; }
    // The telemetry answer the unit would give now.
    LinkFrame telemetryFrame() const;

    EngineModel& engine() { return engine_; }
    const UnitFaults& faults() const { return plan_.faults(); }

    void setLog(Log log) { log_ = std::move(log); }

    // Diagnostics, also reported as Test1..Test4 of the telemetry.
    std::uint64_t framesReceived() const { return framesReceived_; }
    std::uint64_t badFrames() const { return assembler_.badFrames() + corruptedRequests_; }
    std::uint64_t skippedBytes() const { return assembler_.skippedBytes(); }
    std::uint64_t answersLost() const { return answersLost_; }
    const FaultCounts& faultCounts() const { return plan_.counts(); }

    // One line of "name=value" words: the stored parameter block in hex, the programming
    // count and every counter. The unit's state for whoever checks it from outside.
    std::string describeState() const;

private:
    void handleFrame(const LinkFrame& request);
    std::optional<LinkFrame> answerFor(const LinkFrame& request);
    void queue(const LinkFrame& request, const LinkFrame& answer);
    void log(LogEvent event, std::span<const std::uint8_t> bytes) const;

    FrameAssembler assembler_;
    FaultPlan plan_;
    EngineModel engine_;
    ImageBlock parameters_{};
    std::uint16_t programmingCount_ = 0;
    std::int64_t nowUs_ = 0;
    std::int64_t receiveLineFreeUs_ = 0;
    std::int64_t transmitLineFreeUs_ = 0;
    std::uint64_t answers_ = 0;
    std::uint64_t framesReceived_ = 0;
    std::uint64_t answersLost_ = 0;
    std::uint64_t corruptedRequests_ = 0;
    std::vector<OutgoingChunk> output_;  // ordered by due time
    Log log_;
};
