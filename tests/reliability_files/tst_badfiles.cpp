// Hostile and broken files on disk: huge, one endless token, random bytes, very many lines,
// garbage where numbers belong. Every reader must get through them without a crash, with its
// usual rules, and without its memory growing with the file.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <random>

#include "ReliabilityReport.h"
#include "files/AppSettings.h"
#include "files/IniFile.h"
#include "files/ParameterFile.h"
#include "files/TestMarker.h"
#include "files/TokenReader.h"
#include "files/WorkingImageFile.h"

namespace {

// Reading must never need more than this on top of what the process had before.
constexpr qint64 kMemoryBound = 64 << 20;
constexpr qint64 kMiB = 1 << 20;
constexpr qint64 kHugeToken = 10 * kMiB;

// Writes prefix, then pattern repeated to patternBytes, then suffix, a chunk at a time, so
// that the test itself never holds the file.
bool writeGenerated(const QString& path, const QByteArray& prefix, const QByteArray& pattern, qint64 patternBytes,
                    const QByteArray& suffix) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (f.write(prefix) != prefix.size()) return false;
    QByteArray chunk;
    if (!pattern.isEmpty())
        while (chunk.size() < kMiB) chunk += pattern;
    qint64 left = patternBytes;
    qint64 offset = 0;  // where in the pattern the next chunk starts
    while (left > 0) {
        const qint64 n = std::min<qint64>(left, chunk.size() - pattern.size());
        const QByteArray piece = chunk.mid(offset, n);
        if (f.write(piece) != n) return false;
        offset = (offset + n) % pattern.size();
        left -= n;
    }
    return f.write(suffix) == suffix.size();
}

QByteArray seededBytes(qint64 size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// A literal with NUL bytes in it, whole.
template <std::size_t N>
QByteArray bytesOf(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

bool writeBytes(const QString& path, const QByteArray& bytes) { return writeGenerated(path, bytes, {}, 0, {}); }

// A set with every byte distinct from the defaults, so that any stray write shows.
ParameterSet markedSet() {
    ParameterSet set;
    for (int b = 0; b < kImageSize; ++b) set.setByte(b, static_cast<std::uint8_t>(200 - b));
    return set;
}

bool readParameterFile(const QString& path, ParameterSet& set) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && ParameterFile::read(f, set);
}

bool readMarker(const QString& path) { return TestMarker::check(path); }

IniFile loadIni(const QString& path) {
    IniFile ini;
    ini.load(path);
    return ini;
}

// Runs the reading work, checks the memory it needed and reports the row.
template <typename Work>
void measured(const QByteArray& name, const QString& path, Work work) {
    const qint64 size = QFileInfo(path).size();
    PeakMemory memory;
    QElapsedTimer timer;
    timer.start();
    work();
    const qint64 ms = timer.elapsed();
    const qint64 growth = memory.growthBytes();
    const bool withinBound = growth < kMemoryBound;
    reportReliability(name, 1, withinBound ? 0 : 1,
                      QByteArray::number(double(size) / kMiB, 'f', 1) + " MB read in " + QByteArray::number(ms) +
                          " ms, peak +" + QByteArray::number(double(growth) / kMiB, 'f', 1) + " MB" +
                          (memory.exact() ? "" : " (above the earlier peak)"));
    QVERIFY2(withinBound, qPrintable(QStringLiteral("%1 needed %2 bytes").arg(QString::fromLatin1(name)).arg(growth)));
}

// The key lines of a parameter file (without the header), for repeating.
QByteArray keyLines(const ParameterSet& set) {
    const QByteArray whole = ParameterFile::toBytes(set);
    return whole.mid(whole.indexOf("\r\n") + 2) + "\r\n";
}

ParameterSet fileSet(int salt) {
    ParameterSet set;
    for (int b = kBlockSize; b < kImageSize; ++b) set.setByte(b, static_cast<std::uint8_t>(b * 3 + salt));
    set.setNoReading(salt % 2);
    return set;
}

bool isFileByte(int b) { return b >= kBlockSize && b != 57 && b != 58 && b != 68 && b != 69; }

// What the working-image rules take from bytes: numbers up to the first token that is none.
QList<int> imageNumbers(const QByteArray& bytes) {
    QList<int> numbers;
    qsizetype i = 0;
    while (i < bytes.size() && numbers.size() < kImageSize) {
        while (i < bytes.size() && TokenReader::isSeparator(bytes[i])) ++i;
        const qsizetype start = i;
        while (i < bytes.size() && !TokenReader::isSeparator(bytes[i])) ++i;
        if (i == start || i - start > WorkingImageFile::kMaxToken) break;
        const auto n = TokenReader::parseNumber(QByteArrayView(bytes).sliced(start, i - start));
        if (!n) break;
        numbers.append(int(*n & 0xFF));
    }
    return numbers;
}

}  // namespace

class TestBadFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void hugeParameterFile();
    void oneHugeTokenParameterFile();
    void oneHugeTokenOtherFiles();
    void randomBytes_data();
    void randomBytes();
    void settingsTenThousandLines();
    void garbageWorkingImage_data();
    void garbageWorkingImage();

private:
    QTemporaryDir dir_;
};

void TestBadFiles::initTestCase() { QVERIFY(dir_.isValid()); }

void TestBadFiles::hugeParameterFile() {
    // 100 MB when asked for the full run, else 10 MB: the same reader either way.
    const qint64 size = (fullReliabilityRun() ? 100 : 10) * kMiB;
    const QString path = dir_.filePath(QStringLiteral("huge.ign"));
    const QByteArray pattern = keyLines(fileSet(1)) + keyLines(fileSet(2));
    // The last set wins: everything read is overwritten by the suffix in the end.
    QVERIFY(writeGenerated(path, "KAPRILON_KEY  41 \r\n\r\n", pattern, size / pattern.size() * pattern.size(),
                           keyLines(fileSet(3))));
    QVERIFY(QFileInfo(path).size() >= size - pattern.size());

    ParameterSet set = markedSet();
    bool accepted = false;
    measured("badfile-ign-" + QByteArray::number(size / kMiB) + "MB", path,
             [&] { accepted = readParameterFile(path, set); });
    QVERIFY(accepted);
    const ParameterSet expected = fileSet(3);
    for (int b = 0; b < kImageSize; ++b) QCOMPARE(set.byte(b), isFileByte(b) ? expected.byte(b) : markedSet().byte(b));

    // The same amount of garbage without a header: refused, nothing changed.
    QVERIFY(writeGenerated(path, {}, "KAPRILON garbage 40 KAPRILON_KEY 40 \r\n", size, {}));
    set = markedSet();
    measured("badfile-ign-" + QByteArray::number(size / kMiB) + "MB-no-header", path,
             [&] { accepted = readParameterFile(path, set); });
    QVERIFY(!accepted);
    QCOMPARE(set.image(), markedSet().image());
    QFile::remove(path);
}

void TestBadFiles::oneHugeTokenParameterFile() {
    const QString path = dir_.filePath(QStringLiteral("token.ign"));
    bool accepted = true;

    // The whole file one 10 MB token: no header, refused.
    QVERIFY(writeGenerated(path, {}, "KAPRILON_KEY", kHugeToken, {}));
    ParameterSet set = markedSet();
    measured("badfile-ign-one-10MB-token", path, [&] { accepted = readParameterFile(path, set); });
    QVERIFY(!accepted);
    QCOMPARE(set.image(), markedSet().image());

    // A 10 MB token between entries is skipped; the entries around it count.
    QVERIFY(writeGenerated(path, "KAPRILON_KEY 41 BIKE 2 ", "x", kHugeToken, " BASE_ADV 12"));
    set = markedSet();
    measured("badfile-ign-10MB-token-inside", path, [&] { accepted = readParameterFile(path, set); });
    QVERIFY(accepted);
    ParameterSet expected = markedSet();
    expected.setKeyingType(2);
    expected.setBaseAdvance(12);
    QCOMPARE(set.image(), expected.image());

    // 10 MB of digits where a value belongs is no number; the field keeps its value.
    QVERIFY(writeGenerated(path, "KAPRILON_KEY 41 BASE_ADV ", "1234567890", kHugeToken, " BIKE 1"));
    set = markedSet();
    measured("badfile-ign-10MB-number", path, [&] { accepted = readParameterFile(path, set); });
    QVERIFY(accepted);
    expected = markedSet();
    expected.setKeyingType(1);
    QCOMPARE(set.image(), expected.image());
    QFile::remove(path);
}

