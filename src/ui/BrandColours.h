#pragma once

#include <QColor>

// The colours of the maker's mark: its dark plate and the spark. The About window's logo and
// the program's icon are drawn with the same ones.
namespace brand {
inline const QColor kPlateTop(0x27, 0x32, 0x3f);
inline const QColor kPlateBottom(0x0e, 0x14, 0x1b);
inline const QColor kPlateEdge(0x45, 0x52, 0x61);
inline const QColor kSparkHot(0xff, 0xe0, 0x4a);
inline const QColor kSparkWarm(0xff, 0x8a, 0x1e);
}  // namespace brand
