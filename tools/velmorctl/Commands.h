#pragma once

#include <QTextStream>

#include "CtlOptions.h"
#include "CtlSession.h"
#include "i18n/ConsoleTexts.h"
#include "i18n/MessageTexts.h"

namespace ExitStatus {
constexpr int kOk = 0;
constexpr int kFailed = 1;  // no answer, verify error, differences, reading refused, interrupted
constexpr int kUsage = 2;   // bad command line, or a file that cannot be read or written
}  // namespace ExitStatus

// What every command gets: the parsed command line, the port, the texts of the chosen
// language and the two output streams (results on out, messages on err).
struct CtlContext {
    const CtlOptions& options;
    PortChoice port;
    const MessageTexts& messages;
    const ConsoleTexts& console;
    QTextStream& out;
    QTextStream& err;
};

// Runs options.command; the command words are those CtlOptions accepts.
int runCtlCommand(CtlContext& context);
