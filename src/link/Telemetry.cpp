#include "link/Telemetry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "i18n/MessageTexts.h"
#include "link/LinkFrame.h"

namespace {

// Offsets inside the answer to the poll; words are little-endian.
namespace Offset {
constexpr int rpm = 1;
constexpr int supplyMillivolts = 3;
constexpr int programmingCount = 5;
constexpr int testValues = 7;
constexpr int advanceCode = 31;
constexpr int advanceMax = 32;
constexpr int pickupNegative = 33;
constexpr int polarityOk = 34;
constexpr int startLimiterActive = 35;
constexpr int rpmAlarm = 36;
constexpr int blockingActive = 37;
constexpr int killSwitchActive = 38;
constexpr int rpmWarning = 39;
constexpr int retardActive = 40;
constexpr int clutchMasterActive = 41;
constexpr int pickupSignal = 42;
}  // namespace Offset

constexpr int kAdvanceOffset = 100;
constexpr int kGaugeFull = 100;
constexpr int kNoLimiterDivisor = 100;

// Supply voltage bands in mV, bounds included in the worse band.
constexpr std::uint16_t kVoltageRedLow = 7000;
constexpr std::uint16_t kVoltageYellowLow = 11000;
constexpr std::uint16_t kVoltageYellowHigh = 14999;
constexpr std::uint16_t kVoltageRedHigh = 17999;

std::uint16_t word(std::span<const std::uint8_t> f, int at) {
    return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}

LiveColour voltageColour(std::uint16_t mv) {
    if (mv <= kVoltageRedLow || mv >= kVoltageRedHigh) return LiveColour::Red;
    if (mv <= kVoltageYellowLow || mv >= kVoltageYellowHigh) return LiveColour::Yellow;
    return LiveColour::Normal;
}

LiveColour flagColour(bool on, LiveColour onColour) { return on ? onColour : LiveColour::Normal; }

}  // namespace

bool decodeTelemetry(std::span<const std::uint8_t> f, const ParameterSet& set, TelemetryValues& out) {
    if (f.size() < kFrameSize || f[0] != kTelemetryAnswer || !checkByteValid(f)) return false;

    out.rpm = word(f, Offset::rpm);
    out.supplyMillivolts = word(f, Offset::supplyMillivolts);
    out.programmingCount = word(f, Offset::programmingCount);
    for (std::size_t i = 0; i < out.testValues.size(); ++i)
        out.testValues[i] = word(f, Offset::testValues + 2 * static_cast<int>(i));
    out.advance = static_cast<int>(f[Offset::advanceCode]) - kAdvanceOffset;
    out.advanceMax = f[Offset::advanceMax];
    out.pickupNegative = f[Offset::pickupNegative] != 0;
    out.polarityOk = f[Offset::polarityOk] != 0;
    out.startLimiterActive = f[Offset::startLimiterActive] != 0;
    out.rpmAlarm = f[Offset::rpmAlarm] != 0;
    out.blockingActive = f[Offset::blockingActive] != 0;
    out.killSwitchActive = f[Offset::killSwitchActive] != 0;
    out.rpmWarning = f[Offset::rpmWarning] != 0;
    out.retardActive = f[Offset::retardActive] != 0;
    out.clutchMasterActive = f[Offset::clutchMasterActive] != 0;
    out.pickupSignal = f[Offset::pickupSignal] != 0;

    // The limiter is kept in hundreds of rpm, so rpm / limiter is already a percentage.
    const int divisor = set.limiter() != 0 ? set.limiter() : kNoLimiterDivisor;
    out.rpmGauge = std::min(out.rpm / divisor, kGaugeFull);

    out.rpmColour = out.rpmAlarm ? LiveColour::Red : out.rpmWarning ? LiveColour::Yellow : LiveColour::Normal;
    out.voltageColour = voltageColour(out.supplyMillivolts);
    out.blockingColour = flagColour(out.blockingActive, LiveColour::Red);
    out.killSwitchColour = flagColour(out.killSwitchActive, LiveColour::Red);
    out.advanceColour = flagColour(out.advanceMax != 0 && out.advance >= out.advanceMax, LiveColour::Yellow);
    out.pickupColour = flagColour(out.pickupSignal, LiveColour::Green);
    // Without engine speed the measured polarity means nothing, so it is never shown as a fault.
    out.polarityColour = flagColour(!out.polarityOk && out.rpm != 0, LiveColour::Red);
    out.startLimiterColour = flagColour(out.startLimiterActive, LiveColour::Red);
    out.retardColour = flagColour(out.retardActive, LiveColour::Aqua);
    out.clutchColour = flagColour(out.clutchMasterActive, LiveColour::Green);
    return true;
}

