#include "EngineModel.h"

#include <algorithm>

namespace {

constexpr int kBatteryMillivolts = 12600;  // engine stopped: no charging
constexpr std::int64_t kWobblePeriodMs = 400;
constexpr std::int64_t kRipplePeriodMs = 700;

constexpr std::uint8_t kPolarityPositive = 0;
constexpr std::uint8_t kPolarityNegative = 1;
constexpr std::uint8_t kPolaritySelfsearch = 2;

// Parameter byte of an image position.
std::uint8_t param(std::span<const std::uint8_t, kBlockSize> parameters, int imageByte) {
    return parameters[static_cast<std::size_t>(imageByte - kBlockSize)];
}

// A triangle wave between -amplitude and +amplitude.
int triangle(std::int64_t ms, std::int64_t period, int amplitude) {
    const std::int64_t half = period / 2;
    const std::int64_t phase = ms % period;
    const std::int64_t rising = phase < half ? phase : period - phase;
    return static_cast<int>(-amplitude + 2 * amplitude * rising / half);
}

// num / den rounded to the nearest integer, halves away from zero; den > 0.
int roundedDiv(int num, int den) { return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den)); }

}  // namespace

void EngineModel::setInputActive(int input, bool active) {
    if (input >= 1 && input <= 2) inputs_[static_cast<std::size_t>(input - 1)] = active;
}

bool EngineModel::inputActive(int input) const {
    return input >= 1 && input <= 2 && inputs_[static_cast<std::size_t>(input - 1)];
}

int EngineModel::sweepRpm(std::int64_t nowUs, int limiterRpm) {
    const std::int64_t ms = (nowUs / 1000) % kCycleMs;
    const int top = std::max(limiterRpm, kIdleRpm);
    const int span = top - kIdleRpm;
    std::int64_t t = ms;
    if (t < kIdleMs) return kIdleRpm + triangle(ms, kWobblePeriodMs, kIdleWobbleRpm);
    t -= kIdleMs;
    if (t < kRiseMs) return kIdleRpm + static_cast<int>(span * t / kRiseMs);
    t -= kRiseMs;
    if (t < kLimiterMs) return top;
    t -= kLimiterMs;
    if (t < kFallMs) return top - static_cast<int>(span * t / kFallMs);
    return kIdleRpm + triangle(ms, kWobblePeriodMs, kIdleWobbleRpm);
}

int EngineModel::curveAdvance(int rpm, std::span<const std::uint8_t, kBlockSize> parameters) {
    const int count = std::clamp<int>(param(parameters, ImageByte::curvePointCount), 1, kCurvePoints);
    auto pointRpm = [&](int i) { return 100 * param(parameters, ImageByte::curveRpm + i); };
    auto pointAdvance = [&](int i) { return static_cast<int>(param(parameters, ImageByte::curveAdvance + i)); };
    if (rpm <= pointRpm(0)) return pointAdvance(0);
    for (int i = 0; i + 1 < count; ++i) {
        const int low = pointRpm(i);
        const int high = pointRpm(i + 1);
        // A stored curve is not necessarily validated: a point not above the one before is passed.
        if (high <= low || rpm >= high) continue;
        if (rpm < low) return pointAdvance(i);
        return pointAdvance(i) + roundedDiv((pointAdvance(i + 1) - pointAdvance(i)) * (rpm - low), high - low);
    }
    return pointAdvance(count - 1);
}

EngineState EngineModel::state(std::int64_t nowUs, std::span<const std::uint8_t, kBlockSize> parameters) const {
    EngineState s;
    const std::int64_t ms = nowUs / 1000;
    const std::uint8_t function1 = param(parameters, ImageByte::input1Function);
    const std::uint8_t function2 = param(parameters, ImageByte::input2Function);
    auto switched = [&](std::uint8_t function) {
        return (inputs_[0] && function1 == function) || (inputs_[1] && function2 == function);
    };
    s.killSwitchActive = inputs_[0] && function1 == kFunctionKillOrBlocking;
    s.blockingActive = inputs_[1] && function2 == kFunctionKillOrBlocking;
    s.clutchMasterActive = switched(kFunctionClutchMaster);
    s.retardActive = switched(kFunctionRetard);

    const int limiterRpm = 100 * param(parameters, ImageByte::limiter);
    const int startLimiterRpm = 100 * param(parameters, ImageByte::startLimiter);
    const int pilotRpm = 100 * param(parameters, ImageByte::pilotLight);

    int rpm = 0;
    if (running_ && !s.killSwitchActive && !s.blockingActive) {
        rpm = sweepRpm(nowUs, limiterRpm);
        if (switched(kFunctionStartLimiter) && rpm >= startLimiterRpm) {
            rpm = startLimiterRpm;
            s.startLimiterActive = true;
        }
    }
    s.rpm = static_cast<std::uint16_t>(std::clamp(rpm, 0, 0xFFFF));
    s.pickupSignal = rpm > 0;
    s.rpmAlarm = rpm > 0 && limiterRpm > 0 && rpm >= limiterRpm;
    s.rpmWarning = rpm > 0 && pilotRpm > 0 && rpm >= pilotRpm;

    s.advance = rpm > 0 ? curveAdvance(rpm, parameters) : param(parameters, ImageByte::baseAdvance);
    if (s.retardActive) s.advance -= param(parameters, ImageByte::retard);

    const int base = rpm > 0 ? kSupplyMillivolts : kBatteryMillivolts;
    s.supplyMillivolts = static_cast<std::uint16_t>(base + triangle(ms, kRipplePeriodMs, kRippleMillivolts));

    s.pickupNegative = pickupNegative_;
    switch (param(parameters, ImageByte::pickupPolarity)) {
        case kPolarityPositive:
            s.polarityOk = !pickupNegative_;
            break;
        case kPolarityNegative:
            s.polarityOk = pickupNegative_;
            break;
        case kPolaritySelfsearch:
            s.polarityOk = true;
            break;
        default:
            s.polarityOk = false;
            break;
    }
    return s;
}
