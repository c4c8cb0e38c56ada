#include "model/UndoHistory.h"

void UndoHistory::reset(const ParameterImage& image) {
    states_.assign(1, image);
    position_ = 0;
}

bool UndoHistory::record(const ParameterImage& image) {
    if (image == states_[position_]) {
        return false;
    }
    states_.resize(position_ + 1);
    if (states_.size() > kDepth) {
        states_.erase(states_.begin());
    }
    states_.push_back(image);
    position_ = states_.size() - 1;
    return true;
}

std::optional<ParameterImage> UndoHistory::undo() {
    if (!canUndo()) {
        return std::nullopt;
    }
    --position_;
    return states_[position_];
}

std::optional<ParameterImage> UndoHistory::redo() {
    if (!canRedo()) {
        return std::nullopt;
    }
    ++position_;
    return states_[position_];
}