QString telemetryLineText(LiveLine line, const TelemetryValues& v, const MessageTexts& t) {
    auto yesNo = [&t](bool on) -> const QString& { return on ? t.yesWord : t.noWord; };
    switch (line) {
        case LiveLine::Rpm:
            // Built from numbers rather than printed: the same text at a fraction of the cost,
            // on nearly every frame of a running engine.
            return QStringLiteral("RPM = ") + QString::number(static_cast<int>(v.rpm)) + u' ';
        case LiveLine::Napeti: {
            // The unit reports millivolts; the label has always shown them through a float.
            const float volts = static_cast<float>(v.supplyMillivolts * 0.001);
            // Printed as "%4.1f" always printed it, without printf: rounded from the float's
            // exact value, a tie (0.25, 13.75) upwards.
            const double exact = static_cast<double>(volts);
            const double twentieths = exact * 20;  // exact: a float has bits to spare in a double
            const bool tie = twentieths == std::floor(twentieths) && std::fmod(twentieths, 2) == 1;
            char digits[24];
            const auto end =
                std::to_chars(digits, digits + sizeof digits, tie ? exact + 0.05 : exact, std::chars_format::fixed, 1)
                    .ptr;
            const auto length = static_cast<qsizetype>(end - digits);
            QString text = QStringLiteral("U = ");
            text.reserve(length + 10);
            for (qsizetype n = length; n < 4; ++n) text += u' ';
            text += QLatin1String(digits, length);
            text += QStringLiteral(" [V]");
            return text;
        }
        case LiveLine::Blocking:
            return t.blockingPrefix + yesNo(v.blockingActive);
        case LiveLine::KillSwitch:
            return QStringLiteral("Kill switch - ") + yesNo(v.killSwitchActive);
        case LiveLine::Advance:
            if (v.advanceMax != 0)
                return t.advanceWord + QStringLiteral(" = ") + QString::number(v.advance) +
                       QStringLiteral(" [°] /max ") + QString::number(static_cast<int>(v.advanceMax)) +
                       QStringLiteral(" [°]");
            return t.advanceWord + QStringLiteral(" = ") + QString::number(v.advance) + QStringLiteral(" [°]");
        case LiveLine::Snimac:
            return t.pickupPrefix + (v.pickupSignal ? t.pickupRunning : t.pickupNoSignal);
        case LiveLine::PolaritaMer:
            if (v.rpm == 0) return t.polarityPrefix + QStringLiteral(" ---");
            return t.polarityPrefix + (v.pickupNegative ? t.negativeWord : t.positiveWord);
        case LiveLine::MonOmez1:
            return t.startLimiterPrefix + yesNo(v.startLimiterActive);
        case LiveLine::MonRetard:
            return t.retardPrefix + yesNo(v.retardActive);
        case LiveLine::ClutchMon:
            return v.clutchMasterActive ? QStringLiteral("Clutch master = ON") : QStringLiteral("Clutch master = OFF");
        case LiveLine::PocetProgramovani:
            return t.programCountPrefix + QString::number(v.programmingCount);
        case LiveLine::Count:
            break;
        default: {
            const int i = static_cast<int>(line) - static_cast<int>(LiveLine::Test1);
            return QStringLiteral("Test") + QString::number(i + 1) + QStringLiteral(" = ") +
                   QString::number(static_cast<int>(v.testValues[static_cast<std::size_t>(i)])) + u' ';
        }
    }
    return {};
}

