// What a history file holds, what the parameter-file reader makes of it, pruning, a full disk,
// and the difference report.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FileSizeLimit.h"
#include "files/HistoryStore.h"
#include "files/ParameterFile.h"
#include "files/SetDifference.h"
#include "files/TelemetryLog.h"
#include "i18n/Language.h"

namespace {

// A set as a unit would hand it over: identification, unit text and spare bytes filled.
ParameterSet unitSet(const QByteArray& unitText) {
    ParameterSet set;
    const char letters[] = "VLM";
    for (int i = 0; i < 3; ++i) set.setByte(ImageByte::firmwareLetters + i, static_cast<std::uint8_t>(letters[i]));
    set.setByte(ImageByte::firmwareNumber, 7);
    set.setByte(ImageByte::readAllowed, 1);
    set.setByte(ImageByte::imageVersion, kImageVersion);
    for (int i = 0; i < unitText.size() && i < ImageByte::unitTextLength; ++i)
        set.setByte(ImageByte::unitText + i, static_cast<std::uint8_t>(unitText[i]));
    set.setByte(57, 11);
    set.setByte(69, 222);
    set.setCurveAdvance(4, 33);
    set.setInput1Function(3);
    return set;
}

bool readWithFileReader(const QByteArray& bytes, ParameterSet& set) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ParameterFile::read(buffer, set);
}

const QDateTime kWhen(QDate(2026, 12, 8), QTime(23, 30, 12, 345));

}  // namespace

class TestHistoryFiles : public QObject {
    Q_OBJECT

private slots:
    void olderReaderTakesTheFileAsSaved_data();
    void olderReaderTakesTheFileAsSaved();
    void fileOpensBackToTheSame100Bytes();
    void pruningKeepsTheNewest1000();
    void fullDiskLeavesNothingBehind();
    void plantedLinksAreNeverWrittenThrough_data();
    void plantedLinksAreNeverWrittenThrough();
    void differenceReport_data();
    void differenceReport();
};

void TestHistoryFiles::olderReaderTakesTheFileAsSaved_data() {
    QTest::addColumn<QByteArray>("unitText");
    QTest::newRow("firmware only") << QByteArray();
    QTest::newRow("plain text") << QByteArray("Customer 12 KTM");
    // Texts from a unit that look like the format's own words must not count as such.
    QTest::newRow("header words") << QByteArray("KAPRILON_KEY  41 BIKE 3");
    QTest::newRow("a dash") << QByteArray("-");
}

void TestHistoryFiles::olderReaderTakesTheFileAsSaved() {
    QFETCH(QByteArray, unitText);
    const ParameterSet set = unitSet(unitText);
    const QByteArray history = HistoryStore::toBytes(HistoryKind::Read, set, 42, kWhen);
    // The saved file's bytes close the history file unchanged.
    QVERIFY(history.endsWith(ParameterFile::toBytes(set)));

    // The reader of the format, given a different set to start from, ends with exactly what
    // it makes of the saved file.
    ParameterSet fromHistory;
    fromHistory.setBaseAdvance(1);
    ParameterSet fromSaved = fromHistory;
    QVERIFY(readWithFileReader(history, fromHistory));
    QVERIFY(readWithFileReader(ParameterFile::toBytes(set), fromSaved));
    QCOMPARE(fromHistory.image(), fromSaved.image());

    const auto entry = HistoryStore::parseHeader(history);
    QVERIFY(entry);
    QCOMPARE(entry->unitText, QString::fromLatin1(unitText));
    QCOMPARE(entry->firmware, QStringLiteral("VLM07"));
    QCOMPARE(entry->kind, HistoryKind::Read);
    QCOMPARE(entry->programmingCount, std::optional<int>(42));
    QCOMPARE(entry->when, kWhen);
}

void TestHistoryFiles::fileOpensBackToTheSame100Bytes() {
    QTemporaryDir dir;
    HistoryStore store(dir.path() + "/history");
    const ParameterSet set = unitSet("Unit A");
    const QString path = store.add(HistoryKind::Backup, set, std::nullopt, kWhen);
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("20261208-233012-345_backup_Unit_A.ign"));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    ParameterSet loaded;
    QVERIFY(HistoryStore::read(file, loaded));
    QCOMPARE(loaded.image(), set.image());

    const QList<HistoryStore::Entry> entries = store.list();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].path, path);
    QCOMPARE(entries[0].kind, HistoryKind::Backup);
    QVERIFY(!entries[0].programmingCount.has_value());
}

