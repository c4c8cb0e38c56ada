#include <QtTest>

#include "TestFrames.h"
#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "link/Telemetry.h"

Q_DECLARE_METATYPE(LiveColour)
Q_DECLARE_METATYPE(LanguageId)

using TestFrames::Telemetry;

class TestTelemetry : public QObject {
    Q_OBJECT

private slots:
    void fields();
    void rejected();
    void voltage_data();
    void voltage();
    void voltageTextForEveryReading();
    void rpmGauge_data();
    void rpmGauge();
    void colours();
    void advance_data();
    void advance();
    void texts_data();
    void texts();
    void liveRow_data();
    void liveRow();
};

void TestTelemetry::fields() {
    Telemetry t;
    t.rpm = 0x1234;
    t.millivolts = 0xABCD;
    t.count = 0x0102;
    for (int i = 0; i < 8; ++i) t.tests[i] = static_cast<std::uint16_t>(1000 * i + 7 + (i << 8));
    t.advanceCode = 0;
    t.advanceMax = 200;
    for (int i = 0; i < 10; ++i) t.flags[i] = static_cast<std::uint8_t>(i % 2 ? 0x80 : 0);

    ParameterSet set;
    TelemetryValues v;
    QVERIFY(decodeTelemetry(TestFrames::telemetry(t), set, v));
    QCOMPARE(v.rpm, 0x1234);
    QCOMPARE(v.supplyMillivolts, 0xABCD);
    QCOMPARE(v.programmingCount, 0x0102);
    for (int i = 0; i < 8; ++i) QCOMPARE(v.testValues[i], t.tests[i]);
    QCOMPARE(v.advance, -100);
    QCOMPARE(v.advanceMax, 200);
    // Odd offsets 34, 36, 38, 40, 42 on (any non-zero value), even ones off.
    QCOMPARE(v.pickupNegative, false);
    QCOMPARE(v.polarityOk, true);
    QCOMPARE(v.startLimiterActive, false);
    QCOMPARE(v.rpmAlarm, true);
    QCOMPARE(v.blockingActive, false);
    QCOMPARE(v.killSwitchActive, true);
    QCOMPARE(v.rpmWarning, false);
    QCOMPARE(v.retardActive, true);
    QCOMPARE(v.clutchMasterActive, false);
    QCOMPARE(v.pickupSignal, true);

    for (int i = 0; i < 10; ++i) t.flags[i] = static_cast<std::uint8_t>(i % 2 ? 0 : 1);
    QVERIFY(decodeTelemetry(TestFrames::telemetry(t), set, v));
    QCOMPARE(v.pickupNegative, true);
    QCOMPARE(v.polarityOk, false);
    QCOMPARE(v.startLimiterActive, true);
    QCOMPARE(v.rpmAlarm, false);
    QCOMPARE(v.blockingActive, true);
    QCOMPARE(v.killSwitchActive, false);
    QCOMPARE(v.rpmWarning, true);
    QCOMPARE(v.retardActive, false);
    QCOMPARE(v.clutchMasterActive, true);
    QCOMPARE(v.pickupSignal, false);
}

void TestTelemetry::rejected() {
    ParameterSet set;
    TelemetryValues v;
    v.rpm = 4321;
    v.voltageColour = LiveColour::Aqua;
    Telemetry t;
    t.rpm = 1000;

    LinkFrame badCheck = TestFrames::telemetry(t);
    badCheck[51] ^= 0x01;
    QVERIFY(!decodeTelemetry(badCheck, set, v));
    LinkFrame badByte = TestFrames::frame(0x30);
    QVERIFY(!decodeTelemetry(badByte, set, v));
    LinkFrame good = TestFrames::telemetry(t);
    QVERIFY(!decodeTelemetry(std::span<const std::uint8_t>(good.data(), 51), set, v));
    QCOMPARE(v.rpm, 4321);
    QCOMPARE(v.voltageColour, LiveColour::Aqua);
}

