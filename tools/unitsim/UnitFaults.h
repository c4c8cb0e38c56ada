#pragma once

#include <cstdint>

#include "model/ParameterImage.h"

// How the simulated unit misbehaves, and whether it models the time frames spend on the
// line. Every fault is off by default; counters ("every Nth") count answers from 1, over all
// answers the unit has produced, so two faults with different periods do not disturb each
// other. The random faults draw from one generator seeded with `seed`, so a run repeats.
struct UnitFaults {
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
    // 52 bytes at 57600 baud take about 9.03 ms: an answer leaves only after the request's
    // and the answer's line time have passed, one frame after another.
    bool lineTime = true;
};
