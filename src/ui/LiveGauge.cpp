#include "ui/LiveGauge.h"

#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionProgressBar>
#include <QTimer>

void LiveGauge::showValue(int value) {
    if (value == this->value()) {
        return;
    }
    // With updates off the immediate repaint does nothing; turning them on again asks for an
    // ordinary update, painted with the rest of the frame like every other control.
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    // Whether a new value needs that repaint, the bar works out from its style's geometry and
    // its text laid out in full, unless it shows a percentage: then any step shows. Nothing is
    // painted meanwhile, so the text is "shown" while the value is set.
    const bool textShown = isTextVisible();
    setTextVisible(true);
    setValue(value);
    setTextVisible(textShown);
    setUpdatesEnabled(updates);
}

QStyleOptionProgressBar LiveGauge::barOption() const {
    // As the bar fills it in, but for its text, which is not drawn for the gauge and is costly
    // to make on every frame.
    QStyleOptionProgressBar option;
    option.initFrom(this);
    if (orientation() == Qt::Horizontal) {
        option.state |= QStyle::State_Horizontal;
    }
    option.minimum = minimum();
    option.maximum = maximum();
    option.progress = QProgressBar::value();
    option.textAlignment = alignment();
    option.textVisible = isTextVisible();
    option.invertedAppearance = invertedAppearance();
    option.bottomToTop = textDirection() == QProgressBar::BottomToTop;
    return option;
}

void LiveGauge::paintEvent(QPaintEvent* event) {
    QStyleOptionProgressBar option = barOption();
    const QBrush background = palette().brush(backgroundRole());
    // Only a plain bar on a plain background is kept: a text, a busy bar or a patterned
    // background are drawn by the bar itself every time.
    const int values = option.maximum - option.minimum + 1;
    if (option.textVisible || option.minimum >= option.maximum || values > 1000 || option.progress < option.minimum ||
        option.progress > option.maximum || background.style() != Qt::SolidPattern) {
        drawnByTheBar(event);
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
        drawnByTheBar(event);
        return;
    }
    const Look look = lookFor(option, target->devicePixelRatio(), format);
    if (!(look == look_)) {
        look_ = look;
        drawn_.assign(static_cast<std::size_t>(values), QImage());
        drawnAtLook_ = 0;
    }
    QImage& drawn = drawn_[static_cast<std::size_t>(option.progress - option.minimum)];
    if (drawn.isNull()) {
        drawn = drawBar(option);
        // A gauge that moves goes on to show most of its values, each a first time for as
        // long as it runs: once it has moved, the others are drawn right after this frame.
        if (++drawnAtLook_ == 2) {
            QTimer::singleShot(0, this, &LiveGauge::drawAhead);
        }
    }
    // A kept drawing covers the whole gauge: nothing beneath it needs painting for it.
    if (!testAttribute(Qt::WA_OpaquePaintEvent)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    painter.drawImage(0, 0, drawn);
}

void LiveGauge::drawnByTheBar(QPaintEvent* event) {
    // The bar leaves its corners to the background: from the next frame on it is painted
    // beneath the gauge again.
    if (testAttribute(Qt::WA_OpaquePaintEvent)) {
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        update();
    }
    QProgressBar::paintEvent(event);
}

LiveGauge::Look LiveGauge::lookFor(const QStyleOptionProgressBar& option, qreal ratio, QImage::Format format) const {
    return {size(),
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
}

QImage LiveGauge::drawBar(const QStyleOptionProgressBar& option) const {
    // On the background the widget is shown on, as the bar would draw itself there.
    QImage drawn(look_.size * look_.ratio, look_.format);
    drawn.setDevicePixelRatio(look_.ratio);
    drawn.fill(palette().brush(backgroundRole()).color());
    QPainter picture(&drawn);
    picture.setLayoutDirection(layoutDirection());
    picture.setFont(font());
    picture.setPen(palette().color(foregroundRole()));
    style()->drawControl(QStyle::CE_ProgressBar, &option, &picture, this);
    return drawn;
}

void LiveGauge::drawAhead() {
    QStyleOptionProgressBar option = barOption();
    // Only for the look the drawings were kept for; a changed one starts afresh when painted.
    if (!(lookFor(option, look_.ratio, look_.format) == look_) || drawn_.empty()) {
        return;
    }
    for (std::size_t i = 0; i < drawn_.size(); ++i) {
        if (drawn_[i].isNull()) {
            option.progress = option.minimum + static_cast<int>(i);
            drawn_[i] = drawBar(option);
        }
    }
}
