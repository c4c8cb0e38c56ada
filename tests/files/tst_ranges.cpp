// What the readers keep of values outside the window's ranges, which characters separate a
// parameter file's tokens, and where the settings and the working image are kept.
#include <sys/stat.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "files/ConfigPaths.h"
#include "files/IniFile.h"
#include "files/ParameterFile.h"
#include "files/WorkingImageFile.h"

namespace {

const QByteArray kHead = "KAPRILON_KEY  41 \r\n";

bool readBytes(const QByteArray& bytes, ParameterSet& set, QStringList* keys = nullptr) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return keys ? ParameterFile::readInRange(buffer, set, keys) : ParameterFile::read(buffer, set);
}

// The default set with (byte, value) pairs applied.
ParameterSet changed(const QList<int>& pairs) {
    ParameterSet set;
    for (int i = 0; i + 1 < pairs.size(); i += 2) set.setByte(pairs[i], static_cast<std::uint8_t>(pairs[i + 1]));
    return set;
}

void compareImages(const ParameterSet& got, const ParameterSet& expected) {
    for (int b = 0; b < kImageSize; ++b)
        QVERIFY2(got.byte(b) == expected.byte(b),
                 qPrintable(QStringLiteral("byte %1: %2, expected %3").arg(b).arg(got.byte(b)).arg(expected.byte(b))));
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestRanges : public QObject {
    Q_OBJECT

private slots:
    void separators_data();
    void separators();
    void fileBroughtIntoRange_data();
    void fileBroughtIntoRange();
    void workingImageBroughtIntoRange();
    void pathsOfPlatform_data();
    void pathsOfPlatform();
    void oldFilesReadUntilNewOnesExist_data();
    void oldFilesReadUntilNewOnesExist();
};

void TestRanges::separators_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QList<int>>("changes");
    QTest::newRow("tab CR LF separate") << kHead + "BASE_ADV\t12\r\nBIKE\n2 RPM\r1\t\t-20" << true
                                        << QList<int>{52, 12, 50, 2, 66, 1, 67, 80};
    QTest::newRow("vertical tab joins") << kHead + "BASE_ADV\v12 BIKE 2" << true << QList<int>{50, 2};
    QTest::newRow("form feed joins") << kHead + "BASE_ADV 12\f BIKE\f2 INPUT 3 1" << true << QList<int>{63, 3, 64, 1};
    QTest::newRow("header joined by form feed") << QByteArray("KAPRILON_KEY\f41 BIKE 2") << false << QList<int>{};
    QTest::newRow("number joined by vertical tab") << QByteArray("KAPRILON_KEY 41\v BIKE 2") << false << QList<int>{};
}

void TestRanges::separators() {
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    QFETCH(QList<int>, changes);
    ParameterSet set;
    QCOMPARE(readBytes(content, set), accepted);
    compareImages(set, changed(changes));
}

