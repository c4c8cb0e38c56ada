#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "model/ParameterImage.h"

// The steps of the parameter set the operator can go back and forth through. The set is
// only 100 bytes, so every step is the whole image; the oldest steps fall off beyond
// kDepth. The entry at the position is the set as last recorded.
class UndoHistory {
public:
    static constexpr std::size_t kDepth = 200;

    // Forgets every step; image becomes the one the history starts from.
    void reset(const ParameterImage& image);
    // A new step when image differs from the last recorded one; the steps undone before
    // are dropped. Returns whether a step was added.
    bool record(const ParameterImage& image);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ + 1 < states_.size(); }
    // The image one step back or forward, which becomes the recorded one; nullopt at the end.
    std::optional<ParameterImage> undo();
    std::optional<ParameterImage> redo();

    const ParameterImage& current() const { return states_[position_]; }
    std::size_t undoSteps() const { return position_; }

private:
    std::vector<ParameterImage> states_{ParameterImage{}};
    std::size_t position_ = 0;
};
