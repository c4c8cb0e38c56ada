#pragma once

#include <QString>
#include <array>
#include <functional>

#include "i18n/Language.h"

// The live-value labels that get a placeholder while the unit is not connected.
enum class PlaceholderLabel {
    LabelAdvance,
    LabelPocetProgramovani,
    LabelBlocking,
    LabelPolaritaMer,
    LabelMonRetard,
    LabelMonOmez1,
    LabelSnimac,
};

// The message texts of the current language, taken by entry name at the moment they are
// shown. Filled by buildMessageTexts.
struct MessageTexts {
    QString manualFile;
    QString programError;
    QString verifyError;
    QString readError;
    QString programPrefix;
    QString versionMismatch;
    QString verifyPrefix;
    QString readPrefix;
    QString advanceWord;
    QString programCountPrefix;
    QString blockingPrefix;
    QString yesWord;
    QString noWord;
    QString polarityPrefix;
    QString positiveWord;
    QString negativeWord;
    QString portOpenError;
    QString fileOpenError;
    QString defaultQuestion;
    QString retardPrefix;
    QString startLimiterPrefix;
    QString fileVersionMismatch;
    QString printStamp;
    QString pickupPrefix;
    QString pickupRunning;
    QString pickupNoSignal;
    QString noReadingNotice;
    QString manualOpenError;

    // Composed once here so the success path of the exchange builds no string:
    // verifyPrefix followed by " OK".
    QString verifyOk;
};

// Placeholder hook: while the connection label is visible, each placeholder text is handed
// to the window right after its entry is filled. The window connects it; it may be empty.
struct PlaceholderHook {
    std::function<bool()> disconnected;  // is "No connection with PC" visible?
    std::function<void(PlaceholderLabel, const QString&)> setPlaceholder;
};

// Fills every entry for the current language, in table order, with the placeholders.
void buildMessageTexts(MessageTexts& texts, const PlaceholderHook& hook = {});

// The constant four-language table: entry by index 0..26 (entries 1..27 of the table), in
// LanguageId order. Entry 28 (manualOpenError) is composed, see manualOpenErrorPrefix.
struct MessageTextRow {
    const char* entry;                             // the entry name, e.g. "programError"
    std::array<const char*, kLanguageCount> text;  // UTF-8
};
const std::array<MessageTextRow, 27>& messageTextTable();
const char* manualOpenErrorPrefix(LanguageId language);
