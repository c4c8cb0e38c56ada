#pragma once

#include <QPointF>
#include <QRectF>
#include <array>
#include <optional>

#include "model/ParameterSet.h"

// What the graph shows besides the set: the engine's live operating point and the curve
// row highlighted as the one nearest to it.
struct CurveLive {
    bool shown = false;  // a frame arrived and the connection holds
    int rpm = 0;
    int advance = 0;          // degrees, may be negative
    int highlightedRow = -1;  // -1: none

    bool operator==(const CurveLive&) const = default;
};

// The value ranges of the two axes.
struct CurveRanges {
    int rpmMax = 0;      // the rpm axis starts at 0
    int advanceMax = 0;  // the advance axis starts at 0

    bool operator==(const CurveRanges&) const = default;
};

// Where everything of the graph lies in widget coordinates, from the set, the live point
// and the plot rectangle alone; the widget paints it and hit-tests against it.
struct CurveGeometry {
    QRectF plot;
    CurveRanges ranges;
    int rpmTickStep = 1000;
    int advanceTickStep = 10;

    int pointCount = 0;  // the used points
    std::array<QPointF, kCurvePoints> points{};
    int highlighted = -1;  // index of the emphasised point, -1: none

    double baseAdvanceY = 0;
    double limiterX = 0;
    std::optional<double> startLimiterX;  // only while an input is the start limiter
    double shiftLightX = 0;
    std::optional<QPointF> live;  // clamped into the plot

    double xForRpm(double rpm) const;
    double yForAdvance(double advance) const;
    double rpmAtX(double x) const;
    double advanceAtY(double y) const;
    // The used point within radius of pos (the nearest one), or -1.
    int pointAt(const QPointF& pos, double radius) const;

    // The ranges follow the set: up to the next 1000 rpm above the last used point, the
    // limiters and the shift light, and to the next 10 degrees above the highest advance.
    static CurveRanges rangesFor(const ParameterSet& set);
    // minRpmTickPx and minAdvanceTickPx: the room a tick label needs, so labels never
    // collide. fixed keeps the ranges of an earlier picture (while a point is dragged).
    static CurveGeometry compute(const ParameterSet& set, const CurveLive& live, const QRectF& plot,
                                 double minRpmTickPx, double minAdvanceTickPx,
                                 const std::optional<CurveRanges>& fixed = std::nullopt);
};

// The codes a dragged point takes with the pointer at pos: the advance snapped to the
// advance box's step within its range, the RPM snapped to the RPM box's step, inside the
// point's own bounds and at least one step away from the used neighbours.
struct DraggedPoint {
    std::uint8_t rpmCode = 0;
    std::uint8_t advance = 0;
};
DraggedPoint dragPoint(const CurveGeometry& geometry, const ParameterSet& set, int index, const QPointF& pos);
