#include "files/SetDifference.h"

#include <QStringList>
#include <string_view>

#include "i18n/HistoryTexts.h"
#include "i18n/MessageTexts.h"
#include "i18n/WindowTexts.h"
#include "model/OperatorUnits.h"

namespace {

using OperatorUnits::Scale;

enum class Show { Number, Keying, Lobes, Polarity, Input1, Input2, Flag };

struct FieldSpec {
    int byte;
    const char* target;  // the control whose caption names the field
    TextKind kind;       // Caption, or Hint where the control has no caption
    Scale scale;
    const char* unit;
    Show show;
};

// Fields of the parameter block in byte order; the curve and the spare bytes are added below.
constexpr FieldSpec kFields[] = {
    {ImageByte::keyingType, "ComboBoxBike", TextKind::Hint, Scale::Plain, "", Show::Keying},
    {ImageByte::curvePointCount, "LabelPocetBodu", TextKind::Caption, Scale::Plain, "", Show::Number},
    {ImageByte::baseAdvance, "LabelBaseAdv", TextKind::Caption, Scale::Plain, "°", Show::Number},
    {ImageByte::startLimiter, "LabelOmez1", TextKind::Caption, Scale::Hundreds, " rpm", Show::Number},
    {ImageByte::limiter, "LabelOmez2", TextKind::Caption, Scale::Hundreds, " rpm", Show::Number},
    {ImageByte::retard, "LabelRetard", TextKind::Caption, Scale::Plain, "°", Show::Number},
    {ImageByte::pickupPolarity, "RadioGroupPolarita", TextKind::Caption, Scale::Plain, "", Show::Polarity},
    {ImageByte::lobeSetting, nullptr, TextKind::Caption, Scale::Plain, "", Show::Lobes},
    {ImageByte::pilotLight, "LabelLedRazeni", TextKind::Caption, Scale::Hundreds, " rpm", Show::Number},
    {ImageByte::clutchTime, "LabelClutch1", TextKind::Caption, Scale::Tens, " ms", Show::Number},
    {ImageByte::clutchPause, "LabelClutch2", TextKind::Caption, Scale::Tens, " ms", Show::Number},
    {ImageByte::input1Function, "RadioGroupInput1", TextKind::Caption, Scale::Plain, "", Show::Input1},
    {ImageByte::input2Function, "RadioGroupInput2", TextKind::Caption, Scale::Plain, "", Show::Input2},
    {ImageByte::noReading, "CheckBoxZakazCteni", TextKind::Caption, Scale::Plain, "", Show::Flag},
    {ImageByte::rpmPulses, "LabelRpmPulsu", TextKind::Caption, Scale::Plain, "", Show::Number},
    {ImageByte::rpmCorrection, "LabelRpmKorekce", TextKind::Caption, Scale::Percent, " %", Show::Number},
};

constexpr int kSpareBytes[] = {57, 58, 68, 69};

bool isSpare(int byte) {
    for (int spare : kSpareBytes)
        if (spare == byte) return true;
    return false;
}

const FieldSpec* findField(int byte) {
    for (const FieldSpec& entry : kFields)
        if (entry.byte == byte) return &entry;
    return nullptr;
}

// The window's text for a control: the four-language table first, then the fixed texts.
QString windowText(const char* target, TextKind kind, LanguageId language) {
    if (const WindowTextRow* row = findWindowText(target, kind)) return row->textFor(language);
    for (const FixedText& fixed : fixedWindowTexts())
        if (fixed.kind == kind && std::string_view(fixed.target) == target) return QString::fromUtf8(fixed.text);
    return QString::fromLatin1(target);
}

QStringList windowItems(const char* target, TextKind kind, LanguageId language, int item = 0) {
    if (const WindowTextRow* row = findWindowText(target, kind, item)) return row->itemsFor(language);
    return {};
}

QString messageWord(std::string_view entry, LanguageId language) {
    for (const MessageTextRow& row : messageTextTable())
        if (entry == row.entry) return QString::fromUtf8(row.text[static_cast<std::size_t>(languageIndex(language))]);
    return {};
}

// A caption as a field name: the colon some group captions end with is left off.
QString fieldName(QString caption) {
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
    return caption;
}

QString choice(const QStringList& entries, int index, std::uint8_t code) {
    if (index >= 0 && index < entries.size()) return entries.at(index);
    return QString::number(code);
}

// The keying list shows codes 0, 4, 1, 2 at positions 0..3.
int keyingPosition(std::uint8_t code) {
    switch (code) {
        case 0:
            return 0;
        case 4:
            return 1;
        case 1:
            return 2;
        case 2:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

QString SetDifference::field(int byte, LanguageId language) {
    if (byte >= ImageByte::curveRpm && byte < ImageByte::curveRpm + kCurvePoints) {
        return historyText(HistoryText::FieldPoint, language).arg(byte - ImageByte::curveRpm + 1) + QLatin1Char(' ') +
               windowText("LabelRpm1", TextKind::Caption, language);
    }
    if (byte >= ImageByte::curveAdvance && byte < ImageByte::curveAdvance + kCurvePoints) {
        return historyText(HistoryText::FieldPoint, language).arg(byte - ImageByte::curveAdvance + 1) +
               QLatin1Char(' ') + windowText("LabelAdvance1", TextKind::Caption, language);
    }
    if (isSpare(byte)) return historyText(HistoryText::FieldSpare, language).arg(byte);
    const FieldSpec* entry = findField(byte);
    if (!entry) return QString::number(byte);
    if (entry->show == Show::Lobes) return historyText(HistoryText::FieldLobes, language);
    return fieldName(windowText(entry->target, entry->kind, language));
}

QString SetDifference::value(const ParameterSet& set, int byte, LanguageId language) {
    const std::uint8_t code = set.byte(byte);
    if (byte >= ImageByte::curveRpm && byte < ImageByte::curveRpm + kCurvePoints)
        return QString::number(OperatorUnits::toOperator(Scale::Hundreds, code)) + QStringLiteral(" rpm");
    if (byte >= ImageByte::curveAdvance && byte < ImageByte::curveAdvance + kCurvePoints)
        return QString::number(code) + QStringLiteral("°");
    const FieldSpec* entry = findField(byte);
    if (!entry) return QString::number(code);
    switch (entry->show) {
        case Show::Keying: {
            const int position = keyingPosition(code);
            return position >= 0 ? QString::fromUtf8(kKeyingEntries[static_cast<std::size_t>(position)])
                                 : QString::number(code);
        }
        case Show::Lobes: {
            const int position = (code + 3) % 4;  // (code - 1) mod 4
            if (const WindowTextRow* row = findWindowText("ComboBoxPocPalcu", TextKind::Item, position + 1))
                return row->textFor(language);
            return QString::number(code);
        }
        case Show::Polarity:
            return choice(windowItems("RadioGroupPolarita", TextKind::Items, language), code, code);
        case Show::Input1:
            return choice(windowItems("RadioGroupInput1", TextKind::Items, language), code, code);
        case Show::Input2:
            return choice(windowItems("RadioGroupInput2", TextKind::Items, language), code, code);
        case Show::Flag:
            return messageWord(code != 0 ? "yesWord" : "noWord", language);
        case Show::Number:
            break;
    }
    return QString::number(OperatorUnits::toOperator(entry->scale, code)) + QString::fromUtf8(entry->unit);
}

QList<SetDifference::Row> SetDifference::compare(const ParameterSet& left, const ParameterSet& right,
                                                 LanguageId language) {
    QList<Row> rows;
    for (int byte = kBlockSize; byte < kImageSize; ++byte) {
        if (left.byte(byte) == right.byte(byte)) continue;
        rows.append({byte, field(byte, language), value(left, byte, language), value(right, byte, language)});
    }
    return rows;
}
