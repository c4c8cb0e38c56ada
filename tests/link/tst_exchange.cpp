#include <QtTest>

#include "Rig.h"

using ExchangeTiming::kMessageLifetime;
using ExchangeTiming::kPollPeriod;
using ExchangeTiming::kResendPeriod;
using ExchangeTiming::kSendsPerStep;
using ExchangeTiming::kWatchdogLimit;
using Colour = ExchangeView::MessageColour;
using Sends = QList<QPair<long, int>>;

namespace {

ImageBlock payload(const FakePort::Write& w) { return TestFrames::payloadOf(w.bytes); }

// A valid parameter block that differs from the defaults everywhere it can.
ImageBlock otherParameters(const ParameterSet& base) {
    ParameterSet s = base;
    s.setCurvePointCount(5);
    s.setBaseAdvance(12);
    s.setLimiter(120);
    s.setStartLimiter(80);
    s.setRpmPulses(3);
    s.setByte(57, 9);  // spare bytes travel too
    s.setByte(69, 4);
    for (int i = 0; i < kCurvePoints; ++i) s.setCurveRpm(i, static_cast<std::uint8_t>(15 + 8 * i));
    return Rig::toBlock(s.block(kParameterBlock));
}

}  // namespace

class TestExchange : public QObject {
    Q_OBJECT

private slots:
    void checkByte_data();
    void checkByte();
    void idlePolling();
    void programAnsweredAtOnce();
    void readAnsweredAtOnce();
    void verifyAlone_data();
    void verifyAlone();
    void neverAnswers_data();
    void neverAnswers();
    void failureAfterSendFromAnswer_data();
    void failureAfterSendFromAnswer();
    void lateAndDuplicateAnswers();
    void echoMismatchResent();
    void programDuringRead();
    void noReading_data();
    void noReading();
    void versionMismatch_data();
    void versionMismatch();
    void watchdog();
    void messageCountdown();
    void textsTakenWhenShown();
    void telemetryAndHighlight();
    void portNotOpen();
};

void TestExchange::checkByte_data() {
    QTest::addColumn<QByteArray>("head");  // bytes 0.. of the frame, rest zero
    QTest::addColumn<int>("expected");
    QTest::newRow("poll") << QByteArray("\x30", 1) << 0xCF;
    QTest::newRow("all zero") << QByteArray() << 0xFF;
    QTest::newRow("answer bit") << QByteArray("\x80\x01\x02", 3) << (0xFF ^ 0x80 ^ 0x01 ^ 0x02);
}

void TestExchange::checkByte() {
    QFETCH(QByteArray, head);
    QFETCH(int, expected);
    LinkFrame f{};
    for (int i = 0; i < head.size(); ++i) f[i] = static_cast<std::uint8_t>(head[i]);
    QCOMPARE(int(::checkByte(f)), expected);
    sealFrame(f);
    QCOMPARE(int(f[51]), expected);
    QVERIFY(checkByteValid(f));
    f[20] ^= 0x10;
    QVERIFY(!checkByteValid(f));
    f[20] ^= 0x10;
    QVERIFY(!checkByteValid(std::span<const std::uint8_t>(f.data(), 51)));
}

void TestExchange::idlePolling() {
    Rig rig;
    rig.tick(3 * kPollPeriod);
    QCOMPARE(rig.pollTicks(), (QList<long>{6, 12, 18}));
    QVERIFY(rig.blockSends().isEmpty());
    for (long i = 0; i < rig.port->writeCount(); ++i) {
        const auto& w = rig.port->write(i);
        QCOMPARE(w.size, std::int64_t(52));
        QCOMPARE(int(w.bytes[0]), 0x30);
        for (int j = 1; j <= 50; ++j) QCOMPARE(int(w.bytes[j]), 0);
        QCOMPARE(int(w.bytes[51]), 0xCF);
        QVERIFY(w.drained);
    }
    QCOMPARE(rig.view.highlightCalls, 18);
}

