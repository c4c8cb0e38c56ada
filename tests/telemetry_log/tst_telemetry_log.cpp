// The telemetry log: a run recorded from the simulated unit against the frames it sent, the
// writes once a second, a crash and a full disk while recording, and the viewer's cursor.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>

#include "FileSizeLimit.h"
#include "SimPort.h"
#include "WindowRig.h"
#include "files/HistoryStore.h"
#include "files/TelemetryLog.h"
#include "i18n/Language.h"
#include "i18n/LogTexts.h"
#include "link/Telemetry.h"
#include "ui/LogViewer.h"
#include "ui/TFormHlav.h"
#include "ui/TelemetryLogFeature.h"

namespace {

constexpr qint64 kTickMs = 55;

QByteArray goodRow(qint64 ms, int rpm) {
    return QByteArray::number(ms) + ',' + QByteArray::number(rpm) + ",10,0,13.800,1,0,0,0,0,0,0,1,5";
}

// Pixels of the colour the RPM line is drawn in (its antialiased edges aside).
int rpmPixels(const QImage& picture) {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 80 && c.green() < 140 && c.green() > 40) ++count;
        }
    }
    return count;
}

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
    void leftOutRows_data();
    void leftOutRows();
    void hostileLogsPaint_data();
    void hostileLogsPaint();
    void zoomEndsAtABound_data();
    void zoomEndsAtABound();
    void refusedFiles_data();
    void refusedFiles();

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

