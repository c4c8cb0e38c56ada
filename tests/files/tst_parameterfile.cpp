#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "GeneratedDevice.h"
#include "files/FileSaver.h"
#include "files/ParameterFile.h"
#include "files/TokenReader.h"

namespace {

// The file the writer must produce for the default set, spelled out column by column.
const QByteArray kDefaultFile =
    "KAPRILON_KEY   41 \r\n"
    "\r\n"
    "BIKE            0 \r\n"
    "RPM_ADV      1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 11000 12000 13000 14000 15000 \r\n"
    "ADVANCE        10    10    10    10    10    10    10    10    10    10    10    10    10    10    10 \r\n"
    "POCET_BODU      2 \r\n"
    "BASE_ADV       10 \r\n"
    "LIMITER       100   150     6 \r\n"
    "POLARITA        2 \r\n"
    "GEBER_NR        1 \r\n"
    "PILOT_LIGHT 12000 \r\n"
    "CLUTCH        200  1000 \r\n"
    "NO_READING      0\r\n"
    "RPM             1     0 \r\n"
    "INPUT           0     0 ";

// A set whose every byte is told apart from the defaults, spares and header included, so that
// a stray write anywhere shows.
ParameterSet markedSet() {
    ParameterSet set;
    for (int i = 0; i < kBlockSize; ++i) set.setByte(i, static_cast<std::uint8_t>(200 + i % 50));
    for (int b : {57, 58, 68, 69}) set.setByte(b, static_cast<std::uint8_t>(b + 100));
    set.setInput1Function(3);
    set.setInput2Function(1);
    set.setKeyingType(4);
    return set;
}

bool readBytes(const QByteArray& bytes, ParameterSet& set) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ParameterFile::read(buffer, set);
}

QByteArray fileHead() { return "KAPRILON_KEY  41 \r\n"; }

// Image bytes written to the file: the parameter block without the spares.
QList<int> fileBytes() {
    QList<int> bytes;
    for (int b = 50; b < kImageSize; ++b)
        if (b != 57 && b != 58 && b != 68 && b != 69) bytes.append(b);
    return bytes;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestParameterFile : public QObject {
    Q_OBJECT

private slots:
    void parseNumber_data();
    void parseNumber();
    void tokensAcrossChunks();
    void exampleFileOfDefaults();
    void writtenLayout();
    void roundTrip_data();
    void roundTrip();
    void layoutDoesNotMatter();
    void readRules_data();
    void readRules();
    void outOfRangeCorrectedByValidate();
    void hugeInputs();
    void saveWritesFile();
    void failedSaveKeepsOldFile();
    void readOnlyFolderKeepsOldFile();
};

void TestParameterFile::parseNumber_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<quint32>("value");
    QTest::newRow("plain") << QByteArray("1050") << true << 1050u;
    QTest::newRow("zero") << QByteArray("0") << true << 0u;
    QTest::newRow("leading zeros") << QByteArray("0041") << true << 41u;
    QTest::newRow("plus") << QByteArray("+12") << true << 12u;
    QTest::newRow("minus") << QByteArray("-20") << true << quint32(-20);
    QTest::newRow("max") << QByteArray("4294967295") << true << 4294967295u;
    QTest::newRow("wraps") << QByteArray("4294967337") << true << 41u;
    QTest::newRow("long wraps") << QByteArray("100000000000000000000") << true << quint32(1661992960u);
    QTest::newRow("sign only") << QByteArray("-") << false << 0u;
    QTest::newRow("two signs") << QByteArray("+-5") << false << 0u;
    QTest::newRow("trailing letters") << QByteArray("12abc") << false << 0u;
    QTest::newRow("word") << QByteArray("abc") << false << 0u;
    QTest::newRow("empty") << QByteArray() << false << 0u;
    QTest::newRow("decimal point") << QByteArray("1.5") << false << 0u;
    QTest::newRow("hex") << QByteArray("0x10") << false << 0u;
}

