#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "GeneratedDevice.h"
#include "files/AppSettings.h"
#include "files/ConfigPaths.h"
#include "files/FileSaver.h"
#include "files/IniFile.h"
#include "files/TestMarker.h"
#include "files/TokenReader.h"
#include "files/WorkingImageFile.h"

namespace {

IniFile iniFrom(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    IniFile ini;
    ini.read(buffer);
    return ini;
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

int readImage(const QByteArray& bytes, ParameterSet& set) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return WorkingImageFile::read(buffer, set);
}

bool markerIn(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return TestMarker::contains(buffer);
}

// An image with a distinct value in every byte.
ParameterSet patternSet(int factor) {
    ParameterSet set;
    for (int b = 0; b < kImageSize; ++b) set.setByte(b, static_cast<std::uint8_t>((b * factor) % 256));
    return set;
}

AppSettings exampleSettings() {
    AppSettings s;
    s.left = 100;
    s.top = 50;
    s.height = 805;
    s.width = 823;
    s.comPort = 2;
    s.language = 1;
    s.file = QStringLiteral("D:\\sets\\a.ign");
    s.iniDir = QStringLiteral("D:\\sets\\a.ign");
    s.allChecked = true;
    return s;
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void firstSaveWritesNineKeysInOrder();
    void updateKeepsLinesAndOrder();
    void newSectionAtEnd();
    void readInteger_data();
    void readInteger();
    void loadKeepsDefaults();
    void loadTakesLowByte();
    void loadTexts();
    void portsSection();
    void lineEnds();
    void lineBreaksInValues();
    void duplicatesFirstWins();
    void caseOfNames();
    void boundedReading();
    void iniOnDisk();

    void imageFileLayout();
    void imageRoundTrip();
    void imageReadRules_data();
    void imageReadRules();
    void imageHugeFiles();
    void imageOnDisk();

    void marker_data();
    void marker();
    void markerHugeFiles();

    void configPaths();
};

void TestSettings::firstSaveWritesNineKeysInOrder() {
    IniFile ini;
    exampleSettings().save(ini);
    QCOMPARE(ini.toBytes(), QByteArray("[FORM_HLAV]\r\n"
                                       "Left=100\r\n"
                                       "Top=50\r\n"
                                       "Height=805\r\n"
                                       "Width=823\r\n"
                                       "ComPort=2\r\n"
                                       "Language=1\r\n"
                                       "File=D:\\sets\\a.ign\r\n"
                                       "IniDir=D:\\sets\\a.ign\r\n"
                                       "CheckBoxIgnAll->Checked=1\r\n"));
    const QStringList order{
        "Left", "Top", "Height", "Width", "ComPort", "Language", "File", "IniDir", "CheckBoxIgnAll->Checked"};
    QCOMPARE(ini.keys(QStringLiteral("FORM_HLAV")), order);

    AppSettings back;
    back.load(ini);
    QCOMPARE(back.left, 100);
    QCOMPARE(back.top, 50);
    QCOMPARE(back.comPort, 2);
    QCOMPARE(back.language, 1);
    QCOMPARE(back.file, QStringLiteral("D:\\sets\\a.ign"));
    QCOMPARE(back.iniDir, QStringLiteral("D:\\sets\\a.ign"));
    QVERIFY(back.allChecked);

    // A second save of the same values changes nothing.
    const QByteArray first = ini.toBytes();
    back.save(ini);
    QCOMPARE(ini.toBytes(), first);
}

void TestSettings::updateKeepsLinesAndOrder() {
    IniFile ini = iniFrom(
        "; velmor settings\n"
        "[PORTS]\n"
        "COM1=/dev/ttyUSB3\n"
        "\n"
        "[FORM_HLAV]\n"
        "Top=1\n"
        "Foo=bar\n"
        "  left = 2\n"
        "# note\n"
        "\n"
        "[Other]\n"
        "x=y");
    AppSettings s;
    s.left = 10;
    s.top = 20;
    s.comPort = 3;
    s.language = 2;
    s.iniDir = QStringLiteral("/a b/c.ign");
    s.save(ini);
    const QByteArray expected =
        "; velmor settings\r\n"
        "[PORTS]\r\n"
        "COM1=/dev/ttyUSB3\r\n"
        "\r\n"
        "[FORM_HLAV]\r\n"
        "Top=20\r\n"
        "Foo=bar\r\n"
        "Left=10\r\n"
        "Height=805\r\n"
        "Width=823\r\n"
        "ComPort=3\r\n"
        "Language=2\r\n"
        "File=\r\n"
        "IniDir=/a b/c.ign\r\n"
        "CheckBoxIgnAll->Checked=0\r\n"
        "# note\r\n"
        "\r\n"
        "[Other]\r\n"
        "x=y\r\n";
    QCOMPARE(ini.toBytes(), expected);

    // The next run updates the same lines where they stand.
    s.top = -5;
    s.allChecked = true;
    s.file = QStringLiteral("/a b/c.ign");
    s.save(ini);
    QByteArray updated = expected;
    updated.replace("Top=20", "Top=-5");
    updated.replace("Checked=0", "Checked=1");
    updated.replace("File=\r\n", "File=/a b/c.ign\r\n");
    QCOMPARE(ini.toBytes(), updated);
}

void TestSettings::newSectionAtEnd() {
    IniFile ini = iniFrom("[PORTS]\r\nCOM2=/dev/ttyS1\r\n");
    ini.writeString(QStringLiteral("FORM_HLAV"), QStringLiteral("File"), QStringLiteral("x.ign"));
    ini.writeInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Left"), 4);
    ini.writeInteger(QStringLiteral("PORTS"), QStringLiteral("Extra"), 1);
    QCOMPARE(ini.toBytes(),
             QByteArray("[PORTS]\r\nCOM2=/dev/ttyS1\r\nExtra=1\r\n[FORM_HLAV]\r\nFile=x.ign\r\nLeft=4\r\n"));

    // An empty section takes its first key right below its header.
    IniFile empty = iniFrom("[FORM_HLAV]\r\n\r\n[PORTS]\r\n");
    empty.writeInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Top"), 1);
    QCOMPARE(empty.toBytes(), QByteArray("[FORM_HLAV]\r\nTop=1\r\n\r\n[PORTS]\r\n"));
}

void TestSettings::readInteger_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("k=5") << 5;
    QTest::newRow("plus") << QByteArray("k=+5") << 5;
    QTest::newRow("minus") << QByteArray("k=-3") << -3;
    QTest::newRow("blanks") << QByteArray("k = 7 \t") << 7;
    QTest::newRow("int max") << QByteArray("k=2147483647") << 2147483647;
    QTest::newRow("int min") << QByteArray("k=-2147483648") << int(-2147483648LL);
    QTest::newRow("trailing letters") << QByteArray("k=12abc") << 77;
    QTest::newRow("empty") << QByteArray("k=") << 77;
    QTest::newRow("word") << QByteArray("k=abc") << 77;
    QTest::newRow("two numbers") << QByteArray("k=1 2") << 77;
    QTest::newRow("too large") << QByteArray("k=99999999999") << 77;
    QTest::newRow("too small") << QByteArray("k=-2147483649") << 77;
    QTest::newRow("hex") << QByteArray("k=0x10") << 77;
    QTest::newRow("decimal point") << QByteArray("k=1.0") << 77;
    QTest::newRow("no equals") << QByteArray("k 5") << 77;
    QTest::newRow("missing") << QByteArray("other=5") << 77;
    QTest::newRow("other section") << QByteArray("[T]\r\nk=5") << 77;
    QTest::newRow("commented out") << QByteArray(";k=5") << 77;
    QTest::newRow("key case") << QByteArray("K=6") << 6;
}

