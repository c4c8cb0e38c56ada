#include "model/ParameterSet.h"

#include <algorithm>

ParameterSet::ParameterSet() {
    setKeyingType(0);
    setDefaults();
}

std::span<const std::uint8_t, kBlockSize> ParameterSet::block(int k) const {
    return std::span<const std::uint8_t, kBlockSize>(image_.data() + k * kBlockSize, kBlockSize);
}

void ParameterSet::replaceBlock(int k, std::span<const std::uint8_t, kBlockSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), image_.begin() + k * kBlockSize);
}

void ParameterSet::setDefaults() {
    setCurvePointCount(2);
    setBaseAdvance(10);
    setStartLimiter(100);
    setLimiter(150);
    setRetard(6);
    setPickupPolarity(2);
    setLobeSetting(1);
    setPilotLight(120);
    setClutchTime(20);
    setClutchPause(100);
    setNoReading(0);
    setRpmPulses(1);
    setRpmCorrection(100);
    for (int i = 0; i < kCurvePoints; ++i) {
        setCurveRpm(i, static_cast<std::uint8_t>(10 * (i + 1)));
        setCurveAdvance(i, 10);
    }
}

void ParameterSet::validate(AppRanges ranges) {
    for (int i = 0; i < kCurvePoints; ++i) {
        const int low = i + 6;
        const int high = i + 186;
        if (curveRpm(i) < low) setCurveRpm(i, static_cast<std::uint8_t>(low));
        if (curveRpm(i) > high) setCurveRpm(i, static_cast<std::uint8_t>(high));
    }
    for (int i = 1; i < kCurvePoints; ++i) {
        if (curveRpm(i) <= curveRpm(i - 1)) setCurveRpm(i, static_cast<std::uint8_t>(curveRpm(i - 1) + 1));
    }
    if (limiter() < startLimiter()) setStartLimiter(limiter());

    if (ranges.languageIndex && *ranges.languageIndex >= kLanguageCount) *ranges.languageIndex = 0;
    if (ranges.portNumber && *ranges.portNumber > kPortCount) *ranges.portNumber = 1;
}

std::optional<ParameterSet::ForcedChoices> ParameterSet::applyKeyingRule(std::uint8_t windowLobe,
                                                                         std::uint8_t windowPolarity) {
    switch (keyingType()) {
        case 0:
            setLobeSetting(windowLobe);
            setPickupPolarity(windowPolarity);
            return std::nullopt;
        case 1:
        case 2:
        case 3:
            setLobeSetting(1);
            setPickupPolarity(0);
            return ForcedChoices{1, 0};
        case 4:
            setLobeSetting(1);
            setPickupPolarity(2);
            return ForcedChoices{1, 2};
        default:
            return std::nullopt;
    }
}

void ParameterSet::stepAdvance(StepDirection direction, bool all, std::optional<int> liveRow) {
    auto step = [&](int i) {
        const std::uint8_t a = curveAdvance(i);
        if (direction == StepDirection::Minus && a > 0) setCurveAdvance(i, a - 1);
        if (direction == StepDirection::Plus && a < kMaxAdvance) setCurveAdvance(i, a + 1);
    };
    if (all) {
        for (int i = 0; i < kCurvePoints; ++i) {
            step(i);
            validate();
        }
    } else if (liveRow && *liveRow >= 0 && *liveRow < kCurvePoints) {
        step(*liveRow);
        validate();
    }
}
