#pragma once

#include <QString>
#include <array>

#include "i18n/Language.h"

// The words of the set history, the backup before programming and the difference report, in
// four languages (LanguageId order). Taken for the current language when shown.
enum class HistoryText {
    MenuHistory,
    MenuCompareFile,
    MenuCompareUnit,
    MenuBackup,
    HintHistory,
    HintCompareFile,
    HintCompareUnit,
    HintBackup,
    HistoryTitle,
    ColumnDate,
    ColumnKind,
    ColumnUnit,
    ColumnFirmware,
    ColumnProgrammings,
    KindRead,
    KindProgrammed,
    KindBackup,
    ButtonOpen,
    ButtonCompare,
    ButtonClose,
    DifferenceTitle,
    ColumnField,
    SideWindow,
    SideUnit,
    NoDifferences,
    FieldPoint,  // "%1" is the point number
    FieldSpare,  // "%1" is the image byte
    FieldLobes,
    NoBackupNote,  // appended to the result of a Program whose backup the unit refused
    HistoryWriteError,
    Count
};

constexpr int kHistoryTextCount = static_cast<int>(HistoryText::Count);

struct HistoryTextRow {
    HistoryText id;
    std::array<const char*, kLanguageCount> text;  // UTF-8
};

const std::array<HistoryTextRow, kHistoryTextCount>& historyTextTable();
QString historyText(HistoryText id, LanguageId language = currentLanguage());