void TestSettings::readInteger() {
    QFETCH(QByteArray, line);
    QFETCH(int, expected);
    const IniFile ini = iniFrom("[S]\r\n" + line + "\r\n");
    QCOMPARE(ini.readInteger(QStringLiteral("S"), QStringLiteral("k"), 77), expected);
    QCOMPARE(ini.readInteger(QStringLiteral("s"), QStringLiteral("k"), 77), expected);
}

void TestSettings::loadKeepsDefaults() {
    // The defaults are the values the caller put in before loading.
    AppSettings s;
    s.left = 300;
    s.top = 200;
    s.comPort = 1;
    s.language = 0;
    s.file = QStringLiteral("keep");
    s.allChecked = false;

    const AppSettings before = s;
    s.load(IniFile());
    QCOMPARE(s.left, before.left);
    QCOMPARE(s.top, before.top);
    QCOMPARE(s.height, 805);
    QCOMPARE(s.width, 823);
    QCOMPARE(s.comPort, 1);
    QCOMPARE(s.language, 0);
    QCOMPARE(s.file, QStringLiteral("keep"));
    QVERIFY(s.iniDir.isEmpty());
    QVERIFY(!s.allChecked);

    s.load(iniFrom("[FORM_HLAV]\r\nLeft=12abc\r\nTop=\r\nHeight=600\r\nComPort=x\r\nCheckBoxIgnAll->Checked=yes\r\n"));
    QCOMPARE(s.left, 300);
    QCOMPARE(s.top, 200);
    QCOMPARE(s.height, 600);
    QCOMPARE(s.comPort, 1);
    QVERIFY(!s.allChecked);

    s.allChecked = true;
    s.load(iniFrom("[FORM_HLAV]\r\nCheckBoxIgnAll->Checked=0\r\n"));
    QVERIFY(!s.allChecked);
    s.load(iniFrom("[FORM_HLAV]\r\nCheckBoxIgnAll->Checked=2\r\n"));
    QVERIFY(s.allChecked);
}

