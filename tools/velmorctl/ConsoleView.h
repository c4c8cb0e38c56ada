#pragma once

#include <QString>
#include <QTextStream>
#include <functional>

#include "link/ExchangeView.h"
#include "link/Telemetry.h"

// The exchange's view on a console: what the window shows on its message line, progress
// gauge, connection label and message boxes becomes lines on standard error, in the texts
// the exchange hands over. It also keeps how the last command ended, for the exit status.
class ConsoleView : public ExchangeView {
public:
    ConsoleView(QTextStream& err, QString connectionText);

    void showMessage(const QString& text, MessageColour colour) override;
    void hideMessage() override {}
    void setGauge(int value) override;
    void setGaugeVisible(bool visible) override { gaugeVisible_ = visible; }
    void setConnectionLabelVisible(bool visible) override;
    void showMessageBox(const QString& text) override;
    void refreshWindow() override {}
    void clearFileLabel() override {}
    void showTelemetry(const TelemetryValues& values) override;
    void highlightLiveRow(int, bool) override {}
    bool printView() const override { return false; }

    void setTelemetryHandler(std::function<void(const TelemetryValues&)> handler) { onTelemetry_ = std::move(handler); }
    // Forgets the outcome of an earlier command.
    void resetOutcome();
    // The command ended on this text in the normal colour, without a message box.
    bool endedWith(const QString& text) const;
    bool failed() const { return failed_; }
    int telemetryFrames() const { return telemetryFrames_; }
    const TelemetryValues& lastTelemetry() const { return telemetry_; }

private:
    void line(const QString& text);

    QTextStream& err_;
    QString connectionText_;
    QString lastText_;
    bool failed_ = false;  // a red message line or a message box
    bool gaugeVisible_ = false;
    int gauge_ = 0;
    bool connectionShown_ = false;
    int telemetryFrames_ = 0;
    TelemetryValues telemetry_;
    std::function<void(const TelemetryValues&)> onTelemetry_;
};
