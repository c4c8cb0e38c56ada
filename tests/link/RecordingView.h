#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "link/DeviceExchange.h"
#include "link/ExchangeView.h"
#include "link/Telemetry.h"

// Records what the exchange shows, with the tick and (for message boxes) the exchange's
// mode at the moment the box opens.
class RecordingView : public ExchangeView {
public:
    const DeviceExchange* exchange = nullptr;
    long tick = 0;

    // Current state of the window elements.
    QString messageText;
    MessageColour messageColour = MessageColour::Normal;
    bool messageVisible = false;
    int gaugeValue = -1;
    bool gaugeVisible = false;
    bool connectionVisible = false;
    bool printing = false;
    int highlightRow = -1;
    bool highlightNone = true;
    long highlightCalls = 0;
    long telemetryCalls = 0;
    TelemetryValues lastTelemetry;

    // History.
    struct Message {
        QString text;
        MessageColour colour;
        long tick;
    };
    QList<Message> messages;
    QList<long> hideTicks;
    QList<int> gaugeValues;
    struct Box {
        QString text;
        ExchangeMode modeAtBox;
        long tick;
    };
    QList<Box> boxes;
    int refreshCalls = 0;
    int clearFileCalls = 0;
    // Runs inside showMessageBox, as the timer would inside a modal loop.
    std::function<void()> duringBox;

    void showMessage(const QString& text, MessageColour colour) override {
        messageText = text;
        messageColour = colour;
        messageVisible = true;
        messages.append({text, colour, tick});
    }
    void hideMessage() override {
        messageVisible = false;
        gaugeVisible = false;
        hideTicks.append(tick);
    }
    void setGauge(int value) override {
        gaugeValue = value;
        gaugeValues.append(value);
    }
    void setGaugeVisible(bool visible) override { gaugeVisible = visible; }
    void setConnectionLabelVisible(bool visible) override { connectionVisible = visible; }
    void showMessageBox(const QString& text) override {
        boxes.append({text, exchange ? exchange->mode() : ExchangeMode::Idle, tick});
        if (duringBox) duringBox();
    }
    void refreshWindow() override { ++refreshCalls; }
    void clearFileLabel() override { ++clearFileCalls; }
    void showTelemetry(const TelemetryValues& values) override {
        lastTelemetry = values;
        ++telemetryCalls;
    }
    void highlightLiveRow(int liveRow, bool none) override {
        highlightRow = liveRow;
        highlightNone = none;
        ++highlightCalls;
    }
    bool printView() const override { return printing; }
};