void TestExchange::programAnsweredAtOnce() {
    Rig rig;
    rig.answerAtOnce();
    rig.set.setByte(0, 'X');  // the header the tool holds goes out with the first step
    rig.set.setByte(57, 7);   // spare byte goes out unchanged
    const ImageBlock header = rig.block(kHeaderBlock);
    const ImageBlock parameters = rig.block(kParameterBlock);

    rig.exchange.startProgram();
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Program);
    QCOMPARE(rig.view.messageText, QStringLiteral("Program device:"));
    QCOMPARE(rig.view.gaugeValue, 0);
    QVERIFY(rig.view.gaugeVisible);
    rig.tick(7);

    QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {5, 0x01}, {6, 0x41}}));
    QCOMPARE(payload(rig.port->write(0)), header);
    QCOMPARE(payload(rig.port->write(1)), parameters);
    QCOMPARE(payload(rig.port->write(2)), parameters);
    for (long i = 0; i < 3; ++i) QVERIFY(checkByteValid(rig.port->write(i).bytes));

    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
    QCOMPARE(rig.view.messages.size(), 3);
    QCOMPARE(rig.view.messages[1].text, QStringLiteral("Verify:"));
    QCOMPARE(rig.view.messages[1].tick, 6);
    QCOMPARE(rig.view.messages[2].text, QStringLiteral("Verify: OK"));
    QCOMPARE(rig.view.messages[2].colour, Colour::Normal);
    QCOMPARE(rig.view.messages[2].tick, 7);
    QCOMPARE(rig.view.gaugeValues, (QList<int>{0, 1, 0}));
    QVERIFY(!rig.view.gaugeVisible);
    QVERIFY(rig.view.boxes.isEmpty());

    QCOMPARE(rig.block(kHeaderBlock), rig.unitHeader);
    QCOMPARE(QString::fromLatin1(rig.header.versionText()), QStringLiteral("VLM07"));
    QCOMPARE(QString::fromLatin1(rig.header.dateText()), QStringLiteral("25. 1.2003"));
    QCOMPARE(QString::fromLatin1(rig.header.timeText()), QStringLiteral("16:21"));
    QCOMPARE(rig.view.refreshCalls, 1);
    QCOMPARE(rig.unitParameters, parameters);

    // No poll while the command ran; idle again, the next poll comes on the poll period.
    rig.tick(10);
    QCOMPARE(rig.pollTicks(), (QList<long>{11, 17}));
    QCOMPARE(rig.blockSends().size(), 3);
}

void TestExchange::readAnsweredAtOnce() {
    Rig rig;
    rig.answerAtOnce();
    rig.unitParameters = otherParameters(rig.set);
    rig.exchange.startRead();
    QCOMPARE(rig.view.clearFileCalls, 1);
    QCOMPARE(rig.view.messageText, QStringLiteral("Read:"));
    rig.tick(7);

    QCOMPARE(rig.blockSends(), (Sends{{4, 0x40}, {5, 0x41}, {6, 0x41}}));
    QCOMPARE(payload(rig.port->write(0)), ImageBlock{});
    QCOMPARE(payload(rig.port->write(1)), ImageBlock{});
    QCOMPARE(payload(rig.port->write(2)), rig.unitParameters);  // verify sends what it read

    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
    QCOMPARE(rig.view.messages.last().text, QStringLiteral("Verify: OK"));
    QCOMPARE(rig.view.messages.last().tick, 7);
    QCOMPARE(rig.block(kHeaderBlock), rig.unitHeader);
    QCOMPARE(rig.block(kParameterBlock), rig.unitParameters);
    QCOMPARE(rig.view.refreshCalls, 1);
    QCOMPARE(rig.view.gaugeValues, (QList<int>{0, 1, 0}));
}

void TestExchange::verifyAlone_data() {
    QTest::addColumn<int>("differingByte");  // image byte where the unit differs, or -1
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("equal") << -1 << true;
    QTest::newRow("byte 66 left out") << 66 << true;
    QTest::newRow("byte 65") << 65 << false;
    QTest::newRow("byte 67") << 67 << false;
    QTest::newRow("spare byte 57") << 57 << false;
    QTest::newRow("last byte") << 99 << false;
}

void TestExchange::verifyAlone() {
    QFETCH(int, differingByte);
    QFETCH(bool, succeeds);
    Rig rig;
    rig.answerAtOnce();
    if (differingByte >= 0) rig.unitParameters[differingByte - 50] ^= 0x02;
    rig.exchange.startVerify();
    QCOMPARE(rig.view.messageText, QStringLiteral("Verify:"));
    rig.tick(30);

    if (succeeds) {
        QCOMPARE(rig.blockSends(), (Sends{{4, 0x41}}));
        QCOMPARE(rig.view.messages.last().text, QStringLiteral("Verify: OK"));
        QCOMPARE(rig.view.messages.last().tick, 5);
    } else {
        QCOMPARE(rig.blockSends(), (Sends{{4, 0x41}, {8, 0x41}, {12, 0x41}, {16, 0x41}, {20, 0x41}}));
        QCOMPARE(rig.view.messages.last().text, QStringLiteral("Verify error!"));
        QCOMPARE(rig.view.messages.last().colour, Colour::Red);
        QCOMPARE(rig.view.messages.last().tick, 24);
    }
    QCOMPARE(payload(rig.port->write(0)), rig.block(kParameterBlock));
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
}

