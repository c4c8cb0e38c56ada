#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "model/ParameterImage.h"

// One state the operator can go back to: the parameter block (spare bytes included) and the
// file the set came from. The header block is not part of it: only a unit's answers write
// the header, so going back never puts an older unit's identification into the image.
struct UndoStep {
    ImageBlock parameters{};
    QString source;  // the file named beside the set; empty when it came from no file

    bool operator==(const UndoStep&) const = default;
};

// The steps of the parameter set the operator can go back and forth through. The oldest
// steps fall off beyond kDepth. The entry at the position is the state as last recorded.
class UndoHistory {
public:
    static constexpr std::size_t kDepth = 200;

    // Forgets every step; step becomes the one the history starts from.
    void reset(const UndoStep& step);
    // A new step when step differs from the last recorded one; the steps undone before are
    // dropped. Returns whether a step was added.
    bool record(const UndoStep& step);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ + 1 < states_.size(); }
    // The step one back or forward, which becomes the recorded one; nullopt at the end.
    std::optional<UndoStep> undo();
    std::optional<UndoStep> redo();

    const UndoStep& current() const { return states_[position_]; }
    std::size_t undoSteps() const { return position_; }

private:
    std::vector<UndoStep> states_{UndoStep{}};
    std::size_t position_ = 0;
};