void TestSettings::loadTakesLowByte() {
    AppSettings s;
    s.load(iniFrom("[FORM_HLAV]\r\nComPort=258\r\nLanguage=-1\r\n"));
    QCOMPARE(s.comPort, 2);
    QCOMPARE(s.language, 255);

    // Out-of-range values are brought back by the validate pass at start-up.
    s.load(iniFrom("[FORM_HLAV]\r\nComPort=12\r\nLanguage=7\r\n"));
    QCOMPARE(s.comPort, 12);
    QCOMPARE(s.language, 7);
    ParameterSet set;
    set.validate({&s.language, &s.comPort});
    QCOMPARE(s.comPort, 1);
    QCOMPARE(s.language, 0);
}

void TestSettings::loadTexts() {
    AppSettings s;
    s.load(iniFrom("[form_hlav]\r\nfile = /home/jiří/sady/a=b.ign \r\nINIDIR=C:\\Sady\\Ä.ign\r\n"));
    QCOMPARE(s.file, QStringLiteral("/home/jiří/sady/a=b.ign"));
    QCOMPARE(s.iniDir, QStringLiteral("C:\\Sady\\Ä.ign"));

    IniFile ini;
    s.save(ini);
    QVERIFY(ini.toBytes().contains("File=/home/jiř\xc3\xad/sady/a=b.ign\r\n"));
    AppSettings back;
    back.load(ini);
    QCOMPARE(back.file, s.file);
    QCOMPARE(back.iniDir, s.iniDir);
}

void TestSettings::portsSection() {
    AppSettings s;
    s.portDevices[3] = QStringLiteral("stale");
    s.load(
        iniFrom("[FORM_HLAV]\r\nComPort=2\r\nCOM2=/dev/wrong\r\n"
                "[PORTS]\r\nCOM1=/dev/serial/by-id/usb-X-if00\r\nCOM10 = /dev/ttyS9\r\nCOM11=/dev/no\r\n"));
    QCOMPARE(s.portDevices[0], QStringLiteral("/dev/serial/by-id/usb-X-if00"));
    QCOMPARE(s.portDevices[1], QString());
    QCOMPARE(s.portDevices[3], QString());
    QCOMPARE(s.portDevices[9], QStringLiteral("/dev/ttyS9"));

    // Saving leaves the section alone.
    IniFile ini = iniFrom("[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n");
    s.save(ini);
    QVERIFY(ini.toBytes().startsWith("[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n[FORM_HLAV]\r\nLeft="));
}

