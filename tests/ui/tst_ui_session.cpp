// The window across commands that replace its set: undo and redo with the header and the file
// label, the unsaved marker across a restart, the question before unsaved edits are replaced,
// and what the live lines show once the unit no longer answers.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FakeUnit.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "files/ConfigPaths.h"
#include "files/ParameterFile.h"
#include "files/WorkingImageFile.h"
#include "link/LinkFrame.h"
#include "ui/HistoryFeature.h"
#include "ui/LiveGauge.h"
#include "ui/TFormHlav.h"

namespace {

// A set with base advance `base`, saved at path.
bool saveSet(const QString& path, int base) {
    ParameterSet set;
    set.setDefaults();
    set.setBaseAdvance(static_cast<std::uint8_t>(base));
    return ParameterFile::save(path, set);
}

std::vector<std::uint8_t> telemetry(std::uint16_t rpm, bool alarm) {
    LinkFrame frame{};
    frame[0] = kTelemetryAnswer;
    frame[1] = static_cast<std::uint8_t>(rpm & 0xFF);
    frame[2] = static_cast<std::uint8_t>(rpm >> 8);
    frame[3] = 0xE8;  // 1000 mV: red
    frame[4] = 0x03;
    frame[31] = 125;
    frame[36] = alarm ? 1 : 0;
    frame[42] = 1;
    sealFrame(frame);
    return {frame.begin(), frame.end()};
}

}  // namespace

Q_DECLARE_METATYPE(FileDialogs::Answer)

class TestSession : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(rig_.prepare()); }
    void cleanup() { rig_.stop(); }

    void undoKeepsTheUnitsHeader();
    void undoRestoresTheFileLabel_data();
    void undoRestoresTheFileLabel();
    void markerSurvivesARestart_data();
    void markerSurvivesARestart();
    void unsavedEditsAreAskedFor_data();
    void unsavedEditsAreAskedFor();
    void lostConnectionShowsNothingKnown();

private:
    TFormHlav& window() { return *rig_.window; }
    QString file(const char* name) const { return rig_.files->filePath(name); }
    QString label() const { return findControl<QLabel>(rig_.window.get(), "LabelFile2")->text(); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) window().Timer1Timer();
    }
    void typeBase(const char* value) {
        auto* edit = findControl<QLineEdit>(rig_.window.get(), "EditBaseAdv");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, value);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void open(const QString& path) {
        rig_.dialogs->openName = path;
        window().MenuOpenClick();
    }

    WindowRig rig_;
};

void TestSession::undoKeepsTheUnitsHeader() {
    FakePort* port = rig_.start();
    QVERIFY(port);
    FakeUnit unit(*port);
    unit.ignoreWritten();
    window().MenuProgramClick();
    for (int i = 0; i < 20 && window().exchange().mode() != ExchangeMode::Idle; ++i) {
        ticks(1);
        unit.answer();
    }
    const auto header = window().parameterSet().block(kHeaderBlock);
    QCOMPARE(header[10], std::uint8_t(41));  // the unit's answer replaced the header
    typeBase("17");
    window().MenuUndoClick();
    QCOMPARE(window().parameterSet().baseAdvance(), std::uint8_t(10));

    // The next Program sends the header the unit gave, not the one before it.
    const qsizetype from = unit.requests.size();
    window().MenuProgramClick();
    for (int i = 0; i < 5 && unit.requests.size() == from; ++i) {
        ticks(1);
        unit.answer();
    }
    QVERIFY(unit.requests.size() > from);
    const FakeUnit::Frame sent = unit.requests[from];
    QCOMPARE(sent[0], std::uint8_t(0x00));
    QVERIFY(std::equal(header.begin(), header.end(), sent.begin() + 1));
}