void TestExchange::neverAnswers_data() {
    QTest::addColumn<int>("command");  // 0 Program, 1 Verify, 2 Read
    QTest::addColumn<int>("idleTicks");
    QTest::addColumn<int>("firstSendAfter");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("failure");
    QTest::newRow("program, tickCount 0") << 0 << 0 << 4 << 0x00 << "Program error!";
    QTest::newRow("program, tickCount 3") << 0 << 3 << 1 << 0x00 << "Program error!";
    QTest::newRow("program, tickCount 4") << 0 << 4 << 1 << 0x00 << "Program error!";
    QTest::newRow("program, tickCount 5") << 0 << 5 << 1 << 0x00 << "Program error!";
    QTest::newRow("verify, tickCount 2") << 1 << 2 << 2 << 0x41 << "Verify error!";
    QTest::newRow("read, tickCount 1") << 2 << 1 << 3 << 0x40 << "Read error!";
    QTest::newRow("read, tickCount 5") << 2 << 5 << 1 << 0x40 << "Read error!";
}

void TestExchange::neverAnswers() {
    QFETCH(int, command);
    QFETCH(int, idleTicks);
    QFETCH(int, firstSendAfter);
    QFETCH(int, byte);
    QFETCH(QString, failure);
    Rig rig;
    rig.tick(idleTicks);
    QCOMPARE(int(rig.exchange.tickCount()), idleTicks);
    const long start = rig.now;
    if (command == 0) rig.exchange.startProgram();
    if (command == 1) rig.exchange.startVerify();
    if (command == 2) rig.exchange.startRead();

    const long first = start + firstSendAfter;
    rig.tick(firstSendAfter + 5 * kResendPeriod - 1);
    Sends expected;
    for (int i = 0; i < kSendsPerStep; ++i) expected.append({first + i * kResendPeriod, byte});
    QCOMPARE(rig.blockSends(), expected);
    QCOMPARE(rig.exchange.attempt(), kSendsPerStep);
    QVERIFY(rig.view.messageColour == Colour::Normal);

    rig.tick();  // the sixth period: 20 ticks after the first send
    QCOMPARE(rig.now, first + 20);
    QCOMPARE(rig.view.messageText, failure);
    QCOMPARE(rig.view.messageColour, Colour::Red);
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
    QCOMPARE(int(rig.exchange.messageCountdown()), kMessageLifetime - 1);
    QVERIFY(rig.pollTicks().isEmpty());

    rig.tick(2 * kPollPeriod);
    QCOMPARE(rig.blockSends().size(), kSendsPerStep);
    QCOMPARE(rig.pollTicks().size(), 2);
}

void TestExchange::failureAfterSendFromAnswer_data() {
    QTest::addColumn<int>("command");   // 0 Program, 2 Read
    QTest::addColumn<int>("silent");    // command byte the unit stops answering
    QTest::addColumn<int>("answered");  // how often it still answers that byte
    QTest::addColumn<long>("sentAt");
    QTest::addColumn<QString>("failure");
    QTest::newRow("program parameters") << 0 << 0x01 << 0 << 5L << "Program error!";
    QTest::newRow("program verify") << 0 << 0x41 << 0 << 6L << "Verify error!";
    QTest::newRow("read parameters") << 2 << 0x41 << 0 << 5L << "Read error!";
    QTest::newRow("read verify") << 2 << 0x41 << 1 << 6L << "Verify error!";
}

