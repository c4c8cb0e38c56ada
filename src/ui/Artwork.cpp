#include "ui/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QtMath>

#include "ui/BrandColours.h"

namespace {

using namespace brand;
const QColor kWordTop(0xff, 0xff, 0xff);
const QColor kWordBottom(0xc9, 0xd3, 0xde);

// The motif: a trigger wheel with one missing tooth (the reference mark the unit counts
// from) around a spark bolt.
void paintSparkMotif(QPainter& p, const QRectF& box) {
    const QPointF c = box.center();
    const qreal r = box.width() / 2.0;

    QRadialGradient glow(c, r);
    glow.setColorAt(0.0, QColor(0xff, 0x9c, 0x2a, 110));
    glow.setColorAt(0.7, QColor(0xff, 0x6a, 0x00, 30));
    glow.setColorAt(1.0, QColor(0xff, 0x6a, 0x00, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, r, r);

    const qreal ringR = r * 0.74;
    QPen ring(kSparkWarm, r * 0.11);
    ring.setCapStyle(Qt::FlatCap);
    p.setBrush(Qt::NoBrush);
    p.setPen(ring);
    p.drawEllipse(c, ringR, ringR);

    // Twelve tooth positions, the one at the top left out.
    QPen tooth(kSparkWarm, r * 0.13);
    tooth.setCapStyle(Qt::FlatCap);
    p.setPen(tooth);
    for (int i = 0; i < 12; ++i) {
        if (i == 4) continue;
        const qreal a = qDegreesToRadians(i * 30.0);
        const QPointF dir(qCos(a), -qSin(a));
        p.drawLine(c + dir * (ringR + r * 0.04), c + dir * (ringR + r * 0.24));
    }

    // The bolt, in unit coordinates of the inner circle.
    static const QPointF bolt[] = {{0.60, 0.06}, {0.24, 0.57}, {0.47, 0.57}, {0.36, 0.94},
                                   {0.77, 0.40}, {0.54, 0.40}, {0.67, 0.06}};
    const qreal inner = ringR * 1.55;
    const QPointF origin = c - QPointF(inner / 2.0, inner / 2.0);
    QPolygonF poly;
    for (const QPointF& pt : bolt) poly << origin + pt * inner;
    QLinearGradient boltFill(origin, origin + QPointF(0, inner));
    boltFill.setColorAt(0.0, kSparkHot);
    boltFill.setColorAt(1.0, kSparkWarm);
    p.setPen(QPen(QColor(0x5a, 0x2a, 0x00), qMax<qreal>(0.8, r * 0.04), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(boltFill);
    p.drawPolygon(poly);
}

QPainterPath wordPath(qreal capHeight) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Black);
    font.setLetterSpacing(QFont::PercentageSpacing, 106);
    // Cap height of the usual sans faces is about 0.73 of the pixel size.
    font.setPixelSize(qMax(1, qRound(capHeight / 0.73)));
    QPainterPath path;
    path.addText(0, 0, font, QStringLiteral("VELMORAN"));
    return path;
}

// The colour of a glyph part; the disabled look keeps the shapes in flat light greys.
QColor tone(const QColor& c, bool enabled) {
    if (enabled) return c;
    const int v = 150 + qGray(c.rgb()) * 85 / 255;
    return QColor(v, v, v, c.alpha());
}

void paintGlyph(QPainter& p, ToolbarGlyph glyph, bool enabled) {
    const QColor outline = tone(QColor(0x3b, 0x3f, 0x45), enabled);
    const QPen pen(outline, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(pen);
    switch (glyph) {
        case ToolbarGlyph::New: {
            QPolygonF sheet;
            sheet << QPointF(3.5, 1.5) << QPointF(9.5, 1.5) << QPointF(12.5, 4.5) << QPointF(12.5, 14.5)
                  << QPointF(3.5, 14.5);
            p.setBrush(tone(Qt::white, enabled));
            p.drawPolygon(sheet);
            QPolygonF fold;
            fold << QPointF(9.5, 1.5) << QPointF(9.5, 4.5) << QPointF(12.5, 4.5);
            p.setBrush(tone(QColor(0xd5, 0xdb, 0xe2), enabled));
            p.drawPolygon(fold);
            // A small spark: this sheet is fresh.
            p.setPen(QPen(tone(QColor(0xf0, 0x8c, 0x00), enabled), 1.0));
            p.drawLine(QPointF(13.5, 9.5), QPointF(13.5, 15.5));
            p.drawLine(QPointF(10.5, 12.5), QPointF(16.0, 12.5));
            break;
        }
        case ToolbarGlyph::Open: {
            QPolygonF back;
            back << QPointF(1.5, 2.5) << QPointF(5.5, 2.5) << QPointF(6.5, 3.5) << QPointF(12.5, 3.5)
                 << QPointF(12.5, 13.5) << QPointF(1.5, 13.5);
            p.setBrush(tone(QColor(0xd9, 0xa4, 0x41), enabled));
            p.drawPolygon(back);
            QPolygonF front;
            front << QPointF(3.5, 6.5) << QPointF(15.5, 6.5) << QPointF(12.5, 13.5) << QPointF(1.5, 13.5);
            p.setBrush(tone(QColor(0xf7, 0xd0, 0x6f), enabled));
            p.drawPolygon(front);
            break;
        }
        case ToolbarGlyph::Save: {
            p.setBrush(tone(QColor(0x2f, 0x6d, 0xb5), enabled));
            p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.2, 1.2);
            p.setBrush(tone(QColor(0xdc, 0xe1, 0xe6), enabled));
            p.drawRect(QRectF(4.5, 1.5, 7, 4));
            p.setBrush(outline);
            p.setPen(Qt::NoPen);
            p.drawRect(QRectF(9, 2, 2, 3));
            p.setPen(pen);
            p.setBrush(tone(Qt::white, enabled));
            p.drawRect(QRectF(3.5, 8.5, 9, 6));
            p.setPen(QPen(tone(QColor(0x9a, 0xa4, 0xae), enabled), 1.0));
            p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
            p.drawLine(QPointF(5, 12.5), QPointF(11, 12.5));
            break;
        }
        case ToolbarGlyph::Print: {
            p.setBrush(tone(Qt::white, enabled));
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(tone(QColor(0x8d, 0x96, 0xa0), enabled));
            p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.2, 1.2);
            p.setBrush(tone(Qt::white, enabled));
            p.drawRect(QRectF(4.5, 9.5, 7, 5));
            p.setPen(QPen(tone(QColor(0x9a, 0xa4, 0xae), enabled), 1.0));
            p.drawLine(QPointF(6, 11.5), QPointF(10, 11.5));
            p.drawLine(QPointF(6, 13.5), QPointF(10, 13.5));
            p.setPen(Qt::NoPen);
            p.setBrush(tone(QColor(0x3c, 0xc8, 0x3c), enabled));
            p.drawRect(QRectF(12, 7, 1.5, 1.5));
            break;
        }
    }
}

}  // namespace

