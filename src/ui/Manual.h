#pragma once

#include <QString>
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

// The manual of the current language: its bare name looked up in the process's current
// folder.
QString manualPath(const MessageTexts& texts);

// Help, Contents. The desktop opener on Linux reports no failure for a missing file, so
// the file is checked first; a missing file or a failed open shows manualOpenError.
// Returns true when the desktop accepted the file.
bool openManual(QWidget* parent, const MessageTexts& texts, DocumentOpener& opener,
                const MessageSink& sink = showManualError);
