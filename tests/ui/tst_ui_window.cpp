// The operator window against a fake port: editor binding, layout, commands, shortcuts,
// the COM menu, the exchange's view and the live values.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FakeUnit.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "i18n/Language.h"
#include "link/LinkFrame.h"
#include "ui/RadioGroup.h"
#include "ui/TFormHlav.h"
#include "ui/UpDown.h"

namespace {

// The grouped text written out from the locale's separator, not formatted by the code under test.
QString grouped(int value) {
    if (value < 1000) {
        return QString::number(value);
    }
    return QString::number(value / 1000) + QLocale().groupSeparator() +
           QString("%1").arg(value % 1000, 3, 10, QChar('0'));
}

// Counts the events of one type a widget receives.
class EventCounter : public QObject {
public:
    EventCounter(QObject* target, QEvent::Type type) : type_(type) { target->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) {
            ++count;
        }
        return false;
    }

private:
    QEvent::Type type_;
};

struct Telemetry {
    std::uint16_t rpm = 0;
    std::uint16_t millivolts = 13800;
    std::uint16_t count = 0;
    std::uint8_t advanceCode = 100;
    std::uint8_t advanceMax = 0;
    bool blocking = false;
    bool retard = false;
    bool pickup = false;
};

std::vector<std::uint8_t> telemetryFrame(const Telemetry& t) {
    LinkFrame frame{};
    frame[0] = kTelemetryAnswer;
    auto word = [&frame](int offset, std::uint16_t value) {
        frame[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value & 0xFF);
        frame[static_cast<std::size_t>(offset + 1)] = static_cast<std::uint8_t>(value >> 8);
    };
    word(1, t.rpm);
    word(3, t.millivolts);
    word(5, t.count);
    frame[31] = t.advanceCode;
    frame[32] = t.advanceMax;
    frame[34] = 1;  // polarity ok
    frame[37] = t.blocking ? 1 : 0;
    frame[40] = t.retard ? 1 : 0;
    frame[42] = t.pickup ? 1 : 0;
    sealFrame(frame);
    return {frame.begin(), frame.end()};
}

}  // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startShowsDefaultsAndTicks();
    void enterInRpmBoxAppliesAndMovesOn();
    void enterReachesNoControl();
    void invalidTextIsDiscarded_data();
    void invalidTextIsDiscarded();
    void rpmAboveLimitOfFirstPoint_data();
    void rpmAboveLimitOfFirstPoint();
    void valuesBetweenStepsAreTruncated();
    void outOfRangeCodeShownWithinRange();
    void pointCountHidesAndShowsRows();
    void hondaForcesLobesAndPolarity();
    void inputFunctionsEnableTheirFields_data();
    void inputFunctionsEnableTheirFields();
    void pilotLightTakenOnRadioClickAndByProgram();
    void programmingAfterChange();
    void printViewHidesEditingAids();
    void noReadingBoxIsReadBackAndRed();
    void shortcutsReachTheirCommands_data();
    void shortcutsReachTheirCommands();
    void toolbarButtonsRunCommands();
    void advanceButtonsStepLiveRowOrAll();
    void comTenTicksOnlyItsItem();
    void failedPortOpenIsReported();
    void readEmptiesFileLabel();
    void telemetryRenderedWithColours();
    void unchangedColourDoesNotRepaint();
    void exchangeFailureShowsRedMessageLine();
    void exitClosesTheWindow();

private:
    template <typename T>
    T* child(const char* name) const {
        return findControl<T>(window_.get(), name);
    }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(name); }
    UpDown* spinner(const char* name) const { return child<UpDown>(name); }
    QToolButton* arrow(const char* spinnerName, int direction) const {
        const QList<QToolButton*> arrows = spinner(spinnerName)->findChildren<QToolButton*>();
        return arrows.at(direction > 0 ? 0 : 1);
    }
    void type(QLineEdit* box, const QString& text) {
        box->setFocus();
        QVERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void enter(QWidget* target) { QTest::keyClick(target, Qt::Key_Return); }
    // On the indicator: radio buttons and check boxes take clicks only on indicator and text.
    void clickBox(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(7, box->height() / 2));
    }
    void clickItem(RadioGroup* group, int index) {
        QRadioButton* button = group->button(index);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(7, button->height() / 2));
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            window_->Timer1Timer();
        }
    }
    // Lets a started command fail (the fake unit never answers) so the exchange is idle.
    void failCommand() {
        ticks(30);
        QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    }

    // Lets a started command pass: a unit behind the fake port answers every step.
    void passCommand() {
        FakeUnit unit(*port_);
        unit.ignoreWritten();
        for (int i = 0; i < 30 && window_->exchange().mode() != ExchangeMode::Idle; ++i) {
            ticks(1);
            unit.answer();
        }
        QCOMPARE(child<QLabel>("LabelHlaseni")->text(), QString("Verify: OK"));
    }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    FakePort*& port_ = rig_.port;
    QStringList boxes_;
};