void TestParameterFile::parseNumber() {
    QFETCH(QByteArray, text);
    QFETCH(bool, isNumber);
    QFETCH(quint32, value);
    const auto n = TokenReader::parseNumber(text);
    QCOMPARE(n.has_value(), isNumber);
    if (isNumber) QCOMPARE(*n, value);
}

void TestParameterFile::tokensAcrossChunks() {
    // Tokens that straddle the reader's chunk boundary, a separator exactly on it, and an
    // overlong token that is cut but read through to its end.
    QByteArray data(TokenReader::kChunkSize - 3, ' ');
    data += "ABCDEF\tx";
    data += QByteArray(TokenReader::kChunkSize - data.size() % TokenReader::kChunkSize - 1, ' ');
    data += "y z ";
    data += QByteArray(300, 'L');
    data += "\r\nlast";
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TokenReader tokens(buffer, 261);
    QVERIFY(tokens.next());
    QCOMPARE(tokens.token(), QByteArrayView("ABCDEF"));
    QVERIFY(!tokens.overlong());
    QVERIFY(tokens.next());
    QCOMPARE(tokens.token(), QByteArrayView("x"));
    QVERIFY(tokens.next());
    QCOMPARE(tokens.token(), QByteArrayView("y"));
    QVERIFY(tokens.next());
    QCOMPARE(tokens.token(), QByteArrayView("z"));
    QVERIFY(tokens.next());
    QVERIFY(tokens.overlong());
    QCOMPARE(tokens.token().size(), 261);
    QVERIFY(!tokens.is(QByteArray(261, 'L')));
    tokens.pushBack();
    QVERIFY(tokens.next());
    QVERIFY(tokens.overlong());
    QVERIFY(tokens.next());
    QCOMPARE(tokens.token(), QByteArrayView("last"));
    QVERIFY(!tokens.overlong());
    QVERIFY(!tokens.next());
    QVERIFY(!tokens.next());
}

void TestParameterFile::exampleFileOfDefaults() {
    const ParameterSet set;
    QCOMPARE(set.keyingType(), 0);
    QCOMPARE(set.input1Function(), 0);
    QCOMPARE(set.input2Function(), 0);
    QCOMPARE(ParameterFile::toBytes(set), kDefaultFile);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ParameterFile::write(buffer, set);
    QCOMPARE(buffer.data(), kDefaultFile);

    const QList<QByteArray> lines = kDefaultFile.split('\n');
    const QList<int> lengths{18, 0, 18, 102, 102, 18, 18, 30, 18, 18, 18, 24, 17, 24, 24};
    QCOMPARE(lines.size(), lengths.size());
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i + 1 < lines.size()) {
            QVERIFY2(line.endsWith('\r'), qPrintable(QString::number(i + 1)));
            line.chop(1);
        }
        QVERIFY2(!line.contains('\r'), qPrintable(QString::number(i + 1)));
        QCOMPARE(line.size(), lengths[i]);
    }
}

void TestParameterFile::writtenLayout() {
    // Scales, the signed correction, the read-protection digit and numbers wider than 5.
    ParameterSet set;
    set.setKeyingType(2);
    set.setCurveRpm(14, 255);
    set.setCurveRpm(0, 0);
    set.setNoReading(7);
    set.setRpmCorrection(40);
    set.setRpmPulses(6);
    set.setClutchTime(255);
    set.setClutchPause(3);
    set.setPilotLight(250);
    set.setInput1Function(4);
    set.setInput2Function(2);
    const QList<QByteArray> lines = ParameterFile::toBytes(set).split('\n');
    QCOMPARE(lines.size(), 15);
    QCOMPARE(lines[2], QByteArray("BIKE            2 \r"));
    QVERIFY(lines[3].startsWith("RPM_ADV         0  2000 "));
    QVERIFY(lines[3].endsWith(" 14000 25500 \r"));
    QCOMPARE(lines[10], QByteArray("PILOT_LIGHT 25000 \r"));
    QCOMPARE(lines[11], QByteArray("CLUTCH       2550    30 \r"));
    QCOMPARE(lines[12], QByteArray("NO_READING      1\r"));
    QCOMPARE(lines[13], QByteArray("RPM             6   -60 \r"));
    QCOMPARE(lines[14], QByteArray("INPUT           4     2 "));

    set.setRpmCorrection(0);
    QCOMPARE(ParameterFile::toBytes(set).split('\n')[13], QByteArray("RPM             6  -100 \r"));
    set.setRpmCorrection(255);
    QCOMPARE(ParameterFile::toBytes(set).split('\n')[13], QByteArray("RPM             6   155 \r"));
}

