#include "ConsoleView.h"

namespace {
// The gauge's range in the window, CGauge 0..3.
constexpr int kGaugeSteps = 3;
}  // namespace

ConsoleView::ConsoleView(QTextStream& err, QString connectionText)
    : err_(err), connectionText_(std::move(connectionText)) {}

void ConsoleView::line(const QString& text) {
    err_ << text << Qt::endl;  // flushed: a script or a person watches the progress live
}

void ConsoleView::showMessage(const QString& text, MessageColour colour) {
    lastText_ = text;
    if (colour == MessageColour::Red) failed_ = true;
    gauge_ = 0;
    line(text);
}

void ConsoleView::setGauge(int value) {
    // A step done shows as a count behind the message line, as the gauge fills beside it.
    if (value > gauge_ && gaugeVisible_) line(QStringLiteral("%1 %2/%3").arg(lastText_).arg(value).arg(kGaugeSteps));
    gauge_ = value;
}

void ConsoleView::setConnectionLabelVisible(bool visible) {
    // Called every tick; only the change is news.
    if (visible && !connectionShown_) line(connectionText_);
    connectionShown_ = visible;
}

void ConsoleView::showMessageBox(const QString& text) {
    failed_ = true;
    line(text);
}

void ConsoleView::showTelemetry(const TelemetryValues& values) {
    telemetry_ = values;
    ++telemetryFrames_;
    if (onTelemetry_) onTelemetry_(values);
}

void ConsoleView::resetOutcome() {
    lastText_.clear();
    failed_ = false;
}

bool ConsoleView::endedWith(const QString& text) const { return !failed_ && lastText_ == text; }