void TestBadFiles::oneHugeTokenOtherFiles() {
    const QString path = dir_.filePath(QStringLiteral("token.txt"));

    // Working image: a 10 MB number is none; the numbers before it are taken.
    QVERIFY(writeGenerated(path, "1 2 3 ", "9", kHugeToken, " 4 5"));
    ParameterSet set = markedSet();
    int count = -1;
    measured("badfile-image-10MB-token", path, [&] { count = WorkingImageFile::load(path, set); });
    QCOMPARE(count, 3);
    ParameterSet expected = markedSet();
    for (int b = 0; b < 3; ++b) expected.setByte(b, static_cast<std::uint8_t>(b + 1));
    QCOMPARE(set.image(), expected.image());

    // Marker: the word inside a 10 MB token does not count, the one after it does.
    bool on = true;
    QVERIFY(writeGenerated(path, "DIAG_SWITCH", "DIAG_SWITCH", kHugeToken, {}));
    measured("badfile-marker-10MB-token", path, [&] { on = readMarker(path); });
    QVERIFY(!on);
    QVERIFY(writeGenerated(path, "DIAG_SWITCH", "DIAG_SWITCH", kHugeToken, "\r\nDIAG_SWITCH\r\n"));
    on = false;
    measured("badfile-marker-10MB-token-then-word", path, [&] { on = readMarker(path); });
    QVERIFY(on);

    // Settings: a 10 MB line is cut; the lines after it are read as usual.
    QVERIFY(writeGenerated(path, "[FORM_HLAV]\r\nFile=", "x", kHugeToken, "\r\nLeft=5\r\n"));
    IniFile ini;
    measured("badfile-settings-10MB-line", path, [&] { ini = loadIni(path); });
    QCOMPARE(ini.lines().size(), 3);
    AppSettings s;
    s.load(ini);
    QCOMPARE(s.left, 5);
    QCOMPARE(s.file, QString(IniFile::kMaxLineLength - 5, QLatin1Char('x')));

    // Settings: one 10 MB line and nothing else.
    QVERIFY(writeGenerated(path, {}, "=", kHugeToken, {}));
    measured("badfile-settings-one-10MB-line", path, [&] { ini = loadIni(path); });
    QCOMPARE(ini.lines().size(), 1);
    QCOMPARE(ini.lines().first().size(), IniFile::kMaxLineLength);
    QFile::remove(path);
}

void TestBadFiles::randomBytes_data() {
    QTest::addColumn<unsigned>("seed");
    QTest::newRow("seed 1") << 1u;
    QTest::newRow("seed 2") << 2u;
    QTest::newRow("seed 3") << 3u;
}

