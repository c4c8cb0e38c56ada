// The window as the operator sees it: drawn colours, header texts, menu ticks, Alt letters,
// what printing sends, and values typed before a radio click.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "i18n/Language.h"
#include "ui/RadioGroup.h"
#include "ui/TFormHlav.h"

namespace {

// Share of a control's drawn pixels that have exactly this colour.
double drawnShare(QWidget* control, const QColor& colour) {
    const QImage image = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    qint64 hits = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            hits += QColor(image.pixel(x, y)) == colour ? 1 : 0;
        }
    }
    return image.isNull() ? 0.0 : double(hits) / (double(image.width()) * image.height());
}

QImage drawnMenu(QMenu* menu) {
    menu->resize(menu->sizeHint());
    return menu->grab().toImage();
}

// The letter after a single "&", upper-cased; none when the text has no accelerator.
QChar accelerator(const QString& text) {
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
}

}  // namespace

class TestWindowMends : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void coloursAreDrawn_data();
    void coloursAreDrawn();
    void headerBytesAreCharacters_data();
    void headerBytesAreCharacters();
    void menusTickWithCheckMarks_data();
    void menusTickWithCheckMarks();
    void czechAltLettersDoNotClash();
    void printingAppliesAndProgramsNothing_data();
    void printingAppliesAndProgramsNothing();
    void radioClickKeepsTypedValue_data();
    void radioClickKeepsTypedValue();

private:
    template <typename T>
    T* child(const char* name) const {
        return findControl<T>(window_.get(), name);
    }
    void clickItem(RadioGroup* group, int index) {
        QRadioButton* button = group->button(index);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(7, button->height() / 2));
    }
    void clickBox(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(7, box->height() / 2));
    }
    void type(QLineEdit* box, const QString& text) {
        box->setFocus();
        QVERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    // Lets a started command run out (the fake unit never answers).
    void runOut() {
        for (int i = 0; i < 30; ++i) window_->Timer1Timer();
        QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    }
    // Command bytes of the whole frames written since the last clear.
    QList<int> sentCommands() const {
        QList<int> commands;
        for (std::size_t at = 0; at + 52 <= port_->written.size(); at += 52) commands << port_->written[at];
        return commands;
    }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    FakePort*& port_ = rig_.port;
};

void TestWindowMends::init() {
    setCurrentLanguage(LanguageId::English);
    const auto ownParts = [](TFormHlav& window) {
        window.setDocumentOpener(std::make_unique<RecordingOpener>());
        window.setPrintTarget(std::make_unique<FailingPrintTarget>("no printer in this test"));
    };
    QVERIFY(rig_.start({.onBox = [](const QString&) {}, .mappedPorts = PortMapping::kPorts, .beforeCreate = ownParts}));
}

void TestWindowMends::cleanup() { rig_.stop(); }

void TestWindowMends::coloursAreDrawn_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("action");  // 0 tick the box, 1 red message, 2 live row, 3 coloured label
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("shown");
    const QColor red(255, 0, 0);
    QTest::newRow("Programming after change ticked") << "CheckBoxProgHned" << 0 << red << true;
    QTest::newRow("No Reading ticked") << "CheckBoxZakazCteni" << 0 << red << true;
    QTest::newRow("Programming after change unticked") << "CheckBoxProgHned" << -1 << red << false;
    QTest::newRow("No Reading unticked") << "CheckBoxZakazCteni" << -1 << red << false;
    QTest::newRow("message line red") << "LabelHlaseni" << 1 << red << true;
    QTest::newRow("live row RPM box") << "EditRpmAdv1" << 2 << QColor(0, 255, 0) << true;
    QTest::newRow("live row advance box") << "EditAdvance1" << 2 << QColor(0, 255, 0) << true;
    QTest::newRow("live label yellow") << "LabelNapeti" << 3 << QColor(255, 255, 0) << true;
    QTest::newRow("live label aqua") << "LabelMonRetard" << 3 << QColor(0, 255, 255) << true;
}

void TestWindowMends::coloursAreDrawn() {
    QFETCH(QString, control);
    QFETCH(int, action);
    QFETCH(QColor, colour);
    QFETCH(bool, shown);
    auto* widget = child<QWidget>(qPrintable(control));
    switch (action) {
        case 0:
            clickBox(qobject_cast<QCheckBox*>(widget));
            QVERIFY(qobject_cast<QCheckBox*>(widget)->isChecked());
            break;
        case 1:
            window_->showMessage("Program error!", ExchangeView::MessageColour::Red);
            break;
        case 2:
            window_->highlightLiveRow(0, false);
            break;
        case 3:
            window_->setControlColour(widget, colour);
            break;
        default:
            break;
    }
    // Most of the control is the colour where it is coloured, none of it otherwise.
    const double share = drawnShare(widget, colour);
    if (shown) {
        QVERIFY2(share > 0.4, qPrintable(QString("%1 of %2 drawn in the colour").arg(share).arg(control)));
    } else {
        QCOMPARE(share, 0.0);
    }
}

void TestWindowMends::headerBytesAreCharacters_data() {
    QTest::addColumn<QByteArray>("unitText");
    QTest::addColumn<QString>("shown");
    QTest::newRow("accented letters") << QByteArray(
                                             "Z\xE9v\xE1"
                                             "d 7")
                                      << QString::fromUtf8("Zévád 7");
    QTest::newRow("upper half") << QByteArray("\xC8\xD8\xFF") << QString(QChar(0xC8)) + QChar(0xD8) + QChar(0xFF);
    QTest::newRow("zero ends the text") << QByteArray("AB\0CD", 5) << QString("AB");
}

