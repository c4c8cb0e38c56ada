#include "RangeCheck.h"

#include "files/ParameterFile.h"
#include "model/FieldRanges.h"

QStringList bringIntoWindowRanges(ParameterSet& set) {
    const auto out = FieldRanges::bringIntoRange(set);
    QStringList keys;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (!out.test(i)) continue;
        const char* key = ParameterFile::keyOf(static_cast<int>(i));
        if (key && !keys.contains(QLatin1String(key))) keys << QString::fromLatin1(key);
    }
    return keys;
}