void TestTelemetry::voltage_data() {
    QTest::addColumn<int>("millivolts");
    QTest::addColumn<LiveColour>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << LiveColour::Red << "U =  0.0 [V]";
    QTest::newRow("7000") << 7000 << LiveColour::Red << "U =  7.0 [V]";
    QTest::newRow("7001") << 7001 << LiveColour::Yellow << "U =  7.0 [V]";
    QTest::newRow("11000") << 11000 << LiveColour::Yellow << "U = 11.0 [V]";
    QTest::newRow("11001") << 11001 << LiveColour::Normal << "U = 11.0 [V]";
    QTest::newRow("13800") << 13800 << LiveColour::Normal << "U = 13.8 [V]";
    // Through a float: 13.85 rounds up, where a double would give 13.8.
    QTest::newRow("13850") << 13850 << LiveColour::Normal << "U = 13.9 [V]";
    QTest::newRow("14998") << 14998 << LiveColour::Normal << "U = 15.0 [V]";
    QTest::newRow("14999") << 14999 << LiveColour::Yellow << "U = 15.0 [V]";
    QTest::newRow("17998") << 17998 << LiveColour::Yellow << "U = 18.0 [V]";
    QTest::newRow("17999") << 17999 << LiveColour::Red << "U = 18.0 [V]";
    QTest::newRow("65535") << 65535 << LiveColour::Red << "U = 65.5 [V]";
}

void TestTelemetry::voltage() {
    QFETCH(int, millivolts);
    QFETCH(LiveColour, colour);
    QFETCH(QString, text);
    Telemetry t;
    t.millivolts = static_cast<std::uint16_t>(millivolts);
    ParameterSet set;
    TelemetryValues v;
    QVERIFY(decodeTelemetry(TestFrames::telemetry(t), set, v));
    QCOMPARE(v.voltageColour, colour);
    MessageTexts texts;
    buildMessageTexts(texts);
    QCOMPARE(telemetryTexts(v, texts).labelNapeti, text);
}

void TestTelemetry::voltageTextForEveryReading() {
    // Every reading the unit can send shows as the printed float always showed it.
    MessageTexts texts;
    buildMessageTexts(texts);
    TelemetryValues v;
    for (int millivolts = 0; millivolts <= 0xFFFF; ++millivolts) {
        v.supplyMillivolts = static_cast<std::uint16_t>(millivolts);
        const float volts = static_cast<float>(millivolts * 0.001);
        const QString printed = QString::asprintf("U = %4.1f [V]", static_cast<double>(volts));
        if (telemetryLineText(LiveLine::Napeti, v, texts) != printed) {
            QCOMPARE(telemetryLineText(LiveLine::Napeti, v, texts), printed);
        }
    }
}

void TestTelemetry::rpmGauge_data() {
    QTest::addColumn<int>("limiter");
    QTest::addColumn<int>("rpm");
    QTest::addColumn<int>("gauge");
    QTest::newRow("rpm 0") << 150 << 0 << 0;
    QTest::newRow("half") << 150 << 7500 << 50;
    QTest::newRow("just below a percent") << 150 << 149 << 0;
    QTest::newRow("at the limiter") << 150 << 15000 << 100;
    QTest::newRow("above the limiter") << 150 << 20000 << 100;
    QTest::newRow("limiter 0: 10000 fills") << 0 << 10000 << 100;
    QTest::newRow("limiter 0: 5000") << 0 << 5000 << 50;
    QTest::newRow("limiter 1, top rpm") << 1 << 65535 << 100;
}

void TestTelemetry::rpmGauge() {
    QFETCH(int, limiter);
    QFETCH(int, rpm);
    QFETCH(int, gauge);
    ParameterSet set;
    set.setLimiter(static_cast<std::uint8_t>(limiter));
    Telemetry t;
    t.rpm = static_cast<std::uint16_t>(rpm);
    TelemetryValues v;
    QVERIFY(decodeTelemetry(TestFrames::telemetry(t), set, v));
    QCOMPARE(v.rpmGauge, gauge);
}

