#include "ui/LiveGauge.h"

void LiveGauge::showValue(int value) {
    if (value == this->value()) {
        return;
    }
    // With updates off the immediate repaint does nothing; turning them on again asks for an
    // ordinary update, painted with the rest of the frame like every other control.
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    setValue(value);
    setUpdatesEnabled(updates);
}