void TestSettings::lineEnds() {
    const IniFile mixed = iniFrom("[A]\r\nx=1\ny=2\r\n\r\nz=a\rb\n");
    QCOMPARE(mixed.lines(), (QList<QByteArray>{"[A]", "x=1", "y=2", "", "z=a\rb"}));
    QCOMPARE(mixed.readInteger(QStringLiteral("A"), QStringLiteral("y"), 0), 2);
    QCOMPARE(mixed.toBytes(), QByteArray("[A]\r\nx=1\r\ny=2\r\n\r\nz=a\rb\r\n"));

    QCOMPARE(iniFrom("[A]\r\nx=1").lines(), (QList<QByteArray>{"[A]", "x=1"}));
    QCOMPARE(iniFrom("\n\n").lines(), (QList<QByteArray>{"", ""}));
    QCOMPARE(iniFrom("").lines(), QList<QByteArray>{});
    QCOMPARE(iniFrom("").toBytes(), QByteArray());
}

void TestSettings::lineBreaksInValues() {
    IniFile ini;
    ini.writeString(QStringLiteral("FORM_HLAV"), QStringLiteral("File"), QStringLiteral("/tmp/a\r\n[PORTS]\nCOM1=x"));
    QCOMPARE(ini.toBytes(), QByteArray("[FORM_HLAV]\r\nFile=/tmp/a[PORTS]COM1=x\r\n"));
    QCOMPARE(ini.keys(QStringLiteral("PORTS")), QStringList{});
}

