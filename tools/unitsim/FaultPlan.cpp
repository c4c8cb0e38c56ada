#include "FaultPlan.h"

#include <algorithm>

#include "SimFrame.h"

namespace {

// Byte 11 of an echo is image byte 60 (the shift light): a plain parameter byte.
constexpr std::size_t kMismatchedEchoByte = 11;

bool isNth(std::uint64_t index, int every) { return every > 0 && index % static_cast<std::uint64_t>(every) == 0; }

// A generator of its own for each random fault, all from the one seed.
std::mt19937 generatorFor(std::uint32_t seed, std::uint32_t fault) {
    std::seed_seq sequence{seed, fault};
    return std::mt19937(sequence);
}

std::int64_t firstDue(const std::vector<OutgoingChunk>& chunks) {
    std::int64_t first = chunks.front().dueUs;
    for (const OutgoingChunk& chunk : chunks) first = std::min(first, chunk.dueUs);
    return first;
}

}  // namespace

FaultPlan::FaultPlan(const UnitFaults& faults)
    : faults_(faults),
      random_(faults.seed),
      lossRandom_(generatorFor(faults.seed, 1)),
      flipRandom_(generatorFor(faults.seed, 2)),
      flipRequestRandom_(generatorFor(faults.seed, 3)),
      dupRandom_(generatorFor(faults.seed, 4)),
      lateRandom_(generatorFor(faults.seed, 5)),
      splitRandom_(generatorFor(faults.seed, 6)),
      junkRandom_(generatorFor(faults.seed, 7)) {
    if (faults_.noAnswer) stages_.push_back(&FaultPlan::loseAll);
    if (faults_.dropEvery > 0) stages_.push_back(&FaultPlan::dropEveryNth);
    if (faults_.dropPercent > 0) stages_.push_back(&FaultPlan::dropRandomly);
    if (faults_.lossPpm > 0) stages_.push_back(&FaultPlan::loseOnLine);
    if (faults_.echoMismatchOnce) stages_.push_back(&FaultPlan::mismatchFirstEcho);
    if (faults_.badCheckEvery > 0) stages_.push_back(&FaultPlan::corruptCheckByte);
    if (faults_.flipPpm > 0) stages_.push_back(&FaultPlan::flipAnswerBits);
    // Pieces before copies: a duplicated answer goes out in the same pieces again.
    if (faults_.split) stages_.push_back(&FaultPlan::splitIntoPieces);
    if (faults_.duplicate) stages_.push_back(&FaultPlan::sendTwice);
    if (faults_.dupPpm > 0) stages_.push_back(&FaultPlan::sendTwiceRandomly);
    if (faults_.junkPpm > 0) stages_.push_back(&FaultPlan::putJunkBefore);
    if (faults_.lateMs > 0) stages_.push_back(&FaultPlan::delay);
    if (faults_.lateRandomPpm > 0 && faults_.lateRandomMaxMs > 0) stages_.push_back(&FaultPlan::delayRandomly);
}

bool FaultPlan::happens(Random& random, int ppm) {
    return ppm > 0 && static_cast<int>(random() % static_cast<std::uint32_t>(UnitFaults::kPpm)) < ppm;
}

bool FaultPlan::flipBits(Random& random, std::uint8_t* frame) {
    const auto byteA = static_cast<std::size_t>(random() % kFrameSize);
    const auto bit = static_cast<int>(random() % 8u);
    frame[byteA] ^= static_cast<std::uint8_t>(1u << bit);
    if (random() % 2u == 0) return false;  // one bit: the check byte always sees it
    // Two bits. A burst that hits the same bit of two bytes cancels out in the XOR.
    auto byteB = static_cast<std::size_t>(random() % (kFrameSize - 1));
    if (byteB >= byteA) ++byteB;
    const bool sameBit = random() % 2u == 0;
    const int bitB = sameBit ? bit : static_cast<int>(random() % 8u);
    frame[byteB] ^= static_cast<std::uint8_t>(1u << bitB);
    return bitB == bit;
}