void TestTelemetry::colours() {
    using namespace TestFrames;
    ParameterSet set;
    TelemetryValues v;
    Telemetry t;
    t.rpm = 3000;
    QVERIFY(decodeTelemetry(telemetry(t), set, v));
    for (LiveColour c : {v.rpmColour, v.blockingColour, v.killSwitchColour, v.advanceColour, v.pickupColour,
                         v.startLimiterColour, v.retardColour, v.clutchColour})
        QCOMPARE(c, LiveColour::Normal);
    QCOMPARE(v.polarityColour, LiveColour::Red);  // polarity not confirmed while turning

    t.flags[RpmWarning] = 1;
    t.flags[PolarityOk] = 1;
    QVERIFY(decodeTelemetry(telemetry(t), set, v));
    QCOMPARE(v.rpmColour, LiveColour::Yellow);
    QCOMPARE(v.polarityColour, LiveColour::Normal);
    t.flags[RpmAlarm] = 1;
    QVERIFY(decodeTelemetry(telemetry(t), set, v));
    QCOMPARE(v.rpmColour, LiveColour::Red);

    t = Telemetry{};
    t.rpm = 0;  // no engine speed: an unconfirmed polarity is no fault
    for (auto& f : t.flags) f = 1;
    t.flags[PolarityOk] = 0;
    QVERIFY(decodeTelemetry(telemetry(t), set, v));
    QCOMPARE(v.polarityColour, LiveColour::Normal);
    QCOMPARE(v.blockingColour, LiveColour::Red);
    QCOMPARE(v.killSwitchColour, LiveColour::Red);
    QCOMPARE(v.pickupColour, LiveColour::Green);
    QCOMPARE(v.startLimiterColour, LiveColour::Red);
    QCOMPARE(v.retardColour, LiveColour::Aqua);
    QCOMPARE(v.clutchColour, LiveColour::Green);
}

void TestTelemetry::advance_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("max");
    QTest::addColumn<LiveColour>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("no max, negative") << 90 << 0 << LiveColour::Normal << "Advance = -10 [°]";
    QTest::newRow("at the max") << 130 << 30 << LiveColour::Yellow << "Advance = 30 [°] /max 30 [°]";
    QTest::newRow("below the max") << 129 << 30 << LiveColour::Normal << "Advance = 29 [°] /max 30 [°]";
    QTest::newRow("above the max") << 140 << 30 << LiveColour::Yellow << "Advance = 40 [°] /max 30 [°]";
    QTest::newRow("high, no max") << 255 << 0 << LiveColour::Normal << "Advance = 155 [°]";
    QTest::newRow("code 0 with max") << 0 << 1 << LiveColour::Normal << "Advance = -100 [°] /max 1 [°]";
}

void TestTelemetry::advance() {
    QFETCH(int, code);
    QFETCH(int, max);
    QFETCH(LiveColour, colour);
    QFETCH(QString, text);
    Telemetry t;
    t.advanceCode = static_cast<std::uint8_t>(code);
    t.advanceMax = static_cast<std::uint8_t>(max);
    ParameterSet set;
    TelemetryValues v;
    QVERIFY(decodeTelemetry(TestFrames::telemetry(t), set, v));
    QCOMPARE(v.advanceColour, colour);
    setCurrentLanguage(LanguageId::English);
    MessageTexts texts;
    buildMessageTexts(texts);
    QCOMPARE(telemetryTexts(v, texts).labelAdvance, text);
}

void TestTelemetry::texts_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<bool>("on");  // every flag on, or every flag off
    QTest::addColumn<QStringList>("expected");
    // RPM, U, blocking, kill switch, advance, pick-up, polarity, start limiter, retard,
    // clutch, count, Test1..Test8
    const QStringList tests{"Test1 = 0 ",    "Test2 = 1 ",    "Test3 = 65535 ", "Test4 = 300 ",
                            "Test5 = 4000 ", "Test6 = 5000 ", "Test7 = 6 ",     "Test8 = 77 "};
    QTest::newRow("English, on") << LanguageId::English << true
                                 << (QStringList{"RPM = 4500 ", "U = 12.5 [V]", "Blocking - YES", "Kill switch - YES",
                                                 "Advance = 25 [°] /max 40 [°]", "Pick-up (CKPS) is running",
                                                 "Polarity of CKPS - Negative", "Start limiter - YES", "Retard - YES",
                                                 "Clutch master = ON", "Number of Programing= 1234"} +
                                     tests);
    QTest::newRow("English, off") << LanguageId::English << false
                                  << (QStringList{"RPM = 4500 ", "U = 12.5 [V]", "Blocking - NO", "Kill switch - NO",
                                                  "Advance = 25 [°] /max 40 [°]", "Pick-up (CKPS) no signal",
                                                  "Polarity of CKPS - Positive", "Start limiter - NO", "Retard - NO",
                                                  "Clutch master = OFF", "Number of Programing= 1234"} +
                                      tests);
    QTest::newRow("German, on") << LanguageId::German << true
                                << (QStringList{"RPM = 4500 ", "U = 12.5 [V]", "Blockierung - JA", "Kill switch - JA",
                                                "Vorzündung = 25 [°] /max 40 [°]", "Geber(CKPS) läuft",
                                                "Polarität des CKPS - Negativ", "Start Begrenzer - JA",
                                                "Spätzündung - JA", "Clutch master = ON",
                                                "Programmierungsanzahl= 1234"} +
                                    tests);
    QTest::newRow("Czech, off") << LanguageId::Czech << false
                                << (QStringList{"RPM = 4500 ", "U = 12.5 [V]", "Blokování - NE", "Kill switch - NE",
                                                "Předstih = 25 [°] /max 40 [°]", "Snímač (CKPS) bez signálu",
                                                "Polarita CKPS - Kladná", "Startovací omezovač - NE",
                                                "Snížení předstihu - NE", "Clutch master = OFF",
                                                "Počet programování= 1234"} +
                                    tests);
}

