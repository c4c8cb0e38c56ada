#include "ui/Manual.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

#include "ProjectInfo.h"
#include "i18n/MessageTexts.h"

bool DesktopDocumentOpener::open(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

void showManualError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, parent ? parent->window()->windowTitle() : QString(), text, QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QStringList manualFolders(const QString& programFolder) {
    const QDir program(programFolder);
    const QStringList candidates = {
        QDir::currentPath(),
        program.absolutePath(),
        QDir::cleanPath(program.absoluteFilePath(QString::fromUtf8(kDocDirFromBinDir))),
        QDir::cleanPath(QString::fromUtf8(kConfiguredDocDir)),
    };
    QStringList folders;
    for (const QString& folder : candidates) {
        if (!folders.contains(folder)) folders << folder;
    }
    return folders;
}

QString manualPath(const MessageTexts& texts, const QStringList& folders) {
    // An empty name would name the folder itself.
    if (texts.manualFile.isEmpty()) return {};
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder), texts.manualFile);
        if (file.isFile()) return file.absoluteFilePath();
    }
    return {};
}

bool openManual(QWidget* parent, const MessageTexts& texts, DocumentOpener& opener, const MessageSink& sink) {
    return openManual(parent, texts, opener, sink, manualFolders(QCoreApplication::applicationDirPath()));
}

bool openManual(QWidget* parent, const MessageTexts& texts, DocumentOpener& opener, const MessageSink& sink,
                const QStringList& folders) {
    const QString path = manualPath(texts, folders);
    const bool opened = !path.isEmpty() && opener.open(path);
    if (!opened && sink) sink(parent, texts.manualOpenError);
    return opened;
}
