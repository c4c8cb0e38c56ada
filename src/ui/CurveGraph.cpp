#include "ui/CurveGraph.h"

#include <QEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>

#include "i18n/GraphTexts.h"

namespace {

const QColor kCurveColour(0, 80, 200);
const QColor kGridColour(222, 222, 222);
const QColor kAxisColour(90, 90, 90);
const QColor kBaseColour(120, 90, 40);
const QColor kLimiterColour(220, 0, 0);
const QColor kStartLimiterColour(230, 120, 0);
const QColor kShiftColour(255, 200, 0);
const QColor kHighlightColour(0, 255, 0);  // as the highlighted curve row
const QColor kLiveColour(200, 0, 160);

constexpr double kPointRadius = 3.5;
constexpr double kHighlightRadius = 6;
constexpr double kLiveRadius = 5;
constexpr double kGrabRadius = 8;

}  // namespace

CurveGraph::CurveGraph(QWidget* parent)
    : QWidget(parent),
      highlightDot_(kHighlightRadius, kHighlightColour, Qt::black, 1),
      liveDot_(kLiveRadius, kLiveColour, Qt::white, 1.5) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QSize CurveGraph::sizeHint() const { return {300, 240}; }

QSize CurveGraph::minimumSizeHint() const { return {200, 140}; }

void CurveGraph::showSet(const ParameterSet& set) {
    if (std::equal(set.image().begin() + kBlockSize, set.image().end(), set_.image().begin() + kBlockSize)) {
        return;
    }
    set_ = set;
    invalidatePicture();
}

void CurveGraph::showLive(int rpm, int advance) {
    CurveLive live = live_;
    live.shown = true;
    live.rpm = rpm;
    live.advance = advance;
    setLive(live);
}

void CurveGraph::hideLive() {
    CurveLive live = live_;
    live.shown = false;
    setLive(live);
}

void CurveGraph::showHighlight(int row) {
    if (live_.highlightedRow == row) {
        return;
    }
    // The highlight is drawn over the picture, as the live dot: only the points it leaves and
    // enters are painted again.
    const QRect before = highlightRect(computeGeometry());
    live_.highlightedRow = row;
    const QRect after = highlightRect(computeGeometry());
    repaintMoved(before, after);
}

void CurveGraph::repaintMoved(const QRect& before, const QRect& after) {
    // Two small areas rather than the rectangle around both, which may span most of the plot.
    if (before != after) {
        update(before);
        update(after);
    }
}

QRect CurveGraph::highlightRect(const CurveGeometry& g) const {
    if (g.highlighted < 0) {
        return {};
    }
    const QPointF centre = g.points[static_cast<std::size_t>(g.highlighted)];
    const double r = highlightDot_.reach();
    return QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r).toAlignedRect().intersected(highlightClip(g));
}

QRect CurveGraph::highlightClip(const CurveGeometry& g) {
    return g.plot.adjusted(-kHighlightRadius - 1, -kHighlightRadius - 1, kHighlightRadius + 1, kHighlightRadius + 1)
        .toAlignedRect();
}

void CurveGraph::setLanguage(LanguageId language) {
    language_ = language;
    setStatusTip(graphText(GraphText::GraphHint, language));
    invalidatePicture();
}

void CurveGraph::setPrintView(bool on) {
    if (printView_ == on) {
        return;
    }
    printView_ = on;
    update();
}

void CurveGraph::setLive(const CurveLive& live) {
    if (live == live_) {
        return;
    }
    // Only the small area around the old and the new dot is painted again.
    const QRect before = liveDotRect(computeGeometry().live);
    live_ = live;
    const QRect after = liveDotRect(computeGeometry().live);
    repaintMoved(before, after);
}

QRect CurveGraph::liveDotRect(const std::optional<QPointF>& centre) const {
    if (!centre) {
        return {};
    }
    const double r = liveDot_.reach();
    return QRectF(centre->x() - r, centre->y() - r, 2 * r, 2 * r).toAlignedRect();
}

void CurveGraph::measure() const {
    // Text measuring shapes text: done once per size and font, not for every live frame.
    if (measured_.valid && measured_.size == size()) {
        return;
    }
    const QFontMetricsF metrics(font());
    const double line = metrics.height();
    const double widest = metrics.horizontalAdvance(QStringLiteral("20000"));
    const double left = line + 4 + metrics.horizontalAdvance(QStringLiteral("60")) + 6;
    const double top = line / 2 + 8;
    const double bottom = 2 * line + 8;
    const double right = widest / 2 + 4;
    measured_.plot = QRectF(left, top, std::max(1.0, width() - left - right), std::max(1.0, height() - top - bottom));
    measured_.rpmTickPx = widest + 8;
    measured_.advanceTickPx = line + 4;
    measured_.size = size();
    measured_.valid = true;
}

