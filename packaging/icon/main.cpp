// velmor-icon: writes the application icon, one drawing, as SVG and as PNG of each size
// given, so the scalable and the pixel icons never differ:
//     velmor-icon OUTDIR NAME SIZE...  ->  OUTDIR/scalable/NAME.svg, OUTDIR/SIZE/NAME.png
// The drawing is the spark motif of the About window's logo (a trigger wheel with one
// missing tooth around a spark bolt) on the logo's dark plate. Painted on a QImage, so it
// needs no display.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTextStream>
#include <QtMath>
#include <cstdio>
#include <vector>

#include "ui/BrandColours.h"

namespace {

// The drawing on a 256-unit square.
constexpr qreal kSide = 256.0;
const QRectF kPlate(8, 8, 240, 240);
constexpr qreal kPlateRadius = 48;
constexpr qreal kPlateEdgeWidth = 2;
using namespace brand;
const QColor kBoltEdge(0x5a, 0x2a, 0x00);
const QPointF kCentre(128, 128);
constexpr qreal kGlowRadius = 104;
// The glow: offset, colour with alpha.
const std::vector<std::pair<qreal, QColor>> kGlowStops = {
    {0.0, QColor(0xff, 0x9c, 0x2a, 110)}, {0.7, QColor(0xff, 0x6a, 0x00, 30)}, {1.0, QColor(0xff, 0x6a, 0x00, 0)}};
constexpr qreal kRingRadius = 74;
constexpr qreal kRingWidth = 12;
constexpr qreal kToothWidth = 14;
constexpr qreal kToothFrom = 79;
constexpr qreal kToothTo = 98;
constexpr qreal kBoltEdgeWidth = 4;

struct Line {
    QPointF from, to;
};

// Twelve tooth positions, the one at the top left out.
std::vector<Line> teeth() {
    std::vector<Line> lines;
    for (int i = 0; i < 12; ++i) {
        if (i == 4) continue;
        const qreal a = qDegreesToRadians(i * 30.0);
        const QPointF dir(qCos(a), -qSin(a));
        lines.push_back({kCentre + dir * kToothFrom, kCentre + dir * kToothTo});
    }
    return lines;
}

QPolygonF bolt() {
    static const QPointF unit[] = {{0.60, 0.06}, {0.24, 0.57}, {0.47, 0.57}, {0.36, 0.94},
                                   {0.77, 0.40}, {0.54, 0.40}, {0.67, 0.06}};
    const qreal inner = kRingRadius * 1.55;
    const QPointF origin = kCentre - QPointF(inner / 2.0, inner / 2.0);
    QPolygonF poly;
    for (const QPointF& pt : unit) poly << origin + pt * inner;
    return poly;
}

QRectF boltBox() { return bolt().boundingRect(); }

QImage paintPng(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kSide, size / kSide);

    QLinearGradient plate(0, kPlate.top(), 0, kPlate.bottom());
    plate.setColorAt(0.0, kPlateTop);
    plate.setColorAt(1.0, kPlateBottom);
    p.setPen(QPen(kPlateEdge, kPlateEdgeWidth));
    p.setBrush(plate);
    p.drawRoundedRect(kPlate, kPlateRadius, kPlateRadius);

    QRadialGradient glow(kCentre, kGlowRadius);
    for (const auto& [at, colour] : kGlowStops) glow.setColorAt(at, colour);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(kCentre, kGlowRadius, kGlowRadius);

    QPen ring(kSparkWarm, kRingWidth);
    ring.setCapStyle(Qt::FlatCap);
    p.setBrush(Qt::NoBrush);
    p.setPen(ring);
    p.drawEllipse(kCentre, kRingRadius, kRingRadius);
    ring.setWidthF(kToothWidth);
    p.setPen(ring);
    for (const Line& line : teeth()) p.drawLine(line.from, line.to);

