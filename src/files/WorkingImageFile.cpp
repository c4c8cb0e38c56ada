#include "files/WorkingImageFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "files/FileSaver.h"
#include "files/TokenReader.h"

QByteArray WorkingImageFile::toBytes(const ParameterSet& set) {
    QByteArray out;
    out.reserve(kImageSize * 6 + kImageSize / kPerLine * 2);
    for (int i = 0; i < kImageSize; ++i) {
        char buf[16];
        const int n = std::snprintf(buf, sizeof buf, "%5u ", unsigned{set.byte(i)});
        out.append(buf, n);
        if ((i + 1) % kPerLine == 0) out.append("\r\n");
    }
    return out;
}

void WorkingImageFile::write(QIODevice& out, const ParameterSet& set) { out.write(toBytes(set)); }

int WorkingImageFile::read(QIODevice& in, ParameterSet& set, FieldRanges::WideCodes* wide) {
    TokenReader tokens(in, kMaxToken);
    int count = 0;
    while (count < kImageSize && tokens.next()) {
        const auto number = tokens.number();
        if (!number) break;
        if (wide) (*wide)[static_cast<std::size_t>(count)] = *tokens.wideNumber();
        set.setByte(count++, static_cast<std::uint8_t>(*number));
    }
    return count;
}

namespace {
int loadFrom(const QString& path, ParameterSet& set, FieldRanges::WideCodes* wide) {
    if (!QFileInfo(path).isFile()) return -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    return WorkingImageFile::read(file, set, wide);
}
}  // namespace

int WorkingImageFile::load(const QString& path, ParameterSet& set) { return loadFrom(path, set, nullptr); }

int WorkingImageFile::loadInRange(const QString& path, ParameterSet& set) {
    FieldRanges::WideCodes wide = FieldRanges::wideCodesOf(set);
    const int count = loadFrom(path, set, &wide);
    if (count > 0) FieldRanges::bringIntoRange(set, wide);
    return count;
}

bool WorkingImageFile::save(const QString& path, const ParameterSet& set) {
    const QByteArray bytes = toBytes(set);
    return FileSaver::save(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}
