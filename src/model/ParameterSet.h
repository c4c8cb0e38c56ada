#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "model/ParameterImage.h"

// Application settings that validate brings back into range in the same pass as the set.
// They are not part of the image; the caller owns them (the window, the settings load).
struct AppRanges {
    std::uint8_t* languageIndex = nullptr;  // above 3 becomes 0 (English)
    std::uint8_t* portNumber = nullptr;     // above 10 becomes 1
};

enum class StepDirection { Minus, Plus };

// Every value that configures the unit, held as its 100-byte image. Each accessor reads or
// writes the field's code; the operator units are in OperatorUnits.h.
class ParameterSet {
public:
    ParameterSet();  // all bytes 0, keying type 0, then setDefaults

    // Byte and block access.
    const ParameterImage& image() const { return image_; }
    std::uint8_t byte(int index) const { return image_[static_cast<std::size_t>(index)]; }
    void setByte(int index, std::uint8_t value) { image_[static_cast<std::size_t>(index)] = value; }
    std::span<const std::uint8_t, kBlockSize> block(int k) const;
    void replaceBlock(int k, std::span<const std::uint8_t, kBlockSize> bytes);
    void replaceImage(const ParameterImage& image) { image_ = image; }

    // Named fields (codes).
    std::uint8_t keyingType() const { return byte(ImageByte::keyingType); }
    std::uint8_t curvePointCount() const { return byte(ImageByte::curvePointCount); }
    std::uint8_t baseAdvance() const { return byte(ImageByte::baseAdvance); }
    std::uint8_t startLimiter() const { return byte(ImageByte::startLimiter); }
    std::uint8_t limiter() const { return byte(ImageByte::limiter); }
    std::uint8_t retard() const { return byte(ImageByte::retard); }
    std::uint8_t pickupPolarity() const { return byte(ImageByte::pickupPolarity); }
    std::uint8_t lobeSetting() const { return byte(ImageByte::lobeSetting); }
    std::uint8_t pilotLight() const { return byte(ImageByte::pilotLight); }
    std::uint8_t clutchTime() const { return byte(ImageByte::clutchTime); }
    std::uint8_t clutchPause() const { return byte(ImageByte::clutchPause); }
    std::uint8_t input1Function() const { return byte(ImageByte::input1Function); }
    std::uint8_t input2Function() const { return byte(ImageByte::input2Function); }
    std::uint8_t noReading() const { return byte(ImageByte::noReading); }
    std::uint8_t rpmPulses() const { return byte(ImageByte::rpmPulses); }
    std::uint8_t rpmCorrection() const { return byte(ImageByte::rpmCorrection); }
    std::uint8_t curveRpm(int i) const { return byte(ImageByte::curveRpm + i); }
    std::uint8_t curveAdvance(int i) const { return byte(ImageByte::curveAdvance + i); }

    void setKeyingType(std::uint8_t v) { setByte(ImageByte::keyingType, v); }
    void setCurvePointCount(std::uint8_t v) { setByte(ImageByte::curvePointCount, v); }
    void setBaseAdvance(std::uint8_t v) { setByte(ImageByte::baseAdvance, v); }
    void setStartLimiter(std::uint8_t v) { setByte(ImageByte::startLimiter, v); }
    void setLimiter(std::uint8_t v) { setByte(ImageByte::limiter, v); }
    void setRetard(std::uint8_t v) { setByte(ImageByte::retard, v); }
    void setPickupPolarity(std::uint8_t v) { setByte(ImageByte::pickupPolarity, v); }
    void setLobeSetting(std::uint8_t v) { setByte(ImageByte::lobeSetting, v); }
    void setPilotLight(std::uint8_t v) { setByte(ImageByte::pilotLight, v); }
    void setClutchTime(std::uint8_t v) { setByte(ImageByte::clutchTime, v); }
    void setClutchPause(std::uint8_t v) { setByte(ImageByte::clutchPause, v); }
    void setInput1Function(std::uint8_t v) { setByte(ImageByte::input1Function, v); }
    void setInput2Function(std::uint8_t v) { setByte(ImageByte::input2Function, v); }
    void setNoReading(std::uint8_t v) { setByte(ImageByte::noReading, v); }
    void setRpmPulses(std::uint8_t v) { setByte(ImageByte::rpmPulses, v); }
    void setRpmCorrection(std::uint8_t v) { setByte(ImageByte::rpmCorrection, v); }
    void setCurveRpm(int i, std::uint8_t v) { setByte(ImageByte::curveRpm + i, v); }
    void setCurveAdvance(int i, std::uint8_t v) { setByte(ImageByte::curveAdvance + i, v); }

    // Header checks used after a block 0 has arrived.
    bool readAllowed() const { return byte(ImageByte::readAllowed) == 1; }
    std::uint8_t imageVersion() const { return byte(ImageByte::imageVersion); }

    // Restores the default parameters; the keying type, both input functions, the spare
    // bytes and the identification header keep their values.
    void setDefaults();

    // Brings the set into its invariants: curve RPMs within [i+6, i+186] and strictly
    // rising, start limiter not above the limiter. The application settings passed in are
    // clamped in the same pass. Never reports anything.
    void validate(AppRanges ranges = {});

    // The keying rule of the read-back. windowLobe and windowPolarity are the codes the
    // window's choices show. Returns the forced codes the window must show, if any.
    struct ForcedChoices {
        std::uint8_t lobeSetting;
        std::uint8_t pickupPolarity;
    };
    std::optional<ForcedChoices> applyKeyingRule(std::uint8_t windowLobe, std::uint8_t windowPolarity);

    // The "Advance +/-" step on the set itself (read-back before and apply after belong to
    // the window): with all, every one of the 15 points with validate after each; without,
    // only the live row, when there is one.
    void stepAdvance(StepDirection direction, bool all, std::optional<int> liveRow);

    static constexpr std::uint8_t kMaxAdvance = 60;
    static constexpr std::uint8_t kLanguageCount = 4;
    static constexpr std::uint8_t kPortCount = 10;

private:
    ParameterImage image_{};
};
