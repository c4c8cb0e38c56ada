#pragma once

#include <cstdint>
#include <span>

#include "link/LinkFrame.h"

// The unit's own check-byte arithmetic. The unit is the other end of the line, so it does
// not borrow the tool's code for it: a fault on one side cannot hide the same fault on the other.
std::uint8_t unitCheckByte(std::span<const std::uint8_t> frame);  // 0xFF XOR bytes 0..50
bool unitFrameValid(std::span<const std::uint8_t> frame);         // XOR of all 52 bytes is 0xFF
void unitSeal(std::span<std::uint8_t> frame);                     // sets byte 51
