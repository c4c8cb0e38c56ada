// The telemetry log: a run recorded from the simulated unit against the frames it sent, the
// writes once a second, a crash and a full disk while recording, and the viewer's cursor.
#include <signal.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>

#include "FileSizeLimit.h"
#include "SimPort.h"
#include "WindowRig.h"
#include "files/HistoryStore.h"
#include "files/TelemetryLog.h"
#include "i18n/Language.h"
#include "link/Telemetry.h"
#include "ui/LogViewer.h"
#include "ui/TFormHlav.h"
#include "ui/TelemetryLogFeature.h"

namespace {

constexpr qint64 kTickMs = 55;

// The simulated unit, keeping every telemetry answer it sends.
class RecordingSimPort : public SimPort {
public:
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override {
        const std::int64_t n = SimPort::write(data, size);
        if (size > 0 && data[0] == kPollCommand && incoming.size() >= 52) {
            answers.emplace_back(incoming.end() - 52, incoming.end());
        }
        return n;
    }
    std::vector<std::vector<std::uint8_t>> answers;
};

}  // namespace

class TestTelemetryLog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void recordedRunEqualsTheFrames();
    void fullDiskStopsWithOneMessage();
    void crashLeavesALogTheViewerOpens();
    void partialLines_data();
    void partialLines();
    void cursorReadsEveryColumn();

