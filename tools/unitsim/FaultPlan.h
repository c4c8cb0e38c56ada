#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "UnitFaults.h"

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

// The faults of a UnitFaults record as a chain of stages, each a transformation of the chunks
// of one answer (the unit's true answer comes in as one chunk). Losses come first, then
// changes of content, then extra line traffic, then delay. A new fault is one more member
// function appended to the chain in the constructor; random ones draw from random_.
class FaultPlan {
public:
    explicit FaultPlan(const UnitFaults& faults);

    void shape(AnswerContext& context, std::vector<OutgoingChunk>& chunks);

    const UnitFaults& faults() const { return faults_; }

private:
    using Stage = void (FaultPlan::*)(AnswerContext&, std::vector<OutgoingChunk>&);

    void loseAll(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void dropEveryNth(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void dropRandomly(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void mismatchFirstEcho(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void corruptCheckByte(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void sendTwice(AnswerContext& context, std::vector<OutgoingChunk>& chunks);
    void delay(AnswerContext& context, std::vector<OutgoingChunk>& chunks);

    UnitFaults faults_;
    std::vector<Stage> stages_;
    std::mt19937 random_;
    bool echoMismatched_ = false;
};
