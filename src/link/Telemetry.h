#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>

#include "model/ParameterSet.h"

struct MessageTexts;

// The colours the live values use. Normal is the system's button-face colour for labels.
enum class LiveColour { Normal, Red, Yellow, Green, Aqua };

// What one valid telemetry frame (answer 0xB0) says, decoded, with the colours.
struct TelemetryValues {
    std::uint16_t rpm = 0;
    std::uint16_t supplyMillivolts = 0;
    std::uint16_t programmingCount = 0;
    std::array<std::uint16_t, 8> testValues{};
    int advance = 0;              // advanceCode - 100
    std::uint8_t advanceMax = 0;  // 0 = no bound
    bool pickupNegative = false;
    bool polarityOk = false;
    bool startLimiterActive = false;
    bool rpmAlarm = false;
    bool blockingActive = false;
    bool killSwitchActive = false;
    bool rpmWarning = false;
    bool retardActive = false;
    bool clutchMasterActive = false;
    bool pickupSignal = false;

    int rpmGauge = 0;  // 0..100, rpm as a percentage of the limiter

    LiveColour rpmColour = LiveColour::Normal;
    LiveColour voltageColour = LiveColour::Normal;
    LiveColour blockingColour = LiveColour::Normal;
    LiveColour killSwitchColour = LiveColour::Normal;
    LiveColour advanceColour = LiveColour::Normal;
    LiveColour pickupColour = LiveColour::Normal;
    LiveColour polarityColour = LiveColour::Normal;
    LiveColour startLimiterColour = LiveColour::Normal;
    LiveColour retardColour = LiveColour::Normal;
    LiveColour clutchColour = LiveColour::Normal;
};

// Decodes a received frame against the set (for the limiter). Returns false, touching
// nothing, when byte 0 is not 0xB0 or the check byte is wrong. Allocates nothing.
bool decodeTelemetry(std::span<const std::uint8_t> frame, const ParameterSet& set, TelemetryValues& out);

// The texts of the live-value labels in the current language. Built by the window when it
// renders a frame (not on the frame path).
struct TelemetryTexts {
    QString labelRpm, labelNapeti, labelBlocking, labelKillSwitch, labelAdvance, labelSnimac, labelPolaritaMer,
        labelMonOmez1, labelMonRetard, labelClutchMon, labelPocetProgramovani;
    std::array<QString, 8> labelTest;
};
TelemetryTexts telemetryTexts(const TelemetryValues& values, const MessageTexts& texts);

// The live-value lines one by one, so that the window builds only the texts that change.
enum class LiveLine {
    Rpm,
    Napeti,
    Blocking,
    KillSwitch,
    Advance,
    Snimac,
    PolaritaMer,
    MonOmez1,
    MonRetard,
    ClutchMon,
    PocetProgramovani,
    Test1,  // Test1..Test8 follow in order
    Count = Test1 + 8,
};
constexpr int kLiveLineCount = static_cast<int>(LiveLine::Count);
QString telemetryLineText(LiveLine line, const TelemetryValues& values, const MessageTexts& texts);
// What the four lines whose words are the same in every language show while nothing is known
// of the unit (before its first answer, after the connection is lost); empty for the others,
// whose placeholders come with the message texts.
QString unknownLineText(LiveLine line);

// Which lines show something else than for the last frame remembered: each text depends
// on a few values only. Everything counts as changed until a frame is remembered and
// after forget() (the language changed, or placeholders replaced the texts).
class LiveLineCache {
public:
    bool changed(LiveLine line, const TelemetryValues& values) const;
    void remember(const TelemetryValues& values) {
        last_ = values;
        valid_ = true;
    }
    void forget() { valid_ = false; }

private:
    TelemetryValues last_{};
    bool valid_ = false;
};

// The curve row nearest to the live RPM; none while the RPM is below the first point.
struct LiveRow {
    int row = 0;
    bool none = true;
};
LiveRow findLiveRow(std::uint16_t liveRpm, const ParameterSet& set);