void TestTelemetry::texts() {
    QFETCH(LanguageId, language);
    QFETCH(bool, on);
    QFETCH(QStringList, expected);
    Telemetry t;
    t.rpm = 4500;
    t.millivolts = 12500;
    t.count = 1234;
    t.tests = {0, 1, 65535, 300, 4000, 5000, 6, 77};
    t.advanceCode = 125;
    t.advanceMax = 40;
    for (auto& f : t.flags) f = on ? 1 : 0;
    ParameterSet set;
    TelemetryValues v;
    QVERIFY(decodeTelemetry(TestFrames::telemetry(t), set, v));

    setCurrentLanguage(language);
    MessageTexts texts;
    buildMessageTexts(texts);
    const TelemetryTexts l = telemetryTexts(v, texts);
    setCurrentLanguage(LanguageId::English);
    QStringList got{l.labelRpm,       l.labelNapeti,    l.labelBlocking,         l.labelKillSwitch,
                    l.labelAdvance,   l.labelSnimac,    l.labelPolaritaMer,      l.labelMonOmez1,
                    l.labelMonRetard, l.labelClutchMon, l.labelPocetProgramovani};
    for (const QString& s : l.labelTest) got << s;
    QCOMPARE(got, expected);

    // Without engine speed the polarity has no value.
    t.rpm = 0;
    QVERIFY(decodeTelemetry(TestFrames::telemetry(t), set, v));
    QCOMPARE(telemetryTexts(v, texts).labelPolaritaMer, texts.polarityPrefix + " ---");
}

void TestTelemetry::liveRow_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("rpm");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("none");
    // Curve 10, 20, 30, 40, ... hundreds of rpm.
    QTest::newRow("rpm 0") << 3 << 0 << 0 << true;
    QTest::newRow("below the first point") << 3 << 999 << 0 << true;
    QTest::newRow("on the first point") << 3 << 1000 << 0 << false;
    QTest::newRow("half-way goes down") << 3 << 1500 << 0 << false;
    QTest::newRow("just past half-way") << 3 << 1600 << 1 << false;
    QTest::newRow("hundreds are cut off") << 3 << 1599 << 0 << false;
    QTest::newRow("half-way between 2 and 3") << 3 << 2500 << 1 << false;
    QTest::newRow("on the last used point") << 3 << 3000 << 2 << false;
    QTest::newRow("above the last used point") << 3 << 9000 << 2 << false;
    QTest::newRow("unused points do not count") << 2 << 3000 << 1 << false;
    QTest::newRow("all 15") << 15 << 14600 << 14 << false;
    QTest::newRow("no points") << 0 << 5000 << 0 << true;
    QTest::newRow("count beyond the curve") << 200 << 65535 << 14 << false;
}

void TestTelemetry::liveRow() {
    QFETCH(int, points);
    QFETCH(int, rpm);
    QFETCH(int, row);
    QFETCH(bool, none);
    ParameterSet set;
    for (int i = 0; i < kCurvePoints; ++i) set.setCurveRpm(i, static_cast<std::uint8_t>(10 * (i + 1)));
    set.setCurvePointCount(static_cast<std::uint8_t>(points));
    const LiveRow r = findLiveRow(static_cast<std::uint16_t>(rpm), set);
    QCOMPARE(r.none, none);
    QCOMPARE(r.row, row);
}

QTEST_GUILESS_MAIN(TestTelemetry)
#include "tst_telemetry.moc"
