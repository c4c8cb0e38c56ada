#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>

namespace {

QString run(QFileDialog& dialog, const QString& initialName) {
    dialog.setDefaultSuffix(QString::fromLatin1(SystemFileDialogs::kDefaultSuffix));
    dialog.setSizeGripEnabled(true);
    if (!initialName.isEmpty()) {
        const QFileInfo info(initialName);
        if (info.dir().exists()) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    dialog.selectNameFilter(QString::fromLatin1(SystemFileDialogs::kParameterFilter));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

QString titleOf(QWidget* parent) { return parent ? parent->window()->windowTitle() : QString(); }

}  // namespace

QString SystemFileDialogs::getSaveFileName(QWidget* parent, const QString& initialName) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Overwriting an existing file is confirmed by the dialog (QFileDialog's default).
    dialog.setNameFilters({QString::fromLatin1(kParameterFilter)});
    return run(dialog, initialName);
}

QString SystemFileDialogs::getOpenFileName(QWidget* parent, const QString& initialName) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QString::fromLatin1(kParameterFilter), QString::fromLatin1(kAllFilesFilter)});
    return run(dialog, initialName);
}

FileDialogs::Answer SystemFileDialogs::confirm(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, titleOf(parent), question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setTextFormat(Qt::PlainText);
    const int button = box.exec();
    if (button == QMessageBox::Yes) return Answer::Yes;
    if (button == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}
