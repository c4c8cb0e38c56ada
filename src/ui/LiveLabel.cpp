#include "ui/LiveLabel.h"

#include <QBackingStore>
#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace {

QString withDigits(const QString& text, QChar digit) {
    QString result = text;
    for (QChar& c : result) {
        if (c.isDigit()) {
            c = digit;
        }
    }
    return result;
}

}  // namespace

LiveLabel::LiveLabel(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Live values are never markup; nor does a new one need looking at for it.
    setTextFormat(Qt::PlainText);
}

const LiveLabel::Hints& LiveLabel::hints() const {
    const Setting setting{contentsMargins(), margin(), indent(), wordWrap(), static_cast<int>(alignment())};
    if (!(setting == measuredWith_)) {
        byPattern_.clear();
        measuredWith_ = setting;
    }
    const QString key = withDigits(text(), u'0');
    auto known = byPattern_.constFind(key);
    if (known != byPattern_.constEnd()) {
        return *known;
    }
    // A new pattern, measured once: the label's own sizes for this text, widened by what the
    // widest digits would add. In most fonts digits are equally wide and that is nothing.
    const QFontMetricsF metrics(font());
    if (widestDigit_.isNull()) {
        widestDigit_ = u'0';
        for (char16_t d = u'1'; d <= u'9'; ++d) {
            if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widestDigit_)) {
                widestDigit_ = QChar(d);
            }
        }
    }
    Hints hints{QLabel::sizeHint(), QLabel::minimumSizeHint()};
    if (!wordWrap() && key != text()) {
        const double more =
            metrics.horizontalAdvance(withDigits(text(), widestDigit_)) - metrics.horizontalAdvance(text());
        const int extra = std::max(0, static_cast<int>(std::ceil(more)));
        hints.size.rwidth() += extra;
        hints.minimum.rwidth() += extra;
    }
    // The patterns of a line are few; a label used otherwise starts over now and then.
    if (byPattern_.size() >= 64) {
        byPattern_.clear();
    }
    return *byPattern_.insert(key, hints);
}

QSize LiveLabel::sizeHint() const { return hints().size; }

QSize LiveLabel::minimumSizeHint() const { return hints().minimum; }

void LiveLabel::changeEvent(QEvent* event) {
    drawn_ = Drawn();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        byPattern_.clear();
        widestDigit_ = QChar();
    }
    QLabel::changeEvent(event);
}

QBrush LiveLabel::shownBehind() const {
    // What the nearest widget that fills its background shows; the window fills its own.
    for (const QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (w->autoFillBackground() || w->isWindow()) {
            return w->palette().brush(w->backgroundRole());
        }
    }
    return {};
}

void LiveLabel::paintEvent(QPaintEvent* event) {
    // An opaque widget gets no background from Qt, not even its own filled one.
    const QBrush background = autoFillBackground() || isWindow() ? palette().brush(backgroundRole()) : shownBehind();
    if (background.style() != Qt::SolidPattern) {
        // Not a plain colour: painted the ordinary way, from the next frame on.
        if (testAttribute(Qt::WA_OpaquePaintEvent)) {
            setAttribute(Qt::WA_OpaquePaintEvent, false);
            update();
        }
    }
    const Drawn before = drawn_;
    drawn_ = Drawn();
    if (!testAttribute(Qt::WA_OpaquePaintEvent)) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const std::optional<PatternGlyphs::Line> line = plainLine();
    if (!line) {
        painter.fillRect(event->rect(), background.color());
        painter.end();
        QLabel::paintEvent(event);
        return;
    }
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    Drawn now;
    now.target = painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice() : nullptr;
    QBackingStore* store = window()->backingStore();
    now.onScreen = store != nullptr && now.target == store->paintDevice() && now.target != nullptr;
    if (now.onScreen) {
        now.targetSize = QSize(now.target->width(), now.target->height());
        now.ratio = now.target->devicePixelRatio();
    }
    now.inWindow = mapTo(window(), QPoint(0, 0));
    now.size = size();
    now.background = background.color().rgba();
    now.foreground = palette().color(group, foregroundRole()).rgba();
    now.font = font();
    now.text = text();
    const QRect area = contentsRect();
    QRect changed = area;
    // On the screen, where the last drawing is still in the window's backing store, a new
    // number of the same pattern repaints only the digits that changed.
    if (now.onScreen && before.onScreen && before.sameAs(now) && before.text.size() == now.text.size() &&
        withDigits(before.text, u'0') == withDigits(now.text, u'0')) {
        const QList<QPointF> positions = line->glyphs.positions();
        QRectF cells;
        for (int i = 0; i < now.text.size(); ++i) {
            if (now.text[i] != before.text[i]) {
                const double left = positions[i].x();
                const double right = i + 1 < positions.size() ? positions[i + 1].x() : line->width;
                cells |= QRectF(left - 2, 0, right - left + 4, 1);
            }
        }
        if (!cells.isNull()) {
            changed = QRect(area.x() + static_cast<int>(std::floor(cells.left())), area.y(),
                            static_cast<int>(std::ceil(cells.width())) + 1, area.height())
                          .intersected(area);
        }
    }
    if (changed == area) {
        painter.fillRect(event->rect(), background.color());
    } else {
        painter.setClipRect(changed);
        painter.fillRect(changed, background.color());
    }
    painter.setPen(QPen(palette().brush(group, foregroundRole()), 1));
    if (line->width > area.width() || line->height > area.height()) {
        painter.setClipRect(area, Qt::IntersectClip);
    }
    // Centred upright as a laid out text is: by the line's unrounded height.
    painter.drawGlyphRun(QPointF(area.x(), area.y() + (area.height() - line->height) / 2), line->glyphs);
    drawn_ = now;
}

std::optional<PatternGlyphs::Line> LiveLabel::plainLine() {
    // What QLabel draws for a plain, enabled, left-aligned line without a frame, margin,
    // indent or shortcut; anything else it draws itself.
    const QString& shown = text();
    if (shown.isEmpty() || !pixmap().isNull() || movie() != nullptr || !isEnabled() || wordWrap() || margin() != 0 ||
        indent() > 0 || frameWidth() != 0 || alignment() != (Qt::AlignLeft | Qt::AlignVCenter) ||
        textFormat() != Qt::PlainText || layoutDirection() != Qt::LeftToRight || shown.contains(u'&')) {
        return std::nullopt;
    }
    glyphs_.setFont(font(), this);
    return glyphs_.line(shown);
}

bool LiveLabel::event(QEvent* event) {
    // Moved, resized, shown or hidden: what was drawn last is no longer where it was.
    switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::Hide:
            drawn_ = Drawn();
            break;
        default:
            break;
    }
    return QLabel::event(event);
}