void TestRanges::fileBroughtIntoRange_data() {
    QTest::addColumn<QList<int>>("before");  // (byte, value) pairs on the default set
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QList<int>>("after");  // (byte, value) pairs on the default set

    QTest::newRow("start limiter wide of a byte") << QList<int>{} << kHead + "LIMITER 12800 15000 6"
                                                  << QStringList{"LIMITER"} << QList<int>{53, 250, 54, 250, 55, 6};
    QTest::newRow("advance above 60") << QList<int>{} << kHead + "ADVANCE 300 61 60 0 -1" << QStringList{"ADVANCE"}
                                      << QList<int>{85, 60, 86, 60, 87, 60, 88, 0, 89, 0};
    QTest::newRow("no curve points") << QList<int>{} << kHead + "POCET_BODU 0" << QStringList{"POCET_BODU"}
                                     << QList<int>{51, 1};
    QTest::newRow("undefined lobe code") << QList<int>{} << kHead + "GEBER_NR 9" << QStringList{"GEBER_NR"}
                                         << QList<int>{59, 3};
    QTest::newRow("choices in writer order")
        << QList<int>{} << kHead + "INPUT 5 -1 NO_READING 2 POLARITA 3 BIKE 5"
        << QStringList{"POLARITA", "NO_READING", "INPUT"} << QList<int>{50, 5, 56, 2, 65, 1, 63, 4, 64, 0};
    // Every keying code stays as the file gives it, and nothing is forced on lobe and polarity.
    QTest::newRow("keying 7 forces nothing")
        << QList<int>{} << kHead + "BIKE 7 POLARITA 1 GEBER_NR 3" << QStringList{} << QList<int>{50, 7, 56, 1, 59, 3};
    QTest::newRow("keying 3 without an entry")
        << QList<int>{} << kHead + "BIKE 3 POLARITA 2 GEBER_NR 0" << QStringList{} << QList<int>{50, 3, 56, 2, 59, 0};
    QTest::newRow("keying 200") << QList<int>{} << kHead + "BIKE 200 POLARITA 0 GEBER_NR 2" << QStringList{}
                                << QList<int>{50, 200, 56, 0, 59, 2};
    QTest::newRow("keying cut to its byte") << QList<int>{} << kHead + "BIKE 263" << QStringList{} << QList<int>{50, 7};
    QTest::newRow("scaled values judged before the cut")
        << QList<int>{} << kHead + "RPM_ADV 599 70000 PILOT_LIGHT 999 CLUTCH -5 2600 RPM 0 61"
        << QStringList{"RPM_ADV", "PILOT_LIGHT", "CLUTCH", "RPM"}
        << QList<int>{70, 6, 71, 201, 60, 10, 61, 0, 62, 250, 66, 1, 67, 160};
    QTest::newRow("beyond 2^32") << QList<int>{} << kHead + "BASE_ADV 4294967306 RPM 7 -61"
                                 << QStringList{"BASE_ADV", "RPM"} << QList<int>{52, 40, 66, 6, 67, 40};
    QTest::newRow("the ends themselves are in range")
        << QList<int>{}
        << kHead +
               "RPM_ADV 600 20199 ADVANCE 0 60 POCET_BODU 15 BASE_ADV 40 LIMITER 9 250 25 GEBER_NR 0 BIKE 3 "
               "PILOT_LIGHT 25099 CLUTCH 0 2509 NO_READING 1 RPM 6 -60 INPUT 4 0 POLARITA 0"
        << QStringList{} << QList<int>{70, 6, 71, 201, 85, 0, 86, 60,  51, 15, 52, 40, 53, 9,  54, 250, 55, 25, 59, 0,
                                       50, 3, 60, 250, 61, 0, 62, 250, 65, 1,  66, 6,  67, 40, 63, 4,   64, 0,  56, 0};
    QTest::newRow("field the file leaves out") << QList<int>{50, 9, 57, 200, 63, 8} << kHead + "BASE_ADV 12"
                                               << QStringList{"INPUT"} << QList<int>{50, 9, 57, 200, 52, 12, 63, 4};
    QTest::newRow("refused file changes nothing")
        << QList<int>{61, 255} << QByteArray("KAPRILON_KEY 40 LIMITER 12800") << QStringList{} << QList<int>{61, 255};
}

void TestRanges::fileBroughtIntoRange() {
    QFETCH(QList<int>, before);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, keys);
    QFETCH(QList<int>, after);
    ParameterSet set = changed(before);
    QStringList found{"stale"};
    QCOMPARE(readBytes(content, set, &found), content.startsWith(kHead));
    if (content.startsWith(kHead)) QCOMPARE(found, keys);
    compareImages(set, changed(after));
}