void TestSession::undoRestoresTheFileLabel_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");  // with %1 for the files folder
    QTest::addColumn<int>("base");
    QTest::newRow("open, undo") << QStringList{"open b", "undo"} << "%1/a.ign" << 12;
    QTest::newRow("open, undo, redo") << QStringList{"open b", "undo", "redo"} << "%1/b.ign" << 20;
    QTest::newRow("new, undo") << QStringList{"new", "undo"} << "%1/a.ign" << 12;
    QTest::newRow("new, undo, redo") << QStringList{"new", "undo", "redo"} << "" << 10;
    QTest::newRow("edit, save as, undo") << QStringList{"edit", "save c", "undo"} << "%1/a.ign *" << 30;
    QTest::newRow("edit, undo") << QStringList{"edit", "undo"} << "%1/a.ign" << 12;
}

void TestSession::undoRestoresTheFileLabel() {
    QFETCH(QStringList, steps);
    QFETCH(QString, shown);
    QFETCH(int, base);
    QVERIFY(rig_.start());
    QVERIFY(saveSet(file("a.ign"), 12));
    QVERIFY(saveSet(file("b.ign"), 20));
    rig_.dialogs->answer = FileDialogs::Answer::Yes;
    open(file("a.ign"));
    QCOMPARE(label(), file("a.ign"));
    for (const QString& step : steps) {
        if (step == "open b") open(file("b.ign"));
        if (step == "new") window().MenuNewClick();
        if (step == "edit") typeBase("30");
        if (step == "save c") {
            rig_.dialogs->saveName = file("c.ign");
            window().MenuSaveClick();
        }
        if (step == "undo") window().MenuUndoClick();
        if (step == "redo") window().MenuRedoClick();
    }
    QCOMPARE(label(), QString(shown).replace("%1", rig_.files->path()));
    QCOMPARE(int(window().parameterSet().baseAdvance()), base);
    // Save offers the file the label names.
    QString named = QString(shown).replace("%1", rig_.files->path());
    if (named.endsWith(" *")) named.chop(2);
    if (!named.isEmpty()) {
        rig_.dialogs->saveName.clear();
        window().MenuSaveClick();
        QCOMPARE(rig_.dialogs->initialNames.last(), named);
    }
}

void TestSession::markerSurvivesARestart_data() {
    QTest::addColumn<int>("fileBase");  // -1: no file there
    QTest::addColumn<int>("imageBase");
    QTest::addColumn<bool>("marked");
    QTest::newRow("same set") << 15 << 15 << false;
    QTest::newRow("edited since") << 15 << 16 << true;
    QTest::newRow("file gone") << -1 << 15 << true;
}

void TestSession::markerSurvivesARestart() {
    QFETCH(int, fileBase);
    QFETCH(int, imageBase);
    QFETCH(bool, marked);
    const QString path = file("set.ign");
    if (fileBase >= 0) QVERIFY(saveSet(path, fileBase));
    QVERIFY(rig_.config->makeFolder());
    QFile ini(ConfigPaths::settingsFile());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[FORM_HLAV]\r\nFile=" + path.toUtf8() + "\r\nIniDir=" + path.toUtf8() + "\r\n");
    ini.close();
    ParameterSet image;
    image.setDefaults();
    image.setBaseAdvance(static_cast<std::uint8_t>(imageBase));
    QVERIFY(WorkingImageFile::save(ConfigPaths::workingImageFile(), image));

    QVERIFY(rig_.start());
    QCOMPARE(label(), marked ? path + " *" : path);
}

