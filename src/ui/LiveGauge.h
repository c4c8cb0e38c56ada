#pragma once

#include <QProgressBar>

// The RPM gauge of the live panel. QProgressBar::setValue paints at once (repaint), and with
// it everything else of the window waiting to be painted, on every frame of a revving
// engine; showValue paints with the rest of the frame in the event loop instead.
class LiveGauge : public QProgressBar {
public:
    explicit LiveGauge(QWidget* parent = nullptr) : QProgressBar(parent) {}

    void showValue(int value);
};
