#include "ui/HistoryWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "i18n/HistoryTexts.h"

namespace {

enum Column { Date, Kind, Unit, Firmware, Programmings, ColumnCount };

QString kindText(HistoryKind kind) {
    switch (kind) {
        case HistoryKind::Programmed:
            return historyText(HistoryText::KindProgrammed);
        case HistoryKind::Backup:
            return historyText(HistoryText::KindBackup);
        case HistoryKind::Read:
            break;
    }
    return historyText(HistoryText::KindRead);
}

}  // namespace

HistoryWindow::HistoryWindow(Action open, Action compare, QWidget* parent)
    : QDialog(parent), open_(std::move(open)), compare_(std::move(compare)) {
    setObjectName("HistoryWindow");
    auto* layout = new QVBoxLayout(this);
    table_ = new QTreeWidget(this);
    table_->setObjectName("TreeHistory");
    table_->setColumnCount(ColumnCount);
    table_->setRootIsDecorated(false);
    table_->setUniformRowHeights(true);
    table_->setAlternatingRowColors(true);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->header()->setStretchLastSection(false);
    table_->header()->setSectionResizeMode(Unit, QHeaderView::Stretch);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(this);
    openButton_ = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    openButton_->setObjectName("ButtonHistoryOpen");
    compareButton_ = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    compareButton_->setObjectName("ButtonHistoryCompare");
    closeButton_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    closeButton_->setObjectName("ButtonHistoryClose");
    layout->addWidget(buttons);

    connect(openButton_, &QPushButton::clicked, this, [this] {
        if (const QString path = selectedPath(); !path.isEmpty()) open_(path);
    });
    connect(compareButton_, &QPushButton::clicked, this, [this] {
        if (const QString path = selectedPath(); !path.isEmpty()) compare_(path);
    });
    connect(table_, &QTreeWidget::itemActivated, this, [this] {
        if (const QString path = selectedPath(); !path.isEmpty()) open_(path);
    });
    connect(table_, &QTreeWidget::itemSelectionChanged, this, &HistoryWindow::updateButtons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    resize(720, 460);
    applyTexts();
}

void HistoryWindow::reload(const HistoryStore& store) {
    entries_ = store.list();
    table_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(entries_.size());
    for (const HistoryStore::Entry& entry : entries_) {
        auto* item = new QTreeWidgetItem;
        item->setText(Date, entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setText(Unit, entry.unitText);
        item->setText(Firmware, entry.firmware);
        item->setText(Programmings,
                      entry.programmingCount ? QString::number(*entry.programmingCount) : QStringLiteral("---"));
        item->setTextAlignment(Programmings, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    table_->addTopLevelItems(items);
    fillKinds();
    if (!items.isEmpty()) table_->setCurrentItem(items.first());
    for (int c : {Date, Kind, Firmware, Programmings}) table_->resizeColumnToContents(c);
    updateButtons();
}

void HistoryWindow::fillKinds() {
    for (int i = 0; i < table_->topLevelItemCount() && i < entries_.size(); ++i)
        table_->topLevelItem(i)->setText(Kind, kindText(entries_.at(i).kind));
}

void HistoryWindow::applyTexts() {
    setWindowTitle(historyText(HistoryText::HistoryTitle));
    table_->setHeaderLabels({historyText(HistoryText::ColumnDate), historyText(HistoryText::ColumnKind),
                             historyText(HistoryText::ColumnUnit), historyText(HistoryText::ColumnFirmware),
                             historyText(HistoryText::ColumnProgrammings)});
    openButton_->setText(historyText(HistoryText::ButtonOpen));
    compareButton_->setText(historyText(HistoryText::ButtonCompare));
    closeButton_->setText(historyText(HistoryText::ButtonClose));
    fillKinds();
}

QString HistoryWindow::selectedPath() const {
    const QTreeWidgetItem* item = table_->currentItem();
    if (!item) return {};
    const int row = table_->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    return row >= 0 && row < entries_.size() ? entries_.at(row).path : QString();
}

void HistoryWindow::updateButtons() {
    const bool chosen = !selectedPath().isEmpty();
    openButton_->setEnabled(chosen);
    compareButton_->setEnabled(chosen);
}