CurveGeometry CurveGraph::computeGeometry() const {
    measure();
    return CurveGeometry::compute(set_, live_, measured_.plot, measured_.rpmTickPx, measured_.advanceTickPx,
                                  dragRanges_);
}

CurveGeometry CurveGraph::curveGeometry() const { return computeGeometry(); }

void CurveGraph::invalidatePicture() {
    pictureValid_ = false;
    update();
}

void CurveGraph::resizeEvent(QResizeEvent* event) {
    pictureValid_ = false;
    QWidget::resizeEvent(event);
}

void CurveGraph::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        measured_.valid = false;
        invalidatePicture();
    }
    QWidget::changeEvent(event);
}

void CurveGraph::redrawPicture() {
    ++pictureRedraws_;
    const qreal ratio = devicePixelRatioF();
    picture_ = QPixmap(size() * ratio);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(Qt::white);

    const CurveGeometry g = computeGeometry();
    const QRectF plot = g.plot;
    const QFontMetricsF metrics(font());
    QPainter p(&picture_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font());

    // Grid and tick labels.
    p.setPen(QPen(kGridColour, 1));
    for (int rpm = 0; rpm <= g.ranges.rpmMax; rpm += g.rpmTickStep) {
        const double x = g.xForRpm(rpm);
        p.setPen(QPen(kGridColour, 1));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(kAxisColour);
        const QString text = QString::number(rpm);
        const double w = metrics.horizontalAdvance(text);
        p.drawText(QPointF(x - w / 2, plot.bottom() + 3 + metrics.ascent()), text);
    }
    for (int advance = 0; advance <= g.ranges.advanceMax; advance += g.advanceTickStep) {
        const double y = g.yForAdvance(advance);
        p.setPen(QPen(kGridColour, 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(kAxisColour);
        const QString text = QString::number(advance);
        p.drawText(QPointF(plot.left() - 4 - metrics.horizontalAdvance(text), y + metrics.ascent() / 2 - 1), text);
    }
    p.setPen(QPen(kAxisColour, 1));
    p.drawRect(plot);

    // Axis titles.
    const QString rpmTitle = graphText(GraphText::RpmAxis, language_);
    p.drawText(QRectF(plot.left(), height() - metrics.height() - 2, plot.width(), metrics.height()),
               Qt::AlignHCenter | Qt::AlignVCenter, rpmTitle);
    p.save();
    p.translate(2, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), metrics.height()), Qt::AlignCenter,
               graphText(GraphText::AdvanceAxis, language_));
    p.restore();

    // Reference lines, with their names written along them.
    QFont small = font();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() * 0.85));
    const QFontMetricsF smallMetrics(small);
    auto verticalLine = [&](double x, const QColor& colour, Qt::PenStyle style, const QString& name) {
        if (x < plot.left() || x > plot.right()) {
            return;
        }
        p.setPen(QPen(colour, 1.5, style));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.save();
        p.setFont(small);
        p.translate(x - 3, plot.top() + 4);
        p.rotate(-90);
        p.drawText(QPointF(-smallMetrics.horizontalAdvance(name), 0), name);
        p.restore();
    };
    verticalLine(g.limiterX, kLimiterColour, Qt::SolidLine, graphText(GraphText::Limiter, language_));
    if (g.startLimiterX) {
        verticalLine(*g.startLimiterX, kStartLimiterColour, Qt::DashLine,
                     graphText(GraphText::StartLimiter, language_));
    }
    p.setPen(QPen(kBaseColour, 1.5, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), g.baseAdvanceY), QPointF(plot.right(), g.baseAdvanceY));
    p.setFont(small);
    p.drawText(QPointF(plot.left() + 4, g.baseAdvanceY - 3), graphText(GraphText::BaseAdvance, language_));
    p.setFont(font());

    // The shift light: a marker on the upper edge.
    if (g.shiftLightX >= plot.left() && g.shiftLightX <= plot.right()) {
        QPainterPath marker;
        marker.moveTo(g.shiftLightX - 5, plot.top() - 8);
        marker.lineTo(g.shiftLightX + 5, plot.top() - 8);
        marker.lineTo(g.shiftLightX, plot.top());
        marker.closeSubpath();
        p.setPen(QPen(kAxisColour, 1));
        p.setBrush(kShiftColour);
        p.drawPath(marker);
        p.setFont(small);
        const QString name = graphText(GraphText::ShiftLight, language_);
        const double w = smallMetrics.horizontalAdvance(name);
        const double x = std::clamp(g.shiftLightX - w - 8, 0.0, std::max(0.0, width() - w));
        p.drawText(QPointF(x, plot.top() - 2), name);
        p.setFont(font());
    }

    // The curve and its points; the highlighted one is drawn over the picture.
    p.setClipRect(
        plot.adjusted(-kHighlightRadius - 1, -kHighlightRadius - 1, kHighlightRadius + 1, kHighlightRadius + 1));
    p.setPen(QPen(kCurveColour, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(g.points.data(), g.pointCount);
    p.setBrush(kCurveColour);
    for (int i = 0; i < g.pointCount; ++i) {
        p.drawEllipse(g.points[static_cast<std::size_t>(i)], kPointRadius, kPointRadius);
    }
    p.end();
    pictureValid_ = true;
}

void CurveGraph::paintEvent(QPaintEvent* event) {
    if (!pictureValid_ || picture_.size() != size() * devicePixelRatioF()) {
        redrawPicture();
    }
    QPainter p(this);
    const QRect area = event->rect();
    const qreal ratio = picture_.devicePixelRatio();
    for (const QRect& part : event->region()) {
        p.drawPixmap(part, picture_,
                     QRectF(part.x() * ratio, part.y() * ratio, part.width() * ratio, part.height() * ratio).toRect());
    }
    const CurveGeometry g = computeGeometry();
    if (!printView_ && g.highlighted >= 0 && event->region().intersects(highlightRect(g))) {
        // Clipped as the points of the picture are.
        p.save();
        p.setClipRect(
            g.plot.adjusted(-kHighlightRadius - 1, -kHighlightRadius - 1, kHighlightRadius + 1, kHighlightRadius + 1));
        highlightDot_.draw(p, g.points[static_cast<std::size_t>(g.highlighted)]);
        p.restore();
    }
    // Only where it shows: even a copied dot costs its blending where it is clipped away.
    if (!printView_ && g.live && event->region().intersects(liveDotRect(g.live))) {
        liveDot_.draw(p, *g.live);
    }
    // The frame, drawn antialiased or not, touches only the two outermost pixels.
    if (!rect().adjusted(2, 2, -2, -2).contains(area)) {
        p.setPen(QPen(palette().color(QPalette::Mid), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CurveGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const CurveGeometry g = computeGeometry();
    dragIndex_ = g.pointAt(event->position(), kGrabRadius);
    if (dragIndex_ >= 0) {
        dragRanges_ = g.ranges;
        setCursor(Qt::ClosedHandCursor);
        showDragTip(event->globalPosition().toPoint());
    }
}

void CurveGraph::mouseMoveEvent(QMouseEvent* event) {
    if (dragIndex_ < 0) {
        // Shows which points can be taken.
        setCursor(computeGeometry().pointAt(event->position(), kGrabRadius) >= 0 ? Qt::OpenHandCursor
                                                                                 : Qt::ArrowCursor);
        return;
    }
    const DraggedPoint moved = dragPoint(computeGeometry(), set_, dragIndex_, event->position());
    if (moved.rpmCode != set_.curveRpm(dragIndex_) || moved.advance != set_.curveAdvance(dragIndex_)) {
        emit pointDragged(dragIndex_, moved.rpmCode, moved.advance);
    }
    showDragTip(event->globalPosition().toPoint());
}

void CurveGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragIndex_ < 0) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int index = dragIndex_;
    dragIndex_ = -1;
    dragRanges_.reset();
    setCursor(Qt::OpenHandCursor);
    QToolTip::hideText();
    invalidatePicture();
    emit pointDropped(index);
}

void CurveGraph::showDragTip(const QPoint& globalPos) {
    const QString tip = graphText(GraphText::PointTip, language_)
                            .arg(dragIndex_ + 1)
                            .arg(QLocale().toString(set_.curveRpm(dragIndex_) * 100))
                            .arg(set_.curveAdvance(dragIndex_));
    QToolTip::showText(globalPos + QPoint(12, 12), tip, this);
}