QPixmap velmorLogo(QSize logicalSize, qreal devicePixelRatio) {
    if (logicalSize.isEmpty()) return {};
    if (devicePixelRatio <= 0) devicePixelRatio = 1.0;
    QPixmap pix(qMax(1, qRound(logicalSize.width() * devicePixelRatio)),
                qMax(1, qRound(logicalSize.height() * devicePixelRatio)));
    pix.setDevicePixelRatio(devicePixelRatio);
    pix.fill(Qt::transparent);

    const qreal w = logicalSize.width();
    const qreal h = logicalSize.height();
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF plate(0.5, 0.5, w - 1.0, h - 1.0);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    fill.setColorAt(0.0, kPlateTop);
    fill.setColorAt(1.0, kPlateBottom);
    p.setPen(QPen(kPlateEdge, 1.0));
    p.setBrush(fill);
    const qreal radius = qMin(h, w) * 0.2;
    p.drawRoundedRect(plate, radius, radius);

    const qreal margin = h * 0.12;
    const qreal motif = qMax<qreal>(1.0, qMin(h, w) - 2.0 * margin);
    const qreal gap = motif * 0.3;

    // The word fills half the plate height unless the width runs short.
    QPainterPath word = wordPath(h * 0.46);
    const qreal room = w - 2.0 * margin - motif - gap - margin;
    if (word.boundingRect().width() > room && room > 0) {
        word = wordPath(h * 0.46 * room / word.boundingRect().width());
    }
    const QRectF ink = word.boundingRect();
    const qreal underline = qMax<qreal>(1.0, h * 0.045);
    const qreal groupW = motif + gap + ink.width();
    const qreal left = qMax(margin, (w - groupW) / 2.0);

    paintSparkMotif(p, QRectF(left, (h - motif) / 2.0, motif, motif));

    const qreal textLeft = left + motif + gap;
    const qreal blockH = ink.height() + underline * 3.0;
    const qreal textTop = (h - blockH) / 2.0;
    word.translate(textLeft - ink.left(), textTop - ink.top());
    QLinearGradient wordFill(0, textTop, 0, textTop + ink.height());
    wordFill.setColorAt(0.0, kWordTop);
    wordFill.setColorAt(1.0, kWordBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(wordFill);
    p.drawPath(word);

    QLinearGradient bar(textLeft, 0, textLeft + ink.width(), 0);
    bar.setColorAt(0.0, kSparkWarm);
    bar.setColorAt(1.0, QColor(kSparkWarm.red(), kSparkWarm.green(), kSparkWarm.blue(), 40));
    p.setBrush(bar);
    p.drawRect(QRectF(textLeft, textTop + ink.height() + underline * 2.0, ink.width(), underline));
    return pix;
}

QPixmap toolbarGlyphPixmap(ToolbarGlyph glyph, int side, bool enabled) {
    QPixmap pix(qMax(1, side), qMax(1, side));
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pix.width() / 16.0, pix.height() / 16.0);
    paintGlyph(p, glyph, enabled);
    return pix;
}

QIcon toolbarIcon(ToolbarGlyph glyph) {
    QIcon icon;
    for (const int side : {16, 32}) {
        icon.addPixmap(toolbarGlyphPixmap(glyph, side, true), QIcon::Normal);
        icon.addPixmap(toolbarGlyphPixmap(glyph, side, false), QIcon::Disabled);
    }
    return icon;
}
