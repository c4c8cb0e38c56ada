// Reading into a separate set: the frames on the wire, the window's set left alone, and what
// the observer hears on each way out.
#include <QTest>

#include "Rig.h"

namespace {

struct RecordingObserver : ExchangeObserver {
    QList<ReadOutcome> reads;
    QList<QPair<ExchangeMode, bool>> commands;
    std::function<void()> onRead;
    void separateReadFinished(ReadOutcome outcome) override {
        reads.append(outcome);
        if (onRead) onRead();
    }
    void commandFinished(ExchangeMode command, bool ok) override { commands.append({command, ok}); }
};

QList<int> commandBytes(const Rig& rig) {
    QList<int> out;
    for (const auto& send : rig.blockSends()) out.append(send.second);
    return out;
}

}  // namespace

class TestHistoryExchange : public QObject {
    Q_OBJECT

private slots:
    void separateRead_data();
    void separateRead();
    void verifyAnswerKeptForTheReport();
    void programResultCarriesTheNote();
};

void TestHistoryExchange::separateRead_data() {
    QTest::addColumn<int>("readAllowed");
    QTest::addColumn<int>("imageVersion");
    QTest::addColumn<bool>("answersParameters");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QList<int>>("frames");
    QTest::addColumn<QString>("message");
    using O = ExchangeObserver::ReadOutcome;
    QTest::newRow("done") << 1 << 41 << true << int(O::Done) << QList<int>{0x40, 0x41} << "Read:";
    QTest::newRow("refused") << 0 << 41 << true << int(O::NoReading) << QList<int>{0x40} << "No reading!";
    QTest::newRow("other version") << 1 << 40 << true << int(O::VersionMismatch) << QList<int>{0x40} << "Read:";
    QTest::newRow("no parameters") << 1 << 41 << false << int(O::Failed)
                                   << QList<int>{0x40, 0x41, 0x41, 0x41, 0x41, 0x41} << "Read error!";
}

void TestHistoryExchange::separateRead() {
    QFETCH(int, readAllowed);
    QFETCH(int, imageVersion);
    QFETCH(bool, answersParameters);
    QFETCH(int, outcome);
    QFETCH(QList<int>, frames);
    QFETCH(QString, message);

    Rig rig;
    RecordingObserver observer;
    rig.exchange.setObserver(&observer);
    rig.unitHeader =
        TestFrames::unitHeader(static_cast<std::uint8_t>(imageVersion), static_cast<std::uint8_t>(readAllowed));
    rig.unitParameters[5] = 77;
    if (!answersParameters) rig.answersLeft[kReadParametersCommand] = 0;
    rig.answerAtOnce();
    const ParameterImage windowBefore = rig.set.image();

    ParameterSet target;
    rig.exchange.startReadInto(target);
    rig.tick(40);

    QCOMPARE(commandBytes(rig), frames);
    // Read requests carry zeros, exactly as the Read command's.
    for (long i = 0; i < rig.port->writeCount(); ++i) {
        const auto& bytes = rig.port->write(i).bytes;
        if (bytes[0] == kPollCommand) continue;
        for (int j = 1; j <= kPayloadSize; ++j) QCOMPARE(int(bytes[j]), 0);
    }
    QCOMPARE(observer.reads, QList<ExchangeObserver::ReadOutcome>{static_cast<ExchangeObserver::ReadOutcome>(outcome)});
    QVERIFY(observer.commands.isEmpty());
    QCOMPARE(rig.set.image(), windowBefore);
    QCOMPARE(rig.view.refreshCalls, 0);
    QCOMPARE(rig.view.clearFileCalls, 0);
    QCOMPARE(rig.view.messageText, message);
    QCOMPARE(rig.view.boxes.size(), imageVersion == 41 ? 0 : 1);
    QCOMPARE(rig.exchange.mode(), ExchangeMode::Idle);
    QCOMPARE(Rig::toBlock(target.block(kHeaderBlock)), rig.unitHeader);
    if (outcome == int(ExchangeObserver::ReadOutcome::Done))
        QCOMPARE(Rig::toBlock(target.block(kParameterBlock)), rig.unitParameters);
}

void TestHistoryExchange::verifyAnswerKeptForTheReport() {
    Rig rig;
    RecordingObserver observer;
    rig.exchange.setObserver(&observer);
    rig.unitParameters[3] = 99;  // differs from the window
    rig.answerAtOnce();
    rig.exchange.startVerify();
    rig.tick(40);
    QCOMPARE(rig.view.messageText, QStringLiteral("Verify error!"));
    QCOMPARE(observer.commands, (QList<QPair<ExchangeMode, bool>>{{ExchangeMode::Verify, false}}));
    QVERIFY(rig.exchange.lastVerifyAnswer());
    QCOMPARE(*rig.exchange.lastVerifyAnswer(), rig.unitParameters);

    // A start forgets it.
    rig.exchange.startRead();
    QVERIFY(!rig.exchange.lastVerifyAnswer());
    rig.tick(40);
    QCOMPARE(observer.commands.last(), (QPair<ExchangeMode, bool>{ExchangeMode::Read, true}));
}

void TestHistoryExchange::programResultCarriesTheNote() {
    Rig rig;
    RecordingObserver observer;
    rig.exchange.setObserver(&observer);
    rig.answerAtOnce();
    rig.exchange.startProgram();
    rig.exchange.setResultNote(QStringLiteral(" (note)"));
    rig.tick(20);
    QCOMPARE(rig.view.messageText, QStringLiteral("Verify: OK (note)"));
    QCOMPARE(observer.commands, (QList<QPair<ExchangeMode, bool>>{{ExchangeMode::Program, true}}));
    // The next command has no note.
    rig.exchange.startVerify();
    rig.tick(20);
    QCOMPARE(rig.view.messageText, QStringLiteral("Verify: OK"));
}

QTEST_GUILESS_MAIN(TestHistoryExchange)
#include "tst_history_exchange.moc"
