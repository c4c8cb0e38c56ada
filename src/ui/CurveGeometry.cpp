#include "ui/CurveGeometry.h"

#include <algorithm>
#include <cmath>

#include "model/EditorBindings.h"

namespace {

int roundUpAbove(int value, int step) { return (value / step + 1) * step; }

// The smallest step of the list whose ticks lie at least minPx apart.
int tickStep(int range, double lengthPx, double minPx, std::initializer_list<int> steps) {
    int chosen = *(steps.end() - 1);
    for (int step : steps) {
        if (range <= 0 || lengthPx * step / range >= minPx) {
            chosen = step;
            break;
        }
    }
    return chosen;
}

bool anyInput(const ParameterSet& set, int function) {
    return set.input1Function() == function || set.input2Function() == function;
}

constexpr int kStartLimiterFunction = 4;

}  // namespace

double CurveGeometry::xForRpm(double rpm) const {
    return plot.left() + plot.width() * rpm / std::max(1, ranges.rpmMax);
}

double CurveGeometry::yForAdvance(double advance) const {
    return plot.bottom() - plot.height() * advance / std::max(1, ranges.advanceMax);
}

double CurveGeometry::rpmAtX(double x) const {
    return plot.width() > 0 ? (x - plot.left()) * ranges.rpmMax / plot.width() : 0;
}

double CurveGeometry::advanceAtY(double y) const {
    return plot.height() > 0 ? (plot.bottom() - y) * ranges.advanceMax / plot.height() : 0;
}

int CurveGeometry::pointAt(const QPointF& pos, double radius) const {
    int found = -1;
    double best = radius * radius;
    for (int i = 0; i < pointCount; ++i) {
        const QPointF d = points[static_cast<std::size_t>(i)] - pos;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance <= best) {
            best = distance;
            found = i;
        }
    }
    return found;
}

CurveRanges CurveGeometry::rangesFor(const ParameterSet& set) {
    const int count = std::clamp<int>(set.curvePointCount(), 1, kCurvePoints);
    int rpm = std::max({set.curveRpm(count - 1), set.limiter(), set.pilotLight()}) * 100;
    if (anyInput(set, kStartLimiterFunction)) {
        rpm = std::max(rpm, set.startLimiter() * 100);
    }
    int advance = set.baseAdvance();
    for (int i = 0; i < count; ++i) {
        advance = std::max<int>(advance, set.curveAdvance(i));
    }
    return CurveRanges{roundUpAbove(rpm, 1000), roundUpAbove(advance, 10)};
}

CurveGeometry CurveGeometry::compute(const ParameterSet& set, const CurveLive& live, const QRectF& plot,
                                     double minRpmTickPx, double minAdvanceTickPx,
                                     const std::optional<CurveRanges>& fixed) {
    CurveGeometry g;
    g.plot = plot;
    g.ranges = fixed ? *fixed : rangesFor(set);
    g.rpmTickStep = tickStep(g.ranges.rpmMax, plot.width(), minRpmTickPx, {500, 1000, 2000, 2500, 5000, 10000});
    g.advanceTickStep = tickStep(g.ranges.advanceMax, plot.height(), minAdvanceTickPx, {1, 2, 5, 10, 20, 30});

    g.pointCount = std::clamp<int>(set.curvePointCount(), 1, kCurvePoints);
    for (int i = 0; i < g.pointCount; ++i) {
        g.points[static_cast<std::size_t>(i)] =
            QPointF(g.xForRpm(set.curveRpm(i) * 100), g.yForAdvance(set.curveAdvance(i)));
    }
    g.highlighted = live.highlightedRow >= 0 && live.highlightedRow < g.pointCount ? live.highlightedRow : -1;
    g.baseAdvanceY = g.yForAdvance(set.baseAdvance());
    g.limiterX = g.xForRpm(set.limiter() * 100);
    if (anyInput(set, kStartLimiterFunction)) {
        g.startLimiterX = g.xForRpm(set.startLimiter() * 100);
    }
    g.shiftLightX = g.xForRpm(set.pilotLight() * 100);
    if (live.shown) {
        g.live = QPointF(std::clamp(g.xForRpm(live.rpm), plot.left(), plot.right()),
                         std::clamp(g.yForAdvance(live.advance), plot.top(), plot.bottom()));
    }
    return g;
}

DraggedPoint dragPoint(const CurveGeometry& geometry, const ParameterSet& set, int index, const QPointF& pos) {
    const NumberBinding& rpmBox = numberBindings()[static_cast<std::size_t>(Binding::kCurveRpm + index)];
    const NumberBinding& advanceBox = numberBindings()[static_cast<std::size_t>(Binding::kCurveAdvance + index)];

    const int advanceStep = std::max(1, advanceBox.increment);
    const double advance = std::round(geometry.advanceAtY(pos.y()) / advanceStep) * advanceStep;
    // Within the picture too: its ranges stay fixed while the point is dragged.
    const int advanceValue = std::clamp(static_cast<int>(advance), advanceBox.minimum,
                                        std::min(advanceBox.maximum, geometry.ranges.advanceMax));

    // The RPM box steps by whole codes of 100 rpm; the point's bounds are those validate
    // keeps it in, narrowed by the used points on either side.
    const int rpmStep = std::max(100, rpmBox.increment);
    const double rpm = std::round(geometry.rpmAtX(pos.x()) / rpmStep) * rpmStep;
    int low = index + 6;
    int high = std::min(index + 186, geometry.ranges.rpmMax / 100);
    if (index > 0) {
        low = std::max(low, set.curveRpm(index - 1) + rpmStep / 100);
    }
    if (index + 1 < geometry.pointCount) {
        high = std::min(high, set.curveRpm(index + 1) - rpmStep / 100);
    }
    const int code = std::clamp(static_cast<int>(rpm / 100), low, std::max(low, high));
    return DraggedPoint{static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(advanceValue)};
}
