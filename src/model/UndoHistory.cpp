#include "model/UndoHistory.h"

void UndoHistory::reset(const UndoStep& step) {
    states_.assign(1, step);
    position_ = 0;
}

bool UndoHistory::record(const UndoStep& step) {
    if (step == states_[position_]) {
        return false;
    }
    states_.resize(position_ + 1);
    if (states_.size() > kDepth) {
        states_.erase(states_.begin());
    }
    states_.push_back(step);
    position_ = states_.size() - 1;
    return true;
}

std::optional<UndoStep> UndoHistory::undo() {
    if (!canUndo()) {
        return std::nullopt;
    }
    --position_;
    return states_[position_];
}

std::optional<UndoStep> UndoHistory::redo() {
    if (!canRedo()) {
        return std::nullopt;
    }
    ++position_;
    return states_[position_];
}