void TestWindow::init() {
    setCurrentLanguage(LanguageId::English);
    boxes_.clear();
    // No modal dialog, printer or desktop viewer may block a test.
    const auto ownParts = [](TFormHlav& window) {
        window.setDocumentOpener(std::make_unique<RecordingOpener>());
        window.setPrintTarget(std::make_unique<FailingPrintTarget>("no printer in this test"));
    };
    const auto timerRuns = [](TFormHlav& window) {
        QVERIFY(window.timer1()->isActive());
        QCOMPARE(window.timer1()->interval(), 55);
        QCOMPARE(window.timer1()->timerType(), Qt::PreciseTimer);
    };
    // The tests drive the ticks themselves: the rig stops Timer1 after these checks.
    QVERIFY(rig_.start({.onBox = WindowRig::recordInto(boxes_),
                        .mappedPorts = PortMapping::kPorts,
                        .beforeCreate = ownParts,
                        .afterCreate = timerRuns}));
}

void TestWindow::cleanup() {
    rig_.stop();
    QLocale::setDefault(QLocale::c());
}

void TestWindow::startShowsDefaultsAndTicks() {
    QCOMPARE(window_->size(), QSize(TFormHlav::kDesignWidth, TFormHlav::kDesignHeight));
    QCOMPARE(port_->opens, 1);
    QCOMPARE(port_->lastDevice, QString("fake-1"));
    QVERIFY(boxes_.isEmpty());
    QVERIFY(child<QAction>("MenuCom1")->isChecked());
    QVERIFY(child<QAction>("MenuEnglish")->isChecked());
    QVERIFY(window_->timer1()->interval() == 55);
    // Default set: two points, 1 000 and 2 000 rpm, advance 10.
    QCOMPARE(edit("EditRpmAdv1")->text(), grouped(1000));
    QCOMPARE(edit("EditRpmAdv2")->text(), grouped(2000));
    QCOMPARE(edit("EditAdvance1")->text(), QString("10"));
    QCOMPARE(edit("EditPocetBodu")->text(), QString("2"));
    QCOMPARE(edit("EditOmez2")->text(), grouped(15000));
    QCOMPARE(edit("EditRpmKorekce")->text(), QString("0"));
    QVERIFY(child<QLabel>("LabelHlaseni")->isHidden());
    QVERIFY(child<QProgressBar>("CGauge")->isHidden());
    QVERIFY(child<QLabel>("LabelTest1")->isHidden());
    QVERIFY(!window_->rpmEdits()[1]->isHidden());
    QVERIFY(window_->rpmEdits()[2]->isHidden());
    QCOMPARE(child<QLabel>("ImageLogo")->size(), QSize(311, 50));
    for (const char* name : {"SpeedButton6", "SpeedButton5", "SpeedButton7", "SpeedButtonPrint"}) {
        QCOMPARE(child<QToolButton>(name)->size(), QSize(24, 23));
        QVERIFY(!child<QToolButton>(name)->icon().isNull());
    }
    QCOMPARE(child<QLabel>("LabelSpojeni")->font().pixelSize(), 23);
    QVERIFY(child<QLabel>("LabelSpojeni")->font().bold());
    QVERIFY(child<QLabel>("LabelHlaseni")->font().bold());
    QCOMPARE(child<QProgressBar>("CGauge")->maximum(), 3);
    QCOMPARE(child<QProgressBar>("CGaugeRpm")->maximum(), 100);
    QVERIFY(!child<QProgressBar>("CGaugeRpm")->isTextVisible());
    // The control tables hold the rows in order.
    for (int i = 0; i < kCurvePoints; ++i) {
        QCOMPARE(window_->rpmEdits()[static_cast<std::size_t>(i)]->objectName(), QString("EditRpmAdv%1").arg(i + 1));
        QCOMPARE(window_->advanceSpinners()[static_cast<std::size_t>(i)]->objectName(),
                 QString("UpDownAdvance%1").arg(i + 1));
    }
}

void TestWindow::enterInRpmBoxAppliesAndMovesOn() {
    QLineEdit* box = edit("EditRpmAdv1");
    type(box, "1250");
    QCOMPARE(window_->parameterSet().curveRpm(0), 10);  // nothing applied while typing
    enter(box);
    QCOMPARE(window_->parameterSet().curveRpm(0), 12);
    QCOMPARE(box->text(), grouped(1200));
    QVERIFY(!box->hasFocus());
    QCOMPARE(QApplication::focusWidget(), edit("EditAdvance1"));

    // Enter in a box without handling of its own still applies everything.
    QLineEdit* light = edit("EditLedRazeni");
    type(light, "9050");
    enter(light);
    QCOMPARE(window_->parameterSet().pilotLight(), 90);
    QCOMPARE(light->text(), grouped(9000));
}

void TestWindow::enterReachesNoControl() {
    QLineEdit* box = edit("EditRpmAdv2");
    QSignalSpy returns(box, &QLineEdit::returnPressed);
    type(box, "3000");
    enter(box);
    QCOMPARE(returns.count(), 0);
    QCOMPARE(window_->parameterSet().curveRpm(1), 30);

    // Enter on a button applies the edit and does not press it.
    auto* read = child<QPushButton>("Button1");
    QSignalSpy clicks(read, &QPushButton::clicked);
    type(edit("EditBaseAdv"), "12");
    read->setFocus();
    enter(read);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QCOMPARE(window_->parameterSet().baseAdvance(), 12);
}

void TestWindow::invalidTextIsDiscarded_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("letters") << "abc" << 10;
    QTest::newRow("above range") << "41" << 10;
    QTest::newRow("below range") << "-1" << 10;
    QTest::newRow("decimal") << "7.5" << 10;
    QTest::newRow("empty") << "" << 10;
    QTest::newRow("valid") << "25" << 25;
    QTest::newRow("upper end") << "40" << 40;
}