void TestExchange::failureAfterSendFromAnswer() {
    QFETCH(int, command);
    QFETCH(int, silent);
    QFETCH(int, answered);
    QFETCH(long, sentAt);
    QFETCH(QString, failure);
    Rig rig;
    rig.answerAtOnce();
    rig.answersLeft[silent] = answered;
    command == 0 ? rig.exchange.startProgram() : rig.exchange.startRead();
    rig.tick(40);

    // Sent from inside an answer: the same tick already counts, so the resend comes 3 later.
    const Sends sends = rig.blockSends();
    Sends tail;
    for (const auto& s : sends)
        if (s.first >= sentAt) tail.append(s);
    QCOMPARE(tail, (Sends{{sentAt, silent},
                          {sentAt + 3, silent},
                          {sentAt + 7, silent},
                          {sentAt + 11, silent},
                          {sentAt + 15, silent}}));
    int failures = 0;
    for (const auto& m : rig.view.messages) {
        if (m.colour != Colour::Red) continue;
        ++failures;
        QCOMPARE(m.text, failure);
        QCOMPARE(m.tick, sentAt + 19);
    }
    QCOMPARE(failures, 1);
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
}

void TestExchange::lateAndDuplicateAnswers() {
    {
        // Late answers to earlier steps while verifying are ignored and clear nothing.
        Rig rig;
        rig.answerAtOnce();
        rig.answersLeft[0x41] = 0;
        rig.exchange.startProgram();
        rig.tick(7);
        QCOMPARE(rig.exchange.mode(), ExchangeMode::Verify);
        const int watchdog = rig.exchange.watchdogCount();
        rig.port->feed(TestFrames::frame(0x81, rig.block(kParameterBlock)));
        rig.tick();
        rig.port->feed(TestFrames::frame(0x80, rig.unitHeader));
        rig.tick();
        QCOMPARE(rig.exchange.mode(), ExchangeMode::Verify);
        QCOMPARE(int(rig.exchange.commandByte()), 0x41);
        QCOMPARE(int(rig.exchange.watchdogCount()), watchdog + 2);
        QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {5, 0x01}, {6, 0x41}, {9, 0x41}}));
        QCOMPARE(rig.view.messages.last().text, QStringLiteral("Verify:"));
    }
    {
        // The first send and its resend both get an answer: the second one is stale.
        Rig rig;
        rig.exchange.startProgram();
        rig.tick(8);
        QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {8, 0x00}}));
        ImageBlock first = rig.unitHeader;
        ImageBlock second = rig.unitHeader;
        second[3] = 9;
        rig.port->feed(TestFrames::frame(0x80, first));
        rig.tick();
        QCOMPARE(int(rig.exchange.commandByte()), 0x01);
        QCOMPARE(int(rig.exchange.attempt()), 1);
        rig.port->feed(TestFrames::frame(0x80, second));
        rig.tick();
        QCOMPARE(int(rig.exchange.commandByte()), 0x01);
        QCOMPARE(int(rig.exchange.attempt()), 1);
        QCOMPARE(rig.block(kHeaderBlock), first);
        QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {8, 0x00}, {9, 0x01}}));
        QCOMPARE(rig.view.gaugeValue, 1);
    }
    {
        // Two answers read together: only the first frame of a read is interpreted.
        Rig rig;
        rig.exchange.startProgram();
        rig.tick(4);
        const LinkFrame a = TestFrames::frame(0x80, rig.unitHeader);
        const LinkFrame b = TestFrames::frame(0x81, rig.block(kParameterBlock));
        rig.port->feed(a);
        rig.port->feed(b);
        rig.tick();
        QCOMPARE(rig.port->pending(), 0);
        QCOMPARE(rig.exchange.mode(), ExchangeMode::Program);
        QCOMPARE(int(rig.exchange.commandByte()), 0x01);
        QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {5, 0x01}}));
    }
    {
        // A bad check byte or a foreign first byte changes nothing.
        Rig rig;
        rig.exchange.startProgram();
        rig.tick(4);
        LinkFrame bad = TestFrames::frame(0x80, rig.unitHeader);
        bad[51] ^= 1;
        rig.port->feed(bad);
        rig.tick();
        rig.port->feed(TestFrames::frame(0xC0, rig.unitHeader));
        rig.tick();
        QCOMPARE(int(rig.exchange.commandByte()), 0x00);
        QCOMPARE(int(rig.exchange.watchdogCount()), 6);
        QCOMPARE(rig.block(kHeaderBlock), ImageBlock{});
        QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}}));
    }
}

