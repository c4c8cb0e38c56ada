// The window's texts in the four languages: the window-text table as the window shows it,
// fixed texts, hints (tooltip and status bar), placeholders and the message line.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "i18n/Language.h"
#include "i18n/WindowTexts.h"
#include "link/LinkFrame.h"
#include "ui/RadioGroup.h"
#include "ui/TFormHlav.h"

Q_DECLARE_METATYPE(LanguageId)

namespace {

// Written out here, not taken from the code under test.
const QSet<QString> kToolTipControls = {"SpeedButton6", "SpeedButton5",    "SpeedButton7",   "SpeedButtonPrint",
                                        "Button1",      "BitBtn2",         "BitBtn1",        "LabelVerze1",
                                        "LabelVerze3",  "LabelRetard",     "LabelLedRazeni", "LabelClutch1",
                                        "LabelClutch2", "CheckBoxProgHned"};

std::vector<std::uint8_t> telemetryFrame(std::uint16_t rpm, bool blocking) {
    LinkFrame frame{};
    frame[0] = kTelemetryAnswer;
    frame[1] = static_cast<std::uint8_t>(rpm & 0xFF);
    frame[2] = static_cast<std::uint8_t>(rpm >> 8);
    frame[3] = 0xE8;  // 1000 mV
    frame[4] = 0x03;
    frame[31] = 100;
    frame[37] = blocking ? 1 : 0;
    sealFrame(frame);
    return {frame.begin(), frame.end()};
}

}  // namespace

class TestTexts : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowTextTableShown_data();
    void windowTextTableShown();
    void titles_data();
    void titles();
    void switchingToCzech();
    void fixedTextsInEveryLanguage();
    void hintsSplitIntoTooltipAndStatusBar();
    void statusBarShowsCurrentHint();
    void menusInOrder();
    void placeholdersFollowLanguageWhileDisconnected();
    void messageLineKeepsItsLanguage();

private:
    template <typename T>
    T* child(const char* name) const {
        return findControl<T>(window_.get(), name);
    }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    FakePort*& port_ = rig_.port;
};

void TestTexts::init() {
    setCurrentLanguage(LanguageId::English);
    // No modal dialog, printer or desktop viewer may block a test.
    const auto ownParts = [](TFormHlav& window) {
        window.setDocumentOpener(std::make_unique<RecordingOpener>());
        window.setPrintTarget(std::make_unique<FailingPrintTarget>("no printer in this test"));
    };
    QVERIFY(rig_.start({.onBox = [](const QString& text) { qWarning("message box: %s", qPrintable(text)); },
                        .beforeCreate = ownParts}));
}

void TestTexts::cleanup() {
    rig_.stop();
    setCurrentLanguage(LanguageId::English);
}

void TestTexts::windowTextTableShown_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::newRow("English") << LanguageId::English;
    QTest::newRow("German") << LanguageId::German;
    QTest::newRow("French") << LanguageId::French;
    QTest::newRow("Czech") << LanguageId::Czech;
}

void TestTexts::windowTextTableShown() {
    QFETCH(LanguageId, language);
    // From another language, so every text really changes hands.
    window_->setLanguage(language == LanguageId::German ? LanguageId::Czech : LanguageId::German);
    window_->setLanguage(language);
    QCOMPARE(currentLanguage(), language);

    int checked = 0;
    for (const WindowTextRow& row : windowTextTable()) {
        const QString target = QString::fromUtf8(row.target);
        const QString text = row.textFor(language);
        const QByteArray where = QString("row %1 %2").arg(row.number).arg(target).toUtf8();
        QObject* control = window_->findChild<QObject*>(target);
        QVERIFY2(control != nullptr, where.constData());
        switch (row.kind) {
            case TextKind::Caption:
                if (auto* label = qobject_cast<QLabel*>(control)) {
                    QCOMPARE(label->text(), text);
                } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                    QCOMPARE(button->text(), text);
                } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
                    QCOMPARE(group->title(), text);
                } else {
                    QFAIL(where.constData());
                }
                break;
            case TextKind::MenuCaption:
                if (auto* menu = qobject_cast<QMenu*>(control)) {
                    QCOMPARE(menu->title(), text);
                } else if (auto* action = qobject_cast<QAction*>(control)) {
                    QCOMPARE(action->text(), text);
                } else {
                    QFAIL(where.constData());
                }
                break;
            case TextKind::Hint: {
                auto* widget = qobject_cast<QWidget*>(control);
                QVERIFY2(widget != nullptr, where.constData());
                const qsizetype bar = text.indexOf(u'|');
                const QString shortPart = bar < 0 ? text : text.left(bar);
                const QString longPart = bar < 0 ? text : text.mid(bar + 1);
                QCOMPARE(widget->statusTip(), longPart);
                QCOMPARE(widget->toolTip(), kToolTipControls.contains(target) ? shortPart : QString());
                break;
            }
            case TextKind::MenuHint: {
                QAction* action = qobject_cast<QAction*>(control);
                if (auto* menu = qobject_cast<QMenu*>(control)) {
                    action = menu->menuAction();
                }
                QVERIFY2(action != nullptr, where.constData());
                QCOMPARE(action->statusTip(), text);
                break;
            }
            case TextKind::Item: {
                auto* combo = qobject_cast<QComboBox*>(control);
                QVERIFY2(combo != nullptr, where.constData());
                QCOMPARE(combo->itemText(row.item - 1), text);
                break;
            }
            case TextKind::Items: {
                auto* group = qobject_cast<RadioGroup*>(control);
                QVERIFY2(group != nullptr, where.constData());
                QCOMPARE(group->items(), row.itemsFor(language));
                break;
            }
        }
        ++checked;
    }
    QCOMPARE(checked, 88);
    QCOMPARE(window_->windowTitle(), windowTitle(language));
}