void TestWindow::invalidTextIsDiscarded() {
    QFETCH(QString, typed);
    QFETCH(int, stored);
    QLineEdit* box = edit("EditBaseAdv");
    type(box, typed);
    // Leaving the box applies it.
    edit("EditPocetBodu")->setFocus();
    QCOMPARE(int(window_->parameterSet().baseAdvance()), stored);
    QCOMPARE(box->text(), QString::number(stored));
    QVERIFY(boxes_.isEmpty());  // operator input never produces a message
}

void TestWindow::rpmAboveLimitOfFirstPoint_data() {
    QTest::addColumn<QString>("locale");
    QTest::newRow("C") << "C";
    QTest::newRow("German") << "de_DE";
    QTest::newRow("Czech") << "cs_CZ";
    QTest::newRow("US") << "en_US";
}

void TestWindow::rpmAboveLimitOfFirstPoint() {
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    window_->parameterSet().setCurvePointCount(15);
    window_->refreshWindow();
    QLineEdit* box = edit("EditRpmAdv1");
    type(box, "20100");
    enter(box);
    const ParameterSet& set = window_->parameterSet();
    QCOMPARE(set.curveRpm(0), 186);
    QCOMPARE(box->text(), grouped(18600));
    // Every later point that lay lower is pushed up to 100 rpm above its predecessor.
    for (int i = 1; i < kCurvePoints; ++i) {
        QCOMPARE(int(set.curveRpm(i)), 186 + i);
        QCOMPARE(window_->rpmEdits()[static_cast<std::size_t>(i)]->text(), grouped((186 + i) * 100));
    }
    // A grouped text typed back is read as the number.
    type(box, grouped(15000));
    enter(box);
    QCOMPARE(set.curveRpm(0), 150);
}

void TestWindow::valuesBetweenStepsAreTruncated() {
    clickItem(child<RadioGroup>("RadioGroupInput2"), 2);  // clutch master: its times editable
    type(edit("EditClutch1"), "125");
    type(edit("EditOmez2"), "14999");
    enter(edit("EditOmez2"));
    QCOMPARE(window_->parameterSet().clutchTime(), 12);
    QCOMPARE(edit("EditClutch1")->text(), QString("120"));
    QCOMPARE(window_->parameterSet().limiter(), 149);
    QCOMPARE(edit("EditOmez2")->text(), grouped(14900));
    // The correction is stored as value + 100.
    type(edit("EditRpmKorekce"), "-60");
    enter(edit("EditRpmKorekce"));
    QCOMPARE(window_->parameterSet().rpmCorrection(), 40);
    QCOMPARE(edit("EditRpmKorekce")->text(), QString("-60"));
}

void TestWindow::outOfRangeCodeShownWithinRange() {
    // A shift light of 500 rpm (code 5) cannot be shown by its spinner (1 000..25 000).
    window_->parameterSet().setPilotLight(5);
    window_->parameterSet().setRpmPulses(9);
    window_->refreshWindow();
    QCOMPARE(edit("EditLedRazeni")->text(), grouped(1000));
    QCOMPARE(edit("EditRpmPulsu")->text(), QString("6"));
    // Showing it wrote nothing back...
    QCOMPARE(window_->parameterSet().pilotLight(), 5);
    QCOMPARE(window_->parameterSet().rpmPulses(), 9);
    // ...the next read-back does.
    window_->readBackFromWindow();
    QCOMPARE(window_->parameterSet().pilotLight(), 10);
    QCOMPARE(window_->parameterSet().rpmPulses(), 6);
}

void TestWindow::pointCountHidesAndShowsRows() {
    QLineEdit* count = edit("EditPocetBodu");
    type(count, "5");
    enter(count);
    QCOMPARE(window_->parameterSet().curvePointCount(), 5);
    type(edit("EditAdvance4"), "33");
    type(edit("EditAdvance5"), "44");
    enter(edit("EditAdvance5"));
    const QString rpm5 = edit("EditRpmAdv5")->text();

    // Two clicks on the down arrow: 5 -> 3.
    QTest::mouseClick(arrow("UpDownPocetBodu", -1), Qt::LeftButton);
    QTest::mouseClick(arrow("UpDownPocetBodu", -1), Qt::LeftButton);
    QCOMPARE(window_->parameterSet().curvePointCount(), 3);
    for (int i = 3; i < 5; ++i) {
        const auto k = static_cast<std::size_t>(i);
        QVERIFY(window_->rpmEdits()[k]->isHidden());
        QVERIFY(window_->advanceEdits()[k]->isHidden());
        QVERIFY(window_->rpmSpinners()[k]->isHidden());
        QVERIFY(window_->advanceSpinners()[k]->isHidden());
    }
    QVERIFY(!window_->rpmEdits()[2]->isHidden());
    QCOMPARE(window_->parameterSet().curveAdvance(3), 33);
    QCOMPARE(window_->parameterSet().curveAdvance(4), 44);

    type(count, "5");
    enter(count);
    QVERIFY(!edit("EditAdvance4")->isHidden());
    QVERIFY(!spinner("UpDownAdvance5")->isHidden());
    QCOMPARE(edit("EditAdvance4")->text(), QString("33"));
    QCOMPARE(edit("EditAdvance5")->text(), QString("44"));
    QCOMPARE(edit("EditRpmAdv5")->text(), rpm5);
}

