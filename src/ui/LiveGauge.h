#pragma once

#include <QImage>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <vector>

// The RPM gauge of the live panel. QProgressBar::setValue paints at once (repaint), and with
// it everything else of the window waiting to be painted, on every frame of a revving
// engine; showValue paints with the rest of the frame in the event loop instead.
//
// The style draws a bar with rounded, antialiased outlines, costly for something that moves
// with every frame: each value's drawing is kept, for the current size, palette, state, pixel
// ratio and pixel format, and shown again as it was drawn. Once the gauge moves, the values
// not drawn yet are drawn in one go after the frame, so a revving engine only shows drawings.
class LiveGauge : public QProgressBar {
public:
    explicit LiveGauge(QWidget* parent = nullptr) : QProgressBar(parent) {}

    void showValue(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the drawing depends on besides the value.
    struct Look {
        QSize size;
        qreal ratio = 0;
        QImage::Format format = QImage::Format_Invalid;
        qint64 palette = 0;
        int colourGroup = 0;
        int state = 0;
        int direction = 0;
        int minimum = 0;
        int maximum = 0;
        bool inverted = false;
        const QStyle* style = nullptr;
        bool operator==(const Look&) const = default;
    };

    QStyleOptionProgressBar barOption() const;
    Look lookFor(const QStyleOptionProgressBar& option, qreal ratio, QImage::Format format) const;
    QImage drawBar(const QStyleOptionProgressBar& option) const;
    void drawnByTheBar(QPaintEvent* event);
    void drawAhead();

    Look look_;
    std::vector<QImage> drawn_;  // by value - minimum; null: not drawn yet
    int drawnAtLook_ = 0;
};
