#pragma once

#include <QStringList>

#include "model/ParameterSet.h"

// A set read from a unit as the window would hold it after showing it and reading it back:
// every field outside its control's range brought to the nearest end of that range. Returns
// the parameter-file keys of the fields that were out, each once, in image order.
QStringList bringIntoWindowRanges(ParameterSet& set);