void TestWindow::hondaForcesLobesAndPolarity() {
    auto* bike = child<QComboBox>("ComboBoxBike");
    auto* lobes = child<QComboBox>("ComboBoxPocPalcu");
    auto* polarity = child<RadioGroup>("RadioGroupPolarita");
    QCOMPARE(bike->count(), 4);
    QCOMPARE(bike->itemText(1), QString("Honda CBF250"));

    // Standard keying with the camshaft entry and negative polarity.
    lobes->setFocus();
    QTest::keyClick(lobes, Qt::Key_End);
    QCOMPARE(lobes->currentIndex(), 3);
    QCOMPARE(window_->parameterSet().lobeSetting(), 0);
    clickItem(polarity, 1);
    QCOMPARE(window_->parameterSet().pickupPolarity(), 1);

    bike->setFocus();
    QTest::keyClick(bike, Qt::Key_Down);
    QCOMPARE(bike->currentIndex(), 1);
    const ParameterSet& set = window_->parameterSet();
    QCOMPARE(set.keyingType(), 4);
    QCOMPARE(set.lobeSetting(), 1);
    QCOMPARE(set.pickupPolarity(), 2);
    QCOMPARE(lobes->currentIndex(), 0);
    QCOMPARE(polarity->itemIndex(), 2);
    QVERIFY(!lobes->isEnabled());
    QVERIFY(!polarity->isEnabled());
    QVERIFY(!child<QLabel>("LabelPolaritaMer")->isEnabled());

    // Kawasaki forces positive polarity.
    QTest::keyClick(bike, Qt::Key_Down);
    QCOMPARE(set.keyingType(), 1);
    QCOMPARE(set.pickupPolarity(), 0);
    QCOMPARE(polarity->itemIndex(), 0);

    // Back to Standard: the choices are the operator's again.
    QTest::keyClick(bike, Qt::Key_Home);
    QCOMPARE(set.keyingType(), 0);
    QVERIFY(lobes->isEnabled());
    QVERIFY(polarity->isEnabled());
    QVERIFY(child<QLabel>("LabelPolaritaMer")->isEnabled());

    // Showing a forcing set is no operator action: nothing is handled or programmed.
    clickBox(child<QCheckBox>("CheckBoxProgHned"));
    failCommand();
    window_->parameterSet().setKeyingType(2);
    window_->refreshWindow();
    QCOMPARE(bike->currentIndex(), 3);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    // Code 3 has no entry: the list keeps its entry.
    window_->parameterSet().setKeyingType(3);
    window_->refreshWindow();
    QCOMPARE(bike->currentIndex(), 3);
}

void TestWindow::inputFunctionsEnableTheirFields_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("enabled");  // edit boxes enabled, their spinners shown
    QTest::addColumn<QStringList>("liveEnabled");
    for (const char* group : {"RadioGroupInput1", "RadioGroupInput2"}) {
        const QByteArray name(group);
        QTest::newRow(name + " clutch") << QString(group) << 2 << QStringList{"Clutch1", "Clutch2"}
                                        << QStringList{"LabelClutchMon"};
        QTest::newRow(name + " retard") << QString(group) << 3 << QStringList{"Retard"}
                                        << QStringList{"LabelMonRetard"};
        QTest::newRow(name + " start limiter")
            << QString(group) << 4 << QStringList{"Omez1"} << QStringList{"LabelMonOmez1"};
    }
    QTest::newRow("input 1 kill switch") << "RadioGroupInput1" << 1 << QStringList{} << QStringList{"LabelKillSwitch"};
    QTest::newRow("input 2 blocking") << "RadioGroupInput2" << 1 << QStringList{} << QStringList{"LabelBlocking"};
}

void TestWindow::inputFunctionsEnableTheirFields() {
    QFETCH(QString, group);
    QFETCH(int, item);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, liveEnabled);
    const QStringList fields = {"Clutch1", "Clutch2", "Retard", "Omez1"};
    const QStringList live = {"LabelClutchMon", "LabelMonRetard", "LabelMonOmez1", "LabelKillSwitch", "LabelBlocking"};
    auto check = [&](const QStringList& on, const QStringList& liveOn) {
        for (const QString& field : fields) {
            const bool expected = on.contains(field);
            QCOMPARE(edit(qPrintable("Edit" + field))->isEnabled(), expected);
            QCOMPARE(!spinner(qPrintable("UpDown" + field))->isHidden(), expected);
        }
        for (const QString& name : live) {
            QCOMPARE(child<QLabel>(qPrintable(name))->isEnabled(), liveOn.contains(name));
        }
    };
    check({}, {});
    QVERIFY(!child<QLabel>("LabelRetard")->isEnabled());

    auto* radios = child<RadioGroup>(qPrintable(group));
    clickItem(radios, item);
    const bool first = group == "RadioGroupInput1";
    QCOMPARE(int(first ? window_->parameterSet().input1Function() : window_->parameterSet().input2Function()), item);
    check(enabled, liveEnabled);
    if (item == 3) {
        QVERIFY(child<QLabel>("LabelRetard")->isEnabled());
    }

    clickItem(radios, 0);
    check({}, {});
}

