#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <functional>
#include <memory>

#include "UnitSimulator.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/ExchangeView.h"
#include "link/SerialLink.h"
#include "link/Telemetry.h"
#include "model/ParameterSet.h"

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kExitTimeoutMs = 5000;

// velmor-unit-sim as a child process. Killed when the test is done with it, however it ends.
class SimProcess {
public:
    ~SimProcess() { stop(); }

    bool start(const QStringList& args, const QString& logFile = {}) {
        if (logFile.isEmpty())
            process.setStandardErrorFile(QProcess::nullDevice());
        else
            process.setStandardErrorFile(logFile);
        process.start(QStringLiteral(VELMOR_UNIT_SIM_PATH), args);
        if (!process.waitForStarted(kStartTimeoutMs)) return false;
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && clock.elapsed() < kStartTimeoutMs)
            process.waitForReadyRead(static_cast<int>(kStartTimeoutMs - clock.elapsed()));
        if (!process.canReadLine()) return false;
        path = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !path.isEmpty();
    }

    void kill() {
        if (process.state() == QProcess::NotRunning) return;
        process.kill();
        process.waitForFinished(kExitTimeoutMs);
    }

    void stop() { kill(); }

    QProcess process;
    QString path;
};

// What the exchange shows, as the window would.
class View : public ExchangeView {
public:
    struct Message {
        QString text;
        MessageColour colour;
    };
    QList<Message> messages;
    QStringList boxes;
    bool messageVisible = false;
    bool connectionVisible = false;
    int gauge = -1;
    int telemetryFrames = 0;
    TelemetryValues telemetry;

    void showMessage(const QString& text, MessageColour colour) override {
        messages.append({text, colour});
        messageVisible = true;
    }
    void hideMessage() override { messageVisible = false; }
    void setGauge(int value) override { gauge = value; }
    void setGaugeVisible(bool) override {}
    void setConnectionLabelVisible(bool visible) override { connectionVisible = visible; }
    void showMessageBox(const QString& text) override { boxes.append(text); }
    void refreshWindow() override {}
    void clearFileLabel() override {}
    void showTelemetry(const TelemetryValues& values) override {
        telemetry = values;
        ++telemetryFrames;
    }
    void highlightLiveRow(int, bool) override {}
    bool printView() const override { return false; }

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
    MessageColour lastColour() const { return messages.isEmpty() ? MessageColour::Normal : messages.last().colour; }
};

// The tool's side: a parameter set, the real serial link on COM1 mapped to the device,
// and the real exchange, ticked every 55 ms of wall time.
class Tool {
public:
    explicit Tool(const QString& device) : link(makeSystemPortBackend()), exchange(set, header, link, texts, view) {
        buildMessageTexts(texts);
        link.mapping().setExplicit(1, device);
        link.setPortNumber(1);
        link.openPort();
    }

    // Ticks until done() holds after a tick or maxTicks have run; returns the ticks run,
    // or -1 when done() never held.
    int run(int maxTicks, const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i <= maxTicks; ++i) {
            const qint64 due = static_cast<qint64>(i) * ExchangeTiming::kTickMs;
            const qint64 left = due - clock.elapsed();
            if (left > 0) QThread::msleep(static_cast<unsigned long>(left));
            exchange.onTimerTick();
            ++ticks;
            if (exchange.watchdogCount() == 1) lastAnswerTick = ticks;
            if (view.connectionVisible && connectionShownTick < 0) connectionShownTick = ticks;
            if (done()) return i;
        }
        return -1;
    }

    bool idleWith(const QString& text) const {
        return exchange.mode() == ExchangeMode::Idle && view.lastText() == text;
    }

    ParameterSet set;
    HeaderTexts header;
    MessageTexts texts;
    View view;
    SerialLink link;
    DeviceExchange exchange;
    long ticks = 0;
    long lastAnswerTick = -1;
    long connectionShownTick = -1;
};

QString str(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// A set unlike the defaults in every kind of byte, spare bytes included.
void changeSet(ParameterSet& set) {
    set.setLimiter(128);
    set.setStartLimiter(90);
    set.setPilotLight(110);
    set.setCurvePointCount(4);
    const std::uint8_t rpm[] = {12, 30, 60, 95};
    const std::uint8_t advance[] = {8, 22, 34, 31};
    for (int i = 0; i < 4; ++i) {
        set.setCurveRpm(i, rpm[i]);
        set.setCurveAdvance(i, advance[i]);
    }
    set.setRetard(9);
    set.setInput1Function(3);
    set.setRpmCorrection(117);
    set.setRpmPulses(2);
    set.setByte(57, 0xA5);
    set.setByte(69, 0x3C);
    set.validate();
}

QByteArray hexLine(const QByteArray& bytes) { return bytes.toHex(' ').toUpper(); }

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void helpAndBadOptions();
    void programReadVerify_data();
    void programReadVerify();
    void faultsRecovered_data();
    void faultsRecovered();
    void readProtectedAndVersion();
    void simulatorKilledMidCommand_data();
    void simulatorKilledMidCommand();
    void linkFollowsDevice();
    void controlChannel();
};