void TestSettings::duplicatesFirstWins() {
    IniFile ini = iniFrom("[FORM_HLAV]\r\nLeft=1\r\nLeft=2\r\n[FORM_HLAV]\r\nLeft=3\r\nTop=4\r\n");
    QCOMPARE(ini.readInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Left"), 0), 1);
    QCOMPARE(ini.readInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Top"), 0), 4);
    QCOMPARE(ini.keys(QStringLiteral("form_hlav")), (QStringList{"Left", "Top"}));
    ini.writeInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Left"), 9);
    ini.writeInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Width"), 5);
    QCOMPARE(ini.toBytes(),
             QByteArray("[FORM_HLAV]\r\nLeft=9\r\nLeft=2\r\nWidth=5\r\n[FORM_HLAV]\r\nLeft=3\r\nTop=4\r\n"));
}

void TestSettings::caseOfNames() {
    // Only ASCII letters fold; other characters must match exactly.
    const IniFile ini = iniFrom("[Řada]\r\nKlíč=1\r\n[ÿ]\r\nk=2\r\n");
    QCOMPARE(ini.readInteger(QStringLiteral("Řada"), QStringLiteral("KLÍČ"), 0), 0);
    QCOMPARE(ini.readInteger(QStringLiteral("řada"), QStringLiteral("Klíč"), 0), 0);
    QCOMPARE(ini.readInteger(QStringLiteral("Řada"), QStringLiteral("kLíč"), 0), 1);
    QCOMPARE(ini.readInteger(QStringLiteral("ß"), QStringLiteral("k"), 0), 0);
    QCOMPARE(ini.readInteger(QStringLiteral("ÿ"), QStringLiteral("K"), 0), 2);
}

void TestSettings::boundedReading() {
    // A long but sane file: ten thousand lines, the wanted keys at the end.
    QByteArray big = "[JUNK]\n";
    for (int i = 0; i < 10000; ++i) big += "key" + QByteArray::number(i) + "=value\n";
    big += "[FORM_HLAV]\nLeft=42\n";
    IniFile ini = iniFrom(big);
    QCOMPARE(ini.lines().size(), 10003);
    AppSettings s;
    s.load(ini);
    QCOMPARE(s.left, 42);
    s.save(ini);
    QCOMPARE(ini.lines().size(), 10011);
    QCOMPARE(ini.lines()[10002], QByteArray("Left=42"));

    // One enormous line is cut to the limit; the lines around it survive.
    GeneratedDevice oneLine("[FORM_HLAV]\nFile=", "x", 8 << 20, "\r\nLeft=7\n");
    IniFile cut;
    cut.read(oneLine);
    QCOMPARE(cut.lines().size(), 3);
    QCOMPARE(cut.lines()[1].size(), IniFile::kMaxLineLength);
    QVERIFY(cut.lines()[1].startsWith("File=xxx"));
    QCOMPARE(cut.readInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Left"), 0), 7);
    QCOMPARE(oneLine.delivered(), oneLine.total());

    // A line exactly at the limit keeps all of it, its CR LF not counted.
    const QByteArray exact = "k=" + QByteArray(IniFile::kMaxLineLength - 2, 'v');
    QCOMPARE(iniFrom(exact + "\r\nnext=1\r\n").lines(), (QList<QByteArray>{exact, "next=1"}));

    // A flood of short lines stops being kept at the total limit.
    GeneratedDevice flood("[FORM_HLAV]\nTop=3\n", "a=1\n", 40 << 20, "");
    IniFile capped;
    capped.read(flood);
    qsizetype kept = 0;
    for (const QByteArray& l : capped.lines()) kept += l.size() + 2;
    QVERIFY(kept <= IniFile::kMaxTotalLength);
    QCOMPARE(capped.lines().size(), IniFile::kMaxLines);
    QVERIFY(flood.delivered() < flood.total());
    QCOMPARE(capped.readInteger(QStringLiteral("FORM_HLAV"), QStringLiteral("Top"), 0), 3);
    GeneratedDevice longFlood("", "k=" + QByteArray(1000, 'v') + "\n", 40 << 20, "");
    capped.read(longFlood);
    kept = 0;
    for (const QByteArray& l : capped.lines()) kept += l.size() + 2;
    QVERIFY(kept <= IniFile::kMaxTotalLength);
    QVERIFY(kept > IniFile::kMaxTotalLength - 1100);
}

void TestSettings::iniOnDisk() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cfg/velmor/velmor.ini"));
    IniFile missing;
    QVERIFY(!missing.load(path));
    QVERIFY(missing.lines().isEmpty());

    IniFile ini;
    exampleSettings().save(ini);
    QVERIFY(ini.save(path));
    QCOMPARE(readFile(path), ini.toBytes());

    IniFile back;
    QVERIFY(back.load(path));
    QCOMPARE(back.lines(), ini.lines());

    // The folder cannot be made: nothing written, failure reported.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("plain")), "p"));
    QVERIFY(!ini.save(dir.filePath(QStringLiteral("plain/velmor.ini"))));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("plain"))), QByteArray("p"));
}

void TestSettings::imageFileLayout() {
    const ParameterSet set = patternSet(7);
    const QByteArray bytes = WorkingImageFile::toBytes(set);
    QCOMPARE(bytes.size(), 620);
    QVERIFY(
        bytes.startsWith("    0     7    14    21    28    35    42    49    56    63 \r\n"
                         "   70    77    84    91    98   105   112   119   126   133 \r\n"));
    QVERIFY(bytes.endsWith("  118   125   132   139   146   153   160   167   174   181 \r\n"));

    QByteArray expected;
    for (int b = 0; b < kImageSize; ++b) {
        expected += QString::number(set.byte(b)).rightJustified(5, QLatin1Char(' ')).toLatin1() + ' ';
        if (b % 10 == 9) expected += "\r\n";
    }
    QCOMPARE(bytes, expected);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WorkingImageFile::write(buffer, set);
    QCOMPARE(buffer.data(), expected);
}