QString unknownLineText(LiveLine line) {
    switch (line) {
        case LiveLine::Rpm:
            return QStringLiteral("RPM = --- ");
        case LiveLine::Napeti:
            return QStringLiteral("U = --- [V]");
        case LiveLine::KillSwitch:
            return QStringLiteral("Kill switch - ---");
        case LiveLine::ClutchMon:
            return QStringLiteral("Clutch master = ---");
        default:
            return {};
    }
}

TelemetryTexts telemetryTexts(const TelemetryValues& v, const MessageTexts& t) {
    auto text = [&](LiveLine line) { return telemetryLineText(line, v, t); };
    TelemetryTexts out;
    out.labelRpm = text(LiveLine::Rpm);
    out.labelNapeti = text(LiveLine::Napeti);
    out.labelBlocking = text(LiveLine::Blocking);
    out.labelKillSwitch = text(LiveLine::KillSwitch);
    out.labelAdvance = text(LiveLine::Advance);
    out.labelSnimac = text(LiveLine::Snimac);
    out.labelPolaritaMer = text(LiveLine::PolaritaMer);
    out.labelMonOmez1 = text(LiveLine::MonOmez1);
    out.labelMonRetard = text(LiveLine::MonRetard);
    out.labelClutchMon = text(LiveLine::ClutchMon);
    out.labelPocetProgramovani = text(LiveLine::PocetProgramovani);
    for (std::size_t i = 0; i < out.labelTest.size(); ++i)
        out.labelTest[i] = text(static_cast<LiveLine>(static_cast<int>(LiveLine::Test1) + static_cast<int>(i)));
    return out;
}

bool LiveLineCache::changed(LiveLine line, const TelemetryValues& v) const {
    if (!valid_) return true;
    const TelemetryValues& o = last_;
    switch (line) {
        case LiveLine::Rpm:
            return v.rpm != o.rpm;
        case LiveLine::Napeti:
            return v.supplyMillivolts != o.supplyMillivolts;
        case LiveLine::Blocking:
            return v.blockingActive != o.blockingActive;
        case LiveLine::KillSwitch:
            return v.killSwitchActive != o.killSwitchActive;
        case LiveLine::Advance:
            return v.advance != o.advance || v.advanceMax != o.advanceMax;
        case LiveLine::Snimac:
            return v.pickupSignal != o.pickupSignal;
        case LiveLine::PolaritaMer:
            return (v.rpm == 0) != (o.rpm == 0) || v.pickupNegative != o.pickupNegative;
        case LiveLine::MonOmez1:
            return v.startLimiterActive != o.startLimiterActive;
        case LiveLine::MonRetard:
            return v.retardActive != o.retardActive;
        case LiveLine::ClutchMon:
            return v.clutchMasterActive != o.clutchMasterActive;
        case LiveLine::PocetProgramovani:
            return v.programmingCount != o.programmingCount;
        case LiveLine::Count:
            return false;
        default: {
            const auto i = static_cast<std::size_t>(static_cast<int>(line) - static_cast<int>(LiveLine::Test1));
            return v.testValues[i] != o.testValues[i];
        }
    }
}

LiveRow findLiveRow(std::uint16_t liveRpm, const ParameterSet& set) {
    const int r = liveRpm / 100;
    // The count comes from the image, which a unit or a file may have filled with anything.
    const int n = std::min<int>(set.curvePointCount(), kCurvePoints);
    int k = 0;
    while (k < n && set.curveRpm(k) <= r) ++k;

    LiveRow row;
    if (k == 0) {
        row.row = 0;
        row.none = true;
        return row;
    }
    row.none = false;
    if (k == n)
        row.row = n - 1;
    else
        row.row = set.curveRpm(k - 1) + set.curveRpm(k) >= 2 * r ? k - 1 : k;
    return row;
}