void TestParameterFile::roundTrip_data() {
    QTest::addColumn<int>("seed");
    QTest::newRow("defaults") << -1;
    QTest::newRow("mixed 1") << 1;
    QTest::newRow("mixed 2") << 2;
    QTest::newRow("all 255") << 255;
    QTest::newRow("all 0") << 0;
}

void TestParameterFile::roundTrip() {
    QFETCH(int, seed);
    ParameterSet written;
    if (seed >= 0) {
        for (int b = kBlockSize; b < kImageSize; ++b) {
            const int v = seed == 0 || seed == 255 ? seed : (b * 37 + seed * 101) % 256;
            written.setByte(b, static_cast<std::uint8_t>(v));
        }
    }
    const ParameterSet target = markedSet();
    ParameterSet read = target;
    QVERIFY(readBytes(ParameterFile::toBytes(written), read));
    for (int b : fileBytes()) {
        const int expected = b == ImageByte::noReading ? (written.byte(b) != 0 ? 1 : 0) : written.byte(b);
        QVERIFY2(read.byte(b) == expected, qPrintable(QStringLiteral("byte %1").arg(b)));
    }
    // Neither the header nor the spares come from a file.
    for (int b = 0; b < kBlockSize; ++b) QCOMPARE(read.byte(b), target.byte(b));
    for (int b : {57, 58, 68, 69}) QCOMPARE(read.byte(b), target.byte(b));
}

void TestParameterFile::layoutDoesNotMatter() {
    ParameterSet written;
    for (int i = 0; i < kCurvePoints; ++i) {
        written.setCurveRpm(i, static_cast<std::uint8_t>(20 + 3 * i));
        written.setCurveAdvance(i, static_cast<std::uint8_t>(i * 4));
    }
    written.setRpmCorrection(77);
    written.setNoReading(1);
    const QByteArray own = ParameterFile::toBytes(written);

    QByteArray lfOnly = own;
    lfOnly.replace("\r\n", "\n");
    QByteArray oneLine = own;
    oneLine.replace("\r\n", " ");
    QByteArray tabs = own;
    tabs.replace(' ', '\t');
    tabs.replace("\r\n", "\n\n\n");

    ParameterSet fromOwn = markedSet();
    QVERIFY(readBytes(own, fromOwn));
    for (const QByteArray& variant : {lfOnly, oneLine, tabs}) {
        ParameterSet set = markedSet();
        QVERIFY(readBytes(variant, set));
        QCOMPARE(set.image(), fromOwn.image());
    }
}