void TestBadFiles::randomBytes() {
    QFETCH(unsigned, seed);
    const QByteArray bytes = seededBytes(4 * kMiB, seed);
    const QByteArray name = "badfile-random-4MB-seed" + QByteArray::number(seed);
    const QString path = dir_.filePath(QStringLiteral("random.bin"));
    QVERIFY(writeBytes(path, bytes));

    // Parameter file: no header in there, so refused and untouched.
    QVERIFY(!bytes.contains(ParameterFile::kHeaderToken));
    ParameterSet set = markedSet();
    bool accepted = true;
    measured(name + "-ign", path, [&] { accepted = readParameterFile(path, set); });
    QVERIFY(!accepted);
    QCOMPARE(set.image(), markedSet().image());

    // The same behind a header: accepted; only file fields can have changed.
    QVERIFY(writeGenerated(path, "KAPRILON_KEY 41\n", {}, 0, bytes));
    set = markedSet();
    measured(name + "-ign-with-header", path, [&] { accepted = readParameterFile(path, set); });
    QVERIFY(accepted);
    for (int b = 0; b < kImageSize; ++b)
        if (!isFileByte(b)) QCOMPARE(set.byte(b), markedSet().byte(b));

    // Working image: exactly what the rules take, the rest untouched.
    QVERIFY(writeBytes(path, bytes));
    set = markedSet();
    int count = -1;
    measured(name + "-image", path, [&] { count = WorkingImageFile::load(path, set); });
    const QList<int> numbers = imageNumbers(bytes);
    QCOMPARE(count, numbers.size());
    for (int b = 0; b < kImageSize; ++b) QCOMPARE(int(set.byte(b)), b < count ? numbers[b] : int(markedSet().byte(b)));

    // Marker: off unless the word stands alone in there.
    bool on = true;
    measured(name + "-marker", path, [&] { on = readMarker(path); });
    QCOMPARE(on, bytes.contains(" DIAG_SWITCH ") || bytes.startsWith("DIAG_SWITCH "));

    // Settings: read within the limits, the defaults stay, and saving keeps every line read.
    IniFile ini;
    measured(name + "-settings", path, [&] { ini = loadIni(path); });
    QVERIFY(ini.lines().size() <= IniFile::kMaxLines);
    for (const QByteArray& line : ini.lines()) QVERIFY(line.size() <= IniFile::kMaxLineLength);
    const QList<QByteArray> before = ini.lines();
    AppSettings s;
    s.load(ini);
    QCOMPARE(s.left, AppSettings().left);
    QCOMPARE(s.comPort, AppSettings().comPort);
    s.left = 321;
    s.save(ini);
    QVERIFY(ini.save(path));
    const IniFile back = loadIni(path);
    QCOMPARE(back.lines().mid(0, before.size()), before);
    AppSettings reloaded;
    reloaded.load(back);
    QCOMPARE(reloaded.left, 321);
    QFile::remove(path);
}

void TestBadFiles::settingsTenThousandLines() {
    // Other sections and comments all around, the tool's section in the middle with its keys
    // spread between unknown ones, and the ports near the end.
    QList<QByteArray> lines;
    for (int i = 0; i < 4000; ++i) {
        if (i % 500 == 0) lines.append("[Section" + QByteArray::number(i) + "]");
        lines.append(i % 7 == 0 ? "; note " + QByteArray::number(i)
                                : "key" + QByteArray::number(i) + "=value " + QByteArray::number(i));
    }
    lines.append("[FORM_HLAV]");
    const QList<QByteArray> keys{"Left=10",     "Top=20",        "Height=700",
                                 "Width=900",   "ComPort=3",     "Language=2",
                                 "File=/a.ign", "IniDir=/b.ign", "CheckBoxIgnAll->Checked=1"};
    for (int i = 0; i < 1800; ++i) {
        if (i % 200 == 0) lines.append(keys[i / 200]);
        lines.append("Other" + QByteArray::number(i) + "=" + QByteArray::number(i * 17));
    }
    while (lines.size() < 9990) lines.append("# padding " + QByteArray::number(lines.size()));
    lines.append("[PORTS]");
    lines.append("COM3=/dev/ttyUSB7");
    while (lines.size() < 10000) lines.append("; end");
    QCOMPARE(lines.size(), 10000);
    QByteArray text;
    for (const QByteArray& line : lines) text += line + "\r\n";
    const QString path = dir_.filePath(QStringLiteral("velmor.ini"));
    QVERIFY(writeBytes(path, text));

    IniFile ini;
    AppSettings s;
    measured("badfile-settings-10000-lines", path, [&] {
        ini = loadIni(path);
        s.load(ini);
    });
    QCOMPARE(ini.lines(), lines);
    QCOMPARE(s.left, 10);
    QCOMPARE(s.top, 20);
    QCOMPARE(s.height, 700);
    QCOMPARE(s.width, 900);
    QCOMPARE(s.comPort, 3);
    QCOMPARE(s.language, 2);
    QCOMPARE(s.file, QStringLiteral("/a.ign"));
    QCOMPARE(s.iniDir, QStringLiteral("/b.ign"));
    QVERIFY(s.allChecked);
    QCOMPARE(s.portDevices[2], QStringLiteral("/dev/ttyUSB7"));

    // Saved at exit: the nine lines change in place, the 9 991 others stay byte for byte.
    s.left = -5;
    s.language = 0;
    s.file = QStringLiteral("/c.ign");
    s.allChecked = false;
    s.save(ini);
    QVERIFY(ini.save(path));
    const IniFile back = loadIni(path);
    QCOMPARE(back.lines().size(), lines.size());
    int changed = 0;
    for (int i = 0; i < lines.size(); ++i)
        if (back.lines()[i] != lines[i]) ++changed;
    QCOMPARE(changed, 4);
    AppSettings reloaded;
    reloaded.load(back);
    QCOMPARE(reloaded.left, -5);
    QCOMPARE(reloaded.language, 0);
    QCOMPARE(reloaded.file, QStringLiteral("/c.ign"));
    QCOMPARE(reloaded.allChecked, false);
    QCOMPARE(reloaded.width, 900);
    QFile::remove(path);
}

