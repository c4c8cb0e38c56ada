#include "SimFrame.h"

std::uint8_t unitCheckByte(std::span<const std::uint8_t> frame) {
    std::uint8_t check = kCheckSeed;
    for (std::size_t i = 0; i + 1 < kFrameSize && i < frame.size(); ++i) check ^= frame[i];
    return check;
}

bool unitFrameValid(std::span<const std::uint8_t> frame) {
    if (frame.size() < kFrameSize) return false;
    std::uint8_t check = kCheckSeed;
    for (std::size_t i = 0; i < kFrameSize; ++i) check ^= frame[i];
    return check == 0;
}

void unitSeal(std::span<std::uint8_t> frame) {
    if (frame.size() >= kFrameSize) frame[kFrameSize - 1] = unitCheckByte(frame);
}