void TestWindow::pilotLightTakenOnRadioClickAndByProgram() {
    QLineEdit* light = edit("EditLedRazeni");
    type(light, "14000");
    // A radio click takes the typed shift light first, then the three group indexes.
    clickItem(child<RadioGroup>("RadioGroupInput1"), 3);
    QCOMPARE(window_->parameterSet().pilotLight(), 140);
    QCOMPARE(light->text(), grouped(14000));
    QCOMPARE(window_->parameterSet().input1Function(), 3);

    type(light, "15000");
    QTest::keyClick(light, Qt::Key_F9);
    QCOMPARE(window_->parameterSet().pilotLight(), 150);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    QCOMPARE(light->text(), grouped(15000));
}

void TestWindow::programmingAfterChange() {
    auto* box = child<QCheckBox>("CheckBoxProgHned");
    QCOMPARE(window_->autoArmed(), false);
    // Ticking the box starts programming at once, changed or not.
    clickBox(box);
    QVERIFY(box->isChecked());
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    QVERIFY(window_->autoArmed());
    QVERIFY(box->grab().toImage().pixelColor(box->width() - 2, 1) == QColor(255, 0, 0));
    QVERIFY(!child<QLabel>("LabelHlaseni")->isHidden());
    QCOMPARE(child<QLabel>("LabelHlaseni")->text(), QString("Program device:"));
    failCommand();

    // A spinner click that changes a value programs.
    QTest::mouseClick(arrow("UpDownBaseAdv", +1), Qt::LeftButton);
    QCOMPARE(window_->parameterSet().baseAdvance(), 11);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    QCOMPARE(window_->lastSent()[2], 11);
    failCommand();

    // After a failed programming an edit that changes nothing programs again; once the
    // programming got through, it does not.
    edit("EditBaseAdv")->setFocus();
    enter(edit("EditBaseAdv"));
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    passCommand();
    edit("EditBaseAdv")->setFocus();
    enter(edit("EditBaseAdv"));
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);

    // At the end of the range the click changes nothing and does not program.
    type(edit("EditBaseAdv"), "40");
    enter(edit("EditBaseAdv"));
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    passCommand();
    QTest::mouseClick(arrow("UpDownBaseAdv", +1), Qt::LeftButton);
    QCOMPARE(window_->parameterSet().baseAdvance(), 40);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);

    // Unticking disarms; ticking again programs at once.
    clickBox(box);
    QVERIFY(!window_->autoArmed());
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QVERIFY(!box->autoFillBackground());
    clickBox(box);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);

    // The shift light spinner has no handling of its own: no programming on its click.
    failCommand();
    QTest::mouseClick(arrow("UpDownLedRazeni", +1), Qt::LeftButton);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QCOMPARE(edit("EditLedRazeni")->text(), grouped(12100));
    QCOMPARE(window_->parameterSet().pilotLight(), 120);
}

void TestWindow::printViewHidesEditingAids() {
    // Every input-dependent spinner shown first.
    window_->parameterSet().setInput1Function(3);
    window_->parameterSet().setInput2Function(2);
    window_->parameterSet().setCurvePointCount(15);
    window_->refreshWindow();
    window_->parameterSet().setInput2Function(4);
    window_->updateLayout();
    QVERIFY(!spinner("UpDownOmez1")->isHidden());
    window_->parameterSet().setInput2Function(2);
    window_->updateLayout();

    window_->setPrintView(true);
    window_->updateLayout();
    QVERIFY(window_->printView());
    for (UpDown* updown : window_->findChildren<UpDown*>()) {
        const bool tachometer = updown->objectName() == "UpDownRpmPulsu" || updown->objectName() == "UpDownRpmKorekce";
        QVERIFY2(updown->isHidden() != tachometer, qPrintable(updown->objectName()));
    }
    for (const char* name : {"GroupBoxToolBar", "ImageLogo", "CGaugeRpm", "CheckBoxProgHned", "CheckBoxZakazCteni",
                             "CheckBoxIgnAll", "BitBtnAdvMinus", "BitBtnAdvPlus", "LabelSnimac", "StatusBar1"}) {
        QVERIFY2(child<QWidget>(name)->isHidden(), name);
    }
    // The boxes of the rows in use and the input-dependent boxes keep their state.
    QVERIFY(!edit("EditRpmAdv15")->isHidden());
    QVERIFY(edit("EditRetard")->isEnabled());
    QVERIFY(edit("EditClutch2")->isEnabled());
    QVERIFY(!edit("EditOmez1")->isEnabled());
    QCOMPARE(window_->centralWidget()->palette().color(QPalette::Window), QColor(Qt::white));

    window_->setPrintView(false);
    window_->updateLayout();
    QVERIFY(!spinner("UpDownRpmAdv15")->isHidden());
    QVERIFY(!spinner("UpDownRetard")->isHidden());
    QVERIFY(spinner("UpDownOmez1")->isHidden());
    QVERIFY(!child<QWidget>("GroupBoxToolBar")->isHidden());
    QVERIFY(!child<QWidget>("StatusBar1")->isHidden());
    QVERIFY(!window_->centralWidget()->autoFillBackground());
}