void TestParameterFile::readRules_data() {
    // content, accepted, then the bytes that must change as (byte, value) pairs; every other
    // byte must keep the value of markedSet().
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QList<int>>("changes");

    const QByteArray h = fileHead();
    QTest::newRow("rpm rounded down") << h + "RPM_ADV 1050 1099 2000 2001 2099 0 99 100 199 200 25500 25599 600 700 800"
                                      << true
                                      << QList<int>{70, 10, 71, 10, 72, 20, 73,  20, 74,  20, 75, 0,  76, 0,  77,
                                                    1,  78, 1,  79, 2,  80, 255, 81, 255, 82, 6,  83, 7,  84, 8};
    QTest::newRow("clutch rounded down") << h + "CLUTCH 255 1009" << true << QList<int>{61, 25, 62, 100};
    QTest::newRow("limiter as stored") << h + "LIMITER 100 150 6" << true << QList<int>{53, 100, 54, 150, 55, 6};
    QTest::newRow("signed correction") << h + "RPM 1 -20" << true << QList<int>{66, 1, 67, 80};
    QTest::newRow("correction extremes") << h + "RPM 6 60 RPM 2 -60" << true << QList<int>{66, 2, 67, 40};
    QTest::newRow("correction wraps") << h + "RPM 300 -200" << true << QList<int>{66, 44, 67, 156};
    QTest::newRow("low 8 bits") << h + "BIKE 256 POCET_BODU 271 BASE_ADV -1 ADVANCE 300" << true
                                << QList<int>{50, 0, 51, 15, 52, 255, 85, 44};
    QTest::newRow("low 16 bits before dividing")
        << h + "PILOT_LIGHT 70000 RPM_ADV -100 CLUTCH 65536" << true << QList<int>{60, 44, 70, 142, 61, 0};
    QTest::newRow("no reading stored as read")
        << h + "NO_READING 1 INPUT 4 2 GEBER_NR 0 POLARITA 1" << true << QList<int>{65, 1, 63, 4, 64, 2, 59, 0, 56, 1};
    QTest::newRow("only base advance") << h + "BASE_ADV 12" << true << QList<int>{52, 12};
    QTest::newRow("header only") << h << true << QList<int>{};
    QTest::newRow("second header 41 after 40")
        << QByteArray("KAPRILON_KEY 40 BASE_ADV 3 BIKE 1\r\nKAPRILON_KEY  41 BASE_ADV 12") << true
        << QList<int>{52, 12};
    QTest::newRow("header then word then header")
        << QByteArray("KAPRILON_KEY KAPRILON_KEY 41 BIKE 2") << true << QList<int>{50, 2};
    QTest::newRow("signed header number") << QByteArray("KAPRILON_KEY +041 BIKE 2") << true << QList<int>{50, 2};
    QTest::newRow("text before header") << QByteArray("Saved sets\r\nBIKE 1 KAPRILON_KEY 41 BIKE 2") << true
                                        << QList<int>{50, 2};
    QTest::newRow("keys in any order, last wins")
        << h + "INPUT 1 1 BASE_ADV 5 BIKE 1 BASE_ADV 7 INPUT 2 3" << true << QList<int>{50, 1, 52, 7, 63, 2, 64, 3};
    QTest::newRow("second header skipped")
        << h + "BASE_ADV 5 KAPRILON_KEY 41 BIKE 1" << true << QList<int>{52, 5, 50, 1};
    QTest::newRow("comments skipped") << h + "; curve for the 600\r\nBASE_ADV 5 // fine\r\nBIKE 1" << true
                                      << QList<int>{52, 5, 50, 1};
    QTest::newRow("lower case keys skipped") << h + "base_adv 12 Bike 1 BASE_ADV 4" << true << QList<int>{52, 4};
    QTest::newRow("key glued to text skipped") << h + "BASE_ADV12 BASE_ADVX 3 XBIKE 1" << true << QList<int>{};
    QTest::newRow("key at end of file") << h + "BIKE 1 BASE_ADV" << true << QList<int>{50, 1};
    QTest::newRow("values run out at end") << h + "CLUTCH 300" << true << QList<int>{61, 30};
    QTest::newRow("key followed by a word") << h + "BASE_ADV abc BIKE 2" << true << QList<int>{50, 2};
    QTest::newRow("key followed by next key") << h + "BASE_ADV BIKE 2" << true << QList<int>{50, 2};
    QTest::newRow("values cut by next key")
        << h + "RPM_ADV 1000 2000 BASE_ADV 12" << true << QList<int>{70, 10, 71, 20, 52, 12};
    QTest::newRow("number glued to word")
        << h + "BASE_ADV 12abc LIMITER 1 2 3" << true << QList<int>{53, 1, 54, 2, 55, 3};
    const QByteArray longDigits = QByteArray(300, '0') + "12";
    QTest::newRow("overlong number is no number")
        << h + "BASE_ADV " + longDigits + " BIKE 2" << true << QList<int>{50, 2};
    QTest::newRow("overlong token skipped") << h + QByteArray(5000, 'x') + " BASE_ADV 12" << true << QList<int>{52, 12};
    QTest::newRow("overlong token starting with a key")
        << h + "BASE_ADV" + QByteArray(400, '1') + " BIKE 2" << true << QList<int>{50, 2};
    QTest::newRow("token of 261 characters")
        << h + "BASE_ADV " + QByteArray(259, '0') + "12" << true << QList<int>{52, 12};
    QTest::newRow("header and number far apart")
        << QByteArray("KAPRILON_KEY") + QByteArray(300, ' ') + "41" << true << QList<int>{};

    QTest::newRow("empty file") << QByteArray() << false << QList<int>{};
    QTest::newRow("no header") << QByteArray("BIKE 1 BASE_ADV 12") << false << QList<int>{};
    QTest::newRow("version 40 only") << QByteArray("KAPRILON_KEY  40 BIKE 1 BASE_ADV 12") << false << QList<int>{};
    QTest::newRow("header at end") << QByteArray("BIKE 1 KAPRILON_KEY") << false << QList<int>{};
    QTest::newRow("header with word") << QByteArray("KAPRILON_KEY abc 41 BIKE 1") << false << QList<int>{};
    QTest::newRow("lower case header") << QByteArray("kaprilon_key 41 BIKE 1") << false << QList<int>{};
    QTest::newRow("header glued") << QByteArray("KAPRILON_KEY41 BIKE 1") << false << QList<int>{};
    QTest::newRow("overlong header token")
        << QByteArray("KAPRILON_KEY") + QByteArray(300, 'Y') + " 41 BIKE 1" << false << QList<int>{};
    QTest::newRow("41 before header") << QByteArray("41 KAPRILON_KEY 4 BIKE 1") << false << QList<int>{};
}