FaultPlan::RequestFate FaultPlan::takeRequest(LinkFrame& request) {
    answerLossPending_ = false;
    if (faults_.lossPpm > 0) {
        // One draw per exchange: the lower half of the loss loses the request, the upper half
        // the answer.
        const auto draw = static_cast<int>(lossRandom_() % static_cast<std::uint32_t>(UnitFaults::kPpm));
        if (draw < faults_.lossPpm / 2) {
            ++counts_.requestsLost;
            return RequestFate::Lost;
        }
        answerLossPending_ = draw < faults_.lossPpm;
    }
    if (happens(flipRequestRandom_, faults_.flipRequestsPpm)) {
        ++counts_.requestsFlipped;
        if (flipBits(flipRequestRandom_, request.data())) ++counts_.requestsFlippedUnseen;
    }
    return RequestFate::Arrived;
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

void FaultPlan::loseOnLine(AnswerContext&, std::vector<OutgoingChunk>& chunks) {
    if (!answerLossPending_) return;
    answerLossPending_ = false;
    chunks.clear();
    ++counts_.answersLostOnLine;
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

void FaultPlan::flipAnswerBits(AnswerContext&, std::vector<OutgoingChunk>& chunks) {
    if (chunks.empty() || !happens(flipRandom_, faults_.flipPpm)) return;
    for (OutgoingChunk& chunk : chunks) {
        if (chunk.bytes.size() != kFrameSize) continue;
        ++counts_.answersFlipped;
        if (flipBits(flipRandom_, chunk.bytes.data())) ++counts_.answersFlippedUnseen;
        return;
    }
}

void FaultPlan::splitIntoPieces(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    std::vector<OutgoingChunk> pieces;
    for (OutgoingChunk& chunk : chunks) {
        const auto size = static_cast<std::int64_t>(chunk.bytes.size());
        if (size <= 1) {
            pieces.push_back(std::move(chunk));
            continue;
        }
        ++counts_.answersSplit;
        // On a modelled line the last byte arrives when the whole frame would have: the
        // pieces are spread over its line time. Otherwise they follow one another closely.
        const std::int64_t start = chunk.dueUs - context.frameTimeUs;
        std::int64_t at = 0;
        int index = 0;
        while (at < size) {
            const std::int64_t piece =
                std::min<std::int64_t>(size - at, 1 + static_cast<std::int64_t>(splitRandom_() % kMaxPiece));
            OutgoingChunk out;
            out.bytes.assign(chunk.bytes.begin() + at, chunk.bytes.begin() + at + piece);
            at += piece;
            ++index;
            out.dueUs = context.frameTimeUs > 0 ? start + context.frameTimeUs * at / size
                                                : chunk.dueUs + kSplitGapUs * (index - 1);
            context.lineFreeUs = std::max(context.lineFreeUs, out.dueUs);
            pieces.push_back(std::move(out));
        }
    }
    chunks = std::move(pieces);
}

void FaultPlan::sendTwiceRandomly(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    if (chunks.empty() || !happens(dupRandom_, faults_.dupPpm)) return;
    ++counts_.answersDuplicated;
    sendTwice(context, chunks);
}

void FaultPlan::putJunkBefore(AnswerContext& context, std::vector<OutgoingChunk>& chunks) {
    if (chunks.empty() || !happens(junkRandom_, faults_.junkPpm)) return;
    ++counts_.junkBursts;
    OutgoingChunk junk;
    junk.bytes.resize(1 + junkRandom_() % kMaxJunk);
    for (std::uint8_t& byte : junk.bytes) byte = static_cast<std::uint8_t>(junkRandom_());
    junk.dueUs = firstDue(chunks);
    // The junk holds the line: on a modelled line the answer comes that much later.
    const std::int64_t shift = context.frameTimeUs > 0 ? kByteTimeUs * static_cast<std::int64_t>(junk.bytes.size()) : 0;
    for (OutgoingChunk& chunk : chunks) chunk.dueUs += shift;
    context.lineFreeUs += shift;
    chunks.insert(chunks.begin(), std::move(junk));
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

void FaultPlan::delayRandomly(AnswerContext&, std::vector<OutgoingChunk>& chunks) {
    if (chunks.empty() || !happens(lateRandom_, faults_.lateRandomPpm)) return;
    ++counts_.answersLate;
    const auto ms = 1 + static_cast<std::int64_t>(lateRandom_() % static_cast<std::uint32_t>(faults_.lateRandomMaxMs));
    for (OutgoingChunk& chunk : chunks) chunk.dueUs += ms * 1000;
}