private:
    void start() {
        // Timer1 is ticked by hand.
        port_ = rig_.start<RecordingSimPort>({.onBox = WindowRig::recordInto(boxes_), .mappedPorts = 0, .show = false});
        logs()->setFolder(dir_->filePath("logs"));
        logs()->setClock([this] { return nowMs_; });
        tick(12);  // connected, telemetry in
    }
    // One tick of the window with the clock moved on; the log's timer runs along.
    void tick(int n) {
        for (int i = 0; i < n; ++i) {
            nowMs_ += kTickMs;
            window_->Timer1Timer();
            logs()->tick();
        }
        QCoreApplication::processEvents();
    }
    TelemetryLogFeature* logs() const { return window_->logs(); }
    QByteArray logBytes() const {
        QFile file(logs()->recorder().path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<QTemporaryDir>& dir_ = rig_.files;
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    RecordingSimPort* port_ = nullptr;
    QStringList boxes_;
    qint64 nowMs_ = 0;
};

void TestTelemetryLog::init() {
    setCurrentLanguage(LanguageId::English);
    boxes_.clear();
    nowMs_ = 100000;
    QVERIFY(rig_.prepare());
}

void TestTelemetryLog::cleanup() { rig_.stop(); }

void TestTelemetryLog::recordedRunEqualsTheFrames() {
    start();
    window_->MenuReadClick();  // the unit's text and firmware into the set
    tick(60);
    const ParameterSet set = window_->parameterSet();
    QVERIFY(!HistoryStore::firmware(set).trimmed().isEmpty());
    logs()->recordAction()->trigger();
    QVERIFY(logs()->recording());
    const std::size_t before = port_->answers.size();
    const QByteArray preamble = logBytes();
    QVERIFY(preamble.endsWith(TelemetryLog::columnHeader() + '\n'));

    // Rows reach the file once a second, not with every frame.
    tick(17);  // 935 ms
    QCOMPARE(logBytes(), preamble);
    QVERIFY(port_->answers.size() > before + 1);
    tick(2);  // 1045 ms
    QVERIFY(logBytes().size() > preamble.size());

    tick(200 - 19);  // 11 s in all
    QCOMPARE(logs()->indication()->text(), QStringLiteral("● Recording 00:00:11"));
    QVERIFY(logs()->indication()->isVisible() || !window_->isVisible());
    logs()->recordAction()->trigger();
    QVERIFY(!logs()->recording());
    QVERIFY(logs()->indication()->isHidden());
    QVERIFY(boxes_.isEmpty());

    TelemetryLogData log;
    QVERIFY(readTelemetryLog(logs()->recorder().path(), log));
    QVERIFY(!log.cutOff);
    QVERIFY(QFileInfo(log.path).path() == dir_->filePath("logs"));
    QVERIFY(std::abs(log.start.secsTo(QDateTime::currentDateTime())) < 60);
    QCOMPARE(log.unitText, HistoryStore::unitText(set));
    QCOMPARE(log.firmware, HistoryStore::firmware(set));
    QVERIFY(log.set.has_value());
    QVERIFY(log.set->image() == set.image());

    // One row for each frame the unit sent, in order, with the frame's values.
    const std::size_t frames = port_->answers.size() - before;
    QCOMPARE(log.rowCount(), static_cast<int>(frames));
    QVERIFY(frames >= 30);  // a poll every 6 ticks
    for (int r = 0; r < log.rowCount(); ++r) {
        TelemetryValues v;
        QVERIFY(decodeTelemetry(port_->answers[before + static_cast<std::size_t>(r)], set, v));
        const auto cell = [&](int column) { return log.values[static_cast<std::size_t>(column)][r]; };
        QCOMPARE(cell(TelemetryLog::Rpm), double(v.rpm));
        QCOMPARE(cell(TelemetryLog::Advance), double(v.advance));
        QCOMPARE(cell(TelemetryLog::AdvanceMax), double(v.advanceMax));
        QCOMPARE(cell(TelemetryLog::Supply), v.supplyMillivolts / 1000.0);
        QCOMPARE(cell(TelemetryLog::Pickup), double(v.pickupSignal));
        QCOMPARE(cell(TelemetryLog::KillSwitch), double(v.killSwitchActive));
        QCOMPARE(cell(TelemetryLog::Retard), double(v.retardActive));
        QCOMPARE(cell(TelemetryLog::StartLimiter), double(v.startLimiterActive));
        QCOMPARE(cell(TelemetryLog::ProgrammingCount), double(v.programmingCount));
        const LiveRow row = findLiveRow(v.rpm, set);
        QCOMPARE(cell(TelemetryLog::LiveRowColumn), double(row.row + 1));
        // At the poll rate: six ticks apart.
        if (r > 0) QCOMPARE(cell(TelemetryLog::TimeMs) - log.timeAt(r - 1), 6.0 * kTickMs);
    }
    QVERIFY(log.values[TelemetryLog::Rpm][0] >= 1000);  // the simulated engine runs
}

void TestTelemetryLog::fullDiskStopsWithOneMessage() {
    start();
    logs()->recordAction()->trigger();
    const qint64 preamble = logBytes().size();
    {
        // Room for a few rows only.
        FileSizeLimit limit(static_cast<rlim_t>(preamble + 300));
        QVERIFY(limit.isActive());
        tick(400);
    }
    QVERIFY(!logs()->recording());
    QVERIFY(!logs()->recordAction()->isChecked());
    QVERIFY(logs()->indication()->isHidden());
    QCOMPARE(boxes_.size(), 1);
    QVERIFY2(boxes_[0].startsWith("Recording stopped: the log could not be written"), qPrintable(boxes_[0]));
    QVERIFY(boxes_[0].contains(QDir::toNativeSeparators(logs()->recorder().path())));

    TelemetryLogData log;
    QVERIFY(readTelemetryLog(logs()->recorder().path(), log));
    QVERIFY(log.rowCount() >= 1);
    QVERIFY(QFileInfo(logs()->recorder().path()).size() <= preamble + 300);
    tick(20);
    QCOMPARE(boxes_.size(), 1);
}

void TestTelemetryLog::crashLeavesALogTheViewerOpens() {
    const QString path = dir_->filePath("crash.csv");
    QProcess child;
    child.start(QStringLiteral(VELMOR_LOG_WRITER_PATH), {path});
    QVERIFY(child.waitForStarted(5000));
    QVERIFY(child.waitForReadyRead(10000));
    QCOMPARE(child.readAllStandardOutput(), QByteArray("R"));
    QTest::qWait(700);
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(5000));

    LogViewer viewer({}, [](const QString& text) { QFAIL(qPrintable(text)); });
    QVERIFY(viewer.open(path));
    QVERIFY(viewer.log().rowCount() > 0);
    const int last = viewer.log().rowCount() - 1;
    QCOMPARE(viewer.log().values[TelemetryLog::Rpm][static_cast<std::size_t>(last)], 1000.0 + last % 9000);
}

