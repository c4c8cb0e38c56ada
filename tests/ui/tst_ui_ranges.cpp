// Open with a parameter file whose values lie outside the window's ranges: what the box says
// in each language, what the edit boxes show, and that the box comes before any programming.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "i18n/Language.h"
#include "ui/TFormHlav.h"

using Texts = QList<std::pair<QString, QString>>;  // edit box, text it shows
Q_DECLARE_METATYPE(Texts)

class TestUiRanges : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openBringsFileIntoRange_data();
    void openBringsFileIntoRange();

private:
    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<QTemporaryDir>& files_ = rig_.files;
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    FakePort*& port_ = rig_.port;
    FakeDialogs*& dialogs_ = rig_.dialogs;
    // Each box with what the exchange was doing and had sent when it opened.
    QStringList boxes_;
    QList<std::pair<ExchangeMode, std::size_t>> atBox_;
};

void TestUiRanges::init() {
    setCurrentLanguage(LanguageId::English);
    QVERIFY(rig_.start({.onBox =
                            [this](const QString& text) {
                                boxes_.append(text);
                                atBox_.append({window_->exchange().mode(), port_->written.size()});
                            },
                        .show = false}));
    boxes_.clear();
    atBox_.clear();
}

void TestUiRanges::cleanup() {
    rig_.stop();
    setCurrentLanguage(LanguageId::English);
}

void TestUiRanges::openBringsFileIntoRange_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("box");  // empty: no box
    QTest::addColumn<Texts>("shown");
    const QByteArray head = "KAPRILON_KEY  41 \r\n";
    const QString thousands = QLocale().toString(25000);

    QTest::newRow("english, four keys")
        << LanguageId::English << head + "LIMITER 12800 15000 6\r\nADVANCE 300\r\nPOCET_BODU 0\r\nGEBER_NR 9"
        << "The file holds values outside the allowed range. They were set to the nearest allowed value: "
           "ADVANCE, POCET_BODU, LIMITER, GEBER_NR"
        << Texts{{"EditOmez1", thousands}, {"EditOmez2", thousands}, {"EditRetard", "6"},
                 {"EditAdvance1", "60"},   {"EditPocetBodu", "1"},   {"ComboBoxPocPalcu", "2"}};
    QTest::newRow("german") << LanguageId::German << head + "BASE_ADV 41"
                            << QString::fromUtf8(
                                   "Die Datei enthält Werte außerhalb des zulässigen Bereichs. Sie "
                                   "wurden auf den nächsten zulässigen Wert gesetzt: BASE_ADV")
                            << Texts{{"EditBaseAdv", "40"}};
    QTest::newRow("french") << LanguageId::French << head + "RPM 9 -70 CLUTCH 3000 100"
                            << QString::fromUtf8(
                                   "Le fichier contient des valeurs hors des limites autorisées. "
                                   "Elles ont été ramenées à la valeur autorisée la plus proche : "
                                   "CLUTCH, RPM")
                            << Texts{{"EditRpmPulsu", "6"},
                                     {"EditRpmKorekce", "-60"},
                                     {"EditClutch1", QLocale().toString(2500)},
                                     {"EditClutch2", "100"}};
    QTest::newRow("czech") << LanguageId::Czech << head + "PILOT_LIGHT 65600"
                           << QString::fromUtf8(
                                  "Soubor obsahuje hodnoty mimo povolený rozsah. Byly nastaveny na "
                                  "nejbližší povolenou hodnotu: PILOT_LIGHT")
                           << Texts{{"EditLedRazeni", thousands}};
    QTest::newRow("in range, no box") << LanguageId::English << head + "LIMITER 9 250 25 ADVANCE 60" << QString()
                                      << Texts{{"EditOmez2", thousands}, {"EditRetard", "25"}, {"EditAdvance1", "60"}};
}

void TestUiRanges::openBringsFileIntoRange() {
    QFETCH(LanguageId, language);
    QFETCH(QByteArray, content);
    QFETCH(QString, box);
    QFETCH(Texts, shown);
    window_->setLanguage(language);
    const QString name = files_->filePath("set.ign");
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    // Programming after change armed with the set before the file.
    findControl<QCheckBox>(window_.get(), "CheckBoxProgHned")->setChecked(true);
    window_->programAfterChange();
    for (int i = 0; i < 30; ++i) window_->Timer1Timer();  // the silent port lets it fail
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    port_->written.clear();

    dialogs_->openName = name;
    window_->MenuOpenClick();
    QCOMPARE(boxes_, box.isEmpty() ? QStringList{} : QStringList{box});
    if (!box.isEmpty()) {
        // Told before anything is programmed.
        QCOMPARE(atBox_.first().first, ExchangeMode::Idle);
        QCOMPARE(atBox_.first().second, std::size_t{0});
    }
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    for (const auto& [control, text] : shown) {
        if (auto* list = window_->findChild<QComboBox*>(control))
            QCOMPARE(QString::number(list->currentIndex()), text);
        else
            QCOMPARE(findControl<QLineEdit>(window_.get(), qPrintable(control))->text(), text);
    }
}

QTEST_MAIN(TestUiRanges)
#include "tst_ui_ranges.moc"
