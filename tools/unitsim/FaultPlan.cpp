#include "FaultPlan.h"

#include <algorithm>

#include "SimFrame.h"

namespace {

// Byte 11 of an echo is image byte 60 (the shift light): a plain parameter byte.
constexpr std::size_t kMismatchedEchoByte = 11;

bool isNth(std::uint64_t index, int every) { return every > 0 && index % static_cast<std::uint64_t>(every) == 0; }

}  // namespace

FaultPlan::FaultPlan(const UnitFaults& faults) : faults_(faults), random_(faults.seed) {
    if (faults_.noAnswer) stages_.push_back(&FaultPlan::loseAll);
    if (faults_.dropEvery > 0) stages_.push_back(&FaultPlan::dropEveryNth);
    if (faults_.dropPercent > 0) stages_.push_back(&FaultPlan::dropRandomly);
    if (faults_.echoMismatchOnce) stages_.push_back(&FaultPlan::mismatchFirstEcho);
    if (faults_.badCheckEvery > 0) stages_.push_back(&FaultPlan::corruptCheckByte);
    if (faults_.duplicate) stages_.push_back(&FaultPlan::sendTwice);
    if (faults_.lateMs > 0) stages_.push_back(&FaultPlan::delay);
}

void FaultPlan::shape(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    for (Stage stage : stages_) (this->*stage)(context, chunks);
}

void FaultPlan::loseAll(AnswerContext&, std::vector<OutgoingChunk>& chunks) { chunks.clear(); }

void FaultPlan::dropEveryNth(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    if (isNth(context.answerIndex, faults_.dropEvery)) chunks.clear();
}

void FaultPlan::dropRandomly(AnswerContext&, std::vector<OutgoingChunk>& chunks) {
    // One draw per answer, lost or not, so the sequence depends on the seed alone.
    const auto draw = static_cast<int>(random_() % 100u);
    if (draw < faults_.dropPercent) chunks.clear();
}

void FaultPlan::mismatchFirstEcho(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    if (echoMismatched_ || context.request != kProgramParametersCommand) return;
    for (OutgoingChunk& chunk : chunks) {
        if (chunk.bytes.size() != kFrameSize) continue;
        chunk.bytes[kMismatchedEchoByte] ^= 0x01;
        unitSeal(chunk.bytes);
        echoMismatched_ = true;
    }
}

void FaultPlan::corruptCheckByte(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    if (!isNth(context.answerIndex, faults_.badCheckEvery)) return;
    for (OutgoingChunk& chunk : chunks) {
        if (!chunk.bytes.empty()) chunk.bytes.back() ^= 0x01;
    }
}

void FaultPlan::sendTwice(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    if (chunks.empty()) return;
    // The copy follows the whole answer on the line, however many pieces it went out in.
    std::int64_t first = chunks.front().dueUs;
    std::int64_t last = first;
    for (const OutgoingChunk& chunk : chunks) {
        first = std::min(first, chunk.dueUs);
        last = std::max(last, chunk.dueUs);
    }
    const std::int64_t shift = (last - first) + context.frameTimeUs;
    const std::size_t count = chunks.size();
    for (std::size_t i = 0; i < count; ++i) {
        OutgoingChunk copy = chunks[i];
        copy.dueUs += shift;
        context.lineFreeUs = std::max(context.lineFreeUs, copy.dueUs);
        chunks.push_back(std::move(copy));
    }
}

void FaultPlan::delay(AnswerContext&, std::vector<OutgoingChunk>& chunks) {
    for (OutgoingChunk& chunk : chunks) chunk.dueUs += static_cast<std::int64_t>(faults_.lateMs) * 1000;
}
