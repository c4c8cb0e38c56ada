#pragma once

#include <QString>
#include <cstdint>

// The line's own round trip of one step: polls written straight to the device, the median
// time until the whole answer is waiting (request and answer, 2 x 9.03 ms at 57600 baud
// when the simulator models the line time); -1 when the device does not answer.
std::int64_t measureRoundTripUs(const QString& device);

void sleepUs(std::int64_t us);
