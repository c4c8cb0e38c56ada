#pragma once

#include <QString>

struct TelemetryValues;

// What the device exchange drives in the window. The window implements it; tests use a
// recording fake. Every call happens on the window's thread inside a tick or a command.
class ExchangeView {
public:
    virtual ~ExchangeView() = default;

    enum class MessageColour { Normal, Red };
    // The message line LabelHlaseni: text and background, shown.
    virtual void showMessage(const QString& text, MessageColour colour) = 0;
    // Hides the message line and the progress gauge (countdown ran out).
    virtual void hideMessage() = 0;
    // The progress gauge CGauge (range 0..3).
    virtual void setGauge(int value) = 0;
    virtual void setGaugeVisible(bool visible) = 0;
    // LabelSpojeni "No connection with PC".
    virtual void setConnectionLabelVisible(bool visible) = 0;
    // A modal message box; the exchange is Idle before it calls this.
    virtual void showMessageBox(const QString& text) = 0;
    // Shows the set again after a block was taken in (validate has run).
    virtual void refreshWindow() = 0;
    // Read empties the file-name label LabelFile2.
    virtual void clearFileLabel() = 0;
    // A valid telemetry frame was decoded.
    virtual void showTelemetry(const TelemetryValues& values) = 0;
    // The live curve row: row 0..14, or none. Called on every tick.
    virtual void highlightLiveRow(int liveRow, bool none) = 0;
    // True while the window is being printed; the connection label then stays hidden.
    virtual bool printView() const = 0;
};
