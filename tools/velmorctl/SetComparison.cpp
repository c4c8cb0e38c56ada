#include "SetComparison.h"

#include <QByteArrayList>

#include "files/ParameterFile.h"

namespace {

// key -> values, in the order of the file.
QList<QByteArrayList> fileLines(const ParameterSet& set) {
    QList<QByteArrayList> lines;
    const QByteArrayList raw = ParameterFile::toBytes(set).split('\n');
    for (qsizetype i = 1; i < raw.size(); ++i) {  // line 0 is the header
        QByteArrayList words;
        for (const QByteArray& word : raw[i].simplified().split(' '))
            if (!word.isEmpty()) words << word;
        if (!words.isEmpty()) lines << words;
    }
    return lines;
}

}  // namespace

QList<FieldDifference> compareSets(const ParameterSet& a, const ParameterSet& b) {
    const QList<QByteArrayList> left = fileLines(a);
    const QList<QByteArrayList> right = fileLines(b);
    QList<FieldDifference> out;
    // Both come from the same writer: the same keys in the same order with the same counts.
    for (qsizetype line = 0; line < left.size() && line < right.size(); ++line) {
        const QByteArrayList& l = left[line];
        const QByteArrayList& r = right[line];
        const qsizetype values = std::min(l.size(), r.size()) - 1;
        for (qsizetype v = 1; v <= values; ++v) {
            if (l[v] == r[v]) continue;
            out.append({QString::fromLatin1(l[0]), values > 1 ? static_cast<int>(v) : 0, QString::fromLatin1(l[v]),
                        QString::fromLatin1(r[v])});
        }
    }
    return out;
}

QString differenceLine(const FieldDifference& d) {
    const QString name = d.index > 0 ? QStringLiteral("%1 %2").arg(d.key).arg(d.index) : d.key;
    return QStringLiteral("%1: %2 -> %3").arg(name, d.a, d.b);
}