void TestTexts::titles_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("menuCom3");
    QTest::addColumn<QString>("input2");
    QTest::newRow("English") << LanguageId::English << "Programming of VELMORAN unit"
                             << "Set com 3"
                             << "Input 2";
    QTest::newRow("German") << LanguageId::German << "Programmierung der VELMORAN Zündbox"
                            << "Com-Anschluß auswahl 3"
                            << "Eingang 2";
    QTest::newRow("French") << LanguageId::French << "Programation de VELMORAN unité"
                            << "installer com 3"
                            << "Entrée 2";
    QTest::newRow("Czech") << LanguageId::Czech << "Programování jednotky VELMORAN"
                           << "Nastavení komunikace na port com 3"
                           << "Vstup 2";
}

void TestTexts::titles() {
    QFETCH(LanguageId, language);
    QFETCH(QString, title);
    QFETCH(QString, menuCom3);
    QFETCH(QString, input2);
    window_->setLanguage(language);
    QCOMPARE(window_->windowTitle(), title);
    QCOMPARE(child<QAction>("MenuCom3")->statusTip(), menuCom3);
    QCOMPARE(child<QGroupBox>("RadioGroupInput2")->title(), input2);
    QCOMPARE(child<QAction>("MenuCom10")->statusTip(), menuCom3.chopped(1) + "10");
}

void TestTexts::switchingToCzech() {
    window_->parameterSet().setBaseAdvance(17);
    window_->parameterSet().setInput1Function(3);
    window_->refreshWindow();
    child<QAction>("MenuCom1")->setChecked(true);

    child<QAction>("MenuCzech")->trigger();
    QCOMPARE(currentLanguage(), LanguageId::Czech);
    QCOMPARE(window_->windowTitle(), QString("Programování jednotky VELMORAN"));
    QCOMPARE(child<QAction>("MenuCom3")->statusTip(), QString("Nastavení komunikace na port com 3"));
    for (const char* name : {"MenuEnglish", "MenuGerman", "MenuFrench", "MenuCzech"}) {
        QCOMPARE(child<QAction>(name)->isChecked(), QByteArray(name) == "MenuCzech");
    }
    QCOMPARE(child<QMenu>("MenuDevice")->title(), QString("&Zapalování"));
    QCOMPARE(child<QAction>("MenuRead")->text(), QString("Čí&st"));
    QCOMPARE(child<RadioGroup>("RadioGroupInput1")->button(3)->text(), QString("Snížení předstihu"));
    // Values, choices and the COM tick stay.
    QCOMPARE(child<QLineEdit>("EditBaseAdv")->text(), QString("17"));
    QCOMPARE(child<RadioGroup>("RadioGroupInput1")->itemIndex(), 3);
    QVERIFY(child<QAction>("MenuCom1")->isChecked());
    QCOMPARE(window_->parameterSet().baseAdvance(), 17);

    // The same language again changes nothing.
    child<QAction>("MenuCzech")->trigger();
    QVERIFY(child<QAction>("MenuCzech")->isChecked());
    QCOMPARE(window_->windowTitle(), QString("Programování jednotky VELMORAN"));
}

