#pragma once

#include <QString>
#include <array>

#include "i18n/Language.h"

// The texts of the command-line tool that the window has no counterpart for. Where the
// window has a text (the message texts, "No connection with PC", the version hints) the
// tool takes that one instead, so both say the same thing.
struct ConsoleTexts {
    QString usagePrefix;
    QString helpHint;
    QString commandsHeading;
    QString optionsHeading;
    QString helpPorts;
    QString helpInfo;
    QString helpRead;
    QString helpProgram;
    QString helpVerify;
    QString helpDiff;
    QString helpMonitor;
    QString helpPortOption;
    QString helpJsonOption;
    QString helpLangOption;
    QString helpCsvOption;
    QString helpHelpOption;
    QString helpVersionOption;
    QString helpExitStatus;
    QString noCommand;       // %1 none
    QString unknownCommand;  // %1 the word
    QString unknownOption;   // %1 the option
    QString missingValue;    // %1 the option
    QString badPort;         // %1 the value
    QString badLanguage;     // %1 the value
    QString wrongArguments;  // %1 the command
    QString interruptedProgram;
    QString interrupted;
    QString outOfRange;  // %1 the keys
    QString savedTo;     // %1 the path
    QString noDifferences;
    QString differenceCount;  // %1 the count
    QString unitText;
    QString imageVersion;
    QString readingAllowed;
    QString noDevices;
    QString fromSettings;
    QString notPresent;
    QString outputFolderMissing;  // %1 the folder
    QString outputNotWritable;    // %1 the path
    QString stdoutFailed;
};

// The texts of one language; a value outside the four gives English.
ConsoleTexts consoleTexts(LanguageId language);

struct ConsoleTextRow {
    const char* entry;
    std::array<const char*, kLanguageCount> text;  // UTF-8, LanguageId order
};
constexpr int kConsoleTextCount = 40;
const std::array<ConsoleTextRow, kConsoleTextCount>& consoleTextTable();
