#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "i18n/GraphTexts.h"
#include "ui/CurveGraph.h"
#include "model/EditorBindings.h"
#include "ui/TFormHlav.h"
#include "ui/UpDown.h"

// Undo and redo of the set, the dragged point of the curve graph and the unsaved marker of
// the file label.

namespace {

constexpr const char* kUnsavedMarker = " *";

}  // namespace

void TFormHlav::recordStep() {
    if (undo_.record(set_.image())) {
        updateUndoActions();
    }
}

void TFormHlav::restoreStep(const std::optional<ParameterImage>& image) {
    if (!image || busy_ != 0 || curveGraph_->dragging()) {
        return;
    }
    // The whole set as it was, applied like any change: programmed only when asked for.
    set_.replaceImage(*image);
    applyEdit();
    updateUndoActions();
}

void TFormHlav::MenuUndoClick() {
    if (undo_.canUndo()) {
        restoreStep(undo_.undo());
    }
}

void TFormHlav::MenuRedoClick() {
    if (undo_.canRedo()) {
        restoreStep(undo_.redo());
    }
}

void TFormHlav::updateUndoActions() {
    menuUndo_->setEnabled(undo_.canUndo());
    menuRedo_->setEnabled(undo_.canRedo());
}

bool TFormHlav::undoKeyForWindow(QLineEdit* edit, QKeyEvent* event) const {
    // An edit box keeps the keys for its own typing while it has any; otherwise they undo
    // and redo the set, wherever the focus is.
    const QKeySequence key(event->keyCombination());
    const bool undo = menuUndo_->shortcuts().contains(key);
    const bool redo = menuRedo_->shortcuts().contains(key);
    return (undo && !edit->isUndoAvailable()) || (redo && !edit->isRedoAvailable());
}

void TFormHlav::markSaved() {
    const auto block = set_.block(kParameterBlock);
    std::copy(block.begin(), block.end(), savedBlock_.begin());
    updateFileLabel();
}

bool TFormHlav::unsavedChanges() const {
    const auto block = set_.block(kParameterBlock);
    return !fileName_.isEmpty() && !std::equal(block.begin(), block.end(), savedBlock_.begin());
}

void TFormHlav::updateFileLabel() {
    const bool marked = unsavedChanges();
    const qsizetype length = fileName_.size() + (marked ? 2 : 0);
    // Set only when it differs, so an unchanged refresh builds no text.
    const QString& shown = labelFile2_->text();
    if (shown.size() != length || !shown.startsWith(fileName_) || shown.endsWith(kUnsavedMarker) != marked) {
        labelFile2_->setText(marked ? fileName_ + kUnsavedMarker : fileName_);
    }
}

void TFormHlav::applyEditingTexts() {
    const LanguageId language = currentLanguage();
    menuUndo_->setText(graphText(GraphText::Undo, language));
    menuUndo_->setStatusTip(graphText(GraphText::UndoHint, language));
    menuRedo_->setText(graphText(GraphText::Redo, language));
    menuRedo_->setStatusTip(graphText(GraphText::RedoHint, language));
    curveGraph_->setLanguage(language);
}

void TFormHlav::curvePointDragged(int index, int rpmCode, int advance) {
    if (busy_ != 0 || index < 0 || index >= kCurvePoints) {
        return;
    }
    // As if typed into the point's two boxes and confirmed, without programming yet.
    rpmSpinners_[static_cast<std::size_t>(index)]->setPosition(rpmCode * 100);
    advanceSpinners_[static_cast<std::size_t>(index)]->setPosition(advance);
    readBackFromWindow();
    set_.validate();
    refreshWindow();
}

void TFormHlav::curvePointDropped(int) {
    if (busy_ != 0) {
        return;
    }
    // The whole drag is one applied edit: one step, and at most one programming.
    readBackFromWindow();
    applyEdit();
}
