#include <QtTest>
#include <algorithm>
#include <bit>
#include <vector>

#include "EngineModel.h"
#include "SimOptions.h"
#include "UnitSimulator.h"
#include "model/ParameterSet.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The test's own frame arithmetic, independent of the simulator's.
Bytes frameOf(std::uint8_t command, const Bytes& payload = Bytes(50, 0)) {
    Bytes f(52, 0);
    f[0] = command;
    std::copy(payload.begin(), payload.end(), f.begin() + 1);
    std::uint8_t check = 0xFF;
    for (int i = 0; i < 51; ++i) check ^= f[static_cast<std::size_t>(i)];
    f[51] = check;
    return f;
}

bool xorIsFF(const Bytes& f, std::size_t at = 0) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < 52; ++i) x ^= f[at + i];
    return x == 0xFF;
}

Bytes payloadOf(const Bytes& f, std::size_t at = 0) {
    return Bytes(f.begin() + static_cast<long>(at) + 1, f.begin() + static_cast<long>(at) + 51);
}

int word(const Bytes& f, std::size_t at) { return f[at] | (f[at + 1] << 8); }

Bytes defaultBlock() {
    const ParameterSet set;
    const auto b = set.block(1);
    return Bytes(b.begin(), b.end());
}

UnitFaults instant() {
    UnitFaults f;
    f.lineTime = false;
    return f;
}

// Sends one request and collects what comes back within 50 ms of the unit's clock.
Bytes ask(UnitSimulator& unit, const Bytes& request, std::int64_t waitMs = 50) {
    unit.receive(request);
    unit.advance(waitMs);
    return unit.takeOutput();
}

Bytes someBlock() {
    Bytes b = defaultBlock();
    b[ImageByte::limiter - 50] = 110;
    b[ImageByte::pilotLight - 50] = 90;
    b[ImageByte::curvePointCount - 50] = 3;
    b[ImageByte::curveRpm - 50] = 10;
    b[ImageByte::curveRpm - 50 + 1] = 30;
    b[ImageByte::curveRpm - 50 + 2] = 90;
    b[ImageByte::curveAdvance - 50] = 5;
    b[ImageByte::curveAdvance - 50 + 1] = 25;
    b[ImageByte::curveAdvance - 50 + 2] = 35;
    b[57 - 50] = 0xA5;  // spare bytes travel like the others
    b[69 - 50] = 0x5A;
    return b;
}

std::span<const std::uint8_t, 50> asBlock(const Bytes& b) { return std::span<const std::uint8_t, 50>(b.data(), 50); }

// Every piece the unit puts on the line for one request, with its time after the request.
struct Piece {
    std::int64_t atUs;
    Bytes bytes;
    bool operator==(const Piece&) const = default;
};

std::vector<Piece> piecesFor(UnitSimulator& unit, const Bytes& request) {
    const std::int64_t t0 = unit.nowUs();
    unit.receive(request);
    std::vector<Piece> pieces;
    while (const auto due = unit.nextDueUs()) {
        unit.advanceTo(*due);
        pieces.push_back({*due - t0, unit.takeOutput()});
    }
    // The next request comes well after the line has gone quiet.
    unit.advance(100);
    return pieces;
}

Bytes joined(const std::vector<Piece>& pieces) {
    Bytes all;
    for (const Piece& p : pieces) all.insert(all.end(), p.bytes.begin(), p.bytes.end());
    return all;
}

int bitsDiffering(const Bytes& a, const Bytes& b) {
    int n = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += std::popcount(static_cast<unsigned>(a[i] ^ b[i]));
    return n;
}

// A block that differs from the one before in a few bytes, so that each request is told apart.
Bytes numberedBlock(int n) {
    Bytes b = someBlock();
    b[57 - 50] = static_cast<std::uint8_t>(n);
    b[58 - 50] = static_cast<std::uint8_t>(n >> 8);
    return b;
}

// What happened to each of a run of program requests under the given faults.
struct RunRecord {
    std::vector<std::vector<Piece>> answers;
    std::vector<Bytes> stored;  // the unit's block after each request
    bool operator==(const RunRecord&) const = default;
};

RunRecord runRequests(const UnitFaults& faults, int count, std::uint8_t command = 0x01) {
    UnitSimulator unit(faults);
    RunRecord r;
    for (int n = 0; n < count; ++n) {
        r.answers.push_back(piecesFor(unit, frameOf(command, numberedBlock(n))));
        r.stored.emplace_back(unit.parameterBlock().begin(), unit.parameterBlock().end());
    }
    return r;
}

}  // namespace

class TestUnitSim : public QObject {
    Q_OBJECT

private slots:
    void frameOracle();
    void blockAnswers_data();
    void blockAnswers();
    void programStoresBlock();
    void headerFields();
    void unknownAndBadRequests();
    void chunkedInput_data();
    void chunkedInput();
    void resynchronisation();
    void lineTime();
    void faultDropAndBadCheck();
    void faultRandomDrop();
    void faultDuplicateLateNoAnswer();
    void faultEchoMismatchOnce();
    void lossyLoss();
    void lossyFlips();
    void lossyRequestFlips();
    void lossyDuplicateAndLate();
    void lossySplit_data();
    void lossySplit();
    void lossyJunk();
    void lossyProfiles();
    void lossyOptions();
    void describeState();
    void programmingCount();
    void telemetryFrameLayout();
    void telemetrySweep();
    void curveInterpolation_data();
    void curveInterpolation();
    void switchInputs();
    void polarity();
    void logEvents();
    void options();
    void optionErrors_data();
    void optionErrors();
};

void TestUnitSim::frameOracle() {
    const Bytes poll = frameOf(0x30);
    QCOMPARE(poll[51], std::uint8_t{0xCF});
    QVERIFY(xorIsFF(poll));
}

void TestUnitSim::blockAnswers_data() {
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("header");
    QTest::newRow("program header 0x00") << 0x00 << 0x80 << true;
    QTest::newRow("read header 0x40") << 0x40 << 0xC0 << true;
    QTest::newRow("read parameters 0x41") << 0x41 << 0xC1 << false;
}

void TestUnitSim::blockAnswers() {
    QFETCH(int, request);
    QFETCH(int, answer);
    QFETCH(bool, header);
    UnitSimulator unit(instant());
    // Whatever the tool carries in a header or read request is not taken in.
    Bytes junkPayload(50, 0x77);
    const Bytes out = ask(unit, frameOf(static_cast<std::uint8_t>(request), junkPayload));
    QCOMPARE(out.size(), std::size_t{52});
    Bytes expectedPayload;
    if (header) {
        expectedPayload = Bytes(50, 0);
        const std::uint8_t id[] = {'V', 'L', 'M', 12, 14, 35, 24, 9, 30, 1, 41};
        std::copy(std::begin(id), std::end(id), expectedPayload.begin());
    } else {
        expectedPayload = defaultBlock();
    }
    QCOMPARE(out, frameOf(static_cast<std::uint8_t>(answer), expectedPayload));
    QVERIFY(xorIsFF(out));
    QCOMPARE(Bytes(unit.parameterBlock().begin(), unit.parameterBlock().end()), defaultBlock());
}