    const QRectF box = boltBox();
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, kSparkHot);
    fill.setColorAt(1.0, kSparkWarm);
    p.setPen(QPen(kBoltEdge, kBoltEdgeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPolygon(bolt());
    return image;
}

QString hex(const QColor& c) { return c.name(QColor::HexRgb); }
QString num(qreal v) { return QString::number(v, 'g', 6); }

QString svg() {
    QString text;
    QTextStream s(&text);
    s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
      << "  <defs>\n"
      << "    <linearGradient id=\"plate\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"" << num(kPlate.top())
      << "\" x2=\"0\" y2=\"" << num(kPlate.bottom()) << "\">\n"
      << "      <stop offset=\"0\" stop-color=\"" << hex(kPlateTop) << "\"/>\n"
      << "      <stop offset=\"1\" stop-color=\"" << hex(kPlateBottom) << "\"/>\n"
      << "    </linearGradient>\n"
      << "    <radialGradient id=\"glow\" gradientUnits=\"userSpaceOnUse\" cx=\"" << num(kCentre.x()) << "\" cy=\""
      << num(kCentre.y()) << "\" r=\"" << num(kGlowRadius) << "\">\n";
    for (const auto& [at, colour] : kGlowStops)
        s << "      <stop offset=\"" << num(at) << "\" stop-color=\"" << hex(colour) << "\" stop-opacity=\""
          << num(colour.alphaF()) << "\"/>\n";
    const QRectF box = boltBox();
    s << "    </radialGradient>\n"
      << "    <linearGradient id=\"bolt\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"" << num(box.top())
      << "\" x2=\"0\" y2=\"" << num(box.bottom()) << "\">\n"
      << "      <stop offset=\"0\" stop-color=\"" << hex(kSparkHot) << "\"/>\n"
      << "      <stop offset=\"1\" stop-color=\"" << hex(kSparkWarm) << "\"/>\n"
      << "    </linearGradient>\n"
      << "  </defs>\n"
      << "  <rect x=\"" << num(kPlate.x()) << "\" y=\"" << num(kPlate.y()) << "\" width=\"" << num(kPlate.width())
      << "\" height=\"" << num(kPlate.height()) << "\" rx=\"" << num(kPlateRadius)
      << "\" fill=\"url(#plate)\" stroke=\"" << hex(kPlateEdge) << "\" stroke-width=\"" << num(kPlateEdgeWidth)
      << "\"/>\n"
      << "  <circle cx=\"128\" cy=\"128\" r=\"" << num(kGlowRadius) << "\" fill=\"url(#glow)\"/>\n"
      << "  <circle cx=\"128\" cy=\"128\" r=\"" << num(kRingRadius) << "\" fill=\"none\" stroke=\"" << hex(kSparkWarm)
      << "\" stroke-width=\"" << num(kRingWidth) << "\"/>\n"
      << "  <path fill=\"none\" stroke=\"" << hex(kSparkWarm) << "\" stroke-width=\"" << num(kToothWidth)
      << "\" stroke-linecap=\"butt\" d=\"";
    for (const Line& line : teeth())
        s << 'M' << num(line.from.x()) << ',' << num(line.from.y()) << 'L' << num(line.to.x()) << ','
          << num(line.to.y());
    s << "\"/>\n  <polygon fill=\"url(#bolt)\" stroke=\"" << hex(kBoltEdge) << "\" stroke-width=\""
      << num(kBoltEdgeWidth) << "\" stroke-linejoin=\"round\" points=\"";
    const QPolygonF poly = bolt();
    for (qsizetype i = 0; i < poly.size(); ++i) s << (i ? " " : "") << num(poly[i].x()) << ',' << num(poly[i].y());
    s << "\"/>\n</svg>\n";
    return text;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: velmor-icon OUTDIR NAME SIZE...\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    if (!writeFile(out.filePath(QStringLiteral("scalable/%1.svg").arg(name)), svg().toUtf8())) {
        std::fprintf(stderr, "velmor-icon: cannot write the SVG into %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString path = out.filePath(QStringLiteral("%1/%2.png").arg(size).arg(name));
        if (size < 1 || !QDir().mkpath(QFileInfo(path).path()) || !paintPng(size).save(path, "PNG")) {
            std::fprintf(stderr, "velmor-icon: cannot write the %s pixel icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
