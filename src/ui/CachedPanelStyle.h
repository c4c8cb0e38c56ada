#pragma once

#include <QImage>
#include <QProxyStyle>
#include <QSize>
#include <QStyleOptionFrame>

#include <array>
#include <optional>
#include <vector>

// The application's style for the edit boxes whose colour follows the engine (the curve
// boxes): an edit box's panel, a rounded, antialiased frame, is the costliest part of its
// drawing, and the live row moves its green across the boxes many times a minute. Each panel
// is drawn once per size, state and colours into an image, and then copied; on a painter
// that is not the device's own pixels (a printout, a scaled or shifted picture), or with
// anything but a plain solid palette, the base style draws it as always.
class CachedPanelStyle : public QProxyStyle {
public:
    // The base style is made anew from the application's style, as a proxy owns its base.
    CachedPanelStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    struct Key {
        QSize size;
        qreal ratio = 0;
        int state = 0;
        int direction = 0;
        int lineWidth = 0;
        int midLineWidth = 0;
        int features = 0;
        int hints = 0;
        std::array<QRgb, QPalette::NColorRoles> colours{};
        bool operator==(const Key&) const = default;
    };
    // What the panel's picture depends on; none where the style must draw it itself.
    static std::optional<Key> keyFor(const QStyleOptionFrame& frame, const QPainter& painter);

    struct Entry {
        Key key;
        QImage image;
    };
    static constexpr std::size_t kEntries = 24;

    mutable std::vector<Entry> entries_;  // the most recently used last
};