void TestHistoryFiles::pruningKeepsTheNewest1000() {
    QTemporaryDir dir;
    HistoryStore store(dir.path());
    const QByteArray bytes = HistoryStore::toBytes(HistoryKind::Read, unitSet("x"), 1, kWhen);
    // 1000 files one second apart, then one foreign file the store must leave alone.
    const QDateTime first(QDate(2026, 1, 1), QTime(0, 0));
    for (int i = 0; i < HistoryStore::kKeep; ++i) {
        QFile file(dir.filePath(first.addSecs(i).toString("yyyyMMdd-HHmmss-zzz") + "_read_x.ign"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QFile foreign(dir.filePath("customer.ign"));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.close();

    QVERIFY(!store.add(HistoryKind::Programmed, unitSet("x"), 2, first.addDays(1)).isEmpty());
    QVERIFY(!store.add(HistoryKind::Programmed, unitSet("x"), 3, first.addDays(2)).isEmpty());
    const QList<HistoryStore::Entry> entries = store.list();
    QCOMPARE(entries.size(), HistoryStore::kKeep);
    QCOMPARE(entries.first().programmingCount, std::optional<int>(3));
    QCOMPARE(entries.last().path, dir.filePath(first.addSecs(2).toString("yyyyMMdd-HHmmss-zzz") + "_read_x.ign"));
    QVERIFY(QFile::exists(dir.filePath("customer.ign")));
    QVERIFY(!QFile::exists(dir.filePath(first.toString("yyyyMMdd-HHmmss-zzz") + "_read_x.ign")));
}

void TestHistoryFiles::fullDiskLeavesNothingBehind() {
    QTemporaryDir dir;
    HistoryStore store(dir.path());
    QString path;
    {
        FileSizeLimit limit(256);
        if (!limit.isActive()) QSKIP("file size limit not available");
        path = store.add(HistoryKind::Read, unitSet("x"), 1, kWhen);
    }
    QVERIFY(path.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    QVERIFY(!store.add(HistoryKind::Read, unitSet("x"), 1, kWhen).isEmpty());
}

void TestHistoryFiles::plantedLinksAreNeverWrittenThrough_data() {
    QTest::addColumn<bool>("log");           // a telemetry log, else a history file
    QTest::addColumn<bool>("targetExists");  // the link points at a file, else at nothing
    QTest::addColumn<int>("links");          // links planted at the first names in turn
    QTest::newRow("history, dangling link") << false << false << 1;
    QTest::newRow("history, link to a file") << false << true << 1;
    QTest::newRow("history, two names taken") << false << false << 2;
    QTest::newRow("log, dangling link") << true << false << 1;
    QTest::newRow("log, link to a file") << true << true << 1;
    QTest::newRow("log, two names taken") << true << true << 2;
}

void TestHistoryFiles::plantedLinksAreNeverWrittenThrough() {
    QFETCH(bool, log);
    QFETCH(bool, targetExists);
    QFETCH(int, links);
    QTemporaryDir dir;
    const QString folder = dir.filePath(log ? "logs" : "history");
    QVERIFY(QDir().mkpath(folder));
    const QString target = dir.filePath("elsewhere");
    const QByteArray precious = "someone else's file\n";
    if (targetExists) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(precious) == precious.size());
    }
    const QString stem =
        log ? TelemetryLog::fileNameFor(kWhen).chopped(4) : QStringLiteral("20261208-233012-345_read_Unit_A");
    const QString suffix = log ? QStringLiteral(".csv") : QStringLiteral(".ign");
    const auto nameAt = [&](int n) {
        return folder + '/' + stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + suffix;
    };
    for (int n = 1; n <= links; ++n) QVERIFY(QFile::link(target, nameAt(n)));

    const ParameterSet set = unitSet("Unit A");
    const QByteArray preamble = TelemetryLog::preamble(kWhen, set);
    QString written;
    if (log) {
        // Given a planted name the recorder refuses it; the name the log takes is a free one.
        TelemetryRecorder recorder;
        QVERIFY(!recorder.start(nameAt(1), preamble));
        QVERIFY(!recorder.recording());
        written = TelemetryLog::freePath(folder, kWhen);
        QVERIFY(recorder.start(written, preamble));
        QVERIFY(recorder.stop());
    } else {
        written = HistoryStore(folder).add(HistoryKind::Read, set, 5, kWhen);
    }
    QCOMPARE(written, nameAt(links + 1));
    QFile file(written);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), log ? preamble : HistoryStore::toBytes(HistoryKind::Read, set, 5, kWhen));

    // The links are still links, and what they point at is as it was.
    for (int n = 1; n <= links; ++n) QVERIFY(QFileInfo(nameAt(n)).isSymLink());
    QCOMPARE(QFileInfo::exists(target), targetExists);
    if (targetExists) {
        QFile other(target);
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), precious);
    }
    // The history lists its own file only.
    if (!log) QCOMPARE(HistoryStore(folder).list().size(), 1);
}

void TestHistoryFiles::differenceReport_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("expected");  // field, left, right for each row in byte order
    QTest::newRow("English") << int(LanguageId::English)
                             << QStringList{"Spare byte 58", "0",           "7",        "Input 2", "Off",
                                            "Retard",        "Point 3 RPM", "3000 rpm", "3500 rpm"};
    QTest::newRow("German") << int(LanguageId::German)
                            << QStringList{"Reservebyte 58", "0",           "7",        "Eingang 2", "Aus",
                                           "Spätzündung",    "Punkt 3 RPM", "3000 rpm", "3500 rpm"};
}

void TestHistoryFiles::differenceReport() {
    QFETCH(int, language);
    QFETCH(QStringList, expected);
    ParameterSet window;
    window.setCurveRpm(2, 30);
    ParameterSet other = window;
    other.setCurveRpm(2, 35);
    other.setInput2Function(3);
    other.setByte(58, 7);
    QStringList got;
    for (const SetDifference::Row& row : SetDifference::compare(window, other, static_cast<LanguageId>(language)))
        got << row.field << row.left << row.right;
    QCOMPARE(got, expected);
    QVERIFY(SetDifference::compare(window, window).isEmpty());
}

QTEST_GUILESS_MAIN(TestHistoryFiles)
#include "tst_history_files.moc"
