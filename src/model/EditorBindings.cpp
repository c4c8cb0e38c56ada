#include "model/EditorBindings.h"

#include <array>

#include "model/ParameterImage.h"

namespace {

using OperatorUnits::Scale;

std::array<NumberBinding, Binding::kCount> buildBindings() {
    std::array<NumberBinding, Binding::kCount> table;
    for (int i = 0; i < kCurvePoints; ++i) {
        const QString n = QString::number(i + 1);
        table[static_cast<std::size_t>(Binding::kCurveRpm + i)] = {"EditRpmAdv" + n,
                                                                   "UpDownRpmAdv" + n,
                                                                   ImageByte::curveRpm + i,
                                                                   600,
                                                                   20100,
                                                                   100,
                                                                   true,
                                                                   Scale::Hundreds,
                                                                   true};
        table[static_cast<std::size_t>(Binding::kCurveAdvance + i)] = {
            "EditAdvance" + n, "UpDownAdvance" + n, ImageByte::curveAdvance + i, 0, 60, 1, false, Scale::Plain, true};
    }
    const std::array<NumberBinding, Binding::kCount - Binding::kPocetBodu> singles = {{
        {"EditPocetBodu", "UpDownPocetBodu", ImageByte::curvePointCount, 1, 15, 1, true, Scale::Plain, true},
        {"EditBaseAdv", "UpDownBaseAdv", ImageByte::baseAdvance, 0, 40, 1, true, Scale::Plain, true},
        {"EditOmez1", "UpDownOmez1", ImageByte::startLimiter, 999, 25000, 100, true, Scale::Hundreds, true},
        {"EditOmez2", "UpDownOmez2", ImageByte::limiter, 999, 25000, 100, true, Scale::Hundreds, true},
        {"EditRetard", "UpDownRetard", ImageByte::retard, 0, 25, 1, true, Scale::Plain, true},
        // The shift light and the clutch times have no handling of their own: their
        // values enter the set at the next read-back.
        {"EditLedRazeni", "UpDownLedRazeni", ImageByte::pilotLight, 1000, 25000, 100, true, Scale::Hundreds, false},
        {"EditClutch1", "UpDownClutch1", ImageByte::clutchTime, 0, 2500, 10, true, Scale::Tens, false},
        {"EditClutch2", "UpDownClutch2", ImageByte::clutchPause, 0, 2500, 10, true, Scale::Tens, false},
        {"EditRpmPulsu", "UpDownRpmPulsu", ImageByte::rpmPulses, 1, 6, 1, true, Scale::Plain, true},
        {"EditRpmKorekce", "UpDownRpmKorekce", ImageByte::rpmCorrection, -60, 60, 1, true, Scale::Percent, true},
    }};
    for (std::size_t i = 0; i < singles.size(); ++i) {
        table[Binding::kPocetBodu + i] = singles[i];
    }
    return table;
}

}  // namespace

std::span<const NumberBinding, Binding::kCount> numberBindings() {
    static const std::array<NumberBinding, Binding::kCount> table = buildBindings();
    return table;
}
