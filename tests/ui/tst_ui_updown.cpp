// The spinner of the edit boxes and the radio-group control, on their own.
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "ui/RadioGroup.h"
#include "ui/UpDown.h"

namespace {

// "1" + separator + "000", written out from the locale's separator rather than formatted.
QString grouped(int thousands, int rest) {
    return QString::number(thousands) + QLocale().groupSeparator() + QString("%1").arg(rest, 3, 10, QChar('0'));
}

}  // namespace

class TestUpDown : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void parseNumber_data();
    void parseNumber();
    void textForGroupsFromThousand_data();
    void textForGroupsFromThousand();
    void positionAdoptsOnlyWholeNumbersInRange();
    void setPositionClampsIntoRange();
    void stepDoesNotWrapAndAlwaysEmits();
    void arrowButtonAndArrowKeysStep();
    void radioGroupKeepsIndexAndReportsOnlyClicks();
};

void TestUpDown::parseNumber_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "C"
                           << "123" << true << 123;
    QTest::newRow("blanks around") << "C"
                                   << "  42 " << true << 42;
    QTest::newRow("negative") << "C"
                              << "-60" << true << -60;
    QTest::newRow("plus sign") << "C"
                               << "+5" << true << 5;
    QTest::newRow("C grouping") << "C"
                                << "18,600" << true << 18600;
    QTest::newRow("C decimal point") << "C"
                                     << "1.5" << false << 0;
    QTest::newRow("letters") << "C"
                             << "abc" << false << 0;
    QTest::newRow("trailing letter") << "C"
                                     << "12a" << false << 0;
    QTest::newRow("empty") << "C"
                           << "" << false << 0;
    QTest::newRow("sign only") << "C"
                               << "-" << false << 0;
    QTest::newRow("too large") << "C"
                               << "99999999999" << false << 0;
    QTest::newRow("German grouping") << "de_DE"
                                     << "15.000" << true << 15000;
    QTest::newRow("German comma") << "de_DE"
                                  << "15,5" << false << 0;
    QTest::newRow("Czech no-break space") << "cs_CZ" << QString("15") + QChar(0x00A0) + "000" << true << 15000;
    QTest::newRow("Czech typed blank") << "cs_CZ"
                                       << "15 000" << true << 15000;
}

void TestUpDown::parseNumber() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    QLocale::setDefault(QLocale(locale));
    const auto parsed = UpDown::parseNumber(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(*parsed, value);
    }
}

void TestUpDown::textForGroupsFromThousand_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("grouping");
    QTest::addColumn<int>("thousands");  // -1: plain decimal expected
    QTest::addColumn<int>("rest");
    for (const char* locale : {"C", "de_DE", "cs_CZ", "en_US"}) {
        const QByteArray name(locale);
        QTest::newRow(name + " 999") << QString(locale) << 999 << true << -1 << 0;
        QTest::newRow(name + " 1000") << QString(locale) << 1000 << true << 1 << 0;
        QTest::newRow(name + " 18600") << QString(locale) << 18600 << true << 18 << 600;
        QTest::newRow(name + " 20100 ungrouped") << QString(locale) << 20100 << false << -1 << 0;
        QTest::newRow(name + " -60") << QString(locale) << -60 << true << -1 << 0;
    }
}

void TestUpDown::textForGroupsFromThousand() {
    QFETCH(QString, locale);
    QFETCH(int, value);
    QFETCH(bool, grouping);
    QFETCH(int, thousands);
    QFETCH(int, rest);
    QLocale::setDefault(QLocale(locale));
    UpDown spinner;
    spinner.setGrouping(grouping);
    const QString expected = thousands < 0 ? QString::number(value) : grouped(thousands, rest);
    QCOMPARE(spinner.textFor(value), expected);
    // And the box shows exactly that text after a position is set.
    QLineEdit box;
    spinner.setRange(-100, 30000);
    spinner.setBuddy(&box);
    spinner.setPosition(value);
    QCOMPARE(box.text(), expected);
    // The grouped text reads back as the same number.
    QCOMPARE(spinner.position(), value);
}

void TestUpDown::positionAdoptsOnlyWholeNumbersInRange() {
    QLineEdit box;
    UpDown spinner;
    spinner.setRange(0, 25);
    spinner.setBuddy(&box);
    spinner.setPosition(6);
    QCOMPARE(box.text(), QString("6"));

    box.setText("12");
    QCOMPARE(spinner.position(), 12);
    box.setText("30");  // above the range: the previous position stays
    QCOMPARE(spinner.position(), 12);
    box.setText("-1");
    QCOMPARE(spinner.position(), 12);
    box.setText("x");
    QCOMPARE(spinner.position(), 12);
    // The box keeps the operator's text until someone writes the position back.
    QCOMPARE(box.text(), QString("x"));
    spinner.setPosition(spinner.position());
    QCOMPARE(box.text(), QString("12"));
}

