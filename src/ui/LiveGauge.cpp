#include "ui/LiveGauge.h"

void LiveGauge::showValue(int value) {
    if (value == this->value()) {
        return;
    }
    // With updates off the immediate repaint does nothing; the gauge then asks for an
    // ordinary update like every other control.
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    setValue(value);
    setUpdatesEnabled(updates);
    if (updates) {
        update();
    }
}
