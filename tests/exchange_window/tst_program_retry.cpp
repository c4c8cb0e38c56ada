// "Programming after change" once a programming did not get through: the next applied
// edit programs again, changed or not, because the unit may still hold its old set.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FakeUnit.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "i18n/Language.h"
#include "ui/TFormHlav.h"

class TestProgramRetry : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void unchangedEditAfterOutcome_data();
    void unchangedEditAfterOutcome();

private:
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            window_->Timer1Timer();
            unit_->answer();
        }
        QCoreApplication::processEvents();  // a box asked for inside a tick opens after it
    }
    // Enter in the base-advance box with its text untouched: an applied edit that changes nothing.
    void unchangedEdit() {
        QLineEdit* base = findControl<QLineEdit>(window_.get(), "EditBaseAdv");
        base->setFocus();
        QTest::keyClick(base, Qt::Key_Return);
    }
    QString message() const { return findControl<QLabel>(window_.get(), "LabelHlaseni")->text(); }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    std::unique_ptr<FakeUnit> unit_;
    QStringList boxes_;
};

void TestProgramRetry::init() {
    setCurrentLanguage(LanguageId::English);
    boxes_.clear();
    auto port = std::make_unique<FakePort>();
    unit_ = std::make_unique<FakeUnit>(*port);
    // Timer1 is ticked by hand.
    QVERIFY(rig_.start({.onBox = WindowRig::recordInto(boxes_)}, std::move(port)));
}

void TestProgramRetry::cleanup() {
    rig_.stop();
    unit_.reset();
}

void TestProgramRetry::unchangedEditAfterOutcome_data() {
    QTest::addColumn<QList<int>>("mute");  // requests the unit leaves unanswered the first time
    QTest::addColumn<int>("imageVersion");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("programsAgain");

    QTest::newRow("verified") << QList<int>{} << 41 << "Verify: OK" << QStringList{} << false;
    QTest::newRow("no answer") << QList<int>{0x00} << 41 << "Program error!" << QStringList{} << true;
    QTest::newRow("verify failed") << QList<int>{0x41} << 41 << "Verify error!" << QStringList{} << true;
    QTest::newRow("version mismatch") << QList<int>{} << 40 << "Program device:"
                                      << QStringList{"Unmatched version of PC and Ignition programs!"} << true;
}

void TestProgramRetry::unchangedEditAfterOutcome() {
    QFETCH(QList<int>, mute);
    QFETCH(int, imageVersion);
    QFETCH(QString, outcome);
    QFETCH(QStringList, boxes);
    QFETCH(bool, programsAgain);

    unit_->mute = QSet<int>(mute.begin(), mute.end());
    unit_->imageVersion = static_cast<std::uint8_t>(imageVersion);
    auto* box = findControl<QCheckBox>(window_.get(), "CheckBoxProgHned");
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(7, box->height() / 2));
    QVERIFY(box->isChecked());
    ticks(40);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QCOMPARE(message(), outcome);
    QCOMPARE(boxes_, boxes);
    QCOMPARE(unit_->commandsFrom(0).first(), 0x00);

    // The unit answers everything now; the edit changes no byte of the set.
    unit_->mute.clear();
    unit_->imageVersion = 41;
    const qsizetype before = unit_->requests.size();
    unchangedEdit();
    ticks(40);
    if (!programsAgain) {
        QCOMPARE(unit_->commandsFrom(before), QList<int>{});
        QCOMPARE(message(), outcome);
        return;
    }
    QCOMPARE(unit_->commandsFrom(before), (QList<int>{0x00, 0x01, 0x41}));
    const auto& sent = unit_->requests[before + 1];
    const auto block = window_->parameterSet().block(kParameterBlock);
    QVERIFY(std::equal(block.begin(), block.end(), sent.begin() + 1));
    QCOMPARE(message(), QString("Verify: OK"));
    QCOMPARE(boxes_, boxes);

    // Once it got through, an unchanged edit leaves the unit alone again.
    const qsizetype after = unit_->requests.size();
    unchangedEdit();
    ticks(10);
    QCOMPARE(unit_->commandsFrom(after), QList<int>{});
}

QTEST_MAIN(TestProgramRetry)
#include "tst_program_retry.moc"
