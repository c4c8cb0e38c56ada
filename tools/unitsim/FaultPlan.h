#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "UnitFaults.h"
#include "link/LinkFrame.h"

// Bytes the unit puts on the line at a given time of its clock (microseconds).
struct OutgoingChunk {
    std::int64_t dueUs = 0;
    std::vector<std::uint8_t> bytes;
};

// What a fault stage knows about the answer it shapes.
struct AnswerContext {
    std::uint64_t answerIndex = 0;  // 1 for the first answer the unit produced
    std::uint8_t request = 0;       // byte 0 of the request
    std::int64_t frameTimeUs = 0;   // line time of one frame; 0 when line time is not modelled
    std::int64_t lineFreeUs = 0;    // when the transmit line is free again; stages adding traffic move it
};

// What the lossy line did, counted since the start.
struct FaultCounts {
    std::uint64_t requestsLost = 0;
    std::uint64_t requestsFlipped = 0;
    std::uint64_t requestsFlippedUnseen = 0;  // passed the check byte and were taken in
    std::uint64_t answersLostOnLine = 0;
    std::uint64_t answersFlipped = 0;
    std::uint64_t answersFlippedUnseen = 0;  // still pass the check byte
    std::uint64_t answersDuplicated = 0;
    std::uint64_t answersLate = 0;
    std::uint64_t answersSplit = 0;
    std::uint64_t junkBursts = 0;
};

// The faults of a UnitFaults record as a chain of stages, each a transformation of the chunks
// of one answer (the unit's true answer comes in as one chunk). Losses come first, then
// changes of content, then extra line traffic, then delay. A new fault is one more member
// function appended to the chain in the constructor; random ones draw from their own
// generator, seeded from the one seed.
// Requests pass takeRequest first: the line may lose or corrupt them before the unit sees them.
class FaultPlan {
public:
    // Line time of one byte at 57600 baud, 10 bits a byte.
    static constexpr std::int64_t kByteTimeUs = 174;
    // Spacing of the pieces of a split answer when line time is not modelled.
    static constexpr std::int64_t kSplitGapUs = 250;
    static constexpr int kMaxPiece = 8;
    static constexpr int kMaxJunk = 16;

    explicit FaultPlan(const UnitFaults& faults);

    enum class RequestFate { Arrived, Lost };
    // The line's effect on a request that left the tool intact: Lost, or Arrived with the
    // bytes as the unit receives them (perhaps flipped; the unit checks them itself).
    RequestFate takeRequest(LinkFrame& request);

    void shape(AnswerContext& context, std::vector<OutgoingChunk>& chunks);

    const UnitFaults& faults() const { return faults_; }
    const FaultCounts& counts() const { return counts_; }

private:
    using Stage = void (FaultPlan::*)(AnswerContext&, std::vector<OutgoingChunk>&);
    using Random = std::mt19937;

    void loseAll(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void dropEveryNth(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void dropRandomly(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void loseOnLine(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void mismatchFirstEcho(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void corruptCheckByte(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void flipAnswerBits(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void splitIntoPieces(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void sendTwice(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void sendTwiceRandomly(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void putJunkBefore(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void delay(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void delayRandomly(AnswerContext& context, std::vector<OutgoingChunk>& chunks);

    static bool happens(Random& random, int ppm);
    // Flips one or two bits of the frame; true when the check byte can no longer see it.
    static bool flipBits(Random& random, std::uint8_t* frame);

    UnitFaults faults_;
    std::vector<Stage> stages_;
    Random random_;  // --drop-percent, as it always drew
    Random lossRandom_, flipRandom_, flipRequestRandom_, dupRandom_, lateRandom_, splitRandom_, junkRandom_;
    bool answerLossPending_ = false;
    bool echoMismatched_ = false;
    FaultCounts counts_;
};
