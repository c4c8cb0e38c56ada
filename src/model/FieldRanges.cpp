#include "model/FieldRanges.h"

#include "model/ParameterSet.h"

namespace FieldRanges {

const Number* number(int imageByte) {
    for (const Number& row : kNumbers)
        if (imageByte >= row.field && imageByte < row.field + row.count) return &row;
    return nullptr;
}

std::optional<CodeRange> codeRange(int imageByte) {
    if (const Number* row = number(imageByte))
        return CodeRange{OperatorUnits::toCode(row->scale, row->minimum),
                         OperatorUnits::toCode(row->scale, row->maximum)};
    for (const Choice& choice : kChoices)
        if (choice.field == imageByte) return CodeRange{choice.low, choice.high};
    return std::nullopt;
}

WideCodes wideCodesOf(const ParameterSet& set) {
    WideCodes wide{};
    for (int b = 0; b < kImageSize; ++b) wide[static_cast<std::size_t>(b)] = set.byte(b);
    return wide;
}

std::bitset<kImageSize> bringIntoRange(ParameterSet& set, const WideCodes& wide) {
    std::bitset<kImageSize> out;
    for (int b = kBlockSize; b < kImageSize; ++b) {
        const auto range = codeRange(b);
        if (!range) continue;
        const std::int64_t code = wide[static_cast<std::size_t>(b)];
        const bool below = code < range->low;
        const bool above = code > range->high;
        // In range the byte already equals the code; written anyway so the two never part.
        set.setByte(b, static_cast<std::uint8_t>(below ? range->low : above ? range->high : code));
        if (below || above) out.set(static_cast<std::size_t>(b));
    }
    return out;
}

std::bitset<kImageSize> bringIntoRange(ParameterSet& set) { return bringIntoRange(set, wideCodesOf(set)); }

}  // namespace FieldRanges
