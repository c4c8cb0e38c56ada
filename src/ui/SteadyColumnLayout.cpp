#include "ui/SteadyColumnLayout.h"

QList<SteadyColumnLayout::Measure> SteadyColumnLayout::measured() const {
    QList<Measure> measures;
    measures.reserve(count());
    for (int i = 0; i < count(); ++i) {
        QLayoutItem* item = itemAt(i);
        measures.append({item, item->sizeHint(), item->minimumSize(), item->maximumSize(), item->isEmpty(),
                         static_cast<int>(item->expandingDirections()), item->hasHeightForWidth()});
    }
    return measures;
}

void SteadyColumnLayout::invalidate() {
    // Laid out as before when nothing the layout is computed from has changed.
    if (valid_ && spacing() == spacing_ && contentsMargins() == margins_ && measured() == laidOut_) {
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