void TestParameterFile::readRules() {
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    QFETCH(QList<int>, changes);

    ParameterSet expected = markedSet();
    for (int i = 0; i + 1 < changes.size(); i += 2)
        expected.setByte(changes[i], static_cast<std::uint8_t>(changes[i + 1]));

    ParameterSet set = markedSet();
    QCOMPARE(readBytes(content, set), accepted);
    for (int b = 0; b < kImageSize; ++b)
        QVERIFY2(set.byte(b) == expected.byte(b),
                 qPrintable(QStringLiteral("byte %1: %2, expected %3").arg(b).arg(set.byte(b)).arg(expected.byte(b))));
}

void TestParameterFile::outOfRangeCorrectedByValidate() {
    ParameterSet set;
    QVERIFY(readBytes(fileHead() + "RPM_ADV 3000 3000 2000 0 0 0 0 0 0 0 0 0 0 0 25500\r\nLIMITER 200 80 6", set));
    QCOMPARE(set.curveRpm(0), 30);
    QCOMPARE(set.curveRpm(2), 20);
    QCOMPARE(set.startLimiter(), 200);
    set.validate();
    QCOMPARE(set.curveRpm(0), 30);
    QCOMPARE(set.curveRpm(1), 31);
    QCOMPARE(set.curveRpm(2), 32);
    QCOMPARE(set.curveRpm(3), 33);
    QCOMPARE(set.curveRpm(14), 200);
    QCOMPARE(set.limiter(), 80);
    QCOMPARE(set.startLimiter(), 80);
}

