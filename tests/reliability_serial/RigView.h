#pragma once

#include <QList>
#include <QString>

#include "link/ExchangeView.h"
#include "link/Telemetry.h"

// What the exchange shows, kept as the window would show it, with the tick of each text.
class RigView : public ExchangeView {
public:
    struct Message {
        QString text;
        MessageColour colour;
        long tick;
    };
    QList<Message> messages;
    QList<Message> boxes;
    bool messageVisible = false;
    bool connectionVisible = false;
    long telemetryFrames = 0;
    long tick = 0;  // set by the rig before each tick

    void showMessage(const QString& text, MessageColour colour) override {
        messages.append({text, colour, tick});
        messageVisible = true;
    }
    void hideMessage() override { messageVisible = false; }
    void setGauge(int) override {}
    void setGaugeVisible(bool) override {}
    void setConnectionLabelVisible(bool visible) override { connectionVisible = visible; }
    void showMessageBox(const QString& text) override { boxes.append({text, MessageColour::Normal, tick}); }
    void refreshWindow() override {}
    void clearFileLabel() override {}
    void showTelemetry(const TelemetryValues&) override { ++telemetryFrames; }
    void highlightLiveRow(int, bool) override {}
    bool printView() const override { return false; }

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
    MessageColour lastColour() const { return messages.isEmpty() ? MessageColour::Normal : messages.last().colour; }
};