void TestUnitSim::programStoresBlock() {
    UnitSimulator unit(instant());
    const Bytes block = someBlock();
    const Bytes echo = ask(unit, frameOf(0x01, block));
    QCOMPARE(echo, frameOf(0x81, block));
    QCOMPARE(Bytes(unit.parameterBlock().begin(), unit.parameterBlock().end()), block);
    // And it is what a read gets afterwards, spare bytes included.
    QCOMPARE(ask(unit, frameOf(0x41)), frameOf(0xC1, block));
}

void TestUnitSim::headerFields() {
    {
        UnitSimulator unit(instant());
        QCOMPARE(unit.header()[9], std::uint8_t{1});
        QCOMPARE(unit.header()[10], std::uint8_t{41});
        Bytes block = defaultBlock();
        block[ImageByte::noReading - 50] = 1;
        ask(unit, frameOf(0x01, block));
        const Bytes out = ask(unit, frameOf(0x40));
        QCOMPARE(out[1 + 9], std::uint8_t{0});  // the stored "No Reading" refuses reading
        QVERIFY(xorIsFF(out));
        block[ImageByte::noReading - 50] = 0;
        ask(unit, frameOf(0x01, block));
        QCOMPARE(ask(unit, frameOf(0x40))[1 + 9], std::uint8_t{1});
    }
    {
        UnitFaults faults = instant();
        faults.readProtected = true;
        faults.imageVersion = 40;
        UnitSimulator unit(faults);
        const Bytes out = ask(unit, frameOf(0x00));
        QCOMPARE(out[0], std::uint8_t{0x80});
        QCOMPARE(out[1 + 9], std::uint8_t{0});
        QCOMPARE(out[1 + 10], std::uint8_t{40});
        QVERIFY(xorIsFF(out));
    }
    {
        // The header decodes to a valid month and time.
        UnitSimulator unit(instant());
        HeaderTexts texts;
        texts.decodeHeader(unit.header());
        QCOMPARE(QString::fromLatin1(texts.versionText().data(), 5), QStringLiteral("VLM12"));
        QCOMPARE(QString::fromLatin1(texts.dateText().data(), static_cast<int>(texts.dateText().size())),
                 QStringLiteral("14. 4.2024"));
        QCOMPARE(QString::fromLatin1(texts.timeText().data(), static_cast<int>(texts.timeText().size())),
                 QStringLiteral("09:30"));
    }
}

void TestUnitSim::unknownAndBadRequests() {
    UnitSimulator unit(instant());
    Bytes bad = frameOf(0x41);
    bad[51] ^= 0x10;
    QVERIFY(ask(unit, bad).empty());
    QCOMPARE(unit.badFrames(), std::uint64_t{1});
    // Valid check bytes but commands the unit does not have.
    for (std::uint8_t command : {std::uint8_t{0x02}, std::uint8_t{0x42}, std::uint8_t{0x31}, std::uint8_t{0xB0}})
        QVERIFY(ask(unit, frameOf(command)).empty());
    QCOMPARE(unit.framesReceived(), std::uint64_t{0});
    // Still in step afterwards.
    QCOMPARE(ask(unit, frameOf(0x40)).size(), std::size_t{52});
    QCOMPARE(unit.framesReceived(), std::uint64_t{1});
}

void TestUnitSim::chunkedInput_data() {
    QTest::addColumn<std::vector<int>>("chunks");
    QTest::newRow("byte by byte") << std::vector<int>{1};
    QTest::newRow("sevens") << std::vector<int>{7};
    QTest::newRow("51 then 1") << std::vector<int>{51, 1};
    QTest::newRow("whole frames") << std::vector<int>{52};
    QTest::newRow("53s") << std::vector<int>{53};
    QTest::newRow("mixed") << std::vector<int>{3, 60, 1, 40, 52};
    QTest::newRow("all at once") << std::vector<int>{156};
}

void TestUnitSim::chunkedInput() {
    QFETCH(std::vector<int>, chunks);
    UnitSimulator unit(instant());
    const Bytes block = someBlock();
    Bytes stream = frameOf(0x40);
    const Bytes second = frameOf(0x01, block);
    const Bytes third = frameOf(0x41);
    stream.insert(stream.end(), second.begin(), second.end());
    stream.insert(stream.end(), third.begin(), third.end());

    std::size_t at = 0;
    std::size_t k = 0;
    while (at < stream.size()) {
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(chunks[k % chunks.size()]), stream.size() - at);
        unit.receive(std::span<const std::uint8_t>(stream.data() + at, n));
        at += n;
        ++k;
    }
    unit.advance(10);
    const Bytes out = unit.takeOutput();
    QCOMPARE(out.size(), std::size_t{156});
    QCOMPARE(out[0], std::uint8_t{0xC0});
    QCOMPARE(Bytes(out.begin() + 52, out.begin() + 104), frameOf(0x81, block));
    QCOMPARE(Bytes(out.begin() + 104, out.end()), frameOf(0xC1, block));
    QCOMPARE(unit.skippedBytes(), std::uint64_t{0});
}

void TestUnitSim::resynchronisation() {
    {
        // Junk before a frame, including bytes that look like answers and request bytes.
        UnitSimulator unit(instant());
        Bytes stream = {0xB0, 0x00, 0x41, 0x13, 0xFF, 0x30};
        const Bytes f = frameOf(0x41);
        stream.insert(stream.end(), f.begin(), f.end());
        const Bytes out = ask(unit, stream);
        QCOMPARE(out, frameOf(0xC1, defaultBlock()));
        QCOMPARE(unit.skippedBytes(), std::uint64_t{6});
    }
    {
        // A frame with a flipped bit, then a good one in the same chunk: only the good one is answered.
        UnitSimulator unit(instant());
        Bytes stream = frameOf(0x40);
        stream[20] ^= 0x04;
        const Bytes good = frameOf(0x41);
        stream.insert(stream.end(), good.begin(), good.end());
        const Bytes out = ask(unit, stream);
        QCOMPARE(out, frameOf(0xC1, defaultBlock()));
        QCOMPARE(unit.badFrames(), std::uint64_t{1});
    }
    {
        // A lost byte leaves a short frame; after a pause the next request stands alone.
        UnitSimulator unit(instant());
        Bytes shortFrame = frameOf(0x30);
        shortFrame.erase(shortFrame.begin() + 10);
        QVERIFY(ask(unit, shortFrame, 100).empty());
        QCOMPARE(ask(unit, frameOf(0x40)).size(), std::size_t{52});
        QCOMPARE(unit.skippedBytes(), std::uint64_t{51});
        QCOMPARE(unit.badFrames(), std::uint64_t{0});  // dropped whole, never taken for a frame
    }
    {
        // Without a pause the remains are slid over byte by byte, and the frame is still found.
        UnitSimulator unit(instant());
        Bytes stream = frameOf(0x30);
        stream.erase(stream.begin() + 10);
        const Bytes f = frameOf(0x40);
        stream.insert(stream.end(), f.begin(), f.end());
        const Bytes out = ask(unit, stream);
        QCOMPARE(out.size(), std::size_t{52});
        QCOMPARE(out[0], std::uint8_t{0xC0});
        QCOMPARE(unit.badFrames(), std::uint64_t{1});
        QCOMPARE(unit.skippedBytes(), std::uint64_t{51});
    }
    {
        // A frame split by a pause shorter than the gap limit is still one frame.
        UnitSimulator unit(instant());
        const Bytes f = frameOf(0x41);
        unit.receive(std::span<const std::uint8_t>(f.data(), 20));
        unit.advanceUs(FrameAssembler::kResyncGapUs);
        unit.receive(std::span<const std::uint8_t>(f.data() + 20, 32));
        unit.advance(1);
        QCOMPARE(unit.takeOutput().size(), std::size_t{52});
    }
}

