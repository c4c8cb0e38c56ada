#pragma once

#include <QWidget>
#include <optional>

class QLineEdit;
class QToolButton;

// The up-down spinner of an edit box. The spinner owns the value: it holds a position with
// its range and increment, writes the position into its buddy box (grouped from 1000 up
// when grouping is on) and, when asked for its position, first adopts the box's text if
// that is a whole number within range. A click adopts the text, steps without wrapping,
// writes the box and emits clicked, also at the ends of the range.
//
// QSpinBox is not used: it validates while typing, owns its line edit, and reports every
// change of value, while this window keeps the operator's text until it is read back.
class UpDown : public QWidget {
    Q_OBJECT

public:
    explicit UpDown(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return buddy_; }

    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setIncrement(int increment) { increment_ = increment; }
    int increment() const { return increment_; }
    void setGrouping(bool grouping) { grouping_ = grouping; }
    bool grouping() const { return grouping_; }

    // Adopts the buddy's text when it is a whole number in range, then returns the position.
    int position();
    // The position as last set or adopted, without looking at the box.
    int storedPosition() const { return position_; }
    // Clamps into the range and shows the value in the buddy. Emits nothing.
    void setPosition(int value);

    // The text the box shows for a value.
    QString textFor(int value) const;
    // The number in text, group separators ignored; nullopt unless a whole number.
    static std::optional<int> parseNumber(const QString& text);

    // Steps as a click on the up (+1) or down (-1) arrow does, then emits clicked.
    void step(int direction);

signals:
    void clicked(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    QSize sizeHint() const override;

private:
    QLineEdit* buddy_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int minimum_ = 0;
    int maximum_ = 100;
    int increment_ = 1;
    int position_ = 0;
    bool grouping_ = true;
};
