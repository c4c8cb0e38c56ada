#include "UnitSimulator.h"

#include <algorithm>
#include <cstdio>

#include "SimFrame.h"
#include "model/ParameterSet.h"

namespace {

// Telemetry frame layout (answer 0xB0); words little-endian.
namespace TelemetryByte {
constexpr std::size_t rpm = 1;
constexpr std::size_t supplyMillivolts = 3;
constexpr std::size_t programmingCount = 5;
constexpr std::size_t testValues = 7;  // eight words
constexpr std::size_t advanceCode = 31;
constexpr std::size_t advanceMax = 32;
constexpr std::size_t pickupNegative = 33;
constexpr std::size_t polarityOk = 34;
constexpr std::size_t startLimiterActive = 35;
constexpr std::size_t rpmAlarm = 36;
constexpr std::size_t blockingActive = 37;
constexpr std::size_t killSwitchActive = 38;
constexpr std::size_t rpmWarning = 39;
constexpr std::size_t retardActive = 40;
constexpr std::size_t clutchMasterActive = 41;
constexpr std::size_t pickupSignal = 42;
constexpr int kAdvanceOffset = 100;
}  // namespace TelemetryByte

void putWord(LinkFrame& frame, std::size_t at, std::uint64_t value) {
    frame[at] = static_cast<std::uint8_t>(value & 0xFF);
    frame[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::span<const std::uint8_t> payloadOf(const LinkFrame& frame) {
    return std::span<const std::uint8_t>(frame).subspan(1, kPayloadSize);
}

}  // namespace

UnitSimulator::UnitSimulator(const UnitFaults& faults) : plan_(faults) {
    const ParameterSet defaults;
    std::copy_n(defaults.block(kParameterBlock).begin(), kBlockSize, parameters_.begin());
    assembler_.setBadFrameHandler([this](const LinkFrame& frame) { log(LogEvent::BadFrame, frame); });
}

void UnitSimulator::advanceUs(std::int64_t us) {
    if (us > 0) nowUs_ += us;
}

void UnitSimulator::advanceTo(std::int64_t us) { nowUs_ = std::max(nowUs_, us); }

void UnitSimulator::receive(std::span<const std::uint8_t> bytes) {
    assembler_.push(bytes, nowUs_);
    while (const auto frame = assembler_.next()) handleFrame(*frame);
}

void UnitSimulator::handleFrame(const LinkFrame& sent) {
    LinkFrame request = sent;
    if (plan_.takeRequest(request) == FaultPlan::RequestFate::Lost) {
        log(LogEvent::LostOnLine, sent);
        return;
    }
    // Bits flipped on the way: the unit's own check decides, as for any frame it receives.
    if (!unitFrameValid(request)) {
        ++corruptedRequests_;
        log(LogEvent::BadFrame, request);
        return;
    }
    ++framesReceived_;
    log(LogEvent::Received, request);
    if (const auto answer = answerFor(request)) queue(request, *answer);
}

std::optional<LinkFrame> UnitSimulator::answerFor(const LinkFrame& request) {
    LinkFrame answer{};
    switch (request[0]) {
        case kPollCommand:
            return telemetryFrame();
        case kProgramHeaderCommand:
        case kReadHeaderCommand: {
            // What the tool sends with the program header step is its copy of our header:
            // nothing to take from it.
            const ImageBlock head = header();
            std::copy(head.begin(), head.end(), answer.begin() + 1);
            break;
        }
        case kProgramParametersCommand: {
            const auto payload = payloadOf(request);
            std::copy(payload.begin(), payload.end(), parameters_.begin());
            ++programmingCount_;
            std::copy(parameters_.begin(), parameters_.end(), answer.begin() + 1);
            break;
        }
        case kReadParametersCommand:
            std::copy(parameters_.begin(), parameters_.end(), answer.begin() + 1);
            break;
        default:
            return std::nullopt;
    }
    answer[0] = static_cast<std::uint8_t>(request[0] | kAnswerBit);
    unitSeal(answer);
    return answer;
}

void UnitSimulator::queue(const LinkFrame& request, const LinkFrame& answer) {
    const std::int64_t frameTime = plan_.faults().lineTime ? kFrameTimeUs : 0;
    // The pseudo-terminal delivers a request at once; on the real line its last byte arrives
    // one frame time after the first, and only then can the answer start.
    const std::int64_t requestEnd = std::max(nowUs_, receiveLineFreeUs_) + frameTime;
    receiveLineFreeUs_ = requestEnd;
    const std::int64_t due = std::max(requestEnd, transmitLineFreeUs_) + frameTime;

    AnswerContext context;
    context.answerIndex = ++answers_;
    context.request = request[0];
    context.frameTimeUs = frameTime;
    context.lineFreeUs = due;
    std::vector<OutgoingChunk> chunks;
    chunks.push_back(OutgoingChunk{due, std::vector<std::uint8_t>(answer.begin(), answer.end())});
    plan_.shape(context, chunks);
    transmitLineFreeUs_ = context.lineFreeUs;

    if (chunks.empty()) {
        ++answersLost_;
        log(LogEvent::Unanswered, answer);
        return;
    }
    for (OutgoingChunk& chunk : chunks) {
        const auto at = std::upper_bound(output_.begin(), output_.end(), chunk.dueUs,
                                         [](std::int64_t due, const OutgoingChunk& c) { return due < c.dueUs; });
        output_.insert(at, std::move(chunk));
    }
}

std::vector<std::uint8_t> UnitSimulator::takeOutput() {
    std::vector<std::uint8_t> out;
    auto it = output_.begin();
    for (; it != output_.end() && it->dueUs <= nowUs_; ++it) {
        log(LogEvent::Sent, it->bytes);
        out.insert(out.end(), it->bytes.begin(), it->bytes.end());
    }
    output_.erase(output_.begin(), it);
    return out;
}

std::optional<std::int64_t> UnitSimulator::nextDueUs() const {
    if (output_.empty()) return std::nullopt;
    return output_.front().dueUs;
}

ImageBlock UnitSimulator::header() const {
    ImageBlock head{};
    std::copy(std::begin(kFirmwareLetters), std::end(kFirmwareLetters), head.begin() + ImageByte::firmwareLetters);
    head[ImageByte::firmwareNumber] = kFirmwareNumber;
    head[ImageByte::firmwareDay] = kFirmwareDay;
    head[ImageByte::firmwareMonthCode] = kFirmwareMonthCode;
    head[ImageByte::firmwareYear] = kFirmwareYear;
    head[ImageByte::firmwareHour] = kFirmwareHour;
    head[ImageByte::firmwareMinute] = kFirmwareMinute;
    const bool noReading = parameters_[ImageByte::noReading - kBlockSize] != 0;
    head[ImageByte::readAllowed] = (noReading || plan_.faults().readProtected) ? 0 : 1;
    head[ImageByte::imageVersion] = plan_.faults().imageVersion;
    return head;
}

LinkFrame UnitSimulator::telemetryFrame() const {
    const EngineState s = engine_.state(nowUs_, parameters_);
    LinkFrame frame{};
    frame[0] = kTelemetryAnswer;
    putWord(frame, TelemetryByte::rpm, s.rpm);
    putWord(frame, TelemetryByte::supplyMillivolts, s.supplyMillivolts);
    putWord(frame, TelemetryByte::programmingCount, programmingCount_);
    const std::uint64_t tests[4] = {framesReceived_, assembler_.badFrames(), assembler_.skippedBytes(), answersLost_};
    for (std::size_t i = 0; i < 4; ++i) putWord(frame, TelemetryByte::testValues + 2 * i, tests[i]);
    frame[TelemetryByte::advanceCode] =
        static_cast<std::uint8_t>(std::clamp(s.advance + TelemetryByte::kAdvanceOffset, 0, 0xFF));
    frame[TelemetryByte::advanceMax] = 0;  // no bound
    frame[TelemetryByte::pickupNegative] = s.pickupNegative;
    frame[TelemetryByte::polarityOk] = s.polarityOk;
    frame[TelemetryByte::startLimiterActive] = s.startLimiterActive;
    frame[TelemetryByte::rpmAlarm] = s.rpmAlarm;
    frame[TelemetryByte::blockingActive] = s.blockingActive;
    frame[TelemetryByte::killSwitchActive] = s.killSwitchActive;
    frame[TelemetryByte::rpmWarning] = s.rpmWarning;
    frame[TelemetryByte::retardActive] = s.retardActive;
    frame[TelemetryByte::clutchMasterActive] = s.clutchMasterActive;
    frame[TelemetryByte::pickupSignal] = s.pickupSignal;
    unitSeal(frame);
    return frame;
}

std::string UnitSimulator::describeState() const {
    std::string line = "block=";
    char hex[3];
    for (std::uint8_t byte : parameters_) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        line += hex;
    }
    const FaultCounts& c = plan_.counts();
    const std::pair<const char*, std::uint64_t> values[] = {
        {"programmings", programmingCount_},
        {"received", framesReceived_},
        {"bad", badFrames()},
        {"skipped", skippedBytes()},
        {"answers", answers_},
        {"lost", answersLost_},
        {"requests-lost", c.requestsLost},
        {"requests-flipped", c.requestsFlipped},
        {"requests-flipped-unseen", c.requestsFlippedUnseen},
        {"answers-lost-on-line", c.answersLostOnLine},
        {"answers-flipped", c.answersFlipped},
        {"answers-flipped-unseen", c.answersFlippedUnseen},
        {"answers-duplicated", c.answersDuplicated},
        {"answers-late", c.answersLate},
        {"answers-split", c.answersSplit},
        {"junk-bursts", c.junkBursts},
    };
    for (const auto& [name, value] : values) line += " " + std::string(name) + "=" + std::to_string(value);
    return line;
}

void UnitSimulator::log(LogEvent event, std::span<const std::uint8_t> bytes) const {
    if (log_) log_(event, nowUs_, bytes);
}
