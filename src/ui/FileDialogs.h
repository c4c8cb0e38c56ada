#pragma once

#include <QString>

class QWidget;

// The modal questions of the file commands: where to save, what to open, and the Yes/No/Cancel
// confirmation before the default set. The window asks through this so that tests can answer
// without a modal dialog.
class FileDialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~FileDialogs() = default;
    // The chosen path, or empty on Cancel. initialName is the dialog's initial file name.
    virtual QString getSaveFileName(QWidget* parent, const QString& initialName) = 0;
    virtual QString getOpenFileName(QWidget* parent, const QString& initialName) = 0;
    virtual Answer confirm(QWidget* parent, const QString& question) = 0;
};

// The real dialogs: QFileDialog with the parameter-file filters and default extension, and a
// question box with Yes, No and Cancel.
class SystemFileDialogs : public FileDialogs {
public:
    static constexpr char kParameterFilter[] = "Ignition Parametrs(*.ign)";
    static constexpr char kAllFilesFilter[] = "All Files (*.*)";
    static constexpr char kDefaultSuffix[] = "ign";

    QString getSaveFileName(QWidget* parent, const QString& initialName) override;
    QString getOpenFileName(QWidget* parent, const QString& initialName) override;
    Answer confirm(QWidget* parent, const QString& question) override;
};
