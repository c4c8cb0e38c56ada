#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "ui/FileDialogs.h"
#include "ui/Manual.h"
#include "ui/Printout.h"

// Answers the file commands' questions without a modal dialog and records what was asked.
// The window owns it; the test keeps a raw pointer. Everything is cancelled by default.
class FakeDialogs : public FileDialogs {
public:
    QString getSaveFileName(QWidget*, const QString& initialName) override {
        asked.append(QStringLiteral("save"));
        initialNames.append(initialName);
        if (beforeAnswer) beforeAnswer();
        return saveName;
    }
    QString getOpenFileName(QWidget*, const QString& initialName) override {
        asked.append(QStringLiteral("open"));
        initialNames.append(initialName);
        if (beforeAnswer) beforeAnswer();
        return openName;
    }
    Answer confirm(QWidget*, const QString& question) override {
        asked.append(QStringLiteral("confirm"));
        questions.append(question);
        return answer;
    }

    QString saveName;  // empty = Cancel
    QString openName;  // empty = Cancel
    Answer answer = Answer::Cancel;
    // Runs while the dialog would be open (e.g. to change the window behind it).
    std::function<void()> beforeAnswer;
    QStringList asked;
    QStringList initialNames;
    QStringList questions;
};

// Records the documents the window asks the desktop to open.
class RecordingOpener : public DocumentOpener {
public:
    bool open(const QString& path) override {
        opened.append(path);
        return result;
    }
    bool result = true;
    QStringList opened;
};

// A print target that cannot start a job, as without a default printer.
class FailingPrintTarget : public PrintTarget {
public:
    explicit FailingPrintTarget(QString reason) : reason_(std::move(reason)) {}
    QPrinter* printer(QString* error) override {
        ++jobs;
        if (onJob) onJob();
        if (error) *error = reason_;
        return nullptr;
    }
    int jobs = 0;
    std::function<void()> onJob;  // runs when the job is asked for: the window is in print view

private:
    QString reason_;
};

// Prints to a PDF file and lets the test look at the window while the job is asked for.
class WatchedPdfTarget : public PrintTarget {
public:
    explicit WatchedPdfTarget(const QString& path) : pdf_(path) {}
    QPrinter* printer(QString* error) override {
        ++jobs;
        if (onJob) onJob();
        return pdf_.printer(error);
    }
    int jobs = 0;
    std::function<void()> onJob;

private:
    PdfPrintTarget pdf_;
};
