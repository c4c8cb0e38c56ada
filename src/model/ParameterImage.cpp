#include "model/ParameterImage.h"

#include <algorithm>

namespace {

struct MonthEntry {
    std::uint8_t code;
    std::string_view text;
};

constexpr std::array<MonthEntry, 12> kMonths{{{25, " 1"},
                                              {13, " 2"},
                                              {32, " 3"},
                                              {35, " 4"},
                                              {39, " 5"},
                                              {45, " 6"},
                                              {43, " 7"},
                                              {29, " 8"},
                                              {40, " 9"},
                                              {38, "10"},
                                              {51, "11"},
                                              {12, "12"}}};

char digit(int value) { return static_cast<char>('0' + value); }

}  // namespace

std::string_view monthText(std::uint8_t monthCode) {
    for (const auto& m : kMonths) {
        if (m.code == monthCode) return m.text;
    }
    return "00";
}

void HeaderTexts::decodeHeader(std::span<const std::uint8_t, kBlockSize> h) {
    using namespace ImageByte;
    // The fields are 0..99 by definition; a unit sending more still gets a character per
    // digit position, never an out-of-range write.
    auto tens = [](std::uint8_t v) { return digit((v / 10) % 10); };
    auto ones = [](std::uint8_t v) { return digit(v % 10); };

    std::size_t n = 0;
    version_[n++] = static_cast<char>(h[firmwareLetters]);
    version_[n++] = static_cast<char>(h[firmwareLetters + 1]);
    version_[n++] = static_cast<char>(h[firmwareLetters + 2]);
    version_[n++] = tens(h[firmwareNumber]);
    version_[n++] = ones(h[firmwareNumber]);
    versionLength_ = n;

    n = 0;
    date_[n++] = h[firmwareDay] < 10 ? ' ' : tens(h[firmwareDay]);
    date_[n++] = ones(h[firmwareDay]);
    date_[n++] = '.';
    for (char c : monthText(h[firmwareMonthCode])) date_[n++] = c;
    date_[n++] = '.';
    date_[n++] = '2';
    date_[n++] = '0';
    date_[n++] = tens(h[firmwareYear]);
    date_[n++] = ones(h[firmwareYear]);
    dateLength_ = n;

    n = 0;
    time_[n++] = tens(h[firmwareHour]);
    time_[n++] = ones(h[firmwareHour]);
    time_[n++] = ':';
    time_[n++] = tens(h[firmwareMinute]);
    time_[n++] = ones(h[firmwareMinute]);
    timeLength_ = n;

    if (h[unitText] != 0) {
        n = 0;
        while (n < static_cast<std::size_t>(unitTextLength) && h[unitText + n] != 0) {
            version_[n] = static_cast<char>(h[unitText + n]);
            ++n;
        }
        versionLength_ = n;
    }
}

bool blockMatches(const ParameterImage& image, int block, std::span<const std::uint8_t, kBlockSize> received,
                  CompareRule rule) {
    if (block < 0 || block * kBlockSize >= kImageSize) return false;
    const int base = block * kBlockSize;
    for (int j = 0; j < kBlockSize; ++j) {
        if (rule == CompareRule::SkipRpmPulses && base + j == ImageByte::rpmPulses) continue;
        if (image[base + j] != received[j]) return false;
    }
    return true;
}