void TestBadFiles::garbageWorkingImage_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("numbers");  // what must land in bytes 0, 1, 2 ...

    QTest::newRow("random bytes") << seededBytes(620, 7) << QList<int>{};
    QTest::newRow("numbers then garbage") << bytesOf("1 2 3 \x00\xff junk 4 5") << QList<int>{1, 2, 3};
    QTest::newRow("NUL inside a number") << bytesOf(
                                                "7 1\x00"
                                                "2 3")
                                         << QList<int>{7};
    QTest::newRow("wide and signed") << QByteArray("-1 256 4294967297 +8") << QList<int>{255, 0, 1, 8};
    QTest::newRow("text") << QByteArray("hello world") << QList<int>{};
    QTest::newRow("all x") << QByteArray(620, 'x') << QList<int>{};
    QTest::newRow("odd separators") << QByteArray("  12\r\n\t\v\f13\r\n") << QList<int>{12, 13};
    QTest::newRow("decimal point") << QByteArray("1 2.5 3") << QList<int>{1};
    QTest::newRow("ini text") << QByteArray("[FORM_HLAV]\r\nLeft=100\r\n") << QList<int>{};
    QList<int> hundred;
    QByteArray many;
    for (int i = 0; i < 250; ++i) {
        many += QByteArray::number(i * 7) + (i % 10 == 9 ? "\r\n" : " ");
        if (i < kImageSize) hundred.append((i * 7) & 0xFF);
    }
    QTest::newRow("250 numbers") << many << hundred;
}

void TestBadFiles::garbageWorkingImage() {
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, numbers);
    QCOMPARE(imageNumbers(content), numbers);
    const QString path = dir_.filePath(QStringLiteral("_velmor.ini"));
    QVERIFY(writeBytes(path, content));
    ParameterSet set = markedSet();
    QCOMPARE(WorkingImageFile::load(path, set), numbers.size());
    for (int b = 0; b < kImageSize; ++b)
        QCOMPARE(int(set.byte(b)), b < numbers.size() ? numbers[b] : int(markedSet().byte(b)));

    // A huge file of numbers is read only as far as the image goes.
    if (QTest::currentDataTag() == QLatin1String("250 numbers")) {
        QVERIFY(writeGenerated(path, {}, "123 ", kHugeToken, {}));
        set = markedSet();
        int count = -1;
        measured("badfile-image-10MB-numbers", path, [&] { count = WorkingImageFile::load(path, set); });
        QCOMPARE(count, kImageSize);
        for (int b = 0; b < kImageSize; ++b) QCOMPARE(set.byte(b), 123);
    }
    QFile::remove(path);
}

QTEST_GUILESS_MAIN(TestBadFiles)
#include "tst_badfiles.moc"