void TestTelemetryLog::partialLines_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("cutOff");
    QTest::newRow("whole") << QByteArray() << 2 << false;
    QTest::newRow("cut in a cell") << QByteArray("990,30") << 2 << true;
    QTest::newRow("cut after a comma") << QByteArray("990,3000,12,0,13.") << 2 << true;
    QTest::newRow("cut in the time") << QByteArray("9") << 2 << true;
    QTest::newRow("whole third row") << QByteArray("990,3000,12,0,13.800,1,0,0,0,0,0,0,5,7\n") << 3 << false;
}

void TestTelemetryLog::partialLines() {
    QFETCH(QByteArray, tail);
    QFETCH(int, rows);
    QFETCH(bool, cutOff);
    const QByteArray bytes = TelemetryLog::preamble(QDateTime::currentDateTime(), {}) +
                             "0,0,0,0,12.000,0,0,0,0,0,0,,,7\n330,1200,8,0,12.5,1,0,0,0,0,0,0,1,7\n" + tail;
    TelemetryLogData log;
    QVERIFY(parseTelemetryLog(bytes, log));
    QCOMPARE(log.rowCount(), rows);
    QCOMPARE(log.cutOff, cutOff);
    QVERIFY(std::isnan(log.values[TelemetryLog::PolarityNegative][0]));
    QCOMPARE(log.values[TelemetryLog::Rpm][1], 1200.0);
}

void TestTelemetryLog::cursorReadsEveryColumn() {
    const QString path = dir_->filePath("known.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(TelemetryLog::preamble(QDateTime::currentDateTime(), {}));
    for (int i = 0; i <= 20; ++i) {
        TelemetryValues v;
        v.rpm = static_cast<std::uint16_t>(1000 + 100 * i);
        v.advance = i - 2;
        v.advanceMax = 30;
        v.supplyMillivolts = static_cast<std::uint16_t>(13000 + i);
        v.killSwitchActive = i == 10;
        v.pickupNegative = true;
        v.programmingCount = 4;
        file.write(TelemetryLog::rowText(330 * i, v, LiveRow{i % 15, false}).toLatin1() + '\n');
    }
    file.close();

    LogViewer viewer({}, {});
    viewer.resize(800, 500);
    QVERIFY(viewer.open(path));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    // 3350 ms is nearest to row 10 (3300 ms).
    viewer.setCursorTime(3350);
    QCOMPARE(viewer.readout()->text(),
             QStringLiteral("Time = 3.300 s   RPM = 2000 1/min   Advance = 8°   Max. advance = 30°   "
                            "Supply = 13.010 V   Pick-up = 0   Kill switch = 1   Retard = 0   Blocking = 0   "
                            "Start limiter = 0   Clutch master = 0   Polarity = 1   Curve row = 11   "
                            "Programmings = 4"));
    // The cursor is drawn where its time lies.
    LogTimePlot* plot = viewer.timePlot();
    const QImage picture = plot->grab().toImage();
    const qreal dpr = picture.devicePixelRatio();
    const int x = static_cast<int>(std::lround(plot->xForTime(3350) * dpr));
    const int y = static_cast<int>(plot->plotRect().center().y() * dpr);
    bool green = false;
    for (int dy = -6; dy <= 6 && !green; ++dy) {
        const QColor c = picture.pixelColor(x, y + dy);
        green = c.green() > 120 && c.red() < 60 && c.blue() < 60;
    }
    QVERIFY(green);

    setCurrentLanguage(LanguageId::German);
    viewer.applyTexts();
    QVERIFY(viewer.readout()->text().startsWith(QStringLiteral("Zeit = 3.300 s   Drehzahl = 2000 1/min")));
}

QTEST_MAIN(TestTelemetryLog)
#include "tst_telemetry_log.moc"