void TestUpDown::setPositionClampsIntoRange() {
    QLineEdit box;
    UpDown spinner;
    spinner.setRange(1000, 25000);
    spinner.setGrouping(false);
    spinner.setBuddy(&box);
    spinner.setPosition(500);
    QCOMPARE(spinner.storedPosition(), 1000);
    QCOMPARE(box.text(), QString("1000"));
    spinner.setPosition(25500);
    QCOMPARE(box.text(), QString("25000"));
}

void TestUpDown::stepDoesNotWrapAndAlwaysEmits() {
    QLineEdit box;
    UpDown spinner;
    spinner.setRange(600, 20100);
    spinner.setIncrement(100);
    spinner.setGrouping(false);
    spinner.setBuddy(&box);
    QSignalSpy clicks(&spinner, &UpDown::clicked);

    spinner.setPosition(20000);
    spinner.step(+1);
    QCOMPARE(box.text(), QString("20100"));
    spinner.step(+1);  // at the end: no wrap to 600, but the click is still reported
    QCOMPARE(box.text(), QString("20100"));
    QCOMPARE(clicks.count(), 2);

    // A click first adopts what was typed, then steps from there.
    box.setText("1250");
    spinner.step(-1);
    QCOMPARE(box.text(), QString("1150"));
    box.setText("650");
    spinner.step(-1);
    QCOMPARE(box.text(), QString("600"));
    spinner.step(-1);
    QCOMPARE(box.text(), QString("600"));
    QCOMPARE(clicks.count(), 5);
    QCOMPARE(clicks.last().at(0).toInt(), -1);
}

void TestUpDown::arrowButtonAndArrowKeysStep() {
    QWidget holder;
    auto* box = new QLineEdit(&holder);
    auto* spinner = new UpDown(&holder);
    spinner->setRange(0, 60);
    spinner->setBuddy(box);
    spinner->setPosition(10);
    holder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&holder));
    QSignalSpy clicks(spinner, &UpDown::clicked);

    const QList<QToolButton*> arrows = spinner->findChildren<QToolButton*>();
    QCOMPARE(arrows.size(), 2);
    QTest::mouseClick(arrows[0], Qt::LeftButton);
    QCOMPARE(box->text(), QString("11"));
    QTest::mouseClick(arrows[1], Qt::LeftButton);
    QTest::mouseClick(arrows[1], Qt::LeftButton);
    QCOMPARE(box->text(), QString("9"));
    QCOMPARE(clicks.count(), 3);

    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->text(), QString("10"));
    QCOMPARE(clicks.count(), 4);
    // A hidden spinner (print view, unused input) does not step from the keyboard.
    spinner->hide();
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->text(), QString("10"));
}

void TestUpDown::radioGroupKeepsIndexAndReportsOnlyClicks() {
    RadioGroup group;
    group.setItems({"Off", "Kill switch", "Clutch master", "Retard", "Start Limiter"});
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    QSignalSpy clicks(&group, &RadioGroup::itemClicked);

    QCOMPARE(group.itemIndex(), -1);
    group.setItemIndex(3);
    QCOMPARE(group.itemIndex(), 3);
    QCOMPARE(clicks.count(), 0);

    // The language replaces the list as a whole; the choice stays.
    group.setItems({"Vypnut", "Kill switch", "Clutch master", "Snížení předstihu", "Startovací omezovač"});
    QCOMPARE(group.itemIndex(), 3);
    QCOMPARE(group.button(3)->text(), QString("Snížení předstihu"));
    QCOMPARE(group.count(), 5);

    // A code without an item shows no item.
    group.setItemIndex(7);
    QCOMPARE(group.itemIndex(), -1);
    for (int i = 0; i < group.count(); ++i) {
        QVERIFY(!group.button(i)->isChecked());
    }

    QTest::mouseClick(group.button(1), Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().at(0).toInt(), 1);
    QCOMPARE(group.itemIndex(), 1);
    // Still exclusive after clearing.
    QTest::mouseClick(group.button(2), Qt::LeftButton);
    QCOMPARE(group.itemIndex(), 2);
    QVERIFY(!group.button(1)->isChecked());
}

QTEST_MAIN(TestUpDown)
#include "tst_ui_updown.moc"