void TestExchange::echoMismatchResent() {
    Rig rig;
    rig.answerAtOnce();
    rig.answersLeft[0x01] = 0;
    rig.exchange.startProgram();
    rig.tick(5);
    QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {5, 0x01}}));

    ImageBlock wrongEcho = rig.block(kParameterBlock);
    wrongEcho[16] ^= 0x01;  // byte 66 counts in the programming echo
    rig.port->feed(TestFrames::frame(0x81, wrongEcho));
    rig.tick();
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Program);
    QCOMPARE(int(rig.exchange.commandByte()), 0x01);
    rig.tick(2);
    QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {5, 0x01}, {8, 0x01}}));

    rig.port->feed(TestFrames::frame(0x81, rig.block(kParameterBlock)));
    rig.tick(2);
    QCOMPARE(rig.blockSends(), (Sends{{4, 0x00}, {5, 0x01}, {8, 0x01}, {9, 0x41}}));
    QCOMPARE(rig.view.messages.last().text, QStringLiteral("Verify: OK"));
    QCOMPARE(rig.view.messages.last().tick, 10);
}

void TestExchange::programDuringRead() {
    Rig rig;
    rig.answerAtOnce();
    rig.answersLeft[0x41] = 0;
    rig.exchange.startRead();
    rig.tick(6);
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Read);
    QCOMPARE(int(rig.exchange.commandByte()), 0x41);
    const ImageBlock readHeader = rig.unitHeader;
    QCOMPARE(rig.block(kHeaderBlock), readHeader);

    rig.unitHeader[3] = 8;  // the header the Program step will get
    rig.answersLeft.clear();
    rig.exchange.startProgram();
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Program);
    QCOMPARE(int(rig.exchange.commandByte()), 0x00);
    QCOMPARE(int(rig.exchange.attempt()), 0);
    QCOMPARE(rig.view.gaugeValue, 0);
    QCOMPARE(rig.view.messageText, QStringLiteral("Program device:"));
    rig.tick(2);
    QCOMPARE(rig.blockSends().last(), (QPair<long, int>{8, 0x00}));
    QCOMPARE(payload(*rig.lastBlockWrite()), readHeader);
    rig.tick();
    QCOMPARE(rig.block(kHeaderBlock), rig.unitHeader);
    QCOMPARE(rig.blockSends().last(), (QPair<long, int>{9, 0x01}));
    rig.tick(2);
    QCOMPARE(rig.view.messages.last().text, QStringLiteral("Verify: OK"));
}

void TestExchange::noReading_data() {
    QTest::addColumn<int>("readAllowed");
    QTest::newRow("0") << 0;
    QTest::newRow("2") << 2;
    QTest::newRow("255") << 255;
}

void TestExchange::noReading() {
    QFETCH(int, readAllowed);
    Rig rig;
    rig.answerAtOnce();
    rig.unitHeader = TestFrames::unitHeader(41, static_cast<std::uint8_t>(readAllowed));
    rig.set.setCurveRpm(0, 0);  // validate must run after the header is taken in
    rig.exchange.startRead();
    rig.tick(5);

    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
    QCOMPARE(rig.view.messageText, QStringLiteral("No reading!"));
    QCOMPARE(rig.view.messageColour, Colour::Red);
    QCOMPARE(int(rig.exchange.messageCountdown()), kMessageLifetime - 1);
    QVERIFY(rig.view.boxes.isEmpty());
    QCOMPARE(rig.view.refreshCalls, 1);
    QCOMPARE(rig.set.curveRpm(0), 6);
    QCOMPARE(rig.block(kHeaderBlock), rig.unitHeader);
    QCOMPARE(QString::fromLatin1(rig.header.versionText()), QStringLiteral("VLM07"));
    rig.tick(11);
    QCOMPARE(rig.blockSends(), (Sends{{4, 0x40}}));
    QCOMPARE(rig.pollTicks(), (QList<long>{10, 16}));
}

void TestExchange::versionMismatch_data() {
    QTest::addColumn<bool>("program");
    QTest::addColumn<int>("version");
    QTest::newRow("program 40") << true << 40;
    QTest::newRow("program 0") << true << 0;
    QTest::newRow("read 42") << false << 42;
    QTest::newRow("read 0x29+0x80") << false << (41 | 0x80);
}

