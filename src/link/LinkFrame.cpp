#include "link/LinkFrame.h"

std::uint8_t checkByte(std::span<const std::uint8_t> frame) {
    std::uint8_t check = kCheckSeed;
    for (std::size_t i = 0; i < kFrameSize - 1 && i < frame.size(); ++i) check ^= frame[i];
    return check;
}

bool checkByteValid(std::span<const std::uint8_t> frame) {
    if (frame.size() < kFrameSize) return false;
    std::uint8_t check = kCheckSeed;
    for (std::size_t i = 0; i < kFrameSize; ++i) check ^= frame[i];
    return check == 0;
}

void sealFrame(LinkFrame& frame) { frame[kFrameSize - 1] = checkByte(frame); }