void TestSettings::imageRoundTrip() {
    for (int factor : {1, 7, 255, 0}) {
        const ParameterSet written = patternSet(factor);
        ParameterSet read = patternSet(3);
        QCOMPARE(readImage(WorkingImageFile::toBytes(written), read), 100);
        QCOMPARE(read.image(), written.image());
    }
}

void TestSettings::imageReadRules_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("values");  // what bytes 0, 1, 2 ... receive

    QByteArray sixty;
    QList<int> sixtyValues;
    for (int i = 0; i < 60; ++i) {
        sixty += QByteArray::number(200 + i % 50) + (i % 10 == 9 ? "\r\n" : " ");
        sixtyValues.append(200 + i % 50);
    }
    QTest::newRow("sixty numbers") << sixty << sixtyValues;
    QTest::newRow("empty") << QByteArray() << QList<int>{};
    QTest::newRow("word ends the load") << QByteArray("1 2 x 4 5") << QList<int>{1, 2};
    QTest::newRow("number glued to word") << QByteArray("1 2 3z 4") << QList<int>{1, 2};
    QTest::newRow("low 8 bits") << QByteArray("256 300 -1 4294967295 4294967296") << QList<int>{0, 44, 255, 255, 0};
    QTest::newRow("any whitespace") << QByteArray("\t9\n\n8\r\n  7") << QList<int>{9, 8, 7};
    QTest::newRow("overlong number ends the load") << QByteArray("5 " + QByteArray(300, '1') + " 6") << QList<int>{5};
    QByteArray more;
    QList<int> first100;
    for (int i = 0; i < 150; ++i) {
        more += QByteArray::number(i) + ' ';
        if (i < 100) first100.append(i);
    }
    QTest::newRow("only the first hundred") << more << first100;
}

void TestSettings::imageReadRules() {
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, values);
    const ParameterSet before = patternSet(3);
    ParameterSet set = before;
    QCOMPARE(readImage(content, set), values.size());
    for (int b = 0; b < kImageSize; ++b) {
        const int expected = b < values.size() ? values[b] : before.byte(b);
        QVERIFY2(set.byte(b) == expected, qPrintable(QStringLiteral("byte %1").arg(b)));
    }
}

void TestSettings::imageHugeFiles() {
    {
        GeneratedDevice garbage("", "x", 4 << 20, "");
        ParameterSet set = patternSet(3);
        QCOMPARE(WorkingImageFile::read(garbage, set), 0);
        QCOMPARE(set.image(), patternSet(3).image());
    }
    {
        // Stops after a hundred numbers without reading the rest.
        GeneratedDevice numbers("", "1 ", 64 << 20, "");
        ParameterSet set = patternSet(3);
        QCOMPARE(WorkingImageFile::read(numbers, set), 100);
        for (int b = 0; b < kImageSize; ++b) QCOMPARE(set.byte(b), 1);
        QVERIFY(numbers.delivered() < (1 << 20));
    }
}

void TestSettings::imageOnDisk() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("velmor/_velmor.ini"));
    ParameterSet set = patternSet(5);
    QCOMPARE(WorkingImageFile::load(path, set), -1);
    QCOMPARE(set.image(), patternSet(5).image());

    QVERIFY(WorkingImageFile::save(path, patternSet(11)));
    QCOMPARE(readFile(path), WorkingImageFile::toBytes(patternSet(11)));
    QCOMPARE(WorkingImageFile::load(path, set), 100);
    QCOMPARE(set.image(), patternSet(11).image());

    // A failed save keeps the image of the last good exit.
    QVERIFY(!FileSaver::save(path, [](QIODevice& out) {
        out.write("1 2 3");
        return false;
    }));
    QCOMPARE(readFile(path), WorkingImageFile::toBytes(patternSet(11)));
}