void TestExchange::versionMismatch() {
    QFETCH(bool, program);
    QFETCH(int, version);
    Rig rig;
    rig.answerAtOnce();
    rig.unitHeader = TestFrames::unitHeader(static_cast<std::uint8_t>(version));
    // While the box is open the timer keeps ticking; those ticks may only poll.
    long writesBeforeBox = -1;
    rig.view.duringBox = [&rig, &writesBeforeBox] {
        writesBeforeBox = rig.port->writeCount();
        rig.tick(2 * kPollPeriod);
    };
    program ? rig.exchange.startProgram() : rig.exchange.startRead();
    rig.tick(5);

    QCOMPARE(rig.view.boxes.size(), 1);
    QCOMPARE(rig.view.boxes[0].text, QStringLiteral("Unmatched version of PC and Ignition programs!"));
    QCOMPARE(rig.view.boxes[0].modeAtBox, ExchangeMode::Idle);
    QCOMPARE(rig.view.boxes[0].tick, 5);
    QCOMPARE(rig.view.refreshCalls, 1);
    QCOMPARE(rig.block(kHeaderBlock), rig.unitHeader);
    QCOMPARE(QString::fromLatin1(rig.header.timeText()), QStringLiteral("16:21"));
    QCOMPARE(rig.blockSends(), (Sends{{4, program ? 0x00 : 0x40}}));
    QCOMPARE(rig.port->writeCount() - writesBeforeBox, 2);  // polls only
    // The start text stays and its countdown runs on; the gauge was not advanced.
    QCOMPARE(rig.view.messages.size(), 1);
    QCOMPARE(rig.view.gaugeValue, 0);
    QCOMPARE(int(rig.exchange.messageCountdown()), kMessageLifetime - rig.now);
}

void TestExchange::watchdog() {
    Rig rig;
    rig.tick(kWatchdogLimit);
    QVERIFY(!rig.view.connectionVisible);
    rig.tick();
    QVERIFY(rig.view.connectionVisible);
    QVERIFY(rig.exchange.connectionLost());

    // A valid block answer while idle does not count, nor does a telemetry frame with a bad check.
    rig.port->feed(TestFrames::frame(0x81, rig.block(kParameterBlock)));
    rig.tick();
    QVERIFY(rig.view.connectionVisible);
    LinkFrame bad = TestFrames::telemetry({});
    bad[51] ^= 0x40;
    rig.port->feed(bad);
    rig.tick();
    QVERIFY(rig.view.connectionVisible);
    QCOMPARE(rig.view.telemetryCalls, 0);

    // Valid telemetry clears it; it shows again 18 ticks after the frame.
    rig.port->feed(TestFrames::telemetry({}));
    rig.tick();
    const long frameTick = rig.now;
    QVERIFY(!rig.view.connectionVisible);
    QCOMPARE(int(rig.exchange.watchdogCount()), 1);
    rig.tick(kWatchdogLimit - 1);
    QVERIFY(!rig.view.connectionVisible);
    rig.tick();
    QCOMPARE(rig.now, frameTick + kWatchdogLimit);
    QVERIFY(rig.view.connectionVisible);

    // While printing it stays hidden.
    rig.view.printing = true;
    rig.tick();
    QVERIFY(!rig.view.connectionVisible);
    rig.view.printing = false;
    rig.tick();
    QVERIFY(rig.view.connectionVisible);

    // An accepted block answer clears it.
    rig.answerAtOnce();
    rig.answersLeft[0x01] = 0;
    rig.exchange.startProgram();
    rig.tick(kResendPeriod + 1);
    QCOMPARE(int(rig.exchange.commandByte()), 0x01);
    QVERIFY(!rig.view.connectionVisible);
    QVERIFY(rig.exchange.watchdogCount() < 5);
}

void TestExchange::messageCountdown() {
    {
        Rig rig;
        rig.answerAtOnce();
        rig.exchange.startVerify();
        rig.tick(5);  // the success text is set while reading in tick 5, which counts
        QCOMPARE(rig.view.messages.last().tick, 5);
        rig.tick(kMessageLifetime - 2);
        QVERIFY(rig.view.messageVisible);
        QVERIFY(rig.view.hideTicks.isEmpty());
        rig.tick();
        QVERIFY(!rig.view.messageVisible);
        QCOMPARE(rig.view.hideTicks, (QList<long>{5 + kMessageLifetime - 1}));
        rig.tick(kMessageLifetime + 10);
        QCOMPARE(rig.view.hideTicks.size(), 1);
    }
    {
        // A start between ticks: hidden exactly 200 ticks later, the gauge with it.
        Rig rig;
        rig.answerAtOnce();
        rig.answersLeft[0x00] = 1;
        rig.answersLeft[0x01] = 0;
        rig.exchange.startProgram();
        rig.tick(5);
        QVERIFY(rig.view.gaugeVisible);
        rig.tick(kMessageLifetime);  // fails at tick 24; its red text restarts the countdown
        QVERIFY(rig.view.messageVisible);
        QVERIFY(rig.view.gaugeVisible);
        QCOMPARE(rig.view.messageText, QStringLiteral("Program error!"));
        rig.tick(24 + kMessageLifetime - 1 - rig.now);
        QVERIFY(!rig.view.messageVisible);
        QVERIFY(!rig.view.gaugeVisible);
        QCOMPARE(rig.view.hideTicks, (QList<long>{24 + kMessageLifetime - 1}));
    }
    {
        Rig rig;
        rig.exchange.setMessageCountdown(3);
        rig.tick(2);
        QVERIFY(rig.view.hideTicks.isEmpty());
        rig.tick();
        QCOMPARE(rig.view.hideTicks, (QList<long>{3}));
    }
}

