#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "i18n/ConsoleTexts.h"
#include "i18n/Language.h"

// The command line of velmorctl: one command word with its arguments, and options that may
// stand anywhere ("--name value" or "--name=value"; "--" ends the options).
struct CtlOptions {
    enum class Error {
        None,
        NoCommand,
        UnknownCommand,
        UnknownOption,
        MissingValue,
        BadPort,
        BadLanguage,
        WrongArguments
    };

    QString command;
    QStringList arguments;
    QString output;  // read -o FILE
    // --port: a COM number 1..10, or a device path; neither means the window's port.
    std::optional<int> portNumber;
    QString portPath;
    std::optional<LanguageId> language;
    bool json = false;
    bool csv = false;
    bool help = false;
    bool version = false;

    Error error = Error::None;
    QString errorValue;  // the word the error is about

    static CtlOptions parse(const QStringList& args);
    // The error as a sentence in the given texts; empty when there is none.
    QString errorText(const ConsoleTexts& texts) const;

    static QString usageLine(const ConsoleTexts& texts);
    static QString helpText(const ConsoleTexts& texts);
};
