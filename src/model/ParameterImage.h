#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The 100-byte image the tool and the unit exchange: block 0 is the unit's identification
// header (bytes 0..49), block 1 the parameters (bytes 50..99). The parameter set is stored
// as this image; there is no separate encoding step.
constexpr int kImageSize = 100;
constexpr int kBlockSize = 50;
constexpr int kHeaderBlock = 0;
constexpr int kParameterBlock = 1;
constexpr int kCurvePoints = 15;
constexpr std::uint8_t kImageVersion = 41;

using ParameterImage = std::array<std::uint8_t, kImageSize>;
using ImageBlock = std::array<std::uint8_t, kBlockSize>;

// Byte positions of the named fields.
namespace ImageByte {
// Header block
constexpr int firmwareLetters = 0;  // 3 bytes
constexpr int firmwareNumber = 3;
constexpr int firmwareDay = 4;
constexpr int firmwareMonthCode = 5;
constexpr int firmwareYear = 6;
constexpr int firmwareHour = 7;
constexpr int firmwareMinute = 8;
constexpr int readAllowed = 9;
constexpr int imageVersion = 10;
constexpr int unitText = 16;  // 30 bytes, zero padded
constexpr int unitTextLength = 30;
// Parameter block
constexpr int keyingType = 50;
constexpr int curvePointCount = 51;
constexpr int baseAdvance = 52;
constexpr int startLimiter = 53;
constexpr int limiter = 54;
constexpr int retard = 55;
constexpr int pickupPolarity = 56;
constexpr int lobeSetting = 59;
constexpr int pilotLight = 60;
constexpr int clutchTime = 61;
constexpr int clutchPause = 62;
constexpr int input1Function = 63;
constexpr int input2Function = 64;
constexpr int noReading = 65;
constexpr int rpmPulses = 66;
constexpr int rpmCorrection = 67;
constexpr int curveRpm = 70;      // 15 bytes
constexpr int curveAdvance = 85;  // 15 bytes
}  // namespace ImageByte

// The version, date and time texts decoded from a received header block. Fixed-size
// storage so that taking in a block on the timer path allocates nothing.
class HeaderTexts {
public:
    static constexpr int kMaxLength = 30;

    std::string_view versionText() const { return {version_.data(), versionLength_}; }
    std::string_view dateText() const { return {date_.data(), dateLength_}; }
    std::string_view timeText() const { return {time_.data(), timeLength_}; }

    // Builds the three texts from image bytes 0..49.
    void decodeHeader(std::span<const std::uint8_t, kBlockSize> header);
    void clear() { versionLength_ = dateLength_ = timeLength_ = 0; }

private:
    std::array<char, kMaxLength> version_{};
    std::array<char, kMaxLength> date_{};
    std::array<char, kMaxLength> time_{};
    std::size_t versionLength_ = 0;
    std::size_t dateLength_ = 0;
    std::size_t timeLength_ = 0;
};

// Month text of a firmware month code (low byte of the sum of the English abbreviation's
// letters); "00" for a code that names no month.
std::string_view monthText(std::uint8_t monthCode);

// Block comparison. The verify step leaves out image byte 66 (rpmPulses, the tachometer
// output the unit may set itself); the programming echo compares all 50 bytes.
enum class CompareRule { AllBytes, SkipRpmPulses };
bool blockMatches(const ParameterImage& image, int block, std::span<const std::uint8_t, kBlockSize> received,
                  CompareRule rule);