void TestExchange::textsTakenWhenShown() {
    Rig rig;
    rig.exchange.startProgram();
    QCOMPARE(rig.view.messageText, QStringLiteral("Program device:"));
    rig.tick(2);
    setCurrentLanguage(LanguageId::German);
    buildMessageTexts(rig.texts);
    rig.tick(30);
    QCOMPARE(rig.view.messageText, QStringLiteral("Programmierfehler!"));

    rig.answerAtOnce();
    rig.exchange.startVerify();
    QCOMPARE(rig.view.messageText, QStringLiteral("Vergleichen:"));
    setCurrentLanguage(LanguageId::Czech);
    buildMessageTexts(rig.texts);
    rig.tick(6);
    QCOMPARE(rig.view.messageText, QStringLiteral("Verifikace: OK"));
    setCurrentLanguage(LanguageId::English);
}

void TestExchange::telemetryAndHighlight() {
    Rig rig;
    rig.set.setCurvePointCount(3);
    rig.set.setCurveRpm(0, 10);
    rig.set.setCurveRpm(1, 20);
    rig.set.setCurveRpm(2, 30);
    rig.tick();
    QCOMPARE(rig.view.highlightCalls, 1);
    QVERIFY(rig.view.highlightNone);

    // Answers to polls are decoded in any mode, and polls stop while a command runs.
    rig.exchange.startVerify();
    TestFrames::Telemetry t;
    t.rpm = 2000;
    t.count = 17;
    rig.port->feed(TestFrames::telemetry(t));
    rig.tick();
    QCOMPARE(rig.view.telemetryCalls, 1);
    QCOMPARE(rig.exchange.liveRpm(), 2000);
    QCOMPARE(rig.view.lastTelemetry.programmingCount, 17);
    QCOMPARE(rig.exchange.lastTelemetry().rpm, 2000);
    QCOMPARE(int(rig.exchange.watchdogCount()), 1);
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Verify);
    QCOMPARE(rig.view.highlightRow, 1);
    QVERIFY(!rig.view.highlightNone);
    QCOMPARE(rig.exchange.liveRow().row, 1);

    // The highlight follows a change of the curve on the next tick without a new frame.
    rig.set.setCurveRpm(0, 19);
    rig.set.setCurveRpm(1, 25);
    rig.tick();
    QCOMPARE(rig.view.highlightRow, 0);
    QCOMPARE(rig.view.highlightCalls, 3);
    QVERIFY(rig.pollTicks().isEmpty());

    t.rpm = 0;
    rig.port->feed(TestFrames::telemetry(t));
    rig.tick();
    QVERIFY(rig.view.highlightNone);
}

void TestExchange::portNotOpen() {
    Rig rig(false);
    rig.port->failOpen = true;
    int reports = 0;
    struct Sink : LinkErrorSink {
        int* n;
        void portOpenFailed() override { ++*n; }
    } sink;
    sink.n = &reports;
    rig.link.setErrorSink(&sink);
    rig.link.openPort();
    QCOMPARE(reports, 1);

    rig.exchange.startProgram();
    rig.tick(4 + 5 * kResendPeriod);
    QCOMPARE(rig.port->writeCount(), 0);
    QCOMPARE(rig.port->readCalls, 0);
    QCOMPARE(rig.view.messageText, QStringLiteral("Program error!"));
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
    QVERIFY(rig.view.connectionVisible);
    QCOMPARE(reports, 1);
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
