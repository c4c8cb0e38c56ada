#include "ui/DifferenceWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "i18n/HistoryTexts.h"

DifferenceWindow::DifferenceWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("DifferenceWindow");
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName("LabelDifference");
    summary_->setTextFormat(Qt::PlainText);  // it names a file
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    table_ = new QTreeWidget(this);
    table_->setObjectName("TreeDifference");
    table_->setColumnCount(3);
    table_->setRootIsDecorated(false);
    table_->setUniformRowHeights(true);
    table_->setAlternatingRowColors(true);
    table_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(this);
    close_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    close_->setObjectName("ButtonDifferenceClose");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(560, 420);
    applyTexts();
}

void DifferenceWindow::showReport(const ParameterSet& window, const ParameterSet& other, const QString& otherSide,
                                  Focus focus) {
    // Kept as sets, so that a language change can write the report again.
    left_ = window;
    right_ = other;
    otherSide_ = otherSide;
    fill();
    setAttribute(Qt::WA_ShowWithoutActivating, focus == Focus::Leave);
    show();
    raise();
    if (focus == Focus::Take) activateWindow();
}

void DifferenceWindow::applyTexts() {
    setWindowTitle(historyText(HistoryText::DifferenceTitle));
    close_->setText(historyText(HistoryText::ButtonClose));
    fill();
}

void DifferenceWindow::fill() {
    rows_ = SetDifference::compare(left_, right_);
    table_->setHeaderLabels({historyText(HistoryText::ColumnField), historyText(HistoryText::SideWindow),
                             otherSide_.isEmpty() ? historyText(HistoryText::SideUnit) : otherSide_});
    table_->clear();
    QList<QTreeWidgetItem*> items;
    for (const SetDifference::Row& row : rows_) items.append(new QTreeWidgetItem({row.field, row.left, row.right}));
    table_->addTopLevelItems(items);
    table_->setVisible(!rows_.isEmpty());
    summary_->setText(rows_.isEmpty() ? historyText(HistoryText::NoDifferences)
                                      : historyText(HistoryText::SideWindow) + QStringLiteral(" \u2194 ") +
                                            (otherSide_.isEmpty() ? historyText(HistoryText::SideUnit) : otherSide_));
}