void TestWindow::noReadingBoxIsReadBackAndRed() {
    auto* box = child<QCheckBox>("CheckBoxZakazCteni");
    // A value typed elsewhere goes in with the click as well.
    type(edit("EditBaseAdv"), "22");
    clickBox(box);
    QCOMPARE(window_->parameterSet().noReading(), 1);
    QCOMPARE(window_->parameterSet().baseAdvance(), 22);
    QVERIFY(box->autoFillBackground());
    QVERIFY(box->grab().toImage().pixelColor(box->width() - 2, 1) == QColor(255, 0, 0));
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);  // programming after change is off
    clickBox(box);
    QCOMPARE(window_->parameterSet().noReading(), 0);
    QVERIFY(!box->autoFillBackground());
    // A set read with the flag shows it ticked and red.
    window_->parameterSet().setNoReading(7);
    window_->refreshWindow();
    QVERIFY(box->isChecked());
    QVERIFY(box->autoFillBackground());
    // "All" is no part of the set.
    window_->setIgnAll(true);
    QVERIFY(window_->ignAll());
    QVERIFY(child<QCheckBox>("CheckBoxIgnAll")->isChecked());
}

void TestWindow::shortcutsReachTheirCommands_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("focus");
    const QList<std::tuple<const char*, int, int, const char*>> keys = {
        {"F2", Qt::Key_F2, Qt::NoModifier, "MenuSave"},        {"F3", Qt::Key_F3, Qt::NoModifier, "MenuOpen"},
        {"F7", Qt::Key_F7, Qt::NoModifier, "MenuRead"},        {"F8", Qt::Key_F8, Qt::NoModifier, "MenuVerify"},
        {"F9", Qt::Key_F9, Qt::NoModifier, "MenuProgram"},     {"F4", Qt::Key_F4, Qt::NoModifier, "AdvanceMinus"},
        {"F5", Qt::Key_F5, Qt::NoModifier, "AdvancePlus"},     {"F1", Qt::Key_F1, Qt::NoModifier, "MenuContens"},
        {"Ctrl+N", Qt::Key_N, Qt::ControlModifier, "MenuNew"}, {"Ctrl+P", Qt::Key_P, Qt::ControlModifier, "MenuPrint"},
    };
    for (const auto& [label, key, modifiers, action] : keys) {
        for (const char* focus :
             {"EditRpmAdv1", "EditLedRazeni", "ComboBoxBike", "CheckBoxIgnAll", "Button1", "RadioGroupInput1"}) {
            QTest::newRow(qPrintable(QString("%1 in %2").arg(label, focus)))
                << key << modifiers << QString(action) << QString(focus);
        }
    }
}

void TestWindow::shortcutsReachTheirCommands() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, action);
    QFETCH(QString, focus);
    QWidget* target = child<QWidget>(qPrintable(focus));
    if (auto* group = qobject_cast<RadioGroup*>(target)) {
        target = group->button(0);
    }
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);
    // "All" ticked so the advance step has an effect without a live RPM.
    child<QCheckBox>("CheckBoxIgnAll")->setChecked(true);
    QSignalSpy triggered(child<QAction>(qPrintable(action)), &QAction::triggered);

    QTest::keyClick(target, static_cast<Qt::Key>(key), static_cast<Qt::KeyboardModifiers>(modifiers));
    QCOMPARE(triggered.count(), 1);
    const ParameterSet& set = window_->parameterSet();
    if (action == "MenuRead") {
        QCOMPARE(window_->exchange().mode(), ExchangeMode::Read);
    } else if (action == "MenuVerify") {
        QCOMPARE(window_->exchange().mode(), ExchangeMode::Verify);
    } else if (action == "MenuProgram") {
        QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    } else if (action == "AdvanceMinus") {
        QCOMPARE(set.curveAdvance(0), 9);
        QCOMPARE(edit("EditAdvance1")->text(), QString("9"));
    } else if (action == "AdvancePlus") {
        QCOMPARE(set.curveAdvance(14), 11);
    } else {
        QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    }
}

void TestWindow::toolbarButtonsRunCommands() {
    const QList<std::pair<const char*, const char*>> pairs = {
        {"SpeedButton6", "MenuNew"}, {"SpeedButton5", "MenuOpen"}, {"SpeedButton7", "MenuSave"}};
    // The picture buttons run the same slots as their menu items; the fake dialogs cancel
    // them, so the window stays as it was.
    for (const auto& [button, action] : pairs) {
        Q_UNUSED(action);
        QTest::mouseClick(child<QToolButton>(button), Qt::LeftButton);
    }
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Verify);
    QCOMPARE(child<QLabel>("LabelHlaseni")->text(), QString("Verify:"));
    QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    QCOMPARE(child<QLabel>("LabelHlaseni")->text(), QString("Program device:"));
    QVERIFY(!child<QProgressBar>("CGauge")->isHidden());
    QCOMPARE(child<QProgressBar>("CGauge")->value(), 0);
    // Starting Read while Program runs replaces it.
    QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Read);
    QCOMPARE(child<QLabel>("LabelHlaseni")->text(), QString("Read:"));
}

