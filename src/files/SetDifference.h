#pragma once

#include <QList>
#include <QString>

#include "i18n/Language.h"
#include "model/ParameterSet.h"

// The fields of the parameter block that differ between two sets, for the operator: each by
// its caption in the window (curve points by number, spare bytes by image byte) and both
// values in operator units (rpm, °, ms, %, or the text of the choice). Plain code without
// widgets, so that a command-line tool can print the same report.
class SetDifference {
public:
    struct Row {
        int byte;  // image byte of the field, 50..99
        QString field;
        QString left;
        QString right;
    };

    // In image-byte order; empty when the parameter blocks are equal.
    static QList<Row> compare(const ParameterSet& left, const ParameterSet& right,
                              LanguageId language = currentLanguage());

    // One field's value as the report shows it.
    static QString value(const ParameterSet& set, int byte, LanguageId language = currentLanguage());
    static QString field(int byte, LanguageId language = currentLanguage());
};
