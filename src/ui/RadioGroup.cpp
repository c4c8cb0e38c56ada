#include "ui/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), group_(new QButtonGroup(this)) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(8, 4, 8, 4);
    layout_->setSpacing(2);
    connect(group_, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

void RadioGroup::setItems(const QStringList& items) {
    const int index = itemIndex();
    while (buttons_.size() > items.size()) {
        QRadioButton* button = buttons_.takeLast();
        group_->removeButton(button);
        delete button;
    }
    while (buttons_.size() < items.size()) {
        auto* button = new QRadioButton(this);
        group_->addButton(button, static_cast<int>(buttons_.size()));
        layout_->addWidget(button);
        buttons_.append(button);
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        buttons_[i]->setText(items[i]);
    }
    setItemIndex(index);
}

QStringList RadioGroup::items() const {
    QStringList list;
    for (const QRadioButton* button : buttons_) {
        list.append(button->text());
    }
    return list;
}

int RadioGroup::itemIndex() const { return group_->checkedId(); }

void RadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < buttons_.size()) {
        if (!buttons_[index]->isChecked()) {
            buttons_[index]->setChecked(true);
        }
        return;
    }
    // An exclusive group keeps one button checked; lift that while clearing.
    group_->setExclusive(false);
    for (QRadioButton* button : buttons_) {
        button->setChecked(false);
    }
    group_->setExclusive(true);
}
