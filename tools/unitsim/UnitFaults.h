#pragma once

#include <cstdint>

#include "model/ParameterImage.h"

// How the simulated unit misbehaves, and whether it models the time frames spend on the
// line. Every fault is off by default; counters ("every Nth") count answers from 1, over all
// answers the unit has produced, so two faults with different periods do not disturb each
// other. The random faults draw from generators seeded with `seed`, one per fault, so a run
// repeats and switching one fault on does not change the pattern of another.
struct UnitFaults {
    // Probabilities of the lossy line, in parts per million (1 % = 10000).
    static constexpr int kPpm = 1'000'000;

    // Answers are lost on the line: the unit still takes in (and stores) what it receives.
    bool noAnswer = false;
    // Every Nth answer goes out with a wrong check byte (0 = never).
    int badCheckEvery = 0;
    // Every Nth answer is lost (0 = never).
    int dropEvery = 0;
    // Each answer is lost with this probability in percent (0..100), seeded.
    int dropPercent = 0;
    std::uint32_t seed = 1;
    // Each answer is sent twice, back to back.
    bool duplicate = false;
    // Each answer leaves this many milliseconds later than it would.
    int lateMs = 0;
    // The first echo of a programmed block has one byte changed (with a right check byte).
    bool echoMismatchOnce = false;
    // The header refuses reading (readAllowed 0) whatever the stored "No Reading" byte says.
    bool readProtected = false;
    // The image version the header reports.
    std::uint8_t imageVersion = kImageVersion;

    // The lossy line. Each exchange is lost with this probability, half of the time the
    // request (the unit never sees it) and half of the time the answer.
    int lossPpm = 0;
    // Each answer has bits flipped with this probability: half of the time one bit, half of
    // the time two. Half of the double flips hit the same bit of two bytes, which the check
    // byte cannot see.
    int flipPpm = 0;
    // The same for requests on their way to the unit: a flip the check byte sees makes the
    // unit ignore the request; one it cannot see is taken in as it arrived.
    int flipRequestsPpm = 0;
    // Each answer is sent twice with this probability.
    int dupPpm = 0;
    // Each answer leaves late with this probability, by 1 .. lateRandomMaxMs milliseconds.
    int lateRandomPpm = 0;
    int lateRandomMaxMs = 0;
    // Answers are written in pieces of 1 to 8 bytes spread over the frame's line time.
    bool split = false;
    // Junk (1 to 16 random bytes) goes on the line before an answer with this probability.
    int junkPpm = 0;

    // 52 bytes at 57600 baud take about 9.03 ms: an answer leaves only after the request's
    // and the answer's line time have passed, one frame after another.
    bool lineTime = true;
};
