#include "ui/Manual.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

#include "i18n/MessageTexts.h"

bool DesktopDocumentOpener::open(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

void showManualError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, parent ? parent->window()->windowTitle() : QString(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

QString manualPath(const MessageTexts& texts) { return QDir::current().absoluteFilePath(texts.manualFile); }

bool openManual(QWidget* parent, const MessageTexts& texts, DocumentOpener& opener, const MessageSink& sink) {
    const QString path = manualPath(texts);
    // An empty name would name the folder itself.
    const bool opened = !texts.manualFile.isEmpty() && QFileInfo(path).isFile() && opener.open(path);
    if (!opened && sink) sink(parent, texts.manualOpenError);
    return opened;
}
