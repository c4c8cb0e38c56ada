#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>

class QPainter;

// A round marker with an outline, drawn often at new places (the graph's live point and its
// highlighted row). An antialiased circle is costly to fill and stroke; on a painter whose
// device pixels are the picture's own (the screen, or an image at the same pixel ratio), the
// dot is drawn once and then copied, its centre put on the nearest corner of a device pixel
// (the centre moves by half a device pixel at most). Elsewhere,
// in a printout say, it is drawn as a circle.
class DotSprite {
public:
    DotSprite(double radius, const QColor& fill, const QColor& outline, double outlineWidth);

    void draw(QPainter& painter, const QPointF& centre);
    // How far around the centre a drawing may reach, in logical pixels.
    double reach() const { return radius_ + outlineWidth_ / 2 + 2; }

private:
    void drawCircle(QPainter& painter, const QPointF& centre) const;

    double radius_;
    QColor fill_;
    QColor outline_;
    double outlineWidth_;
    QImage drawn_;  // at the pixel ratio; the circle's centre half_ device pixels in
    double half_ = 0;
    qreal ratio_ = 0;
};
