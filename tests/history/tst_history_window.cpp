// The window with the simulated unit: the history a Read and a Program leave, the backup
// before programming on the wire, its refusal and failure paths, a full disk, and the windows.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "FakeDialogs.h"
#include "FileSizeLimit.h"
#include "SimPort.h"
#include "WindowRig.h"
#include "files/HistoryStore.h"
#include "i18n/Language.h"
#include "ui/DifferenceWindow.h"
#include "ui/HistoryFeature.h"
#include "ui/HistoryWindow.h"
#include "ui/TFormHlav.h"

namespace {
constexpr int kTicks = 60;  // enough for any command of the simulated unit to end

template <typename Bytes>
QList<int> listOf(const Bytes& bytes) {
    return QList<int>(bytes.begin(), bytes.end());
}
}  // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readAndProgramLeaveOneFileEach_data();
    void readAndProgramLeaveOneFileEach();
    void backupBeforeProgramming_data();
    void backupBeforeProgramming();
    void fullDiskLeavesTheResult();
    void historyWindowOpensAndCompares();
    void openEntryBringsIntoRange_data();
    void openEntryBringsIntoRange();
    void compareWithUnitLeavesTheWindow();
    void functionKeysActAfterVerifyError_data();
    void functionKeysActAfterVerifyError();

private:
    TFormHlav* start(const UnitFaults& faults = {}, bool show = false) {
        // Timer1 is ticked by hand.
        port_ = rig_.start({.onBox = WindowRig::recordInto(boxes_), .mappedPorts = 0, .show = show},
                           std::make_unique<SimPort>(faults));
        tick(12);  // connected, telemetry in
        return window_.get();
    }
    void tick(int n) {
        for (int i = 0; i < n; ++i) window_->Timer1Timer();
        QCoreApplication::processEvents();
    }
    QString message() const { return window_->findChild<QLabel*>("LabelHlaseni")->text(); }
    QList<HistoryStore::Entry> history() const { return window_->history()->store().list(); }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    SimPort* port_ = nullptr;
    FakeDialogs*& dialogs_ = rig_.dialogs;
    QStringList boxes_;
};

void TestHistoryWindow::init() {
    setCurrentLanguage(LanguageId::English);
    boxes_.clear();
    QVERIFY(rig_.prepare());
}

void TestHistoryWindow::cleanup() { rig_.stop(); }

void TestHistoryWindow::readAndProgramLeaveOneFileEach_data() {
    QTest::addColumn<bool>("program");
    QTest::newRow("Read") << false;
    QTest::newRow("Program") << true;
}

void TestHistoryWindow::readAndProgramLeaveOneFileEach() {
    QFETCH(bool, program);
    start();
    ImageBlock stored = port_->unit.parameterBlock();
    stored[7] = 9;  // a spare byte only a unit fills
    stored[1] = 4;
    port_->unit.setParameterBlock(stored);
    port_->unit.setProgrammingCount(17);
    tick(12);
    if (program) {
        window_->parameterSet().setBaseAdvance(14);
        window_->refreshWindow();
        window_->MenuProgramClick();
    } else {
        window_->MenuReadClick();
    }
    tick(kTicks);
    QCOMPARE(message(), QStringLiteral("Verify: OK"));
    const auto entries = history();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].kind, program ? HistoryKind::Programmed : HistoryKind::Read);
    QCOMPARE(entries[0].firmware, QStringLiteral("VLM12"));
    QCOMPARE(entries[0].programmingCount, std::optional<int>(17));
    QFile file(entries[0].path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    ParameterSet loaded;
    QVERIFY(HistoryStore::read(file, loaded));
    QCOMPARE(loaded.image(), window_->parameterSet().image());
    QVERIFY(boxes_.isEmpty());
}

