#include "ui/CachedPanelStyle.h"

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

CachedPanelStyle::CachedPanelStyle() : QProxyStyle(QApplication::style()->name()) {}

void CachedPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || frame == nullptr || painter->paintEngine() == nullptr ||
        painter->paintEngine()->type() != QPaintEngine::Raster || painter->opacity() != 1.0 ||
        painter->compositionMode() != QPainter::CompositionMode_SourceOver) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Copied only where the painter only scales, alike both ways, so that a logical pixel is a
    // whole number of device pixels and the panel's corner falls on a device pixel: the copy
    // is then the very picture the style draws.
    const QTransform transform = painter->deviceTransform();
    const qreal ratio = transform.m11();
    const QSizeF deviceSize = QSizeF(option->rect.size()) * ratio;
    const QPointF corner = transform.map(QPointF(option->rect.topLeft()));
    const auto whole = [](qreal v) { return std::abs(v - std::round(v)) < 1e-6; };
    if (transform.type() > QTransform::TxScale || ratio <= 0 || !qFuzzyCompare(transform.m22(), ratio) ||
        !whole(deviceSize.width()) || !whole(deviceSize.height()) || !whole(corner.x()) || !whole(corner.y()) ||
        option->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    Key key;
    key.size = option->rect.size();
    key.ratio = ratio;
    key.state = static_cast<int>(option->state);
    key.direction = static_cast<int>(option->direction);
    key.lineWidth = frame->lineWidth;
    key.midLineWidth = frame->midLineWidth;
    key.features = static_cast<int>(frame->features);
    key.hints = static_cast<int>(painter->renderHints());
    const QPalette::ColorGroup group = option->palette.currentColorGroup();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const QBrush& brush = option->palette.brush(group, static_cast<QPalette::ColorRole>(role));
        if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        key.colours[static_cast<std::size_t>(role)] = brush.style() == Qt::NoBrush ? 0 : brush.color().rgba();
    }

    auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
    if (found == entries_.end()) {
        if (entries_.size() >= kEntries) entries_.erase(entries_.begin());
        Entry entry{key, QImage(deviceSize.toSize(), QImage::Format_ARGB32_Premultiplied)};
        entry.image.fill(Qt::transparent);
        entry.image.setDevicePixelRatio(ratio);
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
