#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "model/ParameterImage.h"

// What the unit measures and does at one moment.
struct EngineState {
    std::uint16_t rpm = 0;
    std::uint16_t supplyMillivolts = 0;
    int advance = 0;  // degrees
    bool pickupSignal = false;
    bool pickupNegative = false;
    bool polarityOk = false;
    bool rpmAlarm = false;
    bool rpmWarning = false;
    bool startLimiterActive = false;
    bool blockingActive = false;
    bool killSwitchActive = false;
    bool retardActive = false;
    bool clutchMasterActive = false;
};

// A running engine as a function of the unit's clock and its stored parameters: it idles,
// revs up to the limiter, bounces there, and falls back, over and over. The switch inputs
// act through the functions the parameters give them. Everything is integer arithmetic on
// the clock, so a given time always gives the same state.
class EngineModel {
public:
    static constexpr int kIdleRpm = 1200;
    static constexpr int kIdleWobbleRpm = 30;
    static constexpr std::uint16_t kSupplyMillivolts = 13800;
    static constexpr int kRippleMillivolts = 40;

    // Phases of one sweep, in milliseconds.
    static constexpr std::int64_t kIdleMs = 2000;
    static constexpr std::int64_t kRiseMs = 4000;
    static constexpr std::int64_t kLimiterMs = 1000;
    static constexpr std::int64_t kFallMs = 4000;
    static constexpr std::int64_t kTailMs = 1000;
    static constexpr std::int64_t kCycleMs = kIdleMs + kRiseMs + kLimiterMs + kFallMs + kTailMs;

    // Input functions (image bytes 63 and 64).
    static constexpr std::uint8_t kFunctionKillOrBlocking = 1;
    static constexpr std::uint8_t kFunctionClutchMaster = 2;
    static constexpr std::uint8_t kFunctionRetard = 3;
    static constexpr std::uint8_t kFunctionStartLimiter = 4;

    void setRunning(bool running) { running_ = running; }
    bool running() const { return running_; }
    // Input 1 or 2 closed.
    void setInputActive(int input, bool active);
    bool inputActive(int input) const;
    // The polarity the pick-up really has.
    void setPickupNegative(bool negative) { pickupNegative_ = negative; }

    EngineState state(std::int64_t nowUs, std::span<const std::uint8_t, kBlockSize> parameters) const;

    // The curve advance at an RPM: linear between the points in use, flat outside them.
    static int curveAdvance(int rpm, std::span<const std::uint8_t, kBlockSize> parameters);
    // The sweep alone, before the inputs act: idle .. limiterRpm.
    static int sweepRpm(std::int64_t nowUs, int limiterRpm);

private:
    bool running_ = true;
    std::array<bool, 2> inputs_{};
    bool pickupNegative_ = false;
};