void TestSettings::marker_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("on");
    QTest::newRow("alone") << QByteArray("DIAG_SWITCH") << true;
    QTest::newRow("among words") << QByteArray("test bench 3\r\nDIAG_SWITCH on\r\n") << true;
    QTest::newRow("tabs") << QByteArray("\tDIAG_SWITCH\t") << true;
    QTest::newRow("absent") << QByteArray("nothing to see here") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("lower case") << QByteArray("diag_switch") << false;
    QTest::newRow("longer word") << QByteArray("DIAG_SWITCHES") << false;
    QTest::newRow("prefixed") << QByteArray("XDIAG_SWITCH") << false;
    QTest::newRow("inside a line") << QByteArray("DIAG_SWITCH=1") << false;
    QTest::newRow("after overlong token") << QByteArray(QByteArray(1000, 'x') + " DIAG_SWITCH") << true;
    QTest::newRow("overlong ending in it") << QByteArray(QByteArray(300, 'x') + "DIAG_SWITCH") << false;
    QTest::newRow("overlong starting with it") << QByteArray("DIAG_SWITCH" + QByteArray(300, 'x')) << false;
    QTest::newRow("across a chunk boundary")
        << QByteArray(QByteArray(TokenReader::kChunkSize - 5, ' ') + "DIAG_SWITCH") << true;
}

void TestSettings::marker() {
    QFETCH(QByteArray, content);
    QFETCH(bool, on);
    QCOMPARE(markerIn(content), on);
}

void TestSettings::markerHugeFiles() {
    GeneratedDevice with("", "word ", 5 << 20, "DIAG_SWITCH\n");
    QVERIFY(TestMarker::contains(with));
    GeneratedDevice without("", "DIAG_SWITC", 10 << 20, "H");
    QVERIFY(!TestMarker::contains(without));
    QCOMPARE(without.delivered(), without.total());
}

void TestSettings::configPaths() {
#ifdef Q_OS_WIN
    QSKIP("XDG_CONFIG_HOME chooses the folder elsewhere; Windows' own folders are tested in tests/windows");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const auto restore = qScopeGuard([&] {
        if (saved.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", saved);
    });

    const QString folder = dir.path() + QStringLiteral("/velmor");
    QCOMPARE(ConfigPaths::folder(), folder);
    QCOMPARE(ConfigPaths::settingsFile(), folder + QStringLiteral("/velmor.ini"));
    QCOMPARE(ConfigPaths::workingImageFile(), folder + QStringLiteral("/_velmor.ini"));
    QCOMPARE(ConfigPaths::markerFile(), folder + QStringLiteral("/test_brinta.txt"));
    QVERIFY(!QFileInfo::exists(folder));

    // First start: nothing there, defaults stay.
    IniFile ini;
    QVERIFY(!ini.load(ConfigPaths::settingsFile()));
    AppSettings first;
    first.load(ini);
    QCOMPARE(first.comPort, 1);
    ParameterSet set;
    QCOMPARE(WorkingImageFile::load(ConfigPaths::workingImageFile(), set), -1);
    QVERIFY(!TestMarker::check(ConfigPaths::markerFile()));

    // Shut-down writes both files, creating the folder.
    first.comPort = 4;
    first.save(ini);
    set.setBaseAdvance(17);
    QVERIFY(ini.save(ConfigPaths::settingsFile()));
    QVERIFY(WorkingImageFile::save(ConfigPaths::workingImageFile(), set));
    QCOMPARE(readFile(ConfigPaths::workingImageFile()).size(), 620);

    // Next start finds them again.
    IniFile again;
    QVERIFY(again.load(ConfigPaths::settingsFile()));
    AppSettings second;
    second.load(again);
    QCOMPARE(second.comPort, 4);
    ParameterSet restored;
    QCOMPARE(WorkingImageFile::load(ConfigPaths::workingImageFile(), restored), 100);
    QCOMPARE(restored.baseAdvance(), 17);

    QVERIFY(ConfigPaths::ensureFolder());
    QVERIFY(writeFile(ConfigPaths::markerFile(), "bench DIAG_SWITCH\n"));
    QVERIFY(TestMarker::check(ConfigPaths::markerFile()));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
