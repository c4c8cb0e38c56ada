#pragma once

#include <QDialog>

#include "files/SetDifference.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// The difference report in a small window of its own: one row per differing field, with the
// window's value and the other side's. Not modal, so the operator can keep it beside the
// main window while correcting the set.
class DifferenceWindow : public QDialog {
    Q_OBJECT

public:
    explicit DifferenceWindow(QWidget* parent = nullptr);

    // Whether showing the report takes the keyboard: a report the operator asked for comes to
    // the front; one that follows a command's failure opens beside the main window and leaves
    // the keyboard where it was.
    enum class Focus { Take, Leave };

    // otherSide names the right column: the unit, or a file's name.
    void showReport(const ParameterSet& window, const ParameterSet& other, const QString& otherSide,
                    Focus focus = Focus::Take);
    void applyTexts();

    const QList<SetDifference::Row>& rows() const { return rows_; }
    QTreeWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }

private:
    void fill();

    ParameterSet left_;
    ParameterSet right_;
    QList<SetDifference::Row> rows_;
    QString otherSide_;
    QLabel* summary_ = nullptr;
    QTreeWidget* table_ = nullptr;
    QPushButton* close_ = nullptr;
};