void TestWindowMends::headerBytesAreCharacters() {
    QFETCH(QByteArray, unitText);
    QFETCH(QString, shown);
    std::array<std::uint8_t, kBlockSize> header{};
    header[10] = 41;
    for (qsizetype i = 0; i < unitText.size(); ++i)
        header[static_cast<std::size_t>(16 + i)] = std::uint8_t(unitText[i]);
    window_->headerTexts().decodeHeader(header);
    window_->refreshWindow();
    QCOMPARE(child<QLabel>("LabelVerze1")->text(), shown);
}

void TestWindowMends::menusTickWithCheckMarks_data() {
    QTest::addColumn<QString>("menu");
    QTest::newRow("Com") << "MenuCom";
    QTest::newRow("Language") << "MenuLanguage";
}

void TestWindowMends::menusTickWithCheckMarks() {
    QFETCH(QString, menu);
    auto* shown = child<QMenu>(qPrintable(menu));
    // The same items drawn once as plain checkable items and once as radio items.
    QMenu checks;
    QMenu radios;
    auto* group = new QActionGroup(&radios);
    for (QAction* action : shown->actions()) {
        for (QMenu* copy : {&checks, &radios}) {
            if (action->isSeparator()) {
                copy->addSeparator();
                continue;
            }
            QAction* item = copy->addAction(action->text());
            item->setCheckable(action->isCheckable());
            item->setChecked(action->isChecked());
            if (copy == &radios) group->addAction(item);
        }
    }
    // The ten ports, then a separator and Find unit.
    QCOMPARE(shown->actions().size(), menu == "MenuCom" ? 12 : 4);
    const QImage drawn = drawnMenu(shown);
    QVERIFY(drawn != drawnMenu(&radios));
    QCOMPARE(drawn, drawnMenu(&checks));
}

void TestWindowMends::czechAltLettersDoNotClash() {
    window_->setLanguage(LanguageId::Czech);
    // No two accelerators visible at once share a letter: the menu bar with the buttons,
    // and each menu's items.
    QList<QChar> visible;
    for (QAction* title : window_->menuBar()->actions()) visible << accelerator(title->text());
    for (const char* name : {"Button1", "BitBtn2", "BitBtn1"}) visible << accelerator(child<QPushButton>(name)->text());
    visible.removeAll(QChar());
    QCOMPARE(QSet<QChar>(visible.begin(), visible.end()).size(), visible.size());
    for (QAction* title : window_->menuBar()->actions()) {
        QList<QChar> items;
        for (QAction* item : title->menu()->actions()) items << accelerator(item->text());
        items.removeAll(QChar());
        QVERIFY2(QSet<QChar>(items.begin(), items.end()).size() == items.size(), qPrintable(title->text()));
    }
}

void TestWindowMends::printingAppliesAndProgramsNothing_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("base advance") << "EditBaseAdv"
                                  << "22";
    QTest::newRow("curve RPM") << "EditRpmAdv1"
                               << "1800";
    QTest::newRow("limiter") << "EditOmez2"
                             << "9000";
}

void TestWindowMends::printingAppliesAndProgramsNothing() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    clickBox(child<QCheckBox>("CheckBoxProgHned"));
    runOut();
    const ParameterSet before = window_->parameterSet();
    auto* edit = child<QLineEdit>(qPrintable(box));
    type(edit, typed);
    port_->written.clear();
    QTest::keyClick(edit, Qt::Key_P, Qt::ControlModifier);
    for (int i = 0; i < 8; ++i) window_->Timer1Timer();
    // Only polls went out; the stamp stays in the message line and the typed text in its box.
    QVERIFY(!sentCommands().isEmpty());
    QCOMPARE(sentCommands().count(0x30), sentCommands().size());
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QVERIFY(child<QLabel>("LabelHlaseni")->text().startsWith("Date and time of printing:  "));
    QVERIFY(window_->parameterSet().image() == before.image());
    QCOMPARE(edit->text(), typed);
}

void TestWindowMends::radioClickKeepsTypedValue_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("tabbedAway");
    QTest::newRow("shift light") << "EditLedRazeni"
                                 << "15000" << 60 << 150 << false;
    QTest::newRow("clutch time") << "EditClutch1"
                                 << "500" << 61 << 50 << false;
    QTest::newRow("clutch pause") << "EditClutch2"
                                  << "1250" << 62 << 125 << false;
    QTest::newRow("shift light, left by Tab") << "EditLedRazeni"
                                              << "9000" << 60 << 90 << true;
    QTest::newRow("out of range stays discarded") << "EditLedRazeni"
                                                  << "99000" << 60 << 120 << false;
}

void TestWindowMends::radioClickKeepsTypedValue() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(int, field);
    QFETCH(int, code);
    QFETCH(bool, tabbedAway);
    // Input 1 on clutch master enables the clutch boxes.
    clickItem(child<RadioGroup>("RadioGroupInput1"), 2);
    auto* edit = child<QLineEdit>(qPrintable(box));
    type(edit, typed);
    if (tabbedAway) QTest::keyClick(edit, Qt::Key_Tab);
    clickItem(child<RadioGroup>("RadioGroupInput2"), 3);
    QCOMPARE(int(window_->parameterSet().byte(field)), code);
    QCOMPARE(window_->parameterSet().input2Function(), 3);
    QCOMPARE(window_->parameterSet().input1Function(), 2);
    QCOMPARE(edit->text().remove(QLocale().groupSeparator()), QString::number(code * (field == 60 ? 100 : 10)));
}

QTEST_MAIN(TestWindowMends)
#include "tst_ui_mends.moc"
