#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// Our own pictures, painted in code so that they stay sharp at any device-pixel ratio and
// the build needs no image files.

// The VELMORAN logo on its own dark plate: a spark motif on the left and the word
// VELMORAN, laid out for the given logical size. The pixmap carries devicePixelRatio, so
// its physical size is logicalSize * devicePixelRatio.
QPixmap velmorLogo(QSize logicalSize, qreal devicePixelRatio);

enum class ToolbarGlyph { New, Open, Save, Print };

// A 16 x 16 glyph with a 32 x 32 variant for doubled ratios, each in a normal and a
// greyed disabled look (two-state glyphs).
QIcon toolbarIcon(ToolbarGlyph glyph);

// One glyph as painted for toolbarIcon: side x side physical pixels, drawn on the 16-unit
// grid scaled to side.
QPixmap toolbarGlyphPixmap(ToolbarGlyph glyph, int side, bool enabled);
