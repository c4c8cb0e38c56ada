#pragma once

#include <QString>

#include "i18n/Language.h"

// The questions and notices around the window's own session: unsaved edits about to be
// replaced, and a second window started on the same settings, in four languages.
enum class SessionText {
    SaveChanges,     // Open or New while the set differs from its file (Yes / No / Cancel)
    AlreadyRunning,  // a second start on one settings folder: %1 the folder
};

QString sessionText(SessionText text, LanguageId language);
