#pragma once

#include <QString>
#include <array>

#include "i18n/Language.h"

// The words of the telemetry log: recording, the viewer and its export, in four languages
// (LanguageId order). Taken for the current language when shown.
enum class LogText {
    MenuRecordLog,
    HintRecordLog,
    MenuOpenLog,
    HintOpenLog,
    Recording,         // "%1" is the time recorded, h:mm:ss
    RecordStopped,     // "%1" the reason, "%2" the file
    RecordNotStarted,  // "%1" the file, "%2" the reason
    OpenError,         // "%1" the file, "%2" the reason
    ViewerTitle,       // "%1" the file name
    TabTime,
    TabCurve,
    AxisTime,
    AxisRpm,
    AxisAdvance,
    OverWindowSet,
    CopyPicture,
    SavePicture,
    Close,
    SaveError,  // "%1" the file
    CutOff,
    ViewerHint,
    LogFilter,
    PictureFilter,
    ColumnTime,
    ColumnRpm,
    ColumnAdvance,
    ColumnAdvanceMax,
    ColumnSupply,
    ColumnPickup,
    ColumnKillSwitch,
    ColumnRetard,
    ColumnBlocking,
    ColumnStartLimiter,
    ColumnClutchMaster,
    ColumnPolarity,
    ColumnLiveRow,
    ColumnProgrammings,
    NotAPlainFile,  // reasons for OpenError
    TooLarge,       // "%1" the most the viewer reads, in MiB
    NoHeader,
    LeftOut,  // "%1" how many rows
    Count
};

constexpr int kLogTextCount = static_cast<int>(LogText::Count);

struct LogTextRow {
    LogText id;
    std::array<const char*, kLanguageCount> text;  // UTF-8
};

const std::array<LogTextRow, kLogTextCount>& logTextTable();
QString logText(LogText id, LanguageId language = currentLanguage());
