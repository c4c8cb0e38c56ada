#include "model/EditorBindings.h"

#include <array>

#include "model/FieldRanges.h"
#include "model/ParameterImage.h"

namespace {

// Range, increment and scale come from the field's row of the range table, so the file
// readers bound their values exactly as the spinners do.
NumberBinding bind(const QString& edit, const QString& spinner, int field, bool grouping, bool applyOnExit) {
    const FieldRanges::Number* range = FieldRanges::number(field);
    Q_ASSERT(range != nullptr);
    return {edit,     spinner,      field,      range->minimum, range->maximum, range->increment,
            grouping, range->scale, applyOnExit};
}

std::array<NumberBinding, Binding::kCount> buildBindings() {
    std::array<NumberBinding, Binding::kCount> table;
    for (int i = 0; i < kCurvePoints; ++i) {
        const QString n = QString::number(i + 1);
        table[static_cast<std::size_t>(Binding::kCurveRpm + i)] =
            bind("EditRpmAdv" + n, "UpDownRpmAdv" + n, ImageByte::curveRpm + i, true, true);
        table[static_cast<std::size_t>(Binding::kCurveAdvance + i)] =
            bind("EditAdvance" + n, "UpDownAdvance" + n, ImageByte::curveAdvance + i, false, true);
    }
    const std::array<NumberBinding, Binding::kCount - Binding::kPocetBodu> singles = {{
        bind("EditPocetBodu", "UpDownPocetBodu", ImageByte::curvePointCount, true, true),
        bind("EditBaseAdv", "UpDownBaseAdv", ImageByte::baseAdvance, true, true),
        bind("EditOmez1", "UpDownOmez1", ImageByte::startLimiter, true, true),
        bind("EditOmez2", "UpDownOmez2", ImageByte::limiter, true, true),
        bind("EditRetard", "UpDownRetard", ImageByte::retard, true, true),
        // The shift light and the clutch times have no handling of their own: their
        // values enter the set at the next read-back.
        bind("EditLedRazeni", "UpDownLedRazeni", ImageByte::pilotLight, true, false),
        bind("EditClutch1", "UpDownClutch1", ImageByte::clutchTime, true, false),
        bind("EditClutch2", "UpDownClutch2", ImageByte::clutchPause, true, false),
        bind("EditRpmPulsu", "UpDownRpmPulsu", ImageByte::rpmPulses, true, true),
        bind("EditRpmKorekce", "UpDownRpmKorekce", ImageByte::rpmCorrection, true, true),
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