void TestTexts::fixedTextsInEveryLanguage() {
    for (LanguageId language : {LanguageId::English, LanguageId::German, LanguageId::French, LanguageId::Czech}) {
        window_->setLanguage(language);
        QCOMPARE(child<QLabel>("LabelRpm1")->text(), QString("RPM"));
        QCOMPARE(child<QLabel>("LabelRpm2")->text(), QString("RPM"));
        QCOMPARE(child<QLabel>("LabelClutch1")->text(), QString("Clutch master time [ms]"));
        QCOMPARE(child<QLabel>("LabelClutch2")->text(), QString("Clutch master pause [ms]"));
        QCOMPARE(child<QPushButton>("BitBtnAdvMinus")->text(), QString("-"));
        QCOMPARE(child<QPushButton>("BitBtnAdvPlus")->text(), QString("+"));
        QCOMPARE(child<QAction>("MenuCom1")->text(), QString("Com &1"));
        QCOMPARE(child<QAction>("MenuCom9")->text(), QString("Com &9"));
        QCOMPARE(child<QAction>("MenuCom10")->text(), QString("Com 1&0"));
        QCOMPARE(child<QAction>("AdvanceMinus")->text(), QString("Advance -"));
        QCOMPARE(child<QAction>("AdvanceMinus")->statusTip(), QString("Take off 1 degree of curve A"));
        QCOMPARE(child<QAction>("AdvancePlus")->text(), QString("Advance +"));
        QCOMPARE(child<QAction>("AdvancePlus")->statusTip(), QString("Add 1 degree of curve A"));
        QCOMPARE(child<QMenu>("MenuHelp")->menuAction()->statusTip(), QString("Not available jet"));
        QCOMPARE(child<QComboBox>("ComboBoxPocPalcu")->statusTip(), QString("Type of keying"));
        QCOMPARE(child<QComboBox>("ComboBoxPocPalcu")->toolTip(), QString());
        auto* bike = child<QComboBox>("ComboBoxBike");
        QCOMPARE(bike->count(), 4);
        QCOMPARE(bike->itemText(0), QString("Standard"));
        QCOMPARE(bike->itemText(1), QString("Honda CBF250"));
        QCOMPARE(bike->itemText(2), QString("Kawasaki KLR 600 older model"));
        QCOMPARE(bike->itemText(3), QString("Yamaha XT 600 older model"));
        // Items without a hint have an empty one.
        QCOMPARE(child<QAction>("MenuContens")->statusTip(), QString());
        QCOMPARE(child<QAction>("MenuAbout")->statusTip(), QString());
        QCOMPARE(child<QMenu>("MenuTools")->menuAction()->statusTip(), QString());
        // The language items' hints are each in their own language.
        QCOMPARE(child<QAction>("MenuGerman")->statusTip(), QString("Deutsches Menü"));
        QCOMPARE(child<QAction>("MenuCzech")->statusTip(), QString("Nastavit české menu"));
    }
}

void TestTexts::hintsSplitIntoTooltipAndStatusBar() {
    QCOMPARE(child<QToolButton>("SpeedButton5")->toolTip(), QString("Open file with parametrs"));
    QCOMPARE(child<QToolButton>("SpeedButton5")->statusTip(), QString("Open file with parametrs"));
    QCOMPARE(child<QPushButton>("BitBtn1")->toolTip(), QString("Programing  set parametrs to ignition"));
    QCOMPARE(child<QLabel>("LabelVerze1")->toolTip(), QString("Version of program in ignition"));
    QCOMPARE(child<QLabel>("LabelVerze2")->toolTip(), QString());
    QCOMPARE(child<QLabel>("LabelVerze2")->statusTip(), QString("Date of program in ignition"));
    QCOMPARE(child<QLabel>("LabelRpm1")->toolTip(), QString());
    QCOMPARE(child<QLabel>("LabelRpm1")->statusTip(), QString("Speed - Round per Minute"));
    QCOMPARE(child<QPushButton>("BitBtnAdvMinus")->toolTip(), QString());
    QCOMPARE(child<QPushButton>("BitBtnAdvMinus")->statusTip(), QString("Take off 1 degree of Advance"));
    QCOMPARE(child<QWidget>("CheckBoxProgHned")->toolTip(), QString("Programing at once after change"));
    window_->setLanguage(LanguageId::Czech);
    QCOMPARE(child<QLabel>("LabelRpm2")->statusTip(), QString("Rychlost - Otáčky za minutu"));
    window_->setLanguage(LanguageId::German);
    QCOMPARE(child<QLabel>("LabelRpm2")->statusTip(), QString("Umdrehungen pro Minute"));
    QCOMPARE(child<QToolButton>("SpeedButton6")->toolTip(), QString("neue Kenndatendatei erstellen"));
}

