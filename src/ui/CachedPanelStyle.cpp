#include "ui/CachedPanelStyle.h"

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

CachedPanelStyle::CachedPanelStyle() : QProxyStyle(QApplication::style()->name()) {}

std::optional<CachedPanelStyle::Key> CachedPanelStyle::keyFor(const QStyleOptionFrame& frame, const QPainter& painter) {
    if (painter.paintEngine() == nullptr || painter.paintEngine()->type() != QPaintEngine::Raster ||
        painter.opacity() != 1.0 || painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        frame.rect.isEmpty()) {
        return std::nullopt;
    }
    // Copied only where the painter only scales, alike both ways, so that a logical pixel is a
    // whole number of device pixels and the panel's corner falls on a device pixel: the copy
    // is then the very picture the style draws.
    const QTransform transform = painter.deviceTransform();
    const qreal ratio = transform.m11();
    const QSizeF deviceSize = QSizeF(frame.rect.size()) * ratio;
    const QPointF corner = transform.map(QPointF(frame.rect.topLeft()));
    const auto whole = [](qreal v) { return std::abs(v - std::round(v)) < 1e-6; };
    if (transform.type() > QTransform::TxScale || ratio <= 0 || !qFuzzyCompare(transform.m22(), ratio) ||
        !whole(deviceSize.width()) || !whole(deviceSize.height()) || !whole(corner.x()) || !whole(corner.y())) {
        return std::nullopt;
    }
    Key key;
    key.size = frame.rect.size();
    key.ratio = ratio;
    key.state = static_cast<int>(frame.state);
    key.direction = static_cast<int>(frame.direction);
    key.lineWidth = frame.lineWidth;
    key.midLineWidth = frame.midLineWidth;
    key.features = static_cast<int>(frame.features);
    key.hints = static_cast<int>(painter.renderHints());
    const QPalette::ColorGroup group = frame.palette.currentColorGroup();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const QBrush& brush = frame.palette.brush(group, static_cast<QPalette::ColorRole>(role));
        if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush) {
            return std::nullopt;
        }
        key.colours[static_cast<std::size_t>(role)] = brush.style() == Qt::NoBrush ? 0 : brush.color().rgba();
    }
    return key;
}

void CachedPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    const std::optional<Key> key =
        element == PE_PanelLineEdit && frame != nullptr ? keyFor(*frame, *painter) : std::nullopt;
    if (!key) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == *key; });
    if (found == entries_.end()) {
        if (entries_.size() >= kEntries) entries_.erase(entries_.begin());
        Entry entry{*key, QImage(option->rect.size() * key->ratio, QImage::Format_ARGB32_Premultiplied)};
        entry.image.fill(Qt::transparent);
        entry.image.setDevicePixelRatio(key->ratio);
        QPainter drawn(&entry.image);
        drawn.setRenderHints(painter->renderHints());
        QStyleOptionFrame local(*frame);
        local.rect = QRect(QPoint(0, 0), option->rect.size());
        QProxyStyle::drawPrimitive(element, &local, &drawn, widget);
        drawn.end();
        entries_.push_back(std::move(entry));
        found = entries_.end() - 1;
    } else if (found != entries_.end() - 1) {
        std::rotate(found, found + 1, entries_.end());
        found = entries_.end() - 1;
    }
    painter->drawImage(option->rect.topLeft(), found->image);
}