void TestHistoryWindow::backupBeforeProgramming_data() {
    QTest::addColumn<bool>("refuses");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QList<int>>("frames");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QList<int>>("kinds");  // newest first
    QTest::newRow("backup") << false << false << QList<int>{0x40, 0x41, 0x00, 0x01, 0x41} << "Verify: OK"
                            << QList<int>{int(HistoryKind::Programmed), int(HistoryKind::Backup)};
    QTest::newRow("refuses reading") << true << false << QList<int>{0x40, 0x00, 0x01, 0x41}
                                     << "Verify: OK (no backup: the unit refuses reading)"
                                     << QList<int>{int(HistoryKind::Programmed)};
    QTest::newRow("read fails") << false << true << QList<int>{0x40, 0x40, 0x40, 0x40, 0x40} << "Read error!"
                                << QList<int>{};
}

void TestHistoryWindow::backupBeforeProgramming() {
    QFETCH(bool, refuses);
    QFETCH(bool, silent);
    QFETCH(QList<int>, frames);
    QFETCH(QString, shown);
    QFETCH(QList<int>, kinds);
    UnitFaults faults;
    faults.readProtected = refuses;
    start(faults);
    port_->unit.setProgrammingCount(3);
    window_->history()->setBackupBeforeProgramming(true);
    const ImageBlock before = port_->unit.parameterBlock();
    window_->parameterSet().setBaseAdvance(21);
    window_->refreshWindow();
    port_->silent = silent;
    port_->commands.clear();
    window_->MenuProgramClick();
    tick(kTicks);
    QCOMPARE(QList<int>(port_->commands.begin(), port_->commands.end()), frames);
    QCOMPARE(message(), shown);
    QList<int> got;
    for (const auto& entry : history()) got.append(int(entry.kind));
    QCOMPARE(got, kinds);
    if (!kinds.isEmpty() && kinds.last() == int(HistoryKind::Backup)) {
        // The backup holds the unit's set as it was before programming.
        QFile file(history().last().path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        ParameterSet backup;
        QVERIFY(HistoryStore::read(file, backup));
        QVERIFY(std::equal(before.begin(), before.end(), backup.block(kParameterBlock).begin()));
        QCOMPARE(int(port_->unit.parameterBlock()[2]), 21);
    }
}

void TestHistoryWindow::fullDiskLeavesTheResult() {
    start();
    {
        FileSizeLimit limit(256);
        if (!limit.isActive()) QSKIP("file size limit not available");
        window_->MenuReadClick();
        tick(kTicks);
        QCOMPARE(message(), QStringLiteral("Verify: OK"));
        window_->MenuReadClick();
        tick(kTicks);
        QCOMPARE(message(), QStringLiteral("Verify: OK"));
    }
    // One message for both, and nothing left in the folder.
    QCOMPARE(boxes_.size(), 1);
    QVERIFY(boxes_[0].startsWith("The set could not be kept in the history"));
    QVERIFY(history().isEmpty());
    window_->MenuReadClick();
    tick(kTicks);
    QCOMPARE(history().size(), 1);
    QCOMPARE(boxes_.size(), 1);
}

void TestHistoryWindow::historyWindowOpensAndCompares() {
    start();
    ImageBlock stored = port_->unit.parameterBlock();
    stored[1] = 4;  // the unit holds another set than the window started with
    port_->unit.setParameterBlock(stored);
    window_->MenuReadClick();
    tick(kTicks);
    const ParameterImage read = window_->parameterSet().image();
    window_->parameterSet().setCurveAdvance(0, 55);
    window_->refreshWindow();

    window_->findChild<QAction*>("MenuHistory")->trigger();
    HistoryWindow* list = window_->history()->historyWindow();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->table()->topLevelItemCount(), 1);
    QCOMPARE(list->table()->topLevelItem(0)->text(1), QStringLiteral("read"));
    QCOMPARE(list->table()->topLevelItem(0)->text(3), QStringLiteral("VLM12"));

    list->findChild<QPushButton*>("ButtonHistoryCompare")->click();
    DifferenceWindow* report = window_->history()->differenceWindow();
    QVERIFY(report && report->isVisible());
    QCOMPARE(report->table()->topLevelItemCount(), 1);
    QCOMPARE(report->table()->topLevelItem(0)->text(0), QStringLiteral("Point 1 Advance [°]"));
    QCOMPARE(report->table()->topLevelItem(0)->text(1), QStringLiteral("55°"));

    window_->setLanguage(LanguageId::Czech);
    QCOMPARE(list->table()->topLevelItem(0)->text(1), QStringLiteral("přečteno"));
    QCOMPARE(report->table()->topLevelItem(0)->text(0), QStringLiteral("Bod 1 Předstih [°]"));

    list->findChild<QPushButton*>("ButtonHistoryOpen")->click();
    QCOMPARE(window_->parameterSet().image(), read);
    QCOMPARE(window_->fileLabel(), list->entries()[0].path);
    // What was just opened is what the file holds: no unsaved marker.
    QCOMPARE(window_->findChild<QLabel*>("LabelFile2")->text(), list->entries()[0].path);
    QVERIFY(boxes_.isEmpty());
}