void TestEndToEnd::helpAndBadOptions() {
    QProcess help;
    help.start(QStringLiteral(VELMOR_UNIT_SIM_PATH), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(kExitTimeoutMs));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    QVERIFY(text.startsWith("Usage: velmor-unit-sim"));
    QVERIFY(text.contains("--drop-percent"));
    for (const char* option :
         {"--loss P", "--flip P", "--split", "--junk P", "--late-random P MS", "--profile NAME", "--control"})
        QVERIFY2(text.contains(option), option);

    QProcess bad;
    bad.start(QStringLiteral(VELMOR_UNIT_SIM_PATH), {QStringLiteral("--late"), QStringLiteral("soon")});
    QVERIFY(bad.waitForFinished(kExitTimeoutMs));
    QCOMPARE(bad.exitCode(), 2);
    QVERIFY(bad.readAllStandardOutput().isEmpty());
    QVERIFY(bad.readAllStandardError().contains("--late"));
}

void TestEndToEnd::programReadVerify_data() {
    QTest::addColumn<bool>("lineTime");
    QTest::newRow("line time modelled") << true;
    QTest::newRow("instant answers") << false;
}

void TestEndToEnd::programReadVerify() {
    QFETCH(bool, lineTime);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("sim.log"));
    SimProcess sim;
    QStringList args = {QStringLiteral("--verbose"), QStringLiteral("--programming-count"), QStringLiteral("41")};
    if (!lineTime) args << QStringLiteral("--no-line-time");
    QVERIFY(sim.start(args, log));

    ParameterSet programmed;
    {
        Tool tool(sim.path);
        QVERIFY(tool.link.isOpen());
        // Idle polling brings live values of a running engine.
        QVERIFY(tool.run(40, [&] { return tool.view.telemetryFrames >= 2; }) > 0);
        const TelemetryValues& live = tool.view.telemetry;
        QVERIFY2(live.rpm >= 1100 && live.rpm <= 15000, qPrintable(QString::number(live.rpm)));
        QVERIFY(live.supplyMillivolts >= 13700 && live.supplyMillivolts <= 13900);
        QVERIFY(live.pickupSignal);
        QCOMPARE(live.programmingCount, std::uint16_t{41});
        QVERIFY(!tool.view.connectionVisible);

        changeSet(tool.set);
        programmed = tool.set;
        tool.view.messages.clear();
        QElapsedTimer clock;
        clock.start();
        tool.exchange.startProgram();
        const int ticks = tool.run(60, [&] { return tool.idleWith(tool.texts.verifyOk); });
        const qint64 wall = clock.elapsed();
        QVERIFY2(ticks > 0, qPrintable(tool.view.lastText()));
        qInfo("Program cycle over the pseudo-terminal (%s): %lld ms wall time, %d ticks",
              lineTime ? "line time modelled" : "instant answers", wall, ticks);
        QStringList texts;
        for (const auto& m : tool.view.messages) {
            texts << m.text;
            QCOMPARE(m.colour, ExchangeView::MessageColour::Normal);
        }
        QCOMPARE(texts, (QStringList{tool.texts.programPrefix, tool.texts.verifyPrefix, tool.texts.verifyOk}));
        QCOMPARE(tool.view.lastText(), QStringLiteral("Verify: OK"));
        // The header step took the unit's identification.
        QCOMPARE(str(tool.header.versionText()), QStringLiteral("VLM12"));
        QCOMPARE(str(tool.header.dateText()), QStringLiteral("14. 4.2024"));
        QCOMPARE(tool.set.imageVersion(), std::uint8_t{41});

        // The unit counts the programming.
        const int before = tool.view.telemetryFrames;
        QVERIFY(tool.run(20, [&] { return tool.view.telemetryFrames > before; }) > 0);
        QCOMPARE(tool.view.telemetry.programmingCount, std::uint16_t{42});
        tool.link.closePort();
    }

    // A fresh tool on a freshly opened port reads back exactly what was programmed.
    Tool reader(sim.path);
    QVERIFY(reader.link.isOpen());
    const ParameterSet defaults;
    QCOMPARE(reader.set.image(), defaults.image());
    reader.exchange.startRead();
    QVERIFY2(reader.run(60, [&] { return reader.idleWith(reader.texts.verifyOk); }) > 0,
             qPrintable(reader.view.lastText()));
    QVERIFY(std::equal(reader.set.block(1).begin(), reader.set.block(1).end(), programmed.block(1).begin()));
    QCOMPARE(reader.set.byte(57), std::uint8_t{0xA5});
    QCOMPARE(reader.set.byte(ImageByte::readAllowed), std::uint8_t{1});
    QCOMPARE(str(reader.header.timeText()), QStringLiteral("09:30"));

    // Verify alone against the same unit.
    reader.view.messages.clear();
    reader.exchange.startVerify();
    QVERIFY(reader.run(40, [&] { return reader.idleWith(reader.texts.verifyOk); }) > 0);
    QCOMPARE(reader.view.messages.size(), 2);

    // The unit's own log shows the block going out and its echo coming back.
    sim.kill();
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const QByteArray block = QByteArray(reinterpret_cast<const char*>(programmed.block(1).data()), 50);
    QVERIFY(text.contains("rx     " + hexLine(QByteArray(1, '\x01') + block)));
    QVERIFY(text.contains("tx     " + hexLine(QByteArray(1, '\x81') + block)));
    QVERIFY(text.contains("tx     " + hexLine(QByteArray(1, '\xC1') + block)));
}

