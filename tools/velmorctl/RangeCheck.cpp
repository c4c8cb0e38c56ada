#include "RangeCheck.h"

#include <algorithm>

#include "files/ParameterFile.h"
#include "model/EditorBindings.h"

QStringList bringIntoWindowRanges(ParameterSet& set) {
    QStringList keys;
    auto report = [&keys](int imageByte) {
        const QString key = QString::fromLatin1(ParameterFile::keyOf(imageByte));
        if (!keys.contains(key)) keys << key;
    };
    for (const NumberBinding& binding : numberBindings()) {
        const int value = OperatorUnits::toOperator(binding.scale, set.byte(binding.field));
        const int clamped = std::clamp(value, binding.minimum, binding.maximum);
        if (clamped == value) continue;
        set.setByte(binding.field, OperatorUnits::toCode(binding.scale, clamped));
        report(binding.field);
    }
    if (set.noReading() > 1) {
        set.setNoReading(1);
        report(ImageByte::noReading);
    }
    return keys;
}
