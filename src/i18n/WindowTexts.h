#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <span>
#include <string_view>

#include "i18n/Language.h"

// The words of the main window in four languages, as data the window walks.
//
// How the window applies them for a language L (after ticking the language item):
//   1. setWindowTitle(windowTitle(L));
//   2. for each row of windowTextTable(), in order, find the control named row.target and
//      set row.textFor(L) as its caption / menu caption / hint / menu hint, or replace
//      entry row.item (1-based) of a drop-down list (Item), or replace the whole choice
//      list of a radio group with row.itemsFor(L) (Items);
//   3. rebuild the message texts (buildMessageTexts).
// fixedWindowTexts() are set once when the window is built; no language changes them.
// A hint may be "short|long" (see splitHint); menu items that get no hint here keep an
// empty one.

enum class TextKind {
    Caption,      // visible text of the window, a label, check box, button, group box or radio-group frame
    MenuCaption,  // text of a menu item; "&" marks the accelerator
    Hint,         // hint of a window control
    MenuHint,     // hint of a menu item (status bar)
    Item,         // one entry of a drop-down list, replaced in place
    Items,        // the whole choice list of a radio group
};

struct WindowTextRow {
    int number;          // row number in the table, 2..89
    const char* target;  // control object name, e.g. "MenuFile", "RadioGroupInput1"
    TextKind kind;
    int item;                                      // for Item: 1-based entry index; else 0
    std::array<const char*, kLanguageCount> text;  // UTF-8; for Items the entries separated by '\n'

    QString textFor(LanguageId language) const;
    // The entries of an Items row; any other row gives its one text.
    QStringList itemsFor(LanguageId language) const;
};

constexpr int kWindowTextRowCount = 88;

// Rows 2..89 in application order, every text final (the input captions and the COM
// port hints already composed).
const std::array<WindowTextRow, kWindowTextRowCount>& windowTextTable();

// The first row for that control and kind (and entry, for Item), or nullptr.
const WindowTextRow* findWindowText(std::string_view target, TextKind kind, int item = 0);

inline constexpr const char* kProductName = "VELMORAN";

// Window title: the language's prefix, kProductName and the language's suffix.
QString windowTitle(LanguageId language);

// A text that is the same in every language.
struct FixedText {
    const char* target;
    TextKind kind;
    const char* text;  // UTF-8; for Items the entries separated by '\n'

    QStringList items() const;
};

// Captions of the RPM and clutch labels, the advance buttons, the COM items and the two
// Tools items, the fixed hints, and the keying list.
std::span<const FixedText> fixedWindowTexts();

// The keying list ComboBoxBike, in list order (positions 0..3), the same in every language.
inline constexpr std::array<const char*, 4> kKeyingEntries = {
    "Standard", "Honda CBF250", "Kawasaki KLR 600 older model", "Yamaha XT 600 older model"};

// A hint "short|long" shows the short part as the tooltip and the long part in the
// status bar; a hint without "|" is used for both.
struct HintParts {
    QString toolTip;
    QString statusTip;
};
HintParts splitHint(const QString& hint);
