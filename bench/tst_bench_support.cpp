// The measuring tools must be right before their figures mean anything: the in-memory unit
// answers as the unit does, the allocation counter counts, the process figures are sane,
// and the paint count of the live-row highlight sees paints when there are some and none
// when the row stays.
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "AllocationCounter.h"
#include "BenchPort.h"
#include "ProcessStats.h"
#include "ui/TFormHlav.h"

namespace {

LinkFrame request(std::uint8_t command, std::span<const std::uint8_t> payload = {}) {
    LinkFrame f{};
    f[0] = command;
    std::copy(payload.begin(), payload.end(), f.begin() + 1);
    sealFrame(f);
    return f;
}

LinkFrame readFrame(BenchPort& port) {
    LinkFrame f{};
    const std::int64_t got = port.read(f.data(), kFrameSize);
    if (got != kFrameSize) f.fill(0);
    return f;
}

std::uint16_t rpmOf(const LinkFrame& f) { return static_cast<std::uint16_t>(f[1] | (f[2] << 8)); }

// Counts paint events of the given widgets.
class PaintCounter : public QObject {
public:
    QList<QWidget*> watched;
    QHash<QWidget*, int> paints;
    int total() const {
        int n = 0;
        for (int v : paints) n += v;
        return n;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && object->isWidgetType()) {
            auto* w = static_cast<QWidget*>(object);
            if (watched.contains(w)) ++paints[w];
        }
        return QObject::eventFilter(object, event);
    }
};

}  // namespace

class TestBenchSupport : public QObject {
    Q_OBJECT

private slots:
    void portAnswersPollsInTurn();
    void portAnswersBlocksAsTheUnit();
    void engineTelemetryFollowsTheClock();
    void allocationsAreCounted();
    void processFigures();
    void highlightPaintsOnlyWhenTheRowMoves();
};

void TestBenchSupport::portAnswersPollsInTurn() {
    BenchPort port;
    QVERIFY(!port.isOpen());
    const LinkFrame poll = request(kPollCommand);
    QCOMPARE(port.write(poll.data(), kFrameSize), -1);  // closed
    QVERIFY(port.open(QStringLiteral("bench")));
    port.setTelemetry({BenchPort::telemetryAt(1000), BenchPort::telemetryAt(2000)});

    QCOMPARE(port.bytesWaiting(), 0);
    port.write(poll.data(), kFrameSize);
    port.write(poll.data(), kFrameSize);
    port.write(poll.data(), kFrameSize);
    QCOMPARE(port.bytesWaiting(), 3 * kFrameSize);
    QCOMPARE(port.polls(), 3);
    QCOMPARE(port.blockRequests(), 0);

    // A short read takes the front of the queue; the rest stays in order.
    std::uint8_t head[10];
    QCOMPARE(port.read(head, 10), 10);
    QCOMPARE(head[0], kTelemetryAnswer);
    QCOMPARE(port.bytesWaiting(), 3 * kFrameSize - 10);
    port.discardInput();
    QCOMPARE(port.bytesWaiting(), 0);

    // The turn goes on from where the three polls left it: 1000, 2000, 1000, then 2000.
    port.write(poll.data(), kFrameSize);
    const LinkFrame fourth = readFrame(port);
    QVERIFY(checkByteValid(fourth));
    QCOMPARE(rpmOf(fourth), std::uint16_t{2000});
    port.write(poll.data(), kFrameSize);
    QCOMPARE(rpmOf(readFrame(port)), std::uint16_t{1000});

    // An empty list keeps the frames there were.
    port.setTelemetry({});
    port.write(poll.data(), kFrameSize);
    QCOMPARE(rpmOf(readFrame(port)), std::uint16_t{2000});

    port.close();
    QCOMPARE(port.bytesWaiting(), 0);
    std::uint8_t buffer[kFrameSize];
    QCOMPARE(port.read(buffer, kFrameSize), -1);
}