void TestEndToEnd::faultsRecovered_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("programmings");
    QTest::newRow("echo differs once") << QStringList{"--echo-mismatch-once"} << 2;
    QTest::newRow("late answers") << QStringList{"--late", "300"} << -1;
    QTest::newRow("duplicated answers") << QStringList{"--duplicate"} << 1;
    QTest::newRow("every 2nd check byte wrong") << QStringList{"--bad-check", "2"} << -1;
    QTest::newRow("every 3rd answer lost") << QStringList{"--drop", "3"} << -1;
}

void TestEndToEnd::faultsRecovered() {
    QFETCH(QStringList, args);
    QFETCH(int, programmings);
    SimProcess sim;
    QVERIFY(sim.start(args));
    Tool tool(sim.path);
    QVERIFY(tool.link.isOpen());
    changeSet(tool.set);
    tool.exchange.startProgram();
    QVERIFY2(tool.run(100, [&] { return tool.idleWith(tool.texts.verifyOk); }) > 0, qPrintable(tool.view.lastText()));
    QVERIFY(tool.view.boxes.isEmpty());
    for (const auto& m : tool.view.messages) QCOMPARE(m.colour, ExchangeView::MessageColour::Normal);
    if (programmings >= 0) {
        QVERIFY(tool.run(40, [&] { return tool.view.telemetryFrames > 0; }) > 0);
        QCOMPARE(int(tool.view.telemetry.programmingCount), programmings);
    }
}

void TestEndToEnd::readProtectedAndVersion() {
    {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--read-protected")}));
        Tool tool(sim.path);
        tool.exchange.startRead();
        QVERIFY(tool.run(40, [&] { return tool.idleWith(tool.texts.noReadingNotice); }) > 0);
        QCOMPARE(tool.view.lastColour(), ExchangeView::MessageColour::Red);
        QCOMPARE(tool.view.lastText(), QStringLiteral("No reading!"));
        QCOMPARE(tool.set.byte(ImageByte::readAllowed), std::uint8_t{0});
        // The parameters were not taken.
        QCOMPARE(tool.set.image()[ImageByte::limiter], ParameterSet().image()[ImageByte::limiter]);
    }
    {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--image-version"), QStringLiteral("40")}));
        Tool tool(sim.path);
        changeSet(tool.set);
        tool.exchange.startProgram();
        QVERIFY(tool.run(40, [&] { return !tool.view.boxes.isEmpty(); }) > 0);
        QCOMPARE(tool.view.boxes, QStringList{tool.texts.versionMismatch});
        QCOMPARE(tool.exchange.mode(), ExchangeMode::Idle);
        QCOMPARE(tool.set.imageVersion(), std::uint8_t{40});
        // Nothing was programmed.
        QVERIFY(tool.run(40, [&] { return tool.view.telemetryFrames > 0; }) > 0);
        QCOMPARE(tool.view.telemetry.programmingCount, std::uint16_t{0});
    }
}

