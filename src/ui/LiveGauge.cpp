#include "ui/LiveGauge.h"

#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionProgressBar>

void LiveGauge::showValue(int value) {
    if (value == this->value()) {
        return;
    }
    // With updates off the immediate repaint does nothing; turning them on again asks for an
    // ordinary update, painted with the rest of the frame like every other control.
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    setValue(value);
    setUpdatesEnabled(updates);
}

void LiveGauge::paintEvent(QPaintEvent* event) {
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const QBrush background = palette().brush(backgroundRole());
    // Only a plain bar on a plain background is kept: a text, a busy bar or a patterned
    // background are drawn by the bar itself every time.
    const int values = option.maximum - option.minimum + 1;
    if (option.textVisible || option.minimum >= option.maximum || values > 1000 || option.progress < option.minimum ||
        option.progress > option.maximum || background.style() != Qt::SolidPattern) {
        QProgressBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // Drawn as on the target itself: its pixel ratio and its pixel format (in which the
    // style's gradients round alike), be it the screen or a picture the gauge is rendered into.
    const QPaintDevice* target = painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice() : nullptr;
    QImage::Format format = QImage::Format_Invalid;
    if (target != nullptr && target->devType() == QInternal::Image) {
        format = static_cast<const QImage*>(target)->format();
    } else if (target != nullptr && target->devType() == QInternal::Pixmap) {
        format = static_cast<const QPixmap*>(target)->hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                        : QImage::Format_RGB32;
    }
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) {
        painter.end();
        QProgressBar::paintEvent(event);
        return;
    }
    const qreal ratio = target->devicePixelRatio();
    const Look look{size(),
                    ratio,
                    format,
                    option.palette.cacheKey(),
                    static_cast<int>(option.palette.currentColorGroup()),
                    static_cast<int>(option.state),
                    static_cast<int>(option.direction),
                    option.minimum,
                    option.maximum,
                    option.invertedAppearance,
                    style()};
    if (!(look == look_)) {
        look_ = look;
        drawn_.assign(static_cast<std::size_t>(values), QImage());
    }
    QImage& drawn = drawn_[static_cast<std::size_t>(option.progress - option.minimum)];
    if (drawn.isNull()) {
        // On the background the widget is shown on, as the bar would draw itself there.
        drawn = QImage(size() * ratio, format);
        drawn.setDevicePixelRatio(ratio);
        drawn.fill(background.color());
        QPainter picture(&drawn);
        picture.setLayoutDirection(layoutDirection());
        picture.setFont(font());
        picture.setPen(palette().color(foregroundRole()));
        style()->drawControl(QStyle::CE_ProgressBar, &option, &picture, this);
    }
    painter.drawImage(0, 0, drawn);
}