void TestBenchSupport::portAnswersBlocksAsTheUnit() {
    BenchPort port;
    port.open(QStringLiteral("bench"));
    ImageBlock block{};
    for (int i = 0; i < kBlockSize; ++i) block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(3 * i + 1);

    const LinkFrame program = request(kProgramParametersCommand, block);
    port.write(program.data(), kFrameSize);
    const LinkFrame echo = readFrame(port);
    QCOMPARE(echo[0], std::uint8_t(kProgramParametersCommand | kAnswerBit));
    QVERIFY(checkByteValid(echo));
    QVERIFY(std::equal(block.begin(), block.end(), echo.begin() + 1));

    const LinkFrame read = request(kReadParametersCommand);
    port.write(read.data(), kFrameSize);
    const LinkFrame answer = readFrame(port);
    QCOMPARE(answer[0], std::uint8_t(kReadParametersCommand | kAnswerBit));
    QVERIFY(std::equal(block.begin(), block.end(), answer.begin() + 1));

    const LinkFrame header = request(kReadHeaderCommand);
    port.write(header.data(), kFrameSize);
    const LinkFrame unitHeader = readFrame(port);
    QCOMPARE(unitHeader[0], std::uint8_t(kReadHeaderCommand | kAnswerBit));
    QCOMPARE(unitHeader[1 + ImageByte::imageVersion], kImageVersion);
    QCOMPARE(port.blockRequests(), 3);
    QCOMPARE(port.polls(), 0);

    // A request with a wrong check byte gets no answer, as from the unit.
    LinkFrame bad = read;
    bad[kFrameSize - 1] ^= 0x01;
    port.write(bad.data(), kFrameSize);
    QCOMPARE(port.bytesWaiting(), 0);
}

void TestBenchSupport::engineTelemetryFollowsTheClock() {
    const std::vector<LinkFrame> frames = BenchPort::engineTelemetry(40, 330);
    QCOMPARE(frames.size(), std::size_t{40});
    std::uint16_t low = 0xFFFF, high = 0;
    for (const LinkFrame& f : frames) {
        QCOMPARE(f[0], kTelemetryAnswer);
        QVERIFY(checkByteValid(f));
        low = std::min(low, rpmOf(f));
        high = std::max(high, rpmOf(f));
    }
    // 40 frames 330 ms apart cover the idle and the run up towards the limiter.
    QVERIFY2(low < 1500 && high > 5000, qPrintable(QStringLiteral("%1..%2").arg(low).arg(high)));
    // The same clock gives the same frames.
    QCOMPARE(BenchPort::engineTelemetry(3, 330, 1000), BenchPort::engineTelemetry(3, 330, 1000));

    const LinkFrame fixed = BenchPort::telemetryAt(3456);
    QCOMPARE(rpmOf(fixed), std::uint16_t{3456});
    QVERIFY(checkByteValid(fixed));
}

void TestBenchSupport::allocationsAreCounted() {
    if (!AllocationCounter::available()) QSKIP("the allocator cannot be wrapped in this build");
    const std::int64_t before = AllocationCounter::total();
    void* volatile p = std::malloc(64);
    std::free(p);
    const std::int64_t afterMalloc = AllocationCounter::total();
    QCOMPARE(afterMalloc - before, std::int64_t{1});
    auto owned = std::make_unique<std::array<char, 100>>();
    QVERIFY(owned);
    QCOMPARE(AllocationCounter::total() - afterMalloc, std::int64_t{1});
    // A Qt container's growth is counted too.
    const std::int64_t beforeString = AllocationCounter::total();
    QString text(1000, QLatin1Char('x'));
    QVERIFY(AllocationCounter::total() > beforeString);
    // Reading the count allocates nothing.
    const std::int64_t a = AllocationCounter::total();
    const std::int64_t b = AllocationCounter::total();
    QCOMPARE(b, a);
}