void TestParameterFile::hugeInputs() {
    // Whole repeats of each pattern, about 8 MiB: far more than the reader ever holds.
    const auto size = [](const QByteArray& pattern) { return (qint64(8) << 20) / pattern.size() * pattern.size(); };
    {
        // Garbage without any header: read to the end, refused, set untouched.
        const QByteArray pattern = "KAPRILON garbage 40 KAPRILON_KEY 40 ";
        GeneratedDevice device("", pattern, size(pattern), "");
        ParameterSet set = markedSet();
        QVERIFY(!ParameterFile::read(device, set));
        QCOMPARE(set.image(), markedSet().image());
        QCOMPARE(device.delivered(), device.total());
    }
    {
        // One enormous token between the header and the last key.
        GeneratedDevice device(fileHead(), "x", size("x"), " BASE_ADV 12");
        ParameterSet set = markedSet();
        QVERIFY(ParameterFile::read(device, set));
        QCOMPARE(set.baseAdvance(), 12);
        QCOMPARE(device.delivered(), device.total());
    }
    {
        // Many repeats of a key: the last one wins.
        const QByteArray pattern = "BIKE 1 BASE_ADV 3 ";
        GeneratedDevice device(fileHead(), pattern, size(pattern), "BIKE 2");
        ParameterSet set = markedSet();
        QVERIFY(ParameterFile::read(device, set));
        QCOMPARE(set.keyingType(), 2);
        QCOMPARE(set.baseAdvance(), 3);
    }
}

void TestParameterFile::saveWritesFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sets/new folder/bike.ign"));
    QVERIFY(ParameterFile::save(path, ParameterSet()));
    QCOMPARE(readFile(path), kDefaultFile);

    // Saving over an existing, longer file leaves nothing of it behind.
    QVERIFY(writeFile(path, QByteArray(4000, 'z')));
    ParameterSet set;
    set.setBaseAdvance(33);
    QVERIFY(ParameterFile::save(path, set));
    QCOMPARE(readFile(path), ParameterFile::toBytes(set));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("sets/new folder"))).entryList(QDir::Files), QStringList{"bike.ign"});

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    ParameterSet back;
    QVERIFY(ParameterFile::read(file, back));
    QCOMPARE(back.baseAdvance(), 33);
}

void TestParameterFile::failedSaveKeepsOldFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "KAPRILON_KEY  41 \r\n\r\nBASE_ADV 20";
    const QString path = dir.filePath(QStringLiteral("bike.ign"));
    QVERIFY(writeFile(path, old));

    // A writer that gives up halfway through.
    bool wroteSome = false;
    QVERIFY(!FileSaver::save(path, [&](QIODevice& out) {
        wroteSome = out.write(ParameterFile::toBytes(ParameterSet()).left(100)) == 100;
        return false;
    }));
    QVERIFY(wroteSome);
    QCOMPARE(readFile(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"bike.ign"});

    // The folder cannot be created because a plain file stands in its place.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QVERIFY(writeFile(blocker, "x"));
    QVERIFY(!ParameterFile::save(blocker + QStringLiteral("/bike.ign"), ParameterSet()));
    QCOMPARE(readFile(blocker), QByteArray("x"));

    // The target is a folder.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.ign")));
    QVERIFY(!ParameterFile::save(dir.filePath(QStringLiteral("folder.ign")), ParameterSet()));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder.ign"))).isDir());

    QVERIFY(!ParameterFile::save(QString(), ParameterSet()));
}

void TestParameterFile::readOnlyFolderKeepsOldFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "KAPRILON_KEY  41 \r\n\r\nBASE_ADV 20";
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString path = locked + QStringLiteral("/bike.ign");
    QVERIFY(writeFile(path, old));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    QFile probe(locked + QStringLiteral("/probe"));
    const bool enforced = !probe.open(QIODevice::WriteOnly);
    probe.remove();
    const bool saved = enforced ? ParameterFile::save(path, ParameterSet()) : false;
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    if (!enforced) QSKIP("folder permissions are not enforced for this user (root)");
    QVERIFY(!saved);
    QCOMPARE(readFile(path), old);
}

QTEST_GUILESS_MAIN(TestParameterFile)
#include "tst_parameterfile.moc"
