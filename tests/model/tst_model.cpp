#include <QtTest>

#include "model/OperatorUnits.h"
#include "model/ParameterSet.h"

namespace {

ImageBlock headerBlock(std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    ImageBlock b{};
    for (auto [i, v] : bytes) b[static_cast<std::size_t>(i)] = v;
    return b;
}

QString str(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

class TestModel : public QObject {
    Q_OBJECT

private slots:
    void defaultsOfNewSet();
    void setDefaultsLeavesIdentityAndSpares();
    void validateCurve_data();
    void validateCurve();
    void validateLimiterPair();
    void validateClampsAppSettings();
    void keyingRule_data();
    void keyingRule();
    void stepAdvanceAll();
    void stepAdvanceLiveRow();
    void decodeHeader_data();
    void decodeHeader();
    void decodeHeaderUnitText();
    void blockComparison();
    void operatorUnits();
};

void TestModel::defaultsOfNewSet() {
    ParameterSet set;
    QCOMPARE(set.keyingType(), 0);
    QCOMPARE(set.curvePointCount(), 2);
    QCOMPARE(set.baseAdvance(), 10);
    QCOMPARE(set.startLimiter(), 100);
    QCOMPARE(set.limiter(), 150);
    QCOMPARE(set.retard(), 6);
    QCOMPARE(set.pickupPolarity(), 2);
    QCOMPARE(set.lobeSetting(), 1);
    QCOMPARE(set.pilotLight(), 120);
    QCOMPARE(set.clutchTime(), 20);
    QCOMPARE(set.clutchPause(), 100);
    QCOMPARE(set.noReading(), 0);
    QCOMPARE(set.rpmPulses(), 1);
    QCOMPARE(set.rpmCorrection(), 100);
    for (int i = 0; i < kCurvePoints; ++i) {
        QCOMPARE(set.curveRpm(i), 10 * (i + 1));
        QCOMPARE(set.curveAdvance(i), 10);
    }
    for (int i = 0; i < kBlockSize; ++i) QCOMPARE(set.byte(i), 0);
    // Field positions on the wire.
    QCOMPARE(set.byte(54), 150);
    QCOMPARE(set.byte(67), 100);
    QCOMPARE(set.byte(84), 150);
}

void TestModel::setDefaultsLeavesIdentityAndSpares() {
    ParameterSet set;
    ParameterImage image;
    for (int i = 0; i < kImageSize; ++i) image[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(200 + i % 50);
    set.replaceImage(image);
    set.setDefaults();
    for (int i : {50, 57, 58, 63, 64, 68, 69}) QCOMPARE(set.byte(i), image[static_cast<std::size_t>(i)]);
    for (int i = 0; i < kBlockSize; ++i) QCOMPARE(set.byte(i), image[static_cast<std::size_t>(i)]);
    QCOMPARE(set.curvePointCount(), 2);
    QCOMPARE(set.noReading(), 0);
    QCOMPARE(set.curveAdvance(14), 10);
}

void TestModel::validateCurve_data() {
    QTest::addColumn<QList<int>>("rpm");  // operator rpm / 100, all 15 points
    QTest::addColumn<QList<int>>("expected");
    QList<int> zeros(15, 0), high(15, 255), rising, fromSix, from186;
    for (int i = 0; i < 15; ++i) {
        rising << 20 + i * 5;
        fromSix << i + 6;
        from186 << i + 186;
    }
    QTest::newRow("all zero") << zeros << fromSix;
    QTest::newRow("all 255") << high << from186;
    QTest::newRow("already valid") << rising << rising;

    QList<int> first190 = rising;
    first190[0] = 190;  // 19 000 rpm at point 1 is above its limit of 18 600
    QList<int> exp = rising;
    exp[0] = 186;
    for (int i = 1; i < 15; ++i) exp[i] = 186 + i;
    QTest::newRow("point 1 at 19000") << first190 << exp;

    QList<int> last201 = rising;
    last201[14] = 201;  // 20 100 rpm at point 15 becomes 20 000
    QList<int> expLast = rising;
    expLast[14] = 200;
    QTest::newRow("point 15 at 20100") << last201 << expLast;

    QList<int> dup = rising;
    dup[0] = 20;
    dup[1] = 20;
    dup[2] = 15;
    QList<int> expDup = dup;
    expDup[1] = 21;
    expDup[2] = 22;
    for (int i = 3; i < 15; ++i) expDup[i] = std::max(rising[i], expDup[i - 1] + 1);
    QTest::newRow("2000 2000 1500") << dup << expDup;
}

void TestModel::validateCurve() {
    QFETCH(QList<int>, rpm);
    QFETCH(QList<int>, expected);
    ParameterSet set;
    for (int i = 0; i < 15; ++i) set.setCurveRpm(i, static_cast<std::uint8_t>(rpm[i]));
    set.validate();
    QList<int> got;
    for (int i = 0; i < 15; ++i) got << set.curveRpm(i);
    QCOMPARE(got, expected);
    for (int i = 0; i < 15; ++i) {
        QVERIFY(set.curveRpm(i) >= i + 6);
        QVERIFY(set.curveRpm(i) <= i + 186);
        if (i > 0) QVERIFY(set.curveRpm(i) > set.curveRpm(i - 1));
    }
}

void TestModel::validateLimiterPair() {
    ParameterSet set;
    set.setLimiter(50);
    set.setStartLimiter(80);
    set.validate();
    QCOMPARE(set.limiter(), 50);
    QCOMPARE(set.startLimiter(), 50);  // follows the limiter down; the limiter is never raised

    set.setLimiter(80);
    set.setStartLimiter(50);
    set.validate();
    QCOMPARE(set.limiter(), 80);
    QCOMPARE(set.startLimiter(), 50);

    // Advances are not bounded by validate.
    set.setCurveAdvance(3, 200);
    set.validate();
    QCOMPARE(set.curveAdvance(3), 200);
}

void TestModel::validateClampsAppSettings() {
    ParameterSet set;
    std::uint8_t language = 7, port = 12;
    set.validate({&language, &port});
    QCOMPARE(language, 0);
    QCOMPARE(port, 1);

    language = 3;
    port = 10;
    set.validate({&language, &port});
    QCOMPARE(language, 3);
    QCOMPARE(port, 10);

    port = 0;  // not clamped: no device is opened for it
    set.validate({&language, &port});
    QCOMPARE(port, 0);
}

void TestModel::keyingRule_data() {
    QTest::addColumn<int>("keying");
    QTest::addColumn<int>("lobe");
    QTest::addColumn<int>("polarity");
    QTest::addColumn<bool>("forced");
    QTest::newRow("standard takes the window") << 0 << 3 << 1 << false;
    QTest::newRow("Kawasaki") << 1 << 1 << 0 << true;
    QTest::newRow("Yamaha") << 2 << 1 << 0 << true;
    QTest::newRow("code 3") << 3 << 1 << 0 << true;
    QTest::newRow("Honda CBF250") << 4 << 1 << 2 << true;
    QTest::newRow("code 5 forces nothing") << 5 << 0 << 2 << false;
}

void TestModel::keyingRule() {
    QFETCH(int, keying);
    QFETCH(int, lobe);
    QFETCH(int, polarity);
    QFETCH(bool, forced);
    ParameterSet set;
    set.setLobeSetting(0);
    set.setPickupPolarity(2);
    set.setKeyingType(static_cast<std::uint8_t>(keying));
    // The window shows lobe code 3 and polarity 1.
    auto result = set.applyKeyingRule(3, 1);
    QCOMPARE(set.lobeSetting(), lobe);
    QCOMPARE(set.pickupPolarity(), polarity);
    QCOMPARE(result.has_value(), forced);
    if (forced) {
        QCOMPARE(result->lobeSetting, lobe);
        QCOMPARE(result->pickupPolarity, polarity);
    }
}

void TestModel::stepAdvanceAll() {
    ParameterSet set;
    set.setCurveAdvance(0, 60);
    set.setCurveAdvance(1, 59);
    set.setCurveAdvance(2, 10);
    set.stepAdvance(StepDirection::Plus, true, std::nullopt);
    QCOMPARE(set.curveAdvance(0), 60);
    QCOMPARE(set.curveAdvance(1), 60);
    QCOMPARE(set.curveAdvance(2), 11);
    QCOMPARE(set.curveAdvance(14), 11);  // hidden points move too

    set.setCurveAdvance(0, 0);
    set.setCurveAdvance(1, 1);
    set.setCurveAdvance(2, 10);
    set.stepAdvance(StepDirection::Minus, true, 4);  // the live row does not matter with "All"
    QCOMPARE(set.curveAdvance(0), 0);
    QCOMPARE(set.curveAdvance(1), 0);
    QCOMPARE(set.curveAdvance(2), 9);
    QCOMPARE(set.curveAdvance(4), 10);

    // validate runs with the step: a broken curve is repaired.
    set.setCurveRpm(5, 0);
    set.stepAdvance(StepDirection::Plus, true, std::nullopt);
    QVERIFY(set.curveRpm(5) > set.curveRpm(4));
}

void TestModel::stepAdvanceLiveRow() {
    ParameterSet set;
    const ParameterImage before = set.image();
    set.stepAdvance(StepDirection::Plus, false, std::nullopt);  // engine stopped: no live row
    QVERIFY(set.image() == before);

    set.setCurveAdvance(3, 60);
    set.stepAdvance(StepDirection::Plus, false, 3);
    QCOMPARE(set.curveAdvance(3), 60);
    set.stepAdvance(StepDirection::Minus, false, 3);
    QCOMPARE(set.curveAdvance(3), 59);
    QCOMPARE(set.curveAdvance(2), 10);
    QCOMPARE(set.curveAdvance(4), 10);

    set.setCurveAdvance(7, 0);
    set.stepAdvance(StepDirection::Minus, false, 7);
    QCOMPARE(set.curveAdvance(7), 0);
    set.stepAdvance(StepDirection::Plus, false, 7);
    QCOMPARE(set.curveAdvance(7), 1);
}

void TestModel::decodeHeader_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::newRow("worked example") << 7 << 25 << 25 << 3 << 16 << 21 << "PQR07"
                                    << "25. 1.2003"
                                    << "16:21";
    QTest::newRow("single-digit day") << 5 << 5 << 25 << 3 << 9 << 5 << "PQR05"
                                      << " 5. 1.2003"
                                      << "09:05";
    QTest::newRow("unknown month") << 12 << 25 << 0 << 3 << 0 << 0 << "PQR12"
                                   << "25.00.2003"
                                   << "00:00";
    QTest::newRow("December") << 99 << 31 << 12 << 99 << 23 << 59 << "PQR99"
                              << "31.12.2099"
                              << "23:59";
    QTest::newRow("October") << 0 << 10 << 38 << 10 << 10 << 10 << "PQR00"
                             << "10.10.2010"
                             << "10:10";
    QTest::newRow("November") << 0 << 1 << 51 << 0 << 0 << 0 << "PQR00"
                              << " 1.11.2000"
                              << "00:00";
}

void TestModel::decodeHeader() {
    QFETCH(int, number);
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, hour);
    QFETCH(int, minute);
    const auto b = headerBlock({{0, 'P'},
                                {1, 'Q'},
                                {2, 'R'},
                                {3, static_cast<std::uint8_t>(number)},
                                {4, static_cast<std::uint8_t>(day)},
                                {5, static_cast<std::uint8_t>(month)},
                                {6, static_cast<std::uint8_t>(year)},
                                {7, static_cast<std::uint8_t>(hour)},
                                {8, static_cast<std::uint8_t>(minute)}});
    HeaderTexts texts;
    texts.decodeHeader(b);
    QTEST(str(texts.versionText()), "version");
    QTEST(str(texts.dateText()), "date");
    QTEST(str(texts.timeText()), "time");
}

void TestModel::decodeHeaderUnitText() {
    HeaderTexts texts;
    QVERIFY(texts.versionText().empty());  // nothing until a unit answered

    ImageBlock b = headerBlock({{0, 'P'}, {1, 'Q'}, {2, 'R'}, {3, 7}, {4, 1}, {5, 25}});
    const char* name = "RACE-TEAM 7";
    for (int i = 0; name[i]; ++i) b[static_cast<std::size_t>(16 + i)] = static_cast<std::uint8_t>(name[i]);
    texts.decodeHeader(b);
    QCOMPARE(str(texts.versionText()), QString("RACE-TEAM 7"));
    QCOMPARE(str(texts.dateText()), QString(" 1. 1.2000"));

    // A text filling all 30 bytes stops at byte 45, not at the next zero.
    for (int i = 16; i < 50; ++i) b[static_cast<std::size_t>(i)] = 'X';
    texts.decodeHeader(b);
    QCOMPARE(str(texts.versionText()), QString(30, QChar('X')));
}

void TestModel::blockComparison() {
    ParameterSet set;
    ImageBlock received;
    std::copy(set.block(kParameterBlock).begin(), set.block(kParameterBlock).end(), received.begin());
    QVERIFY(blockMatches(set.image(), kParameterBlock, received, CompareRule::AllBytes));

    received[66 - 50] = 4;  // the unit's tachometer pulses differ
    QVERIFY(blockMatches(set.image(), kParameterBlock, received, CompareRule::SkipRpmPulses));
    QVERIFY(!blockMatches(set.image(), kParameterBlock, received, CompareRule::AllBytes));

    received[66 - 50] = set.rpmPulses();
    received[67 - 50] ^= 1;  // any other byte counts in both rules
    QVERIFY(!blockMatches(set.image(), kParameterBlock, received, CompareRule::SkipRpmPulses));
    received[67 - 50] ^= 1;
    received[49] ^= 0x80;
    QVERIFY(!blockMatches(set.image(), kParameterBlock, received, CompareRule::SkipRpmPulses));

    // In the header block, byte 16 (image byte 16) is compared like any other.
    ImageBlock header{};
    QVERIFY(blockMatches(set.image(), kHeaderBlock, header, CompareRule::SkipRpmPulses));
    header[16] = 1;
    QVERIFY(!blockMatches(set.image(), kHeaderBlock, header, CompareRule::SkipRpmPulses));
    QVERIFY(!blockMatches(set.image(), 2, header, CompareRule::AllBytes));
}

void TestModel::operatorUnits() {
    using namespace OperatorUnits;
    QCOMPARE(toCode(Scale::Hundreds, 1250), 12);
    QCOMPARE(toOperator(Scale::Hundreds, 12), 1200);
    QCOMPARE(toCode(Scale::Tens, 125), 12);
    QCOMPARE(toOperator(Scale::Tens, 12), 120);
    QCOMPARE(toCode(Scale::Percent, -60), 40);
    QCOMPARE(toCode(Scale::Percent, 60), 160);
    QCOMPARE(toOperator(Scale::Percent, 40), -60);
    QCOMPARE(toCode(Scale::Hundreds, 25000), 250);
    QCOMPARE(toCode(Scale::Hundreds, 999), 9);
    QCOMPARE(toCode(Scale::Plain, 40), 40);
}

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
