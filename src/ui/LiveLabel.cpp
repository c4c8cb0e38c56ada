#include "ui/LiveLabel.h"

#include <QEvent>
#include <QFontMetricsF>
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
    if (!testAttribute(Qt::WA_OpaquePaintEvent)) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(event->rect(), background.color());
    if (!drawText(painter)) {
        painter.end();
        QLabel::paintEvent(event);
    }
}

bool LiveLabel::drawText(QPainter& painter) {
    // What QLabel draws for a plain, enabled, left-aligned line without a frame, margin,
    // indent or shortcut; anything else it draws itself.
    const QString& shown = text();
    if (!pixmap().isNull() || movie() != nullptr || !isEnabled() || wordWrap() || margin() != 0 || indent() > 0 ||
        frameWidth() != 0 || alignment() != (Qt::AlignLeft | Qt::AlignVCenter) || textFormat() != Qt::PlainText ||
        layoutDirection() != Qt::LeftToRight || shown.contains(u'&')) {
        return false;
    }
    if (shown.isEmpty()) {
        return true;
    }
    glyphs_.setFont(font(), this);
    const std::optional<PatternGlyphs::Line> line = glyphs_.line(shown);
    if (!line) {
        return false;
    }
    const QRect area = contentsRect();
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    painter.setPen(QPen(palette().brush(group, foregroundRole()), 1));
    if (line->width > area.width() || line->height > area.height()) {
        painter.setClipRect(area, Qt::IntersectClip);
    }
    // Centred upright as a laid out text is: by the line's unrounded height.
    painter.drawGlyphRun(QPointF(area.x(), area.y() + (area.height() - line->height) / 2), line->glyphs);
    return true;
}