void TestTexts::statusBarShowsCurrentHint() {
    QStatusBar* bar = child<QStatusBar>("StatusBar1");
    QTest::mouseMove(child<QToolButton>("SpeedButton5"));
    QTRY_COMPARE_WITH_TIMEOUT(bar->currentMessage(), QString("Open file with parametrs"), 2000);
    QTest::mouseMove(child<QLabel>("LabelRpm1"));
    QTRY_COMPARE_WITH_TIMEOUT(bar->currentMessage(), QString("Speed - Round per Minute"), 2000);

    // A highlighted menu item shows its hint.
    QMenu* tools = child<QMenu>("MenuTools");
    tools->popup(window_->mapToGlobal(QPoint(100, 20)));
    QVERIFY(QTest::qWaitForWindowExposed(tools));
    tools->setActiveAction(child<QAction>("AdvanceMinus"));
    QTRY_COMPARE_WITH_TIMEOUT(bar->currentMessage(), QString("Take off 1 degree of curve A"), 2000);
    tools->close();
}

void TestTexts::menusInOrder() {
    QStringList names;
    for (QAction* action : window_->menuBar()->actions()) {
        names.append(action->menu() != nullptr ? action->menu()->objectName() : QString());
    }
    QCOMPARE(names, (QStringList{"MenuFile", "MenuCom", "MenuDevice", "MenuTools", "MenuLanguage", "MenuHelp"}));
    QStringList file;
    for (QAction* action : child<QMenu>("MenuFile")->actions()) {
        file.append(action->isSeparator() ? "-" : action->objectName());
    }
    QCOMPARE(file, (QStringList{"MenuNew", "-", "MenuOpen", "-", "MenuSave", "-", "MenuPrint", "-", "MenuExit"}));
    QCOMPARE(child<QAction>("MenuOpen")->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(child<QAction>("MenuNew")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QVERIFY(child<QAction>("MenuExit")->shortcut().isEmpty());
}

void TestTexts::placeholdersFollowLanguageWhileDisconnected() {
    // At start nothing has answered: the connection label stands and the placeholders show.
    QVERIFY(!child<QLabel>("LabelSpojeni")->isHidden());
    QCOMPARE(child<QLabel>("LabelBlocking")->text(), QString("Blocking - ---"));
    QCOMPARE(child<QLabel>("LabelPolaritaMer")->text(), QString("Polarity of CKPS -  ---"));
    window_->setLanguage(LanguageId::German);
    QCOMPARE(child<QLabel>("LabelSpojeni")->text(), QString("Keine Verbindung zum PC"));
    QCOMPARE(child<QLabel>("LabelBlocking")->text(), QString("Blockierung - ---"));
    QCOMPARE(child<QLabel>("LabelAdvance")->text(), QString("Vorzündung--- [°]"));
    QCOMPARE(child<QLabel>("LabelPocetProgramovani")->text(), QString("Programmierungsanzahl= ---"));
    window_->setLanguage(LanguageId::Czech);
    QCOMPARE(child<QLabel>("LabelSnimac")->text(), QString("Snímač (CKPS) ---"));
    QCOMPARE(child<QLabel>("LabelMonOmez1")->text(), QString("Startovací omezovač - ---"));
    QCOMPARE(child<QLabel>("LabelMonRetard")->text(), QString("Snížení předstihu - ---"));

    // Connected: the live texts stay until the next frame writes them in the new language.
    port_->feed(telemetryFrame(0, true));
    window_->Timer1Timer();
    QVERIFY(child<QLabel>("LabelSpojeni")->isHidden());
    QCOMPARE(child<QLabel>("LabelBlocking")->text(), QString("Blokování - ANO"));
    window_->setLanguage(LanguageId::French);
    QCOMPARE(child<QLabel>("LabelBlocking")->text(), QString("Blokování - ANO"));
    port_->feed(telemetryFrame(0, false));
    window_->Timer1Timer();
    QCOMPARE(child<QLabel>("LabelBlocking")->text(), QString("Blocage - Non"));
}

void TestTexts::messageLineKeepsItsLanguage() {
    auto* line = child<QLabel>("LabelHlaseni");
    QTest::keyClick(window_.get(), Qt::Key_F9);
    QCOMPARE(line->text(), QString("Program device:"));
    window_->setLanguage(LanguageId::Czech);
    QCOMPARE(line->text(), QString("Program device:"));
    QTest::keyClick(window_.get(), Qt::Key_F8);
    QCOMPARE(line->text(), QString("Verifikace:"));
    // A failure is told in the language current at that moment.
    window_->setLanguage(LanguageId::German);
    for (int i = 0; i < 30; ++i) {
        window_->Timer1Timer();
    }
    QCOMPARE(line->text(), QString("Vergleichsfehler"));
    window_->setLanguage(LanguageId::French);
    QCOMPARE(line->text(), QString("Vergleichsfehler"));
    QTest::keyClick(window_.get(), Qt::Key_F7);
    QCOMPARE(line->text(), QString("Lire"));
}

QTEST_MAIN(TestTexts)
#include "tst_ui_texts.moc"