void TestWindow::advanceButtonsStepLiveRowOrAll() {
    // Without a live RPM nothing changes.
    QTest::mouseClick(child<QPushButton>("BitBtnAdvPlus"), Qt::LeftButton);
    QCOMPARE(window_->parameterSet().curveAdvance(0), 10);
    QCOMPARE(window_->parameterSet().curveAdvance(1), 10);

    // 1 900 rpm is nearest to the second point (2 000 rpm).
    Telemetry t;
    t.rpm = 1900;
    port_->feed(telemetryFrame(t));
    ticks(1);
    QCOMPARE(window_->exchange().liveRow().row, 1);
    QCOMPARE(window_->advanceEdits()[1]->palette().color(QPalette::Base), QColor(0, 255, 0));
    // A value typed but not confirmed is read back before the step.
    type(edit("EditAdvance1"), "20");
    QTest::mouseClick(child<QPushButton>("BitBtnAdvPlus"), Qt::LeftButton);
    QCOMPARE(window_->parameterSet().curveAdvance(0), 20);
    QCOMPARE(window_->parameterSet().curveAdvance(1), 11);
    QCOMPARE(edit("EditAdvance2")->text(), QString("11"));
    QTest::mouseClick(child<QPushButton>("BitBtnAdvMinus"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("BitBtnAdvMinus"), Qt::LeftButton);
    QCOMPARE(window_->parameterSet().curveAdvance(1), 9);

    // "All" moves every point, hidden ones too.
    clickBox(child<QCheckBox>("CheckBoxIgnAll"));
    QTest::mouseClick(child<QPushButton>("BitBtnAdvMinus"), Qt::LeftButton);
    QCOMPARE(window_->parameterSet().curveAdvance(0), 19);
    QCOMPARE(window_->parameterSet().curveAdvance(1), 8);
    QCOMPARE(window_->parameterSet().curveAdvance(14), 9);
}

void TestWindow::comTenTicksOnlyItsItem() {
    child<QAction>("MenuCom10")->trigger();
    for (int n = 1; n <= 10; ++n) {
        QCOMPARE(child<QAction>(qPrintable(QString("MenuCom%1").arg(n)))->isChecked(), n == 10);
    }
    QCOMPARE(window_->serialLink().portNumber(), 10);
    QCOMPARE(port_->lastDevice, QString("fake-10"));
    QCOMPARE(port_->opens, 2);
    QVERIFY(boxes_.isEmpty());
    // The same port chosen again is reopened.
    child<QAction>("MenuCom10")->trigger();
    QVERIFY(child<QAction>("MenuCom10")->isChecked());
    QCOMPARE(port_->opens, 3);
    // A language switch keeps the tick.
    window_->setLanguage(LanguageId::German);
    QVERIFY(child<QAction>("MenuCom10")->isChecked());
    QVERIFY(!child<QAction>("MenuCom1")->isChecked());
}

void TestWindow::failedPortOpenIsReported() {
    port_->failOpen = true;
    child<QAction>("MenuCom3")->trigger();
    // The box's first line is the message; the reason follows on the next.
    QCOMPARE(boxes_.size(), 1);
    QCOMPARE(boxes_.first().section(QLatin1Char('\n'), 0, 0), QString("Com opening error!"));
    QVERIFY(child<QAction>("MenuCom3")->isChecked());
    QVERIFY(!child<QAction>("MenuCom1")->isChecked());
    window_->setLanguage(LanguageId::Czech);
    child<QAction>("MenuCom4")->trigger();
    QCOMPARE(boxes_.size(), 2);
    QCOMPARE(boxes_.last().section(QLatin1Char('\n'), 0, 0), QString("Chyba při otevírání portu Com!"));
    // No port: nothing is sent, nothing breaks, and within a second the warning shows.
    ticks(20);
    QVERIFY(port_->written.empty());
    QVERIFY(!child<QLabel>("LabelSpojeni")->isHidden());
}

void TestWindow::readEmptiesFileLabel() {
    window_->setFileLabel("/tmp/sets/a.ign");
    QTest::keyClick(window_.get(), Qt::Key_F9);
    QTest::keyClick(window_.get(), Qt::Key_F8);
    QCOMPARE(window_->fileLabel(), QString("/tmp/sets/a.ign"));
    QTest::keyClick(window_.get(), Qt::Key_F7);
    QCOMPARE(window_->fileLabel(), QString());
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Read);
}

