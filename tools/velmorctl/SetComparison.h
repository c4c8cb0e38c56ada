#pragma once

#include <QList>
#include <QString>

#include "model/ParameterSet.h"

// One value that differs between two sets, named as the parameter file names it: the key,
// the position among the key's values (1-based; 0 for a key with one value) and the two
// numbers as the file writes them (rpm, ms, %).
struct FieldDifference {
    QString key;
    int index = 0;
    QString a;
    QString b;
};

// The values that differ, in the file's key order. The seam of velmorctl diff: compared
// field by field through the file's own writer, so the bytes the file does not keep (the
// header, the spare bytes) are not compared.
QList<FieldDifference> compareSets(const ParameterSet& a, const ParameterSet& b);

// "KEY n: a -> b" (or "KEY: a -> b"), one line each.
QString differenceLine(const FieldDifference& difference);