void TestTelemetryLog::leftOutRows_data() {
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<double>("rpm");  // of the row when kept; NaN: left out
    const double out = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("inf rpm") << QByteArray("100,inf,11,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("nan rpm") << QByteArray("100,nan,11,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("-inf advance") << QByteArray("100,1200,-inf,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("infinity time") << QByteArray("infinity,1200,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("NaN supply") << QByteArray("100,1200,8,0,NaN,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("time 1e19") << QByteArray("1e19,1200,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("time 1e308") << QByteArray("1e308,1200,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("time -1e308") << QByteArray("-1e308,1200,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("time 1e400") << QByteArray("1e400,1200,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("time going back") << QByteArray("-1,1200,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("no time") << QByteArray(",1200,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("rpm 65536") << QByteArray("100,65536,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("rpm -1") << QByteArray("100,-1,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("rpm 1200.5") << QByteArray("100,1200.5,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("advance 156") << QByteArray("100,1200,156,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("advance -101") << QByteArray("100,1200,-101,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("bound 256") << QByteArray("100,1200,8,256,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("supply 65.536") << QByteArray("100,1200,8,0,65.536,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("flag 2") << QByteArray("100,1200,8,0,13.800,2,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("live row 16") << QByteArray("100,1200,8,0,13.800,1,0,0,0,0,0,0,16,5") << out;
    QTest::newRow("live row 0") << QByteArray("100,1200,8,0,13.800,1,0,0,0,0,0,0,0,5") << out;
    QTest::newRow("count 65536") << QByteArray("100,1200,8,0,13.800,1,0,0,0,0,0,0,1,65536") << out;
    QTest::newRow("hex") << QByteArray("100,0x10,8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("13 cells") << QByteArray("100,1200,8,0,13.800,1,0,0,0,0,0,0,1") << out;
    QTest::newRow("15 cells") << QByteArray("100,1200,8,0,13.800,1,0,0,0,0,0,0,1,5,") << out;
    QTest::newRow("overlong") << QByteArray("100,1" + QByteArray(400, '0') + ",8,0,13.800,1,0,0,0,0,0,0,1,5") << out;
    QTest::newRow("largest values") << QByteArray("999999999999,65535,155,255,65.535,1,1,1,1,1,1,1,15,65535")
                                    << 65535.0;
    QTest::newRow("smallest values") << QByteArray("100,0,-100,0,0,0,0,0,0,0,0,0,1,0") << 0.0;
    QTest::newRow("same time again") << QByteArray("0,1e3,8,0,13.8,1,0,0,0,0,0,,,5") << 1000.0;
}

void TestTelemetryLog::leftOutRows() {
    QFETCH(QByteArray, row);
    QFETCH(double, rpm);
    const bool kept = !std::isnan(rpm);
    const QByteArray bytes = TelemetryLog::preamble(QDateTime::currentDateTime(), {}) + goodRow(0, 1000) + '\n' + row +
                             "\r\n" + goodRow(1000000000000, 1100) + '\n';
    TelemetryLogData log;
    QVERIFY(parseTelemetryLog(bytes, log));
    QCOMPARE(log.rowCount(), kept ? 3 : 2);
    QCOMPARE(log.leftOut, kept ? 0 : 1);
    QVERIFY(!log.cutOff);
    QCOMPARE(log.values[TelemetryLog::Rpm].back(), 1100.0);
    if (kept) QCOMPARE(log.values[TelemetryLog::Rpm][1], rpm);
}

void TestTelemetryLog::hostileLogsPaint_data() {
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("note");
    const QByteArray near = goodRow(0, 3000) + '\n' + goodRow(330, 3000) + '\n' + goodRow(660, 3000) + '\n';
    QTest::newRow("inf, nan, huge and far-away times")
        << near +
               "100,inf,11,0,13.800,1,0,0,0,0,0,0,1,5\n700,nan,11,0,13.8,1,0,0,0,0,0,0,1,5\n"
               "1e19,3000,10,0,13.8,1,0,0,0,0,0,0,1,5\n1e308,3000,10,0,13.8,1,0,0,0,0,0,0,1,5\n"
               "-1e308,3000,10,0,13.8,1,0,0,0,0,0,0,1,5\n" +
               goodRow(999999999999, 3000) + "\n999999999999,3000,10"
        << QString(
               "The log ends in an incomplete line (the recording was interrupted); that line is left out.\n"
               "Rows left out because they cannot be read (a cell that is no number or lies outside its "
               "range): 5");
    QTest::newRow("far-away row only") << near + goodRow(999999999999, 3000) + '\n' << QString();
    QTest::newRow("one row") << goodRow(500, 3000) + '\n' << QString();
}

// What the operator sees of a log with cells no recording writes: the notes, and a plot that
// is drawn, at the whole log and zoomed to its start.
void TestTelemetryLog::hostileLogsPaint() {
    QFETCH(QByteArray, rows);
    QFETCH(QString, note);
    const QString path = dir_->filePath("hostile.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(TelemetryLog::preamble(QDateTime::currentDateTime(), {}) + rows);
    file.close();
    QStringList boxes;
    LogViewer viewer({}, WindowRig::recordInto(boxes));
    viewer.resize(800, 500);
    QVERIFY(viewer.open(path));
    QVERIFY(boxes.isEmpty());
    QCOMPARE(viewer.note()->text(), note);
    QCOMPARE(viewer.note()->isHidden(), note.isEmpty());
    LogTimePlot* plot = viewer.timePlot();
    QVERIFY(!plot->grab().toImage().isNull());
    // The first second, where the far-away row's line leaves the plot at its right edge.
    plot->setSpan(0, 1000);
    const QImage picture = plot->grab().toImage();
    QVERIFY(rpmPixels(picture) > 50);
    viewer.showCurveTab(true);
    QVERIFY(!viewer.picture().isNull());
}

void TestTelemetryLog::zoomEndsAtABound_data() {
    QTest::addColumn<std::vector<double>>("times");
    QTest::addColumn<double>("rpm");
    // Logs made elsewhere than by the parser reach the plot too (a bench, a test).
    QTest::newRow("a minute") << std::vector<double>{0, 330, 660, 60000} << 3000.0;
    QTest::newRow("far-away row") << std::vector<double>{0, 330, 999999999999} << 3000.0;
    QTest::newRow("times of 1e19") << std::vector<double>{1e19, 1e19 + 4096, 2e19} << 3000.0;
    QTest::newRow("times of 1e308") << std::vector<double>{-1e308, 0, 1e308} << 3000.0;
    QTest::newRow("infinite rpm") << std::vector<double>{0, 330, 660} << std::numeric_limits<double>::infinity();
}

void TestTelemetryLog::zoomEndsAtABound() {
    QFETCH(std::vector<double>, times);
    QFETCH(double, rpm);
    TelemetryLogData log;
    for (double t : times) {
        log.values[TelemetryLog::TimeMs].push_back(t);
        for (int c = 1; c < TelemetryLog::ColumnCount; ++c) log.values[static_cast<std::size_t>(c)].push_back(rpm);
    }
    LogTimePlot plot;
    plot.resize(720, 320);
    plot.setLog(&log);
    const double middle = plot.plotRect().center().x();
    for (int i = 0; i < 2000; ++i) plot.zoom(0.8, middle);
    const double from = plot.spanFrom();
    const double to = plot.spanTo();
    QVERIFY(to - from >= 200);
    plot.zoom(0.8, middle);
    QCOMPARE(plot.spanFrom(), from);
    QCOMPARE(plot.spanTo(), to);
    QVERIFY(!plot.grab().toImage().isNull());
    for (int i = 0; i < 2000; ++i) plot.zoom(1.25, plot.plotRect().left());
    QVERIFY(std::isfinite(plot.spanFrom()) && std::isfinite(plot.spanTo()));
    QVERIFY(plot.spanFrom() < plot.spanTo());
    // The time axis is labelled at every zoom.
    const QImage picture = plot.grab().toImage();
    const QRect below = QRectF(plot.plotRect().bottomLeft(), QSizeF(plot.plotRect().width(), 12)).toRect();
    bool labelled = false;
    for (int x = below.left(); x < below.right() && !labelled; ++x) {
        for (int y = below.top() + 2; y < below.bottom() && !labelled; ++y)
            labelled = picture.pixelColor(x, y).value() < 100;
    }
    QVERIFY(labelled);
}

void TestTelemetryLog::refusedFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("reason");  // empty: opened
    const QString notPlain = "it is not a plain file";
    QTest::newRow("/dev/zero") << "/dev/zero" << 0 << notPlain;
    QTest::newRow("a FIFO named x.csv") << "fifo" << 0 << notPlain;
    QTest::newRow("a folder") << "folder" << 0 << notPlain;
    QTest::newRow("too large") << "large" << 0
                               << "the file is larger than 16 MB, the most the viewer reads (about 30 hours of "
                                  "telemetry)";
    QTest::newRow("too large, German") << "large" << 1
                                       << "die Datei ist größer als 16 MB, mehr als die Anzeige liest (etwa 30 "
                                          "Stunden Telemetrie)";
    QTest::newRow("too large, French") << "large" << 2
                                       << "le fichier dépasse 16 Mo, la taille maximale que la visionneuse lit "
                                          "(environ 30 heures de télémesure)";
    QTest::newRow("too large, Czech") << "large" << 3
                                      << "soubor je větší než 16 MB, což je nejvíc, co prohlížeč načte (asi 30 hodin "
                                         "telemetrie)";
    QTest::newRow("at the bound") << "bound" << 0 << QString();
    QTest::newRow("header after 64 KiB") << "late" << 0 << "it has no column header of a telemetry log";
    QTest::newRow("FIFO, Czech") << "fifo" << 3 << "nejde o běžný soubor";
}

// Files that are no log are refused with a message and never read whole; a pipe is not even
// opened (opening it would wait for a writer, reading it for the writer's end).
void TestTelemetryLog::refusedFiles() {
    QFETCH(QString, kind);
    QFETCH(int, language);
    QFETCH(QString, reason);
    setCurrentLanguage(static_cast<LanguageId>(language));
    QString path = dir_->filePath("x.csv");
    if (kind == "/dev/zero") {
        path = kind;
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == "late") file.write(QByteArray("# a comment of the log\n").repeated(3000));
        file.write(TelemetryLog::preamble(QDateTime::currentDateTime(), {}) + goodRow(0, 1000) + '\n');
        // The rest reads as one line of zero bytes.
        if (kind != "late") QVERIFY(file.resize(TelemetryLog::kMaxLogBytes + (kind == "large" ? 1 : 0)));
    }
    // Should the viewer open the pipe after all, a writer comes and goes so that the test ends
    // with a wrong message instead of hanging.
    std::atomic<bool> done = false;
    std::thread writer;
    if (kind == "fifo") {
        writer = std::thread([&done, name = QFile::encodeName(path)] {
            while (!done) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    QStringList boxes;
    LogViewer viewer({}, WindowRig::recordInto(boxes));
    const bool opened = viewer.open(path);
    done = true;
    if (writer.joinable()) writer.join();
    QCOMPARE(opened, reason.isEmpty());
    if (reason.isEmpty()) {
        QVERIFY(boxes.isEmpty());
        QCOMPARE(viewer.log().rowCount(), 1);
        QVERIFY(viewer.log().cutOff);
    } else {
        QCOMPARE(boxes, QStringList{logText(LogText::OpenError).arg(QDir::toNativeSeparators(path), reason)});
    }
}

QTEST_MAIN(TestTelemetryLog)
#include "tst_telemetry_log.moc"
