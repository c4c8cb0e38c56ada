#pragma once

#include <QString>
#include <span>

#include "model/OperatorUnits.h"

// One edit box with its spinner bound to a byte of the parameter image.
struct NumberBinding {
    QString edit;     // edit box object name
    QString spinner;  // spinner object name
    int field;        // image byte
    int minimum;      // spinner range, operator units
    int maximum;
    int increment;
    bool grouping;  // thousands grouping from 1000 up
    OperatorUnits::Scale scale;
    bool applyOnExit;  // leaving the box reads the window back and applies the edit
};

// Positions in numberBindings(): the 15 curve RPMs, the 15 curve advances, then one
// entry per single field.
namespace Binding {
constexpr int kCurveRpm = 0;
constexpr int kCurveAdvance = 15;
constexpr int kPocetBodu = 30;
constexpr int kBaseAdv = 31;
constexpr int kOmez1 = 32;
constexpr int kOmez2 = 33;
constexpr int kRetard = 34;
constexpr int kLedRazeni = 35;
constexpr int kClutch1 = 36;
constexpr int kClutch2 = 37;
constexpr int kRpmPulsu = 38;
constexpr int kRpmKorekce = 39;
constexpr int kCount = 40;
}  // namespace Binding

std::span<const NumberBinding, Binding::kCount> numberBindings();
