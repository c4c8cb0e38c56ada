#include "ui/SteadyColumnLayout.h"

SteadyColumnLayout::Measure SteadyColumnLayout::measure(QLayoutItem* item) {
    return {item,
            item->sizeHint(),
            item->minimumSize(),
            item->maximumSize(),
            item->isEmpty(),
            static_cast<int>(item->expandingDirections()),
            item->hasHeightForWidth()};
}

QList<SteadyColumnLayout::Measure> SteadyColumnLayout::measured() const {
    QList<Measure> measures;
    measures.reserve(count());
    for (int i = 0; i < count(); ++i) {
        measures.append(measure(itemAt(i)));
    }
    return measures;
}

bool SteadyColumnLayout::asLaidOut() const {
    // Compared item by item, without a list of its own: asked on every new live text.
    if (!valid_ || count() != laidOut_.size() || spacing() != spacing_ || contentsMargins() != margins_) {
        return false;
    }
    for (int i = 0; i < count(); ++i) {
        if (!(measure(itemAt(i)) == laidOut_[i])) {
            return false;
        }
    }
    return true;
}

void SteadyColumnLayout::invalidate() {
    // Laid out as before when nothing the layout is computed from has changed.
    if (asLaidOut()) {
        return;
    }
    valid_ = false;
    QVBoxLayout::invalidate();
}

void SteadyColumnLayout::setGeometry(const QRect& rect) {
    QVBoxLayout::setGeometry(rect);
    laidOut_ = measured();
    spacing_ = spacing();
    margins_ = contentsMargins();
    valid_ = true;
}
