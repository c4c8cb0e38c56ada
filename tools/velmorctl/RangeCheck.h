#pragma once

#include <QStringList>

#include "model/ParameterSet.h"

// The out-of-range check of an opened file, for velmorctl program and verify: every field
// outside the range of its window control is brought into it, as the window's spinners do
// when they show the set and it is read back before Program; a read-protection value other
// than 0 and 1 becomes 1, as the check box holds it. Returns the parameter-file keys that
// were changed, each once, in the window's control order.
QStringList bringIntoWindowRanges(ParameterSet& set);
