#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

#include "model/OperatorUnits.h"
#include "model/ParameterImage.h"

class ParameterSet;

// What the window's controls can show and produce for each field of the parameter block,
// kept here so that the file readers can bound what they read without any widget. The
// editor's spinner bindings take their ranges from this table.
namespace FieldRanges {

// A number edited in a spinner: range and increment in operator units.
struct Number {
    int field;  // image byte (the first of the row for the curve)
    int count;  // 15 for the curve rows, else 1
    int minimum;
    int maximum;
    int increment;
    OperatorUnits::Scale scale;
};

inline constexpr std::array<Number, 12> kNumbers = {{
    {ImageByte::curveRpm, kCurvePoints, 600, 20100, 100, OperatorUnits::Scale::Hundreds},
    {ImageByte::curveAdvance, kCurvePoints, 0, 60, 1, OperatorUnits::Scale::Plain},
    {ImageByte::curvePointCount, 1, 1, 15, 1, OperatorUnits::Scale::Plain},
    {ImageByte::baseAdvance, 1, 0, 40, 1, OperatorUnits::Scale::Plain},
    {ImageByte::startLimiter, 1, 999, 25000, 100, OperatorUnits::Scale::Hundreds},
    {ImageByte::limiter, 1, 999, 25000, 100, OperatorUnits::Scale::Hundreds},
    {ImageByte::retard, 1, 0, 25, 1, OperatorUnits::Scale::Plain},
    {ImageByte::pilotLight, 1, 1000, 25000, 100, OperatorUnits::Scale::Hundreds},
    {ImageByte::clutchTime, 1, 0, 2500, 10, OperatorUnits::Scale::Tens},
    {ImageByte::clutchPause, 1, 0, 2500, 10, OperatorUnits::Scale::Tens},
    {ImageByte::rpmPulses, 1, 1, 6, 1, OperatorUnits::Scale::Plain},
    {ImageByte::rpmCorrection, 1, -60, 60, 1, OperatorUnits::Scale::Percent},
}};

// A choice (list, radio group, check box): the lowest and highest code it can show. The
// keying type has no row: the keying rule takes every code (3 forces as 1 and 2 do, 5 and
// above force nothing and leave lobe setting and polarity as they are), so no code is
// outside what the set may hold and a file's keying code is always kept.
struct Choice {
    int field;
    std::uint8_t low;
    std::uint8_t high;
};

inline constexpr std::array<Choice, 5> kChoices = {{
    {ImageByte::pickupPolarity, 0, 2},
    {ImageByte::lobeSetting, 0, 3},
    {ImageByte::input1Function, 0, 4},
    {ImageByte::input2Function, 0, 4},
    {ImageByte::noReading, 0, 1},
}};

// The spinner row that edits the image byte; nothing for a byte no spinner edits.
const Number* number(int imageByte);

// Codes a control can give the byte (a spinner's ends converted as the read-back converts
// them, so 999 rpm is code 9); nothing for the header, the spare bytes and the keying type.
struct CodeRange {
    int low;
    int high;
};
std::optional<CodeRange> codeRange(int imageByte);

// The code of every byte as a reader found it, before it was cut to 8 bits: a file value
// of 12800 for a byte is 12800 here, not 0. Bytes the reader did not touch hold the set's.
using WideCodes = std::array<std::int64_t, kImageSize>;
WideCodes wideCodesOf(const ParameterSet& set);

// Brings every byte whose wide code lies outside its control's range to the nearest end
// of that range. Returns the image bytes that were out of range.
std::bitset<kImageSize> bringIntoRange(ParameterSet& set, const WideCodes& wide);
// The same, judging the set's own bytes.
std::bitset<kImageSize> bringIntoRange(ParameterSet& set);

}  // namespace FieldRanges
