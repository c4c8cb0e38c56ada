#pragma once

#include <QString>
#include <QStringList>

#include "i18n/Language.h"

// The notice shown after Open when the file held values outside the ranges the window
// allows and they were brought to the nearest allowed value, in the language, naming the
// file's keys joined by ", " (e.g. "LIMITER, ADVANCE").
QString outOfRangeNotice(LanguageId language, const QStringList& keys);
