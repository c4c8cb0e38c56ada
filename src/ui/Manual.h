#pragma once

#include <QString>
#include <QStringList>
#include <functional>

struct MessageTexts;
class QWidget;

// Opens a document with the desktop's default application.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    // path is absolute; returns false when the desktop reports a failure.
    virtual bool open(const QString& path) = 0;
};

// The desktop's own opener (QDesktopServices).
class DesktopDocumentOpener : public DocumentOpener {
public:
    bool open(const QString& path) override;
};

// Shows an error text to the operator; the default is a message box with an OK button.
using MessageSink = std::function<void(QWidget* parent, const QString& text)>;
void showManualError(QWidget* parent, const QString& text);

// Where the manual is looked for, in this order: the process's current folder, the
// program's folder (a build tree), the documentation folder of an installation found from
// the program's folder (a relocated installation or a package), and the documentation
// folder the build was configured for. Absolute, without repeats.
QStringList manualFolders(const QString& programFolder);

// The manual of the current language: the first of folders holding a plain file of its
// bare name; empty when none does.
QString manualPath(const MessageTexts& texts, const QStringList& folders);

// Help, Contents. The desktop opener on Linux reports no failure for a missing file, so
// the file is found first; a missing file or a failed open shows manualOpenError.
// Returns true when the desktop accepted the file. Without folders, manualFolders() of
// this program.
bool openManual(QWidget* parent, const MessageTexts& texts, DocumentOpener& opener,
                const MessageSink& sink = showManualError);
bool openManual(QWidget* parent, const MessageTexts& texts, DocumentOpener& opener, const MessageSink& sink,
                const QStringList& folders);
