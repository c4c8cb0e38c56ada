#include "ui/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {

QLocale groupingLocale() {
    QLocale locale;  // the system's, or the default set by the application
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

bool isBlankSeparator(QChar c) { return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F); }

}  // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeArrow = [this, layout](Qt::ArrowType arrow, int direction) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setIconSize(QSize(7, 5));
        button->setMinimumSize(1, 1);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, direction] { step(direction); });
        return button;
    };
    up_ = makeArrow(Qt::UpArrow, +1);
    down_ = makeArrow(Qt::DownArrow, -1);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QSize UpDown::sizeHint() const {
    const int height = buddy_ != nullptr ? buddy_->sizeHint().height() : 22;
    return {17, height};
}

void UpDown::setBuddy(QLineEdit* buddy) {
    if (buddy_ != nullptr) {
        buddy_->removeEventFilter(this);
    }
    buddy_ = buddy;
    if (buddy_ != nullptr) {
        buddy_->installEventFilter(this);
        buddy_->setText(textFor(position_));
    }
}

void UpDown::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
}

QString UpDown::textFor(int value) const {
    if (grouping_ && value >= 1000) {
        return groupingLocale().toString(value);
    }
    return QString::number(value);
}

std::optional<int> UpDown::parseNumber(const QString& text) {
    const QString separator = QLocale().groupSeparator();
    const bool blankSeparator =
        !separator.isEmpty() && std::all_of(separator.begin(), separator.end(), isBlankSeparator);
    QString digits;
    digits.reserve(text.size());
    const QString trimmed = text.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (!separator.isEmpty() && trimmed.mid(i, separator.size()) == separator) {
            i += separator.size() - 1;
            continue;
        }
        if (blankSeparator && isBlankSeparator(trimmed[i])) {
            continue;
        }
        digits.append(trimmed[i]);
    }
    qsizetype first = 0;
    if (!digits.isEmpty() && (digits[0] == u'-' || digits[0] == u'+')) {
        first = 1;
    }
    if (digits.size() == first) {
        return std::nullopt;
    }
    for (qsizetype i = first; i < digits.size(); ++i) {
        if (digits[i] < u'0' || digits[i] > u'9') {
            return std::nullopt;
        }
    }
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

int UpDown::position() {
    if (buddy_ != nullptr) {
        const auto typed = parseNumber(buddy_->text());
        if (typed && *typed >= minimum_ && *typed <= maximum_) {
            position_ = *typed;
        }
    }
    return position_;
}

void UpDown::setPosition(int value) {
    position_ = std::clamp(value, minimum_, maximum_);
    if (buddy_ != nullptr) {
        const QString text = textFor(position_);
        if (buddy_->text() != text) {
            buddy_->setText(text);
        }
    }
}

void UpDown::step(int direction) {
    const int current = position();
    const long long next = static_cast<long long>(current) + static_cast<long long>(direction) * increment_;
    setPosition(static_cast<int>(std::clamp<long long>(next, minimum_, maximum_)));
    emit clicked(direction);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    // The arrow keys in the box step like the arrows, as the platform spinners do.
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled() && !isHidden()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Up) {
                step(+1);
                return true;
            }
            if (key->key() == Qt::Key_Down) {
                step(-1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
