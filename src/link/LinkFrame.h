#pragma once

#include <array>
#include <cstdint>
#include <span>

// The 52-byte frame used in both directions: command or answer byte, 50 payload bytes and
// a check byte chosen so that the XOR of all 52 bytes is 0xFF.
constexpr int kFrameSize = 52;
constexpr int kPayloadSize = 50;
constexpr std::uint8_t kCheckSeed = 0xFF;

constexpr std::uint8_t kPollCommand = 0x30;
constexpr std::uint8_t kTelemetryAnswer = 0xB0;
constexpr std::uint8_t kAnswerBit = 0x80;
constexpr std::uint8_t kReadBit = 0x40;
constexpr std::uint8_t kBlockMask = 0x3F;

constexpr std::uint8_t kProgramHeaderCommand = 0x00;
constexpr std::uint8_t kProgramParametersCommand = 0x01;
constexpr std::uint8_t kReadHeaderCommand = 0x40;
constexpr std::uint8_t kReadParametersCommand = 0x41;

using LinkFrame = std::array<std::uint8_t, kFrameSize>;

// 0xFF XOR bytes 0..50.
std::uint8_t checkByte(std::span<const std::uint8_t> frame);
// True when the first 52 bytes XOR to 0xFF together with the seed, i.e. the check is right.
bool checkByteValid(std::span<const std::uint8_t> frame);
// Sets byte 51 of the frame.
void sealFrame(LinkFrame& frame);