void TestHistoryWindow::openEntryBringsIntoRange_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QList<int>>("stored");    // (byte, value) pairs of the set the file was kept from
    QTest::addColumn<QStringList>("edits");    // "KEY values" replaces the key's line, "KEY" alone removes it
    QTest::addColumn<QString>("notice");       // the message box shown, empty for none
    QTest::addColumn<QList<int>>("expected");  // (byte, value) pairs of the window's set after Open
    QTest::addColumn<bool>("program");         // then programmed: the unit holds the expected bytes

    QTest::newRow("hand-edited inputs and polarity")
        << int(LanguageId::English) << QList<int>{} << QStringList{"INPUT 9 9", "POLARITA 7"}
        << "The file holds values outside the allowed range. They were set to the nearest allowed value: "
           "POLARITA, INPUT"
        << QList<int>{63, 4, 64, 4, 56, 2} << true;
    QTest::newRow("stored image alone out of range")
        << int(LanguageId::German) << QList<int>{65, 3, 60, 255} << QStringList{"NO_READING", "PILOT_LIGHT"}
        << "Die Datei enthält Werte außerhalb des zulässigen Bereichs. Sie wurden auf den nächsten zulässigen Wert "
           "gesetzt: PILOT_LIGHT, NO_READING"
        << QList<int>{65, 1, 60, 250} << true;
    QTest::newRow("keying 7 forces nothing")
        << int(LanguageId::English) << QList<int>{} << QStringList{"BIKE 7", "POLARITA 1", "GEBER_NR 3"} << QString()
        << QList<int>{50, 7, 56, 1, 59, 3} << false;
    QTest::newRow("keying 3 kept") << int(LanguageId::French) << QList<int>{}
                                   << QStringList{"BIKE 3", "POLARITA 2", "GEBER_NR 2"} << QString()
                                   << QList<int>{50, 3, 56, 2, 59, 2} << false;
    QTest::newRow("keying 200 kept") << int(LanguageId::Czech) << QList<int>{50, 200, 56, 0, 59, 0} << QStringList{}
                                     << QString() << QList<int>{50, 200, 56, 0, 59, 0} << false;
}

