// A verify takes only an answer to its own send: a 0xC1 that came in before the verify's
// first frame went out (the Read's own read step sends 0x41 too) is not a read-back.
#include <QtTest>

#include "Rig.h"

namespace {

enum class Stale {
    None,             // nothing but the unit's answers
    BehindNoise,      // the read step's answer doubled behind a burst the tick reads only in part
    BeforeFirstSend,  // a Verify started while the Read's last 0xC1 is still on its way
};

bool zeroPayload(const FakePort::Write& w) {
    return std::all_of(w.bytes.begin() + 1, w.bytes.begin() + 1 + kPayloadSize, [](std::uint8_t b) { return b == 0; });
}

}  // namespace

Q_DECLARE_METATYPE(Stale)

class TestStaleAnswer : public QObject {
    Q_OBJECT

private slots:
    void verifyTakesOnlyItsOwnAnswer_data();
    void verifyTakesOnlyItsOwnAnswer();
};

void TestStaleAnswer::verifyTakesOnlyItsOwnAnswer_data() {
    QTest::addColumn<Stale>("stale");
    QTest::addColumn<bool>("unitAnswersVerify");
    QTest::addColumn<QList<int>>("sends");  // block frames after the start; 0x141 = 0x41 with the block
    QTest::addColumn<QString>("outcome");

    const QList<int> verifyFive(5, 0x141);
    QTest::newRow("read, fresh read-back") << Stale::None << true << QList<int>{0x40, 0x41, 0x141} << "Verify: OK";
    QTest::newRow("read, doubled answer, verify unanswered")
        << Stale::BehindNoise << false << (QList<int>{0x40, 0x41} + verifyFive) << "Verify error!";
    QTest::newRow("read, doubled answer, verify answered")
        << Stale::BehindNoise << true << QList<int>{0x40, 0x41, 0x141} << "Verify: OK";
    QTest::newRow("verify alone, earlier answer") << Stale::BeforeFirstSend << false << verifyFive << "Verify error!";
}

void TestStaleAnswer::verifyTakesOnlyItsOwnAnswer() {
    QFETCH(Stale, stale);
    QFETCH(bool, unitAnswersVerify);
    QFETCH(QList<int>, sends);
    QFETCH(QString, outcome);

    Rig rig;
    const LinkFrame c1 = TestFrames::frame(0xC1, rig.unitParameters);
    // The Read before a lone Verify must pass on its own.
    bool answerVerify = stale == Stale::BeforeFirstSend || unitAnswersVerify;
    rig.port->onWrite = [&](const FakePort::Write& w) {
        if (w.bytes[0] == kReadHeaderCommand) rig.port->feed(TestFrames::frame(0xC0, rig.unitHeader));
        if (w.bytes[0] != kReadParametersCommand) return;
        if (!zeroPayload(w)) {
            if (answerVerify) rig.port->feed(c1);
            return;
        }
        rig.port->feed(c1);
        if (stale == Stale::BehindNoise) {
            // The tick reads 15000 bytes: the answer and noise; the copy behind still waits.
            const std::vector<std::uint8_t> noise(SerialLink::kReceiveBufferSize - kFrameSize, 0x00);
            rig.port->feed(noise);
            rig.port->feed(c1);
        }
    };

    long from = 0;
    rig.exchange.startRead();
    if (stale == Stale::BeforeFirstSend) {
        // A finished Read, then Verify at once while a late copy of its 0xC1 comes in.
        rig.tick(20);
        QCOMPARE(rig.view.messageText, QString("Verify: OK"));
        answerVerify = unitAnswersVerify;
        from = rig.blockSends().size();
        rig.exchange.startVerify();
        rig.port->feed(c1);
    }
    for (int i = 0; i < 40 && (i == 0 || rig.exchange.mode() != ExchangeMode::Idle); ++i) rig.tick();
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);

    QList<int> seen;
    long i = 0;
    for (long k = 0; k < rig.port->writeCount(); ++k) {
        const FakePort::Write& w = rig.port->write(k);
        if (w.bytes[0] == kPollCommand || i++ < from) continue;
        seen.append(w.bytes[0] == kReadParametersCommand && !zeroPayload(w) ? 0x141 : w.bytes[0]);
    }
    QCOMPARE(seen, sends);
    QCOMPARE(rig.view.messageText, outcome);
    QCOMPARE(rig.view.messageColour,
             outcome == "Verify: OK" ? ExchangeView::MessageColour::Normal : ExchangeView::MessageColour::Red);
    // Whatever happened to the answers, the image holds what the unit sent.
    QCOMPARE(rig.block(kParameterBlock), rig.unitParameters);
}

QTEST_GUILESS_MAIN(TestStaleAnswer)
#include "tst_stale_answer.moc"
