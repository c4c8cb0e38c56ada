#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "files/ParameterFile.h"
#include "i18n/GraphTexts.h"
#include "i18n/SessionTexts.h"
#include "model/EditorBindings.h"
#include "ui/CurveGraph.h"
#include "ui/FileDialogs.h"
#include "ui/TFormHlav.h"
#include "ui/UpDown.h"

// Undo and redo of the set, the dragged point of the curve graph and the unsaved marker of
// the file label.

namespace {

constexpr const char* kUnsavedMarker = " *";

}  // namespace

UndoStep TFormHlav::currentStep() const {
    UndoStep step;
    const auto block = set_.block(kParameterBlock);
    std::copy(block.begin(), block.end(), step.parameters.begin());
    step.source = fileName_;
    return step;
}

void TFormHlav::recordStep() {
    if (undo_.record(currentStep())) {
        updateUndoActions();
    }
}

void TFormHlav::restoreStep(const std::optional<UndoStep>& step) {
    if (!step || busy_ != 0 || curveGraph_->dragging()) {
        return;
    }
    // The parameters and the file name as they were, applied like any change: programmed
    // only when asked for. The header stays the last unit's.
    set_.replaceBlock(kParameterBlock, step->parameters);
    fileName_ = step->source;
    if (!fileName_.isEmpty()) {
        currentFileName_ = fileName_;
    }
    applyEdit();
    updateUndoActions();
}

void TFormHlav::applyFileSet(const QString& path, bool fromFile) {
    set_.validate();
    refreshWindow();
    refreshWindow();
    // The name belongs to the same step as the set, so that undo returns to both.
    fileName_ = path;
    if (fromFile) {
        currentFileName_ = path;
        markSaved();
    }
    updateFileLabel();
    recordStep();
    programAfterChange();
}

bool TFormHlav::mayReplaceSet() {
    if (!unsavedChanges()) {
        return true;
    }
    switch (fileDialogs_->confirm(this, sessionText(SessionText::SaveChanges, currentLanguage()))) {
        case FileDialogs::Answer::Yes:
            MenuSaveClick();
            return !unsavedChanges();
        case FileDialogs::Answer::No:
            return true;
        case FileDialogs::Answer::Cancel:
            break;
    }
    return false;
}

void TFormHlav::checkFileAtStart() {
    // The set at start is the one last worked on, which need not be what its file holds.
    fileContents_.clear();
    if (!fileName_.isEmpty()) {
        ParameterSet fromFile = set_;
        if (ParameterFile::open(fileName_, fromFile) == ParameterFile::OpenResult::Accepted) {
            fromFile.validate();
            ImageBlock block{};
            const auto bytes = fromFile.block(kParameterBlock);
            std::copy(bytes.begin(), bytes.end(), block.begin());
            fileContents_.insert(fileName_, block);
        }
    }
    updateFileLabel();
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
    if (!fileName_.isEmpty()) {
        ImageBlock block{};
        const auto bytes = set_.block(kParameterBlock);
        std::copy(bytes.begin(), bytes.end(), block.begin());
        fileContents_.insert(fileName_, block);
    }
    updateFileLabel();
}

bool TFormHlav::unsavedChanges() const {
    if (fileName_.isEmpty()) {
        return false;
    }
    const auto known = fileContents_.constFind(fileName_);
    const auto block = set_.block(kParameterBlock);
    return known == fileContents_.constEnd() || !std::equal(block.begin(), block.end(), known->begin());
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