void TestSession::unsavedEditsAreAskedFor_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<FileDialogs::Answer>("answer");
    QTest::addColumn<int>("savedBase");  // what a.ign holds afterwards
    QTest::addColumn<int>("base");       // what the window holds afterwards
    // New asks for the defaults afterwards with the same answer.
    QTest::newRow("open, yes") << "open" << FileDialogs::Answer::Yes << 30 << 20;
    QTest::newRow("open, no") << "open" << FileDialogs::Answer::No << 12 << 20;
    QTest::newRow("open, cancel") << "open" << FileDialogs::Answer::Cancel << 12 << 30;
    QTest::newRow("new, yes") << "new" << FileDialogs::Answer::Yes << 30 << 10;
    QTest::newRow("new, cancel") << "new" << FileDialogs::Answer::Cancel << 12 << 30;
    QTest::newRow("history, no") << "history" << FileDialogs::Answer::No << 12 << 20;
    QTest::newRow("history, cancel") << "history" << FileDialogs::Answer::Cancel << 12 << 30;
}

void TestSession::unsavedEditsAreAskedFor() {
    QFETCH(QString, command);
    QFETCH(FileDialogs::Answer, answer);
    QFETCH(int, savedBase);
    QFETCH(int, base);
    QVERIFY(rig_.start());
    QVERIFY(saveSet(file("a.ign"), 12));
    QVERIFY(saveSet(file("b.ign"), 20));
    open(file("a.ign"));
    // Without edits nothing is asked.
    QVERIFY(!rig_.dialogs->asked.contains("confirm"));
    typeBase("30");
    rig_.dialogs->answer = answer;
    rig_.dialogs->saveName = file("a.ign");
    rig_.dialogs->asked.clear();
    if (command == "open") {
        open(file("b.ign"));
    } else if (command == "history") {
        window().history()->openEntry(file("b.ign"));
    } else {
        window().MenuNewClick();
    }
    QCOMPARE(rig_.dialogs->questions.value(0), QString("Save changes?"));
    ParameterSet saved;
    QCOMPARE(ParameterFile::open(file("a.ign"), saved), ParameterFile::OpenResult::Accepted);
    QCOMPARE(int(saved.baseAdvance()), savedBase);
    QCOMPARE(int(window().parameterSet().baseAdvance()), base);
}

void TestSession::lostConnectionShowsNothingKnown() {
    FakePort* port = rig_.start();
    QVERIFY(port);
    auto* rpm = findControl<QLabel>(rig_.window.get(), "LabelRpm");
    auto* volts = findControl<QLabel>(rig_.window.get(), "LabelNapeti");
    auto* advance = findControl<QLabel>(rig_.window.get(), "LabelAdvance");
    auto* gauge = findControl<LiveGauge>(rig_.window.get(), "CGaugeRpm");
    const QImage idleGauge = gauge->grab().toImage();
    port->feed(telemetry(9000, true));
    ticks(1);
    QCOMPARE(rpm->text(), QString("RPM = 9000 "));
    QVERIFY(gauge->grab().toImage() != idleGauge);
    const auto red = [](QLabel* label) {
        const QImage image = label->grab().toImage();
        return image.pixelColor(image.width() - 2, image.height() / 2) == QColor(255, 0, 0);
    };
    QVERIFY(red(rpm));
    QVERIFY(red(volts));

    // The values stay until "No connection with PC" shows.
    auto* lost = findControl<QLabel>(rig_.window.get(), "LabelSpojeni");
    for (int i = 0; i < 20 && lost->isHidden(); ++i) {
        QCOMPARE(rpm->text(), QString("RPM = 9000 "));
        ticks(1);
    }
    QVERIFY(!lost->isHidden());
    QCOMPARE(rpm->text(), QString("RPM = --- "));
    QCOMPARE(volts->text(), QString("U = --- [V]"));
    QCOMPARE(advance->text(), QString("Advance--- [°]"));
    QVERIFY(!red(rpm));
    QVERIFY(!red(volts));
    QCOMPARE(gauge->grab().toImage(), idleGauge);

    // The next answer shows it again.
    port->feed(telemetry(4500, false));
    ticks(1);
    QCOMPARE(rpm->text(), QString("RPM = 4500 "));
    QCOMPARE(advance->text(), QString("Advance = 25 [°]"));
}

QTEST_MAIN(TestSession)
#include "tst_ui_session.moc"