void TestEndToEnd::simulatorKilledMidCommand_data() {
    QTest::addColumn<bool>("program");
    QTest::newRow("program") << true;
    QTest::newRow("read") << false;
}

void TestEndToEnd::simulatorKilledMidCommand() {
    QFETCH(bool, program);
    SimProcess sim;
    QVERIFY(sim.start({}));
    Tool tool(sim.path);
    QVERIFY(tool.run(40, [&] { return tool.view.telemetryFrames > 0; }) > 0);
    if (program) {
        changeSet(tool.set);
        tool.exchange.startProgram();
    } else {
        tool.exchange.startRead();
    }
    // The command's first frame goes out, and the unit dies before it can answer.
    QVERIFY(tool.run(6, [&] { return tool.exchange.attempt() >= 1; }) > 0);
    sim.kill();
    QCOMPARE(sim.process.state(), QProcess::NotRunning);

    const QString failure = program ? tool.texts.programError : tool.texts.readError;
    QVERIFY2(tool.run(30, [&] { return tool.idleWith(failure); }) > 0, qPrintable(tool.view.lastText()));
    QCOMPARE(tool.view.lastText(), program ? QStringLiteral("Program error!") : QStringLiteral("Read error!"));
    QCOMPARE(tool.view.lastColour(), ExchangeView::MessageColour::Red);

    QVERIFY(tool.run(30, [&] { return tool.view.connectionVisible; }) > 0);
    QVERIFY(tool.exchange.connectionLost());
    QCOMPARE(tool.connectionShownTick - tool.lastAnswerTick, long{ExchangeTiming::kWatchdogLimit});
    // Polling goes on against the dead device without harm.
    QCOMPARE(tool.run(12, [] { return false; }), -1);
    QVERIFY(tool.view.connectionVisible);
    QCOMPARE(tool.exchange.mode(), ExchangeMode::Idle);
}

void TestEndToEnd::linkFollowsDevice() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("unit-tty"));
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--link"), link}));
    const QFileInfo info(link);
    QVERIFY(info.isSymLink());
    QCOMPARE(info.symLinkTarget(), sim.path);
    {
        Tool tool(link);
        QVERIFY(tool.link.isOpen());
        tool.exchange.startRead();
        QVERIFY(tool.run(40, [&] { return tool.idleWith(tool.texts.verifyOk); }) > 0);
    }
    sim.process.terminate();
    QVERIFY(sim.process.waitForFinished(kExitTimeoutMs));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

// The control channel answers "state" with what the unit stores, after every request that
// reached it before the command, and the simulator ends when its input ends.
void TestEndToEnd::controlChannel() {
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--control"), QStringLiteral("--no-line-time")}));
    auto ask = [&sim](const QByteArray& command) {
        sim.process.write(command + '\n');
        sim.process.waitForBytesWritten(kExitTimeoutMs);
        QElapsedTimer clock;
        clock.start();
        while (!sim.process.canReadLine() && clock.elapsed() < kExitTimeoutMs) sim.process.waitForReadyRead(100);
        return sim.process.readLine().trimmed();
    };
    auto blockHex = [](std::span<const std::uint8_t> block) {
        return QByteArray(reinterpret_cast<const char*>(block.data()), 50).toHex().toUpper();
    };
    const QByteArray first = ask("state");
    QVERIFY2(first.startsWith("state block=" + blockHex(ParameterSet().block(1)) + " programmings=0 "), first);
    QCOMPARE(ask("reboot"), QByteArray("error unknown command \"reboot\""));

    Tool tool(sim.path);
    changeSet(tool.set);
    tool.exchange.startProgram();
    QVERIFY(tool.run(60, [&] { return tool.idleWith(tool.texts.verifyOk); }) > 0);
    const QByteArray after = ask("state");
    QVERIFY2(after.startsWith("state block=" + blockHex(tool.set.block(1)) + " programmings=1 "), after);
    QVERIFY(after.contains(" received=3 "));
    QVERIFY(after.contains(" answers-flipped=0 "));

    // The block goes out and the state is asked at once: the unit takes the request in first.
    ParameterSet other = tool.set;
    other.setByte(57, 0x11);
    LinkFrame f{};
    f[0] = 0x01;
    std::copy(other.block(1).begin(), other.block(1).end(), f.begin() + 1);
    sealFrame(f);
    tool.link.writeFrame(f);
    QVERIFY(ask("state").startsWith("state block=" + blockHex(other.block(1)) + " programmings=2 "));

    sim.process.closeWriteChannel();
    QVERIFY(sim.process.waitForFinished(kExitTimeoutMs));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