void TestBenchSupport::processFigures() {
    const std::int64_t resident = ProcessStats::residentKb();
    const std::int64_t peak = ProcessStats::peakResidentKb();
    QVERIFY(resident > 0);
    QVERIFY(peak >= resident);

    // Started within the last hour and not in the future.
    const std::int64_t since = ProcessStats::sinceStartUs();
    QVERIFY2(since >= 0 && since < std::int64_t{3600} * 1'000'000, qPrintable(QString::number(since)));

    const std::int64_t wall = ProcessStats::realtimeUs();
    QVERIFY(wall > std::int64_t{1'600'000'000} * 1'000'000);  // after 2020

    // CPU time moves on with work; the loop is bounded so the test cannot hang.
    const std::int64_t cpu0 = ProcessStats::cpuUs();
    const std::int64_t mono0 = ProcessStats::monotonicUs();
    volatile std::uint64_t sink = 0;
    for (long i = 0; i < 2'000'000'000L && ProcessStats::cpuUs() == cpu0; ++i)
        sink = sink + static_cast<std::uint64_t>(i);
    QVERIFY(ProcessStats::cpuUs() > cpu0);
    QVERIFY(ProcessStats::monotonicUs() >= mono0);
}

void TestBenchSupport::highlightPaintsOnlyWhenTheRowMoves() {
    QTemporaryDir config;
    QVERIFY(config.isValid());
    const bool hadPrevious = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());

    auto owned = std::make_unique<BenchPort>();
    BenchPort* port = owned.get();
    {
        TFormHlav window(std::move(owned));
        QStringList boxes;
        window.setMessageBoxHandler([&boxes](const QString& text) { boxes << text; });
        window.serialLink().mapping().setExplicit(1, QStringLiteral("bench"));
        window.FormCreate();
        window.timer1()->stop();
        ParameterSet& set = window.parameterSet();
        set.setCurvePointCount(15);
        for (int i = 0; i < kCurvePoints; ++i) set.setCurveRpm(i, static_cast<std::uint8_t>(10 * (i + 1)));
        set.validate();
        window.refreshWindow();
        port->setTelemetry({BenchPort::telemetryAt(5000)});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();

        PaintCounter counter;
        for (int i = 0; i < kCurvePoints; ++i) {
            counter.watched << window.rpmEdits()[static_cast<std::size_t>(i)]
                            << window.advanceEdits()[static_cast<std::size_t>(i)];
        }
        qApp->installEventFilter(&counter);
        auto tick = [&](int n) {
            for (int i = 0; i < n; ++i) {
                window.Timer1Timer();
                QCoreApplication::processEvents();
            }
        };

        tick(12);
        QCOMPARE(window.exchange().liveRow().row, 4);
        QVERIFY(!window.exchange().liveRow().none);
        QVERIFY(counter.paints.value(window.rpmEdits()[4]) > 0);  // the count sees paints

        counter.paints.clear();
        tick(120);  // twenty frames, the row unchanged
        QCOMPARE(counter.total(), 0);

        port->setTelemetry({BenchPort::telemetryAt(9000)});
        tick(12);
        QCOMPARE(window.exchange().liveRow().row, 8);
        // Exactly the boxes of the two rows whose colour changed were painted.
        for (QWidget* box : counter.paints.keys()) {
            const bool row4 = box == window.rpmEdits()[4] || box == window.advanceEdits()[4];
            const bool row8 = box == window.rpmEdits()[8] || box == window.advanceEdits()[8];
            QVERIFY2(row4 || row8, qPrintable(box->objectName()));
        }
        QVERIFY(counter.paints.value(window.rpmEdits()[8]) > 0);
        QVERIFY(counter.paints.value(window.advanceEdits()[4]) > 0);
        qApp->removeEventFilter(&counter);
        QVERIFY(boxes.isEmpty());
    }
    if (hadPrevious)
        qputenv("XDG_CONFIG_HOME", previous);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QTEST_MAIN(TestBenchSupport)
#include "tst_bench_support.moc"