void TestHistoryWindow::openEntryBringsIntoRange() {
    QFETCH(int, language);
    QFETCH(QList<int>, stored);
    QFETCH(QStringList, edits);
    QFETCH(QString, notice);
    QFETCH(QList<int>, expected);
    QFETCH(bool, program);
    start();
    window_->setLanguage(static_cast<LanguageId>(language));

    // A file as the history keeps it, then edited by hand.
    ParameterSet kept = window_->parameterSet();
    for (int i = 0; i + 1 < stored.size(); i += 2) kept.setByte(stored[i], static_cast<std::uint8_t>(stored[i + 1]));
    QString text = QString::fromLatin1(HistoryStore::toBytes(HistoryKind::Read, kept, 1, QDateTime::currentDateTime()));
    for (const QString& edit : edits) {
        const QString key = edit.section(' ', 0, 0);
        const QRegularExpression line("\r\n" + key + " [^\r]*");
        QVERIFY2(line.match(text).hasMatch(), qPrintable(key));
        text.replace(line, edit == key ? QString() : "\r\n" + edit);
    }
    const QString path = rig_.files->filePath("edited.ign");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toLatin1()) == text.size());
    file.close();

    ParameterSet wanted = window_->parameterSet();
    for (int i = 0; i + 1 < expected.size(); i += 2)
        wanted.setByte(expected[i], static_cast<std::uint8_t>(expected[i + 1]));
    window_->history()->openEntry(path);
    QCOMPARE(boxes_, notice.isEmpty() ? QStringList{} : QStringList{notice});
    QCOMPARE(listOf(window_->parameterSet().block(kParameterBlock)), listOf(wanted.block(kParameterBlock)));
    QCOMPARE(window_->fileLabel(), path);
    if (!program) return;
    window_->MenuProgramClick();
    tick(kTicks);
    QCOMPARE(listOf(port_->unit.parameterBlock()), listOf(wanted.block(kParameterBlock)));
}

void TestHistoryWindow::compareWithUnitLeavesTheWindow() {
    start();
    window_->parameterSet().setInput1Function(2);
    window_->refreshWindow();
    const ParameterImage before = window_->parameterSet().image();
    port_->commands.clear();
    window_->findChild<QAction*>("MenuCompareUnit")->trigger();
    tick(kTicks);
    QCOMPARE(QList<int>(port_->commands.begin(), port_->commands.end()), (QList<int>{0x40, 0x41}));
    QCOMPARE(window_->parameterSet().image(), before);
    DifferenceWindow* report = window_->history()->differenceWindow();
    QVERIFY(report && report->isVisible());
    QCOMPARE(report->table()->topLevelItemCount(), 1);
    QCOMPARE(report->table()->topLevelItem(0)->text(0), QStringLiteral("Input 1"));
    QCOMPARE(report->table()->topLevelItem(0)->text(1), QStringLiteral("Clutch master"));
    QCOMPARE(report->table()->topLevelItem(0)->text(2), QStringLiteral("Off"));
    QVERIFY(history().isEmpty());
}

void TestHistoryWindow::functionKeysActAfterVerifyError_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("first");  // the command's first frame
    QTest::newRow("F9 programs") << int(Qt::Key_F9) << 0x00;
    QTest::newRow("F7 reads") << int(Qt::Key_F7) << 0x40;
}

void TestHistoryWindow::functionKeysActAfterVerifyError() {
    QFETCH(int, key);
    QFETCH(int, first);
    start({}, true);
    window_->parameterSet().setBaseAdvance(window_->parameterSet().baseAdvance() == 12 ? 13 : 12);
    window_->refreshWindow();
    window_->MenuVerifyClick();
    tick(kTicks);
    QCOMPARE(message(), QStringLiteral("Verify error!"));
    DifferenceWindow* report = window_->history()->differenceWindow();
    QVERIFY(report && report->isVisible());
    QCOMPARE(report->table()->topLevelItemCount(), 1);

    // The key goes wherever the keyboard is now, as the operator's next key would.
    QWidget* keyboard = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(keyboard);
    port_->commands.clear();
    QTest::keyClick(keyboard, Qt::Key(key));
    tick(kTicks);
    QVERIFY(!port_->commands.empty());
    QCOMPARE(port_->commands.front(), first);
    QCOMPARE(message(), QStringLiteral("Verify: OK"));
}

QTEST_MAIN(TestHistoryWindow)
#include "tst_history_window.moc"
