// The settings file fed arbitrary bytes: the ini reader, the settings taken from it, and the
// settings written back into it. The lines must not depend on how the bytes arrive, must be
// the input's lines, and whatever was loaded must survive a save and a second load; once saved,
// saving the same settings again must not change the file.

#include <QBuffer>
#include <QList>

#include "FuzzSupport.h"
#include "files/AppSettings.h"
#include "files/IniFile.h"

namespace {

IniFile iniFrom(QIODevice& in) {
    IniFile ini;
    ini.read(in);
    return ini;
}

IniFile iniFrom(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return iniFrom(buffer);
}

// The input's lines as the reader must keep them when no limit is reached: split at LF, one
// CR before it dropped, no line after a final LF.
QList<QByteArray> expectedLines(const QByteArray& input) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < input.size()) {
        qsizetype lf = input.indexOf('\n', start);
        const qsizetype end = lf < 0 ? input.size() : lf;
        QByteArray line = input.mid(start, end - start);
        if (line.endsWith('\r')) line.chop(1);
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

// What a text value becomes in the file: on one line, blanks around it removed by the reader.
QString storedText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', QByteArray());
    bytes.replace('\n', QByteArray());
    qsizetype b = 0;
    qsizetype e = bytes.size();
    while (b < e && (bytes[b] == ' ' || bytes[b] == '\t')) ++b;
    while (e > b && (bytes[e - 1] == ' ' || bytes[e - 1] == '\t')) --e;
    return QString::fromUtf8(bytes.mid(b, e - b));
}

AppSettings defaults(int salt) {
    AppSettings s;
    s.left = 17 + salt;
    s.top = -3 - salt;
    s.comPort = static_cast<std::uint8_t>(4 + salt);
    s.language = static_cast<std::uint8_t>(2 + salt);
    s.file = QStringLiteral("start file %1").arg(salt);
    s.iniDir = QStringLiteral("start dir %1").arg(salt);
    s.allChecked = salt % 2 == 1;
    return s;
}

void checkSame(const AppSettings& a, const AppSettings& b) {
    FUZZ_CHECK(a.left == b.left);
    FUZZ_CHECK(a.top == b.top);
    FUZZ_CHECK(a.height == b.height);
    FUZZ_CHECK(a.width == b.width);
    FUZZ_CHECK(a.comPort == b.comPort);
    FUZZ_CHECK(a.language == b.language);
    FUZZ_CHECK(a.allChecked == b.allChecked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArray input = fuzzBytes(data, size);

    const IniFile ini = iniFrom(input);
    TrickleDevice trickle(input, static_cast<unsigned>(size));
    FUZZ_CHECK(iniFrom(trickle).lines() == ini.lines());
    FUZZ_CHECK(ini.lines().size() <= IniFile::kMaxLines);
    for (const QByteArray& line : ini.lines()) {
        FUZZ_CHECK(line.size() <= IniFile::kMaxLineLength);
        FUZZ_CHECK(!line.contains('\n'));
    }
    // Well inside every limit the lines are exactly the input's.
    const bool small = input.size() < IniFile::kMaxLineLength;
    if (small) FUZZ_CHECK(ini.lines() == expectedLines(input));

    AppSettings loaded = defaults(0);
    loaded.load(ini);

    IniFile saved = ini;
    loaded.save(saved);
    const QByteArray bytes = saved.toBytes();
    const IniFile reread = iniFrom(bytes);
    if (!small) return 0;
    FUZZ_CHECK(reread.lines() == saved.lines());

    AppSettings again = defaults(1);
    again.load(reread);
    checkSame(again, loaded);
    FUZZ_CHECK(again.file == storedText(loaded.file));
    FUZZ_CHECK(again.iniDir == storedText(loaded.iniDir));
    for (int i = 0; i < AppSettings::kPorts; ++i)
        FUZZ_CHECK(again.portDevices[std::size_t(i)] == loaded.portDevices[std::size_t(i)]);

    // The first save may still tidy a value (a CR inside it, blanks the reader drops); from
    // then on saving what was loaded changes nothing.
    IniFile savedTwice = reread;
    again.save(savedTwice);
    const QByteArray twice = savedTwice.toBytes();
    AppSettings third = defaults(2);
    third.load(iniFrom(twice));
    checkSame(third, again);
    FUZZ_CHECK(third.file == again.file);
    FUZZ_CHECK(third.iniDir == again.iniDir);
    IniFile savedThrice = iniFrom(twice);
    third.save(savedThrice);
    FUZZ_CHECK(savedThrice.toBytes() == twice);
    return 0;
}
