#pragma once

#include <QString>

#include "i18n/Language.h"

// The words of the curve graph and of the undo and redo commands, in four languages.
enum class GraphText {
    RpmAxis,       // title of the horizontal axis
    AdvanceAxis,   // title of the vertical axis
    BaseAdvance,   // the base-advance line
    Limiter,       // the limiter line
    StartLimiter,  // the start-limiter line
    ShiftLight,    // the shift-light marker
    PointTip,      // tooltip while a point is dragged: %1 point, %2 rpm, %3 degrees
    GraphHint,     // status-bar hint of the graph
    Undo,          // Tools menu item; "&" marks the access key
    UndoHint,      // its status-bar hint
    Redo,
    RedoHint,
};

QString graphText(GraphText text, LanguageId language);