void TestUnitSim::lineTime() {
    QCOMPARE(UnitSimulator::kFrameTimeUs, std::int64_t{9028});
    UnitSimulator unit;  // line time is modelled by default
    QVERIFY(unit.faults().lineTime);
    unit.advance(1000);
    const std::int64_t t0 = unit.nowUs();
    unit.receive(frameOf(0x41));
    QCOMPARE(unit.nextDueUs().value(), t0 + 2 * UnitSimulator::kFrameTimeUs);
    unit.advanceUs(2 * UnitSimulator::kFrameTimeUs - 1);
    QVERIFY(unit.takeOutput().empty());
    unit.advanceUs(1);
    QCOMPARE(unit.takeOutput().size(), std::size_t{52});

    // Two requests back to back: each waits for its own line time, the answers follow each other.
    const std::int64_t t1 = unit.nowUs();
    Bytes two = frameOf(0x40);
    const Bytes f = frameOf(0x41);
    two.insert(two.end(), f.begin(), f.end());
    unit.receive(two);
    unit.advanceUs(2 * UnitSimulator::kFrameTimeUs);
    QCOMPARE(unit.takeOutput().size(), std::size_t{52});
    QCOMPARE(unit.nextDueUs().value(), t1 + 3 * UnitSimulator::kFrameTimeUs);
    unit.advanceUs(UnitSimulator::kFrameTimeUs);
    QCOMPARE(unit.takeOutput()[0], std::uint8_t{0xC1});

    UnitSimulator quick(instant());
    quick.receive(frameOf(0x41));
    QCOMPARE(quick.takeOutput().size(), std::size_t{52});
}

void TestUnitSim::faultDropAndBadCheck() {
    UnitFaults faults = instant();
    faults.dropEvery = 3;
    faults.badCheckEvery = 2;
    UnitSimulator unit(faults);
    for (int n = 1; n <= 12; ++n) {
        const Bytes out = ask(unit, frameOf(0x41));
        if (n % 3 == 0) {
            QVERIFY2(out.empty(), qPrintable(QString::number(n)));
            continue;
        }
        QCOMPARE(out.size(), std::size_t{52});
        QCOMPARE(xorIsFF(out), n % 2 != 0);
        QCOMPARE(payloadOf(out), defaultBlock());  // the content stays right
    }
    QCOMPARE(unit.answersLost(), std::uint64_t{4});
}

void TestUnitSim::faultRandomDrop() {
    auto pattern = [](int percent, std::uint32_t seed) {
        UnitFaults faults = instant();
        faults.dropPercent = percent;
        faults.seed = seed;
        UnitSimulator unit(faults);
        std::vector<bool> lost;
        for (int n = 0; n < 200; ++n) lost.push_back(ask(unit, frameOf(0x30)).empty());
        return lost;
    };
    const auto a = pattern(30, 7);
    QCOMPARE(pattern(30, 7), a);  // a seed repeats the run
    QVERIFY(pattern(30, 8) != a);
    const auto lostCount = std::count(a.begin(), a.end(), true);
    QVERIFY2(lostCount > 30 && lostCount < 90, qPrintable(QString::number(lostCount)));
    const auto none = pattern(0, 7);
    QCOMPARE(std::count(none.begin(), none.end(), true), 0);
    const auto all = pattern(100, 7);
    QCOMPARE(std::count(all.begin(), all.end(), true), 200);
}

