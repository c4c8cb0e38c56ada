#include "ui/DotSprite.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

DotSprite::DotSprite(double radius, const QColor& fill, const QColor& outline, double outlineWidth)
    : radius_(radius), fill_(fill), outline_(outline), outlineWidth_(outlineWidth) {}

void DotSprite::drawCircle(QPainter& painter, const QPointF& centre) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline_, outlineWidth_));
    painter.setBrush(fill_);
    painter.drawEllipse(centre, radius_, radius_);
}

void DotSprite::draw(QPainter& painter, const QPointF& centre) {
    const QTransform transform = painter.deviceTransform();
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1;
    const bool devicePixels = transform.type() <= QTransform::TxScale && qFuzzyCompare(transform.m11(), ratio) &&
                              qFuzzyCompare(transform.m22(), ratio);
    if (!devicePixels) {
        painter.save();
        drawCircle(painter, centre);
        painter.restore();
        return;
    }
    if (drawn_.isNull() || ratio_ != ratio) {
        ratio_ = ratio;
        // A whole number of device pixels from the corner to the centre, so that a centre
        // on a device pixel's corner is drawn exactly there.
        half_ = std::ceil((radius_ + outlineWidth_ / 2 + 1) * ratio);
        const int side = static_cast<int>(2 * half_);
        drawn_ = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        drawn_.fill(Qt::transparent);
        drawn_.setDevicePixelRatio(ratio);
        QPainter dot(&drawn_);
        drawCircle(dot, QPointF(half_ / ratio, half_ / ratio));
    }
    const QPointF at = transform.map(centre);
    const QPointF corner(std::round(at.x() - half_), std::round(at.y() - half_));
    // Back into the painter's own coordinates, where the kept drawing, at the pixel ratio,
    // covers whole device pixels from that corner on.
    painter.drawImage(transform.inverted().map(corner), drawn_);
}