void TestRanges::workingImageBroughtIntoRange() {
    // The image as the tool writes it, with hand-edited numbers: header and spare bytes keep
    // their low 8 bits, parameters go to the nearest end of their range.
    QList<QByteArray> numbers;
    const ParameterSet defaults;
    for (int b = 0; b < kImageSize; ++b) numbers.append(QByteArray::number(defaults.byte(b)));
    const QList<std::pair<int, QByteArray>> edits = {{0, "300"},    {57, "999"}, {51, "0"},  {53, "12800"},
                                                     {59, "9"},     {85, "300"}, {67, "-1"}, {70, "-5"},
                                                     {62, "65536"}, {52, "39"},  {50, "9"}};
    for (const auto& [b, text] : edits) numbers[b] = text;
    QTemporaryDir dir;
    const QString path = dir.filePath("_velmor.ini");
    QVERIFY(writeFile(path, numbers.join(' ')));

    ParameterSet set;
    QCOMPARE(WorkingImageFile::loadInRange(path, set), kImageSize);
    compareImages(set, changed({0, 44, 57, 231, 51, 1, 53, 250, 59, 3, 85, 60, 67, 40, 70, 6, 62, 250, 52, 39, 50, 9}));
    // Only a plain file is read: a pipe there would wait for a writer.
    const QString pipe = dir.filePath("pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(WorkingImageFile::loadInRange(pipe, set), -1);
}

void TestRanges::pathsOfPlatform_data() {
    QTest::addColumn<int>("platform");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("windowsFolder");
    QTest::addColumn<QStringList>("paths");  // settings, image, marker, old settings, old image
    QTest::newRow("windows") << int(ConfigPaths::Platform::Windows) << "C:/Users/ana/AppData/Roaming/velmor"
                             << "C:\\WINDOWS"
                             << QStringList{"C:/Users/ana/AppData/Roaming/velmor/velmor.ini",
                                            "C:/Users/ana/AppData/Roaming/velmor/_velmor.ini", "c:\\test_brinta.txt",
                                            "C:\\WINDOWS\\velmor.ini", "c:\\windows\\_velmor.ini"};
    QTest::newRow("other") << int(ConfigPaths::Platform::Other) << "/home/ana/.config/velmor" << QString()
                           << QStringList{"/home/ana/.config/velmor/velmor.ini", "/home/ana/.config/velmor/_velmor.ini",
                                          "/home/ana/.config/velmor/test_brinta.txt", QString(), QString()};
}

void TestRanges::pathsOfPlatform() {
    QFETCH(int, platform);
    QFETCH(QString, folder);
    QFETCH(QString, windowsFolder);
    QFETCH(QStringList, paths);
    const auto chosen = ConfigPaths::choose(static_cast<ConfigPaths::Platform>(platform), {folder, windowsFolder});
    QCOMPARE(chosen.folder, folder);
    QCOMPARE(
        (QStringList{chosen.settings, chosen.workingImage, chosen.marker, chosen.oldSettings, chosen.oldWorkingImage}),
        paths);
}

void TestRanges::oldFilesReadUntilNewOnesExist_data() {
    QTest::addColumn<QString>("newKind");  // none, file, pipe, folder
    QTest::addColumn<QString>("oldKind");  // none, file, unnamed
    QTest::addColumn<bool>("readsOld");
    QTest::newRow("first start after the update") << "none"
                                                  << "file" << true;
    QTest::newRow("new file written since") << "file"
                                            << "file" << false;
    QTest::newRow("no old file") << "none"
                                 << "none" << false;
    QTest::newRow("no old place") << "none"
                                  << "unnamed" << false;
    QTest::newRow("pipe in the new place") << "pipe"
                                           << "file" << true;
    QTest::newRow("folder in the new place") << "folder"
                                             << "file" << true;
}

void TestRanges::oldFilesReadUntilNewOnesExist() {
    QFETCH(QString, newKind);
    QFETCH(QString, oldKind);
    QFETCH(bool, readsOld);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("windows"));
    const auto paths =
        ConfigPaths::choose(ConfigPaths::Platform::Windows, {dir.filePath("appdata"), dir.filePath("windows")});
    const QString oldPath = oldKind == "unnamed" ? QString() : paths.oldSettings;
    QVERIFY(QDir().mkpath(paths.folder));
    if (newKind == "file") QVERIFY(writeFile(paths.settings, "[FORM_HLAV]\r\nComPort=3\r\n"));
    if (newKind == "pipe") QCOMPARE(::mkfifo(QFile::encodeName(paths.settings).constData(), 0600), 0);
    if (newKind == "folder") QVERIFY(QDir().mkpath(paths.settings));
    if (oldKind == "file") QVERIFY(writeFile(oldPath, "[FORM_HLAV]\r\nComPort=7\r\n"));

    const QString toRead = ConfigPaths::toRead(paths.settings, oldPath);
    QCOMPARE(toRead, readsOld ? oldPath : paths.settings);
    IniFile ini;
    QCOMPARE(ini.load(toRead), readsOld || newKind == "file");
    QCOMPARE(ini.readInteger("FORM_HLAV", "ComPort", 1), readsOld ? 7 : newKind == "file" ? 3 : 1);
}

QTEST_GUILESS_MAIN(TestRanges)
#include "tst_ranges.moc"
