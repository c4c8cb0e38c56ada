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

LiveLabel::LiveLabel(QWidget* parent) : QLabel(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

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
    const QBrush background = autoFillBackground() ? palette().brush(backgroundRole()) : shownBehind();
    if (background.style() != Qt::SolidPattern) {
        // Not a plain colour: painted the ordinary way, from the next frame on.
        if (testAttribute(Qt::WA_OpaquePaintEvent)) {
            setAttribute(Qt::WA_OpaquePaintEvent, false);
            update();
        }
    } else if (testAttribute(Qt::WA_OpaquePaintEvent)) {
        QPainter(this).fillRect(event->rect(), background.color());
    }
    QLabel::paintEvent(event);
}