void TestUnitSim::faultDuplicateLateNoAnswer() {
    {
        UnitFaults faults;
        faults.duplicate = true;
        UnitSimulator unit(faults);
        unit.receive(frameOf(0x41));
        unit.advanceUs(2 * UnitSimulator::kFrameTimeUs);
        const Bytes first = unit.takeOutput();
        QCOMPARE(first, frameOf(0xC1, defaultBlock()));
        unit.advanceUs(UnitSimulator::kFrameTimeUs - 1);
        QVERIFY(unit.takeOutput().empty());
        unit.advanceUs(1);
        QCOMPARE(unit.takeOutput(), first);

        // The copies keep the line busy: the answer to a request right behind waits for them.
        const std::int64_t t0 = unit.nowUs();
        Bytes two = frameOf(0x40);
        const Bytes f = frameOf(0x41);
        two.insert(two.end(), f.begin(), f.end());
        unit.receive(two);
        std::vector<std::pair<std::int64_t, std::uint8_t>> arrivals;
        while (const auto due = unit.nextDueUs()) {
            unit.advanceTo(*due);
            const Bytes out = unit.takeOutput();
            QCOMPARE(out.size(), std::size_t{52});
            arrivals.emplace_back(*due - t0, out[0]);
        }
        const std::int64_t F = UnitSimulator::kFrameTimeUs;
        const std::vector<std::pair<std::int64_t, std::uint8_t>> expected = {
            {2 * F, 0xC0}, {3 * F, 0xC0}, {4 * F, 0xC1}, {5 * F, 0xC1}};
        QCOMPARE(arrivals, expected);
    }
    {
        UnitFaults faults;
        faults.lateMs = 300;
        UnitSimulator unit(faults);
        unit.receive(frameOf(0x40));
        unit.advanceUs(300'000 + 2 * UnitSimulator::kFrameTimeUs - 1);
        QVERIFY(unit.takeOutput().empty());
        // A resend while the first answer is still on its way: both answers come, each late.
        unit.receive(frameOf(0x40));
        unit.advanceUs(1);
        QCOMPARE(unit.takeOutput().size(), std::size_t{52});
        unit.advance(300);
        QVERIFY(unit.takeOutput().empty());
        unit.advance(20);
        QCOMPARE(unit.takeOutput().size(), std::size_t{52});
    }
    {
        UnitFaults faults = instant();
        faults.noAnswer = true;
        UnitSimulator unit(faults);
        QVERIFY(ask(unit, frameOf(0x30)).empty());
        QVERIFY(ask(unit, frameOf(0x01, someBlock())).empty());
        QVERIFY(!unit.nextDueUs());
        // The unit still took the block in.
        QCOMPARE(Bytes(unit.parameterBlock().begin(), unit.parameterBlock().end()), someBlock());
        QCOMPARE(unit.answersLost(), std::uint64_t{2});
    }
}

void TestUnitSim::faultEchoMismatchOnce() {
    UnitFaults faults = instant();
    faults.echoMismatchOnce = true;
    UnitSimulator unit(faults);
    const Bytes block = someBlock();
    // Other answers are not touched.
    QCOMPARE(ask(unit, frameOf(0x41)), frameOf(0xC1, defaultBlock()));
    const Bytes first = ask(unit, frameOf(0x01, block));
    QCOMPARE(first.size(), std::size_t{52});
    QCOMPARE(first[0], std::uint8_t{0x81});
    QVERIFY(xorIsFF(first));  // a well-formed frame with the wrong content
    const Bytes echoed = payloadOf(first);
    int differing = 0;
    for (std::size_t i = 0; i < 50; ++i) differing += echoed[i] != block[i];
    QCOMPARE(differing, 1);
    // What was stored is right; the next echo is right.
    QCOMPARE(Bytes(unit.parameterBlock().begin(), unit.parameterBlock().end()), block);
    QCOMPARE(ask(unit, frameOf(0x01, block)), frameOf(0x81, block));
    QCOMPARE(ask(unit, frameOf(0x01, block)), frameOf(0x81, block));
}

void TestUnitSim::lossyLoss() {
    UnitFaults faults = instant();
    faults.lossPpm = 300'000;
    faults.seed = 11;
    const int count = 400;
    const RunRecord r = runRequests(faults, count);
    QCOMPARE(runRequests(faults, count), r);  // a seed repeats the run
    int requestLost = 0;
    int answerLost = 0;
    Bytes before = defaultBlock();
    for (int n = 0; n < count; ++n) {
        const Bytes sent = numberedBlock(n);
        if (r.answers[n].empty()) {
            // Either the unit never saw the block, or it stored it and the answer was lost.
            if (r.stored[n] == before)
                ++requestLost;
            else if (r.stored[n] == sent)
                ++answerLost;
            else
                QFAIL("the unit stored a block that was not sent");
        } else {
            QCOMPARE(joined(r.answers[n]), frameOf(0x81, sent));
            QCOMPARE(r.stored[n], sent);
        }
        before = r.stored[n];
    }
    // About 15 % each; far outside that the draw would be broken.
    QVERIFY2(requestLost > 30 && requestLost < 90, qPrintable(QString::number(requestLost)));
    QVERIFY2(answerLost > 30 && answerLost < 90, qPrintable(QString::number(answerLost)));

    UnitSimulator unit(faults);
    for (int n = 0; n < count; ++n) piecesFor(unit, frameOf(0x01, numberedBlock(n)));
    QCOMPARE(unit.faultCounts().requestsLost, std::uint64_t(requestLost));
    QCOMPARE(unit.faultCounts().answersLostOnLine, std::uint64_t(answerLost));
    QCOMPARE(unit.answersLost(), std::uint64_t(answerLost));
    QCOMPARE(unit.framesReceived(), std::uint64_t(count - requestLost));
    QCOMPARE(unit.programmingCount(), std::uint16_t(count - requestLost));

    faults.seed = 12;
    QVERIFY(runRequests(faults, count) != r);
    faults.lossPpm = UnitFaults::kPpm;
    for (const auto& a : runRequests(faults, 50).answers) QVERIFY(a.empty());
}

void TestUnitSim::lossyFlips() {
    UnitFaults faults = instant();
    faults.flipPpm = UnitFaults::kPpm;  // every answer
    faults.seed = 5;
    const int count = 800;
    UnitSimulator unit(faults);
    int single = 0;
    int doubleSeen = 0;
    int doubleUnseen = 0;
    for (int n = 0; n < count; ++n) {
        const Bytes sent = numberedBlock(n);
        const Bytes out = joined(piecesFor(unit, frameOf(0x01, sent)));
        QCOMPARE(out.size(), std::size_t{52});
        // The unit stored what arrived; only the answer was hit.
        QCOMPARE(Bytes(unit.parameterBlock().begin(), unit.parameterBlock().end()), sent);
        const Bytes truth = frameOf(0x81, sent);
        const int bits = bitsDiffering(out, truth);
        QVERIFY2(bits == 1 || bits == 2, qPrintable(QString::number(bits)));
        if (bits == 1) {
            QVERIFY(!xorIsFF(out));
            ++single;
        } else if (xorIsFF(out)) {
            // A flip the check byte misses: the same bit of two different bytes.
            std::vector<std::size_t> hit;
            for (std::size_t i = 0; i < 52; ++i)
                if (out[i] != truth[i]) hit.push_back(i);
            QCOMPARE(hit.size(), std::size_t{2});
            QCOMPARE(out[hit[0]] ^ truth[hit[0]], out[hit[1]] ^ truth[hit[1]]);
            ++doubleUnseen;
        } else {
            ++doubleSeen;
        }
    }
    QCOMPARE(unit.faultCounts().answersFlipped, std::uint64_t(count));
    QCOMPARE(unit.faultCounts().answersFlippedUnseen, std::uint64_t(doubleUnseen));
    // Half single, half double; of the double, a little over half unseen (1/2 + 1/2 * 1/8).
    QVERIFY2(single > 320 && single < 480, qPrintable(QString::number(single)));
    QVERIFY2(doubleUnseen > 170 && doubleUnseen < 280, qPrintable(QString::number(doubleUnseen)));
    QVERIFY(doubleSeen > 100);

    // At 10 % about one answer in ten is touched, and the rest go out intact.
    faults.flipPpm = 100'000;
    UnitSimulator some(faults);
    int touched = 0;
    for (int n = 0; n < 500; ++n) touched += ask(some, frameOf(0x41)) != frameOf(0xC1, defaultBlock());
    QCOMPARE(some.faultCounts().answersFlipped, std::uint64_t(touched));
    QVERIFY2(touched > 25 && touched < 80, qPrintable(QString::number(touched)));
}

void TestUnitSim::lossyRequestFlips() {
    UnitFaults faults = instant();
    faults.flipRequestsPpm = UnitFaults::kPpm;
    faults.seed = 9;
    const int count = 600;
    UnitSimulator unit(faults);
    int ignored = 0;
    int takenCorrupted = 0;
    Bytes before = defaultBlock();
    for (int n = 0; n < count; ++n) {
        const Bytes sent = numberedBlock(n);
        const Bytes out = joined(piecesFor(unit, frameOf(0x01, sent)));
        const Bytes stored(unit.parameterBlock().begin(), unit.parameterBlock().end());
        if (out.empty()) {
            // The unit saw the damage (or no command it knows) and kept its block.
            QCOMPARE(stored, before);
            ++ignored;
        } else {
            // An unseen flip: the unit took in a block that differs from the one sent in the
            // same bit of two bytes of the frame, and answers as for any request it received.
            QVERIFY(xorIsFF(out));
            if (out[0] == 0x81) {
                QCOMPARE(payloadOf(out), stored);
                // Two bits of the payload, or one when the other flip hit the check byte.
                const int bits = bitsDiffering(stored, sent);
                QVERIFY2(bits == 1 || bits == 2, qPrintable(QString::number(bits)));
            } else {
                QVERIFY2(out[0] == 0xC1, qPrintable(QString::number(out[0], 16)));  // bit 6 hit with another byte
            }
            ++takenCorrupted;
        }
        before = stored;
    }
    QCOMPARE(unit.faultCounts().requestsFlipped, std::uint64_t(count));
    QCOMPARE(unit.badFrames() + unit.framesReceived(), std::uint64_t(count));
    QVERIFY(unit.faultCounts().requestsFlippedUnseen >= std::uint64_t(takenCorrupted));
    QVERIFY2(takenCorrupted > 100 && takenCorrupted < 250, qPrintable(QString::number(takenCorrupted)));
    QVERIFY(ignored > 300);
}

void TestUnitSim::lossyDuplicateAndLate() {
    {
        UnitFaults faults = instant();
        faults.dupPpm = 250'000;
        faults.seed = 3;
        const RunRecord r = runRequests(faults, 400, 0x41);
        int twice = 0;
        for (const auto& pieces : r.answers) {
            const Bytes out = joined(pieces);
            if (out.size() == 104) {
                QCOMPARE(Bytes(out.begin(), out.begin() + 52), frameOf(0xC1, defaultBlock()));
                QCOMPARE(Bytes(out.begin() + 52, out.end()), frameOf(0xC1, defaultBlock()));
                ++twice;
            } else {
                QCOMPARE(out, frameOf(0xC1, defaultBlock()));
            }
        }
        QVERIFY2(twice > 60 && twice < 140, qPrintable(QString::number(twice)));
        QCOMPARE(runRequests(faults, 400, 0x41), r);
    }
    {
        UnitFaults faults;  // line time modelled: an answer is due after two frame times
        faults.lateRandomPpm = 500'000;
        faults.lateRandomMaxMs = 40;
        faults.seed = 4;
        UnitSimulator unit(faults);
        int late = 0;
        std::int64_t longest = 0;
        for (int n = 0; n < 300; ++n) {
            const auto pieces = piecesFor(unit, frameOf(0x30));
            QCOMPARE(pieces.size(), std::size_t{1});
            const std::int64_t extra = pieces[0].atUs - 2 * UnitSimulator::kFrameTimeUs;
            QVERIFY(extra == 0 || (extra >= 1000 && extra <= 40'000 && extra % 1000 == 0));
            late += extra > 0;
            longest = std::max(longest, extra);
        }
        QCOMPARE(unit.faultCounts().answersLate, std::uint64_t(late));
        QVERIFY2(late > 110 && late < 190, qPrintable(QString::number(late)));
        QVERIFY(longest > 30'000);
    }
}

void TestUnitSim::lossySplit_data() {
    QTest::addColumn<bool>("lineTime");
    QTest::newRow("line time modelled") << true;
    QTest::newRow("instant answers") << false;
}

void TestUnitSim::lossySplit() {
    QFETCH(bool, lineTime);
    UnitFaults faults;
    faults.lineTime = lineTime;
    faults.split = true;
    faults.seed = 21;
    UnitSimulator unit(faults);
    const std::int64_t F = UnitSimulator::kFrameTimeUs;
    std::size_t mostPieces = 0;
    for (int n = 0; n < 50; ++n) {
        const Bytes sent = numberedBlock(n);
        const auto pieces = piecesFor(unit, frameOf(0x01, sent));
        QCOMPARE(joined(pieces), frameOf(0x81, sent));
        QVERIFY(pieces.size() >= 52 / FaultPlan::kMaxPiece);
        mostPieces = std::max(mostPieces, pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            QVERIFY(!pieces[i].bytes.empty() && pieces[i].bytes.size() <= std::size_t(FaultPlan::kMaxPiece));
            if (i > 0) QVERIFY(pieces[i].atUs > pieces[i - 1].atUs);  // each piece a write of its own
        }
        if (lineTime) {
            // The last byte arrives when the whole frame would have, the first ones earlier.
            QCOMPARE(pieces.back().atUs, 2 * F);
            QVERIFY(pieces.front().atUs > F && pieces.front().atUs < 2 * F);
        } else {
            QCOMPARE(pieces.front().atUs, std::int64_t{0});
            QCOMPARE(pieces.back().atUs, FaultPlan::kSplitGapUs * std::int64_t(pieces.size() - 1));
        }
    }
    QVERIFY(mostPieces > 10);
    QCOMPARE(unit.faultCounts().answersSplit, std::uint64_t{50});

    // A duplicated answer goes out in pieces again, after the first copy.
    faults.duplicate = true;
    UnitSimulator twice(faults);
    const auto pieces = piecesFor(twice, frameOf(0x41));
    const Bytes out = joined(pieces);
    QCOMPARE(out.size(), std::size_t{104});
    QCOMPARE(Bytes(out.begin() + 52, out.end()), frameOf(0xC1, defaultBlock()));
}

void TestUnitSim::lossyJunk() {
    UnitFaults faults;
    faults.junkPpm = 500'000;
    faults.seed = 8;
    UnitSimulator unit(faults);
    const std::int64_t F = UnitSimulator::kFrameTimeUs;
    int withJunk = 0;
    for (int n = 0; n < 200; ++n) {
        const auto pieces = piecesFor(unit, frameOf(0x41));
        const Bytes out = joined(pieces);
        const Bytes answer = frameOf(0xC1, defaultBlock());
        QVERIFY(out.size() >= 52 && out.size() <= 52 + std::size_t(FaultPlan::kMaxJunk));
        // The answer itself is intact, behind the junk.
        QCOMPARE(Bytes(out.end() - 52, out.end()), answer);
        const auto junk = static_cast<std::int64_t>(out.size() - 52);
        if (junk > 0) {
            ++withJunk;
            QCOMPARE(pieces.size(), std::size_t{2});
            QCOMPARE(pieces[0].bytes.size(), std::size_t(junk));
            // The junk holds the line: the answer comes that many byte times later.
            QCOMPARE(pieces[0].atUs, 2 * F);
            QCOMPARE(pieces[1].atUs, 2 * F + junk * FaultPlan::kByteTimeUs);
        } else {
            QCOMPARE(pieces.size(), std::size_t{1});
            QCOMPARE(pieces[0].atUs, 2 * F);
        }
    }
    QCOMPARE(unit.faultCounts().junkBursts, std::uint64_t(withJunk));
    QVERIFY2(withJunk > 70 && withJunk < 130, qPrintable(QString::number(withJunk)));
}

void TestUnitSim::lossyProfiles() {
    UnitFaults five;
    QVERIFY(SimOptions::applyProfile("loss5", five));
    UnitFaults twenty;
    QVERIFY(SimOptions::applyProfile("loss20", twenty));
    auto disturbed = [](const UnitFaults& f) {
        return f.lossPpm + f.flipPpm + f.flipRequestsPpm + f.dupPpm + f.lateRandomPpm + f.junkPpm;
    };
    QCOMPARE(disturbed(five), 50'000);
    QCOMPARE(disturbed(twenty), 200'000);
    QVERIFY(five.split && twenty.split);
    QCOMPARE(five.lateRandomMaxMs, SimOptions::kProfileLateMaxMs);
    UnitFaults clean = twenty;
    QVERIFY(SimOptions::applyProfile("clean", clean));
    QCOMPARE(disturbed(clean), 0);
    QVERIFY(!clean.split);
    QVERIFY(!SimOptions::applyProfile("loss50", clean));

    // A profile run repeats with its seed, and about the named share of exchanges is hit.
    auto run = [](UnitFaults f, std::uint32_t seed) {
        f.seed = seed;
        f.lineTime = false;
        UnitSimulator unit(f);
        std::vector<Bytes> outs;
        int hit = 0;
        for (int n = 0; n < 2000; ++n) {
            const Bytes sent = numberedBlock(n);
            const Bytes out = joined(piecesFor(unit, frameOf(0x01, sent)));
            const Bytes stored(unit.parameterBlock().begin(), unit.parameterBlock().end());
            hit += out != frameOf(0x81, sent) || stored != sent;
            outs.push_back(out);
        }
        return std::pair(outs, hit);
    };
    const auto a = run(twenty, 1);
    QCOMPARE(run(twenty, 1).first, a.first);
    QVERIFY(run(twenty, 2).first != a.first);
    // Late answers are not counted here (they still came); the rest is about 18 %.
    QVERIFY2(a.second > 260 && a.second < 460, qPrintable(QString::number(a.second)));
    const auto b = run(five, 1);
    QVERIFY2(b.second > 50 && b.second < 140, qPrintable(QString::number(b.second)));

    // Each fault draws on its own: adding junk leaves the pattern of the losses as it was.
    UnitFaults lossOnly = instant();
    lossOnly.lossPpm = 200'000;
    UnitFaults lossAndJunk = lossOnly;
    lossAndJunk.junkPpm = 300'000;
    const RunRecord x = runRequests(lossOnly, 300);
    const RunRecord y = runRequests(lossAndJunk, 300);
    QCOMPARE(y.stored, x.stored);
    for (std::size_t n = 0; n < x.answers.size(); ++n) QCOMPARE(x.answers[n].empty(), y.answers[n].empty());
}

void TestUnitSim::lossyOptions() {
    const SimOptions o =
        SimOptions::parse({"--profile", "loss5", "--loss", "2.5", "--flip=0.25", "--flip-requests", "1", "--dup", "3",
                           "--late-random", "4", "150", "--junk", "100", "--control"});
    QVERIFY2(o.error.empty(), o.error.c_str());
    QCOMPARE(o.faults.lossPpm, 25'000);
    QCOMPARE(o.faults.flipPpm, 2'500);
    QCOMPARE(o.faults.flipRequestsPpm, 10'000);
    QCOMPARE(o.faults.dupPpm, 30'000);
    QCOMPARE(o.faults.lateRandomPpm, 40'000);
    QCOMPARE(o.faults.lateRandomMaxMs, 150);
    QCOMPARE(o.faults.junkPpm, UnitFaults::kPpm);
    QVERIFY(o.faults.split);  // from the profile
    QVERIFY(o.control);

    const SimOptions inlinePair = SimOptions::parse({"--late-random=0.5,300", "--split"});
    QVERIFY2(inlinePair.error.empty(), inlinePair.error.c_str());
    QCOMPARE(inlinePair.faults.lateRandomPpm, 5'000);
    QCOMPARE(inlinePair.faults.lateRandomMaxMs, 300);
    QVERIFY(inlinePair.faults.split);

    const std::pair<std::vector<std::string>, std::string> bad[] = {
        {{"--loss", "101"}, "--loss needs a percentage 0..100, not \"101\""},
        {{"--loss", "100.0001"}, "--loss needs a percentage 0..100, not \"100.0001\""},
        {{"--flip", "0.12345"}, "--flip needs a percentage 0..100, not \"0.12345\""},
        {{"--dup", "5."}, "--dup needs a percentage 0..100, not \"5.\""},
        {{"--junk", "-1"}, "--junk needs a percentage 0..100, not \"-1\""},
        {{"--late-random", "5"}, "--late-random needs a percentage 0..100 and milliseconds 1..60000"},
        {{"--late-random", "5", "0"}, "--late-random needs a percentage 0..100 and milliseconds 1..60000, not \"5 0\""},
        {{"--late-random=5"}, "--late-random needs a percentage 0..100 and milliseconds 1..60000"},
        {{"--profile", "loss7"}, "--profile needs clean, loss5 or loss20, not \"loss7\""},
        {{"--split=1"}, "--split takes no value"},
    };
    for (const auto& [args, error] : bad) QCOMPARE(SimOptions::parse(args).error, error);

    const std::string help = SimOptions::helpText();
    for (const char* option : {"--loss P", "--flip P", "--flip-requests P", "--dup P", "--late-random P MS", "--split",
                               "--junk P", "--profile NAME", "loss5", "loss20", "--control", "state"})
        QVERIFY2(help.find(option) != std::string::npos, option);
}

void TestUnitSim::describeState() {
    UnitFaults faults = instant();
    faults.flipPpm = UnitFaults::kPpm;
    UnitSimulator unit(faults);
    unit.setProgrammingCount(7);
    const Bytes block = someBlock();
    ask(unit, frameOf(0x01, block));
    const QString line = QString::fromStdString(unit.describeState());
    const QStringList words = line.split(QLatin1Char(' '));
    QString hex;
    for (std::uint8_t b : block) hex += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    QCOMPARE(words.value(0), QStringLiteral("block=") + hex);
    QVERIFY(words.contains(QStringLiteral("programmings=8")));
    QVERIFY(words.contains(QStringLiteral("received=1")));
    QVERIFY(words.contains(QStringLiteral("answers=1")));
    QVERIFY(words.contains(QStringLiteral("answers-flipped=1")));
    QVERIFY(words.contains(QStringLiteral("requests-lost=0")));
    for (const QString& w : words) QVERIFY2(w.count(QLatin1Char('=')) == 1, qPrintable(w));
}

void TestUnitSim::programmingCount() {
    UnitSimulator unit(instant());
    unit.setProgrammingCount(0x01FE);
    QCOMPARE(word(ask(unit, frameOf(0x30)), 5), 0x01FE);
    ask(unit, frameOf(0x00));
    ask(unit, frameOf(0x41));
    QCOMPARE(word(ask(unit, frameOf(0x30)), 5), 0x01FE);  // reads and header steps do not count
    ask(unit, frameOf(0x01, someBlock()));
    QCOMPARE(word(ask(unit, frameOf(0x30)), 5), 0x01FF);
    Bytes bad = frameOf(0x01, defaultBlock());
    bad[51] ^= 1;
    ask(unit, bad);  // refused: not stored, not counted
    QCOMPARE(word(ask(unit, frameOf(0x30)), 5), 0x01FF);
    QCOMPARE(Bytes(unit.parameterBlock().begin(), unit.parameterBlock().end()), someBlock());
    ask(unit, frameOf(0x01, someBlock()));
    QCOMPARE(unit.programmingCount(), std::uint16_t{0x0200});
    QCOMPARE(word(ask(unit, frameOf(0x30)), 5), 0x0200);
}

void TestUnitSim::telemetryFrameLayout() {
    UnitSimulator unit(instant());
    unit.advance(3000);  // revving up
    const Bytes out = ask(unit, frameOf(0x30), 0);
    QCOMPARE(out.size(), std::size_t{52});
    QCOMPARE(out[0], std::uint8_t{0xB0});
    QVERIFY(xorIsFF(out));
    const EngineState s = unit.engine().state(unit.nowUs(), unit.parameterBlock());
    QCOMPARE(word(out, 1), int{s.rpm});
    QCOMPARE(word(out, 3), int{s.supplyMillivolts});
    QCOMPARE(out[31], static_cast<std::uint8_t>(s.advance + 100));
    QCOMPARE(out[32], std::uint8_t{0});
    QCOMPARE(out[42], std::uint8_t{1});
    // Diagnostics: one frame received so far (this poll), nothing bad.
    QCOMPARE(word(out, 7), 1);
    QCOMPARE(word(out, 9), 0);
    for (std::size_t i = 23; i < 31; ++i) QCOMPARE(out[i], std::uint8_t{0});
    for (std::size_t i = 43; i < 51; ++i) QCOMPARE(out[i], std::uint8_t{0});
}

void TestUnitSim::telemetrySweep() {
    UnitSimulator unit(instant());
    const ParameterSet defaults;
    const int limiter = 100 * defaults.limiter();
    const int pilot = 100 * defaults.pilotLight();
    int lowest = 1 << 20, highest = 0, alarms = 0, warnings = 0;
    int lowestMv = 1 << 20, highestMv = 0;
    int previous = -1, biggestStep = 0;
    for (int ms = 0; ms < 2 * EngineModel::kCycleMs; ms += 50) {
        const Bytes out = ask(unit, frameOf(0x30), 50);
        QCOMPARE(out.size(), std::size_t{52});
        const int rpm = word(out, 1);
        const int mv = word(out, 3);
        lowest = std::min(lowest, rpm);
        highest = std::max(highest, rpm);
        lowestMv = std::min(lowestMv, mv);
        highestMv = std::max(highestMv, mv);
        if (previous >= 0) biggestStep = std::max(biggestStep, std::abs(rpm - previous));
        previous = rpm;
        QCOMPARE(out[36] != 0, rpm >= limiter);  // rpmAlarm at the limiter
        QCOMPARE(out[39] != 0, rpm >= pilot);    // shift light
        QCOMPARE(out[42], std::uint8_t{1});      // the pick-up sees the engine turn
        QCOMPARE(out[35], std::uint8_t{0});      // no start limiter without its switch
        alarms += out[36] != 0;
        warnings += out[39] != 0;
        // The default curve: 10 degrees from 1000 to 2000 rpm and flat above the last point.
        QCOMPARE(out[31], std::uint8_t{110});
    }
    QVERIFY2(lowest >= 1150 && lowest <= 1200, qPrintable(QString::number(lowest)));
    QCOMPARE(highest, limiter);
    QVERIFY(alarms >= 2 * 1000 / 50 - 2);  // held at the limiter for a second per sweep
    QVERIFY(warnings > alarms);
    QVERIFY(biggestStep < 300);  // a sweep, not jumps
    QVERIFY2(lowestMv >= 13700 && highestMv <= 13900 && highestMv > lowestMv,
             qPrintable(QStringLiteral("%1..%2").arg(lowestMv).arg(highestMv)));

    unit.engine().setRunning(false);
    const Bytes stopped = ask(unit, frameOf(0x30), 0);
    QCOMPARE(word(stopped, 1), 0);
    QCOMPARE(stopped[42], std::uint8_t{0});
    QCOMPARE(stopped[36], std::uint8_t{0});
    QCOMPARE(stopped[31], static_cast<std::uint8_t>(100 + defaults.baseAdvance()));
}

void TestUnitSim::curveInterpolation_data() {
    QTest::addColumn<int>("rpm");
    QTest::addColumn<int>("advance");
    // Points of someBlock: 1000 rpm 5 deg, 3000 rpm 25 deg, 9000 rpm 35 deg (then unused points).
    QTest::newRow("below first") << 600 << 5;
    QTest::newRow("first") << 1000 << 5;
    QTest::newRow("between 1") << 2000 << 15;
    QTest::newRow("rounds") << 1050 << 6;  // 5.5 rounds up
    QTest::newRow("second") << 3000 << 25;
    QTest::newRow("between 2") << 6000 << 30;
    QTest::newRow("last") << 9000 << 35;
    QTest::newRow("above last") << 15000 << 35;
}

void TestUnitSim::curveInterpolation() {
    QFETCH(int, rpm);
    QFETCH(int, advance);
    const Bytes block = someBlock();
    QCOMPARE(EngineModel::curveAdvance(rpm, asBlock(block)), advance);
}

void TestUnitSim::switchInputs() {
    UnitSimulator unit(instant());
    Bytes block = someBlock();
    block[ImageByte::input1Function - 50] = EngineModel::kFunctionStartLimiter;
    block[ImageByte::input2Function - 50] = EngineModel::kFunctionRetard;
    block[ImageByte::startLimiter - 50] = 50;
    block[ImageByte::retard - 50] = 8;
    ask(unit, frameOf(0x01, block));
    unit.engine().setInputActive(1, true);
    unit.engine().setInputActive(2, true);
    bool reached = false;
    for (int ms = 0; ms < EngineModel::kCycleMs; ms += 50) {
        const Bytes out = ask(unit, frameOf(0x30), 50);
        const int rpm = word(out, 1);
        QVERIFY(rpm <= 5000);                 // held at the start limiter
        QCOMPARE(out[35] != 0, rpm >= 5000);  // start limiter flag when reached
        QCOMPARE(out[40], std::uint8_t{1});   // retard on
        QCOMPARE(out[36], std::uint8_t{0});   // the limiter is never reached
        QCOMPARE(int(out[31]) - 100, EngineModel::curveAdvance(rpm, asBlock(block)) - 8);
        reached = reached || out[35];
    }
    QVERIFY(reached);

    // Kill switch on input 1 stops the engine; blocking on input 2 likewise; clutch master flag.
    block[ImageByte::input1Function - 50] = EngineModel::kFunctionKillOrBlocking;
    block[ImageByte::input2Function - 50] = EngineModel::kFunctionClutchMaster;
    ask(unit, frameOf(0x01, block));
    Bytes out = ask(unit, frameOf(0x30));
    QCOMPARE(out[38], std::uint8_t{1});
    QCOMPARE(out[41], std::uint8_t{1});
    QCOMPARE(out[37], std::uint8_t{0});
    QCOMPARE(word(out, 1), 0);
    QCOMPARE(out[42], std::uint8_t{0});
    unit.engine().setInputActive(1, false);
    out = ask(unit, frameOf(0x30));
    QCOMPARE(out[38], std::uint8_t{0});
    QVERIFY(word(out, 1) > 0);
    block[ImageByte::input2Function - 50] = EngineModel::kFunctionKillOrBlocking;
    ask(unit, frameOf(0x01, block));
    out = ask(unit, frameOf(0x30));
    QCOMPARE(out[37], std::uint8_t{1});
    QCOMPARE(word(out, 1), 0);
}

void TestUnitSim::polarity() {
    struct Case {
        std::uint8_t configured;
        bool negative;
        bool ok;
    };
    const Case cases[] = {{0, false, true},  {0, true, false}, {1, true, true},
                          {1, false, false}, {2, true, true},  {2, false, true}};
    for (const Case& c : cases) {
        UnitSimulator unit(instant());
        Bytes block = defaultBlock();
        block[ImageByte::pickupPolarity - 50] = c.configured;
        ask(unit, frameOf(0x01, block));
        unit.engine().setPickupNegative(c.negative);
        const Bytes out = ask(unit, frameOf(0x30));
        QCOMPARE(out[33] != 0, c.negative);
        QCOMPARE(out[34] != 0, c.ok);
    }
}

void TestUnitSim::logEvents() {
    UnitFaults faults = instant();
    faults.dropEvery = 2;
    UnitSimulator unit(faults);
    std::vector<std::pair<UnitSimulator::LogEvent, Bytes>> log;
    unit.setLog([&](UnitSimulator::LogEvent e, std::int64_t, std::span<const std::uint8_t> b) {
        log.emplace_back(e, Bytes(b.begin(), b.end()));
    });
    ask(unit, frameOf(0x41));
    ask(unit, frameOf(0x40));
    Bytes bad = frameOf(0x30);
    bad[5] = 1;
    ask(unit, bad);
    QCOMPARE(log.size(), std::size_t{5});
    QCOMPARE(log[0].first, UnitSimulator::LogEvent::Received);
    QCOMPARE(log[0].second, frameOf(0x41));
    QCOMPARE(log[1].first, UnitSimulator::LogEvent::Sent);
    QCOMPARE(log[1].second, frameOf(0xC1, defaultBlock()));
    QCOMPARE(log[2].first, UnitSimulator::LogEvent::Received);
    QCOMPARE(log[3].first, UnitSimulator::LogEvent::Unanswered);
    QCOMPARE(log[3].second[0], std::uint8_t{0xC0});
    QCOMPARE(log[4].first, UnitSimulator::LogEvent::BadFrame);
    QCOMPARE(log[4].second, bad);
}

void TestUnitSim::options() {
    const SimOptions defaults = SimOptions::parse({});
    QVERIFY(defaults.error.empty());
    QVERIFY(!defaults.faults.noAnswer && !defaults.faults.duplicate && !defaults.faults.echoMismatchOnce);
    QCOMPARE(defaults.faults.badCheckEvery + defaults.faults.dropEvery + defaults.faults.dropPercent, 0);
    QCOMPARE(defaults.faults.imageVersion, std::uint8_t{41});
    QVERIFY(defaults.faults.lineTime && !defaults.verbose && !defaults.help && defaults.linkPath.empty());

    const SimOptions o = SimOptions::parse({"--no-answer",
                                            "--bad-check",
                                            "4",
                                            "--drop=5",
                                            "--drop-percent",
                                            "25",
                                            "--seed",
                                            "99",
                                            "--duplicate",
                                            "--late",
                                            "300",
                                            "--echo-mismatch-once",
                                            "--read-protected",
                                            "--image-version",
                                            "40",
                                            "--no-line-time",
                                            "--link",
                                            "/tmp/x y",
                                            "-v",
                                            "--programming-count",
                                            "7",
                                            "--input1",
                                            "--input2",
                                            "--engine-stopped",
                                            "--negative-pickup",
                                            "--help"});
    QVERIFY2(o.error.empty(), o.error.c_str());
    const UnitFaults& f = o.faults;
    QVERIFY(f.noAnswer && f.duplicate && f.echoMismatchOnce && f.readProtected && !f.lineTime);
    QCOMPARE(f.badCheckEvery, 4);
    QCOMPARE(f.dropEvery, 5);
    QCOMPARE(f.dropPercent, 25);
    QCOMPARE(f.seed, std::uint32_t{99});
    QCOMPARE(f.lateMs, 300);
    QCOMPARE(f.imageVersion, std::uint8_t{40});
    QCOMPARE(o.linkPath, std::string("/tmp/x y"));
    QCOMPARE(o.programmingCount, std::uint16_t{7});
    QVERIFY(o.verbose && o.help && o.input1 && o.input2 && o.engineStopped && o.pickupNegative);

    const std::string help = SimOptions::helpText();
    for (const char* option :
         {"--link", "--no-answer", "--bad-check", "--drop ", "--drop-percent", "--seed", "--duplicate", "--late",
          "--echo-mismatch-once", "--read-protected", "--image-version", "--line-time", "--no-line-time", "--verbose"})
        QVERIFY2(help.find(option) != std::string::npos, option);
}

void TestUnitSim::optionErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown") << QStringList{"--frobnicate"} << "unknown option \"--frobnicate\"";
    QTest::newRow("missing value") << QStringList{"--late"} << "--late needs milliseconds 0..60000";
    QTest::newRow("not a number") << QStringList{"--drop", "x"} << "--drop needs a whole number from 1, not \"x\"";
    QTest::newRow("zero period") << QStringList{"--bad-check", "0"}
                                 << "--bad-check needs a whole number from 1, not \"0\"";
    QTest::newRow("percent range") << QStringList{"--drop-percent=101"}
                                   << "--drop-percent needs a whole number 0..100, not \"101\"";
    QTest::newRow("version range") << QStringList{"--image-version", "256"}
                                   << "--image-version needs a whole number 0..255, not \"256\"";
    QTest::newRow("trailing junk") << QStringList{"--seed", "12ab"}
                                   << "--seed needs a whole number 0..4294967295, not \"12ab\"";
    QTest::newRow("flag with value") << QStringList{"--duplicate=1"} << "--duplicate takes no value";
    QTest::newRow("empty link") << QStringList{"--link="} << "--link needs a path, not \"\"";
}

void TestUnitSim::optionErrors() {
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    std::vector<std::string> argv;
    for (const QString& a : args) argv.push_back(a.toStdString());
    QCOMPARE(QString::fromStdString(SimOptions::parse(argv).error), error);
}

QTEST_GUILESS_MAIN(TestUnitSim)
#include "tst_unitsim.moc"
