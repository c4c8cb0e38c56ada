#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

// A framed group of radio buttons handled as one list of items with one item index, the
// way the window's choices are bound: the language replaces the items as a whole list, the
// binding reads and writes the index, and only an operator's click is reported.
class RadioGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit RadioGroup(QWidget* parent = nullptr);

    // Replaces the items; the item index is kept when it still names an item.
    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.value(index); }

    // -1 when no item is selected.
    int itemIndex() const;
    // Selects the item, or none for an index outside the items. Emits nothing.
    void setItemIndex(int index);

signals:
    // An item was clicked by the operator.
    void itemClicked(int index);

private:
    QButtonGroup* group_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QList<QRadioButton*> buttons_;
};
