#pragma once

#include <cstdint>

// Conversions between the codes the set holds and the operator's units. Operator to code
// divides with truncation toward zero (1250 rpm becomes 12, shown again as 1200).
namespace OperatorUnits {

enum class Scale { Plain, Hundreds, Tens, Percent };

constexpr int toOperator(Scale scale, std::uint8_t code) {
    switch (scale) {
        case Scale::Hundreds:
            return code * 100;
        case Scale::Tens:
            return code * 10;
        case Scale::Percent:
            return code - 100;
        case Scale::Plain:
            break;
    }
    return code;
}

// The code keeps the low 8 bits, like every byte of the image.
constexpr std::uint8_t toCode(Scale scale, int value) {
    switch (scale) {
        case Scale::Hundreds:
            return static_cast<std::uint8_t>(value / 100);
        case Scale::Tens:
            return static_cast<std::uint8_t>(value / 10);
        case Scale::Percent:
            return static_cast<std::uint8_t>(value + 100);
        case Scale::Plain:
            break;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace OperatorUnits