void TestWindow::telemetryRenderedWithColours() {
    window_->parameterSet().setInput2Function(1);  // blocking
    window_->refreshWindow();
    Telemetry t;
    t.rpm = 4500;
    t.millivolts = 7000;
    t.count = 23;
    t.advanceCode = 130;
    t.advanceMax = 30;
    t.blocking = true;
    t.retard = true;
    t.pickup = true;
    port_->feed(telemetryFrame(t));
    ticks(1);
    auto label = [this](const char* name) { return child<QLabel>(name); };
    QCOMPARE(label("LabelRpm")->text(), QString("RPM = 4500 "));
    QCOMPARE(child<QProgressBar>("CGaugeRpm")->value(), 30);  // 4500 / 150
    QCOMPARE(label("LabelNapeti")->text(), QString("U =  7.0 [V]"));
    QCOMPARE(label("LabelNapeti")->palette().color(QPalette::Window), QColor(255, 0, 0));
    QVERIFY(label("LabelNapeti")->autoFillBackground());
    QCOMPARE(label("LabelBlocking")->text(), QString("Blocking - YES"));
    QCOMPARE(label("LabelBlocking")->palette().color(QPalette::Window), QColor(255, 0, 0));
    QVERIFY(label("LabelBlocking")->isEnabled());
    QCOMPARE(label("LabelAdvance")->text(), QString("Advance = 30 [°] /max 30 [°]"));
    QCOMPARE(label("LabelAdvance")->palette().color(QPalette::Window), QColor(255, 255, 0));
    QCOMPARE(label("LabelSnimac")->text(), QString("Pick-up (CKPS) is running"));
    QCOMPARE(label("LabelSnimac")->palette().color(QPalette::Window), QColor(0, 255, 0));
    QCOMPARE(label("LabelMonRetard")->text(), QString("Retard - YES"));
    QCOMPARE(label("LabelMonRetard")->palette().color(QPalette::Window), QColor(0, 255, 255));
    QCOMPARE(label("LabelPocetProgramovani")->text(), QString("Number of Programing= 23"));
    QCOMPARE(label("LabelPolaritaMer")->text(), QString("Polarity of CKPS - Positive"));
    QVERIFY(!label("LabelRpm")->autoFillBackground());  // normal: the window's face shows
    QCOMPARE(label("LabelTest1")->text(), QString("Test1 = 0 "));
    QVERIFY(label("LabelTest1")->isHidden());
    // The row nearest 4 500 rpm: the last used point.
    QCOMPARE(window_->rpmEdits()[1]->palette().color(QPalette::Base), QColor(0, 255, 0));
    QCOMPARE(window_->advanceEdits()[1]->palette().color(QPalette::Base), QColor(0, 255, 0));
    QVERIFY(window_->controlColour(window_->rpmEdits()[0]) == QColor());

    // Back to normal colours with the next frame; the connection label stays hidden.
    t.millivolts = 12000;
    t.blocking = false;
    t.retard = false;
    t.pickup = false;
    t.advanceMax = 0;
    t.rpm = 0;
    port_->feed(telemetryFrame(t));
    ticks(1);
    QCOMPARE(label("LabelNapeti")->text(), QString("U = 12.0 [V]"));
    QVERIFY(!label("LabelNapeti")->autoFillBackground());
    QCOMPARE(label("LabelBlocking")->text(), QString("Blocking - NO"));
    QVERIFY(!label("LabelBlocking")->autoFillBackground());
    QCOMPARE(label("LabelSnimac")->text(), QString("Pick-up (CKPS) no signal"));
    QCOMPARE(label("LabelPolaritaMer")->text(), QString("Polarity of CKPS -  ---"));
    QCOMPARE(child<QProgressBar>("CGaugeRpm")->value(), 0);
    QVERIFY(window_->controlColour(window_->rpmEdits()[1]) == QColor());
    QVERIFY(label("LabelSpojeni")->isHidden());

    // Test mode shows the diagnostic labels.
    window_->setTestMode(true);
    QVERIFY(!label("LabelTest8")->isHidden());
}

void TestWindow::unchangedColourDoesNotRepaint() {
    QLineEdit* row = window_->rpmEdits()[1];
    QLineEdit* other = window_->rpmEdits()[0];
    window_->highlightLiveRow(1, false);
    QApplication::processEvents();
    EventCounter palette(row, QEvent::PaletteChange);
    EventCounter paint(row, QEvent::Paint);
    EventCounter otherPalette(other, QEvent::PaletteChange);
    EventCounter otherPaint(other, QEvent::Paint);
    const int applied = window_->colourChanges();
    for (int i = 0; i < 20; ++i) {
        window_->highlightLiveRow(1, false);
    }
    // The exchange highlights on every tick; with the RPM unchanged nothing is set again.
    Telemetry t;
    t.rpm = 2000;
    port_->feed(telemetryFrame(t));
    ticks(12);
    QApplication::processEvents();
    QCOMPARE(palette.count, 0);
    QCOMPARE(paint.count, 0);
    QCOMPARE(otherPalette.count, 0);
    QCOMPARE(otherPaint.count, 0);
    QCOMPARE(window_->colourChanges(), applied);

    // A real change is painted.
    window_->highlightLiveRow(0, false);
    QApplication::processEvents();
    QVERIFY(palette.count > 0);
    QVERIFY(otherPalette.count > 0);
    QCOMPARE(window_->colourChanges(), applied + 4);  // two rows, two boxes each
    QCOMPARE(other->palette().color(QPalette::Base), QColor(0, 255, 0));
}

void TestWindow::exchangeFailureShowsRedMessageLine() {
    QTest::keyClick(window_.get(), Qt::Key_F8);
    ticks(30);
    auto* line = child<QLabel>("LabelHlaseni");
    QCOMPARE(line->text(), QString("Verify error!"));
    QCOMPARE(line->palette().color(QPalette::Window), QColor(255, 0, 0));
    QVERIFY(!line->isHidden());
    // The message line hides when the countdown of its last text runs out.
    const int left = window_->exchange().messageCountdown();
    QVERIFY(left > 150);
    ticks(left - 1);
    QVERIFY(!line->isHidden());
    ticks(1);
    QVERIFY(line->isHidden());
    QVERIFY(child<QProgressBar>("CGauge")->isHidden());
    // A new command shows it again without the red.
    QTest::keyClick(window_.get(), Qt::Key_F9);
    QVERIFY(!line->isHidden());
    QCOMPARE(line->text(), QString("Program device:"));
    QVERIFY(!line->autoFillBackground());
}

void TestWindow::exitClosesTheWindow() {
    type(edit("EditLedRazeni"), "16000");
    child<QAction>("MenuExit")->trigger();
    QVERIFY(!window_->isVisible());
    QVERIFY(!port_->isOpen());
    // The unconfirmed value is read back on the way out.
    QCOMPARE(window_->parameterSet().pilotLight(), 160);
}

QTEST_MAIN(TestWindow)
#include "tst_ui_window.moc"
