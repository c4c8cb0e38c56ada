#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "link/LinkFrame.h"
#include "model/ParameterImage.h"

// Frames as the unit sends them, built independently of the code under test.
namespace TestFrames {

inline LinkFrame frame(std::uint8_t first, std::span<const std::uint8_t> payload = {}) {
    LinkFrame f{};
    f[0] = first;
    for (std::size_t i = 0; i < payload.size() && i < kPayloadSize; ++i) f[1 + i] = payload[i];
    std::uint8_t x = 0xFF;
    for (int i = 0; i < kFrameSize - 1; ++i) x ^= f[i];
    f[kFrameSize - 1] = x;
    return f;
}

inline ImageBlock payloadOf(const LinkFrame& f) {
    ImageBlock b{};
    for (int i = 0; i < kPayloadSize; ++i) b[i] = f[1 + i];
    return b;
}

// A unit header: letters VLM, number 7, 25. 1.2003 16:21, with the given checks.
inline ImageBlock unitHeader(std::uint8_t imageVersion = 41, std::uint8_t readAllowed = 1) {
    ImageBlock h{};
    h[0] = 'V';
    h[1] = 'L';
    h[2] = 'M';
    h[3] = 7;
    h[4] = 25;
    h[5] = 25;
    h[6] = 3;
    h[7] = 16;
    h[8] = 21;
    h[9] = readAllowed;
    h[10] = imageVersion;
    h[11] = 0x5A;  // not interpreted, but must travel
    return h;
}

// Telemetry fields at their wire offsets.
struct Telemetry {
    std::uint16_t rpm = 0;
    std::uint16_t millivolts = 13800;
    std::uint16_t count = 0;
    std::array<std::uint16_t, 8> tests{};
    std::uint8_t advanceCode = 100;
    std::uint8_t advanceMax = 0;
    std::array<std::uint8_t, 10> flags{};  // offsets 33..42
};

inline LinkFrame telemetry(const Telemetry& t) {
    std::array<std::uint8_t, kPayloadSize> p{};
    auto put = [&p](int offset, std::uint16_t v) {
        p[offset - 1] = static_cast<std::uint8_t>(v & 0xFF);
        p[offset] = static_cast<std::uint8_t>(v >> 8);
    };
    put(1, t.rpm);
    put(3, t.millivolts);
    put(5, t.count);
    for (int i = 0; i < 8; ++i) put(7 + 2 * i, t.tests[i]);
    p[31 - 1] = t.advanceCode;
    p[32 - 1] = t.advanceMax;
    for (int i = 0; i < 10; ++i) p[33 + i - 1] = t.flags[i];
    return frame(0xB0, p);
}

enum Flag {
    PickupNegative,
    PolarityOk,
    StartLimiter,
    RpmAlarm,
    Blocking,
    KillSwitch,
    RpmWarning,
    Retard,
    Clutch,
    Pickup
};

}  // namespace TestFrames
