// The window's file commands (Save, Open, New), the printout and the Help menu, against a
// fake port, fake dialogs and print targets, each test in a configuration folder of its own.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FileSizeLimit.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "files/ParameterFile.h"
#include "i18n/Language.h"
#include "ui/RadioGroup.h"
#include "ui/TFormAbout.h"
#include "ui/TFormHlav.h"
#include "ui/UpDown.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The parameter bytes a file carries: 50..56, 59..67 and 70..99.
QList<int> fileBytes() {
    QList<int> bytes;
    for (int b = 50; b < 100; ++b) {
        if (b != 57 && b != 58 && b != 68 && b != 69) {
            bytes.append(b);
        }
    }
    return bytes;
}

int countPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int pages = 0;
    auto it = page.globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        it.next();
        ++pages;
    }
    return pages;
}

int redPixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0xFF0000) {
                ++red;
            }
        }
    }
    return red;
}

}  // namespace

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesWindowSetAndOpenGivesItBack();
    void saveCancelledChangesNothing();
    void interruptedSaveKeepsOldFileAndWindow();
    void openFailures_data();
    void openFailures();
    void openAppliesLikeAnEdit();
    void newAsksFirst_data();
    void newAsksFirst();
    void toolbarButtonsReachFileCommands();
    void printStamp_data();
    void printStamp();
    void printsOnePageWithoutConnectionLabel();
    void failedPrintLeavesPrintView();
    void manualOfCurrentLanguage();
    void aboutShownModallyAndKept();

private:
    template <typename T>
    T* child(const char* name) const {
        return findControl<T>(window_.get(), name);
    }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(name); }
    // Types into a box without confirming it: only a read-back takes the text.
    void type(const char* name, const QString& text) {
        QLineEdit* box = edit(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    QString path(const QString& name) const { return files_->filePath(name); }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<QTemporaryDir>& files_ = rig_.files;
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    FakePort*& port_ = rig_.port;
    FakeDialogs*& dialogs_ = rig_.dialogs;
    RecordingOpener* opener_ = nullptr;
    QStringList boxes_;
};

void TestCommands::init() {
    setCurrentLanguage(LanguageId::English);
    boxes_.clear();
    const auto ownParts = [this](TFormHlav& window) {
        auto opener = std::make_unique<RecordingOpener>();
        opener_ = opener.get();
        window.setDocumentOpener(std::move(opener));
        window.setPrintTarget(std::make_unique<FailingPrintTarget>("no printer here"));
    };
    QVERIFY(rig_.start({.onBox = WindowRig::recordInto(boxes_), .beforeCreate = ownParts}));
}

void TestCommands::cleanup() {
    rig_.stop();
    setCurrentLanguage(LanguageId::English);
}

void TestCommands::saveWritesWindowSetAndOpenGivesItBack() {
    // Unconfirmed edits in the window reach the file.
    type("EditPocetBodu", "4");
    QTest::keyClick(edit("EditPocetBodu"), Qt::Key_Return);
    type("EditRpmAdv3", "3500");
    type("EditAdvance4", "27");
    child<QCheckBox>("CheckBoxZakazCteni")->setChecked(true);
    type("EditRpmKorekce", "-20");
    const QString target = path("track.ign");
    dialogs_->saveName = target;

    window_->MenuSaveClick();
    QVERIFY(boxes_.isEmpty());
    QCOMPARE(dialogs_->asked, QStringList{"save"});
    QCOMPARE(dialogs_->initialNames, QStringList{QString()});
    const ParameterSet saved = window_->parameterSet();
    QCOMPARE(saved.curveRpm(2), 35);
    QCOMPARE(saved.curveAdvance(3), 27);
    QCOMPARE(saved.rpmCorrection(), 80);
    QCOMPARE(readFile(target), ParameterFile::toBytes(saved));
    QVERIFY(readFile(target).contains("RPM_ADV      1000  2000  3500  4000 "));
    QVERIFY(readFile(target).contains("NO_READING      1"));
    QCOMPARE(window_->fileLabel(), target);
    QCOMPARE(window_->currentFileName(), target);
    QCOMPARE(edit("EditRpmAdv3")->text(), QLocale().toString(3500));
    // Nothing is left beside the file.
    QCOMPARE(QDir(files_->path()).entryList(QDir::Files), QStringList{"track.ign"});

    // New empties the label but keeps the file name for the dialogs.
    dialogs_->answer = FileDialogs::Answer::Yes;
    window_->MenuNewClick();
    QCOMPARE(window_->parameterSet().curveRpm(2), 30);
    QCOMPARE(window_->parameterSet().rpmCorrection(), 100);
    QCOMPARE(window_->fileLabel(), QString());
    QCOMPARE(window_->currentFileName(), target);
    QVERIFY(window_->parameterSet().curvePointCount() == 2);

    dialogs_->openName = target;
    window_->MenuOpenClick();
    QVERIFY(boxes_.isEmpty());
    QCOMPARE(dialogs_->initialNames.last(), target);
    for (int b : fileBytes()) {
        QVERIFY2(window_->parameterSet().byte(b) == saved.byte(b), qPrintable(QString("byte %1").arg(b)));
    }
    QCOMPARE(window_->fileLabel(), target);
    QCOMPARE(edit("EditAdvance4")->text(), QString("27"));
    QVERIFY(!window_->rpmEdits()[3]->isHidden());
    QVERIFY(window_->rpmEdits()[4]->isHidden());
}

void TestCommands::saveCancelledChangesNothing() {
    window_->setFileLabel("/sets/a.ign");
    window_->setCurrentFileName("/sets/b.ign");
    type("EditRpmAdv2", "3000");
    window_->MenuSaveClick();
    QCOMPARE(dialogs_->initialNames, QStringList{"/sets/b.ign"});
    QCOMPARE(window_->parameterSet().curveRpm(1), 20);
    QCOMPARE(window_->fileLabel(), QString("/sets/a.ign"));
    QCOMPARE(window_->currentFileName(), QString("/sets/b.ign"));
    QVERIFY(boxes_.isEmpty());
    QVERIFY(QDir(files_->path()).isEmpty());
}

void TestCommands::interruptedSaveKeepsOldFileAndWindow() {
    const QString target = path("keep.ign");
    ParameterSet old;
    old.setBaseAdvance(17);
    QVERIFY(writeFile(target, ParameterFile::toBytes(old)));
    window_->setFileLabel("/sets/before.ign");
    window_->setCurrentFileName("/sets/before.ign");
    const ParameterImage before = window_->parameterSet().image();

    type("EditBaseAdv", "12");
    dialogs_->saveName = target;
    {
        // The disk fills up while the file is written.
        FileSizeLimit limit(40);
        QVERIFY(limit.isActive());
        window_->MenuSaveClick();
    }
    QCOMPARE(boxes_, QStringList{"Open file error!"});
    QCOMPARE(readFile(target), ParameterFile::toBytes(old));
    QCOMPARE(QDir(files_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.ign"});
    // The window's edits were not taken: set, labels and file name as before.
    QCOMPARE(window_->parameterSet().image(), before);
    QCOMPARE(edit("EditBaseAdv")->text(), QString("12"));
    QCOMPARE(window_->fileLabel(), QString("/sets/before.ign"));
    QCOMPARE(window_->currentFileName(), QString("/sets/before.ign"));

    // In German the same failure says so in German; a later save goes through.
    window_->setLanguage(LanguageId::German);
    type("EditBaseAdv", "12");
    boxes_.clear();
    {
        FileSizeLimit limit(40);
        window_->MenuSaveClick();
    }
    QCOMPARE(boxes_, QStringList{QString::fromUtf8("Fehler beim öffnen der Datei!")});
    window_->MenuSaveClick();
    QCOMPARE(boxes_.size(), 1);
    QCOMPARE(window_->parameterSet().baseAdvance(), 12);
    QCOMPARE(readFile(target), ParameterFile::toBytes(window_->parameterSet()));
    QCOMPARE(window_->fileLabel(), target);
}

void TestCommands::openFailures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");  // written to name unless empty
    QTest::addColumn<QString>("box");
    QTest::newRow("cancel") << QString() << QByteArray() << QString();
    QTest::newRow("missing") << "missing.ign" << QByteArray() << "Open file error!";
    QTest::newRow("folder") << "." << QByteArray() << "Open file error!";
    QTest::newRow("version 40") << "old.ign" << QByteArray("KAPRILON_KEY  40 \r\n\r\nBASE_ADV       12 ")
                                << "Unmatched version of *.ign file!";
    QTest::newRow("no header") << "plain.ign" << QByteArray("BASE_ADV 12\r\nLIMITER 100 150 6")
                               << "Unmatched version of *.ign file!";
    QTest::newRow("lower case header") << "lower.ign" << QByteArray("kaprilon_key 41 BASE_ADV 12")
                                       << "Unmatched version of *.ign file!";
}

void TestCommands::openFailures() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, box);
    if (!content.isEmpty()) {
        QVERIFY(writeFile(path(name), content));
    }
    dialogs_->openName = name.isEmpty() ? QString() : path(name);
    window_->setFileLabel("/sets/a.ign");
    window_->setCurrentFileName("/sets/a.ign");
    window_->markSaved();  // the file holds the set: nothing to ask before it is replaced
    window_->showMessage("Verify: OK", ExchangeView::MessageColour::Normal);
    window_->setGaugeVisible(true);
    const ParameterImage before = window_->parameterSet().image();

    window_->MenuOpenClick();
    QCOMPARE(boxes_, box.isEmpty() ? QStringList() : QStringList{box});
    QCOMPARE(window_->parameterSet().image(), before);
    QCOMPARE(window_->fileLabel(), QString("/sets/a.ign"));
    QCOMPARE(window_->currentFileName(), QString("/sets/a.ign"));
    QCOMPARE(edit("EditBaseAdv")->text(), QString("10"));
    // In every case the message line and the gauge go.
    QVERIFY(child<QLabel>("LabelHlaseni")->isHidden());
    QVERIFY(child<QProgressBar>("CGauge")->isHidden());
}

void TestCommands::openAppliesLikeAnEdit() {
    // Only BASE_ADV and a conflicting LIMITER in the file: the rest of the set stays, and
    // validate corrects the start limiter before the window shows it.
    const QString name = path("part.ign");
    QVERIFY(writeFile(name, "junk KAPRILON_KEY 41\nBASE_ADV 12\nLIMITER 160 150 6\nbase_adv 30\n"));
    window_->parameterSet().setCurveAdvance(0, 22);
    window_->refreshWindow();
    child<QCheckBox>("CheckBoxProgHned")->setChecked(true);
    window_->programAfterChange();  // armed with the current set
    for (int i = 0; i < 30; ++i) {
        window_->Timer1Timer();  // the first program attempt fails against the silent port
    }
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    port_->written.clear();

    dialogs_->openName = name;
    window_->MenuOpenClick();
    const ParameterSet& set = window_->parameterSet();
    QCOMPARE(set.baseAdvance(), 12);
    QCOMPARE(set.curveAdvance(0), 22);
    QCOMPARE(set.limiter(), 150);
    QVERIFY(set.startLimiter() <= set.limiter());
    QCOMPARE(edit("EditBaseAdv")->text(), QString("12"));
    QCOMPARE(window_->fileLabel(), name);
    // Programming after change started at once, though the message line is hidden.
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    QVERIFY(child<QLabel>("LabelHlaseni")->isHidden());
    QVERIFY(child<QProgressBar>("CGauge")->isHidden());
}

void TestCommands::newAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QString>("question");
    QTest::newRow("yes") << int(FileDialogs::Answer::Yes) << LanguageId::English
                         << QString("Do you want default setting?");
    QTest::newRow("no") << int(FileDialogs::Answer::No) << LanguageId::English
                        << QString("Do you want default setting?");
    QTest::newRow("cancel") << int(FileDialogs::Answer::Cancel) << LanguageId::English
                            << QString("Do you want default setting?");
    QTest::newRow("yes in Czech") << int(FileDialogs::Answer::Yes) << LanguageId::Czech
                                  << QString::fromUtf8("Chcete nastavit základní hodnoty?");
}

void TestCommands::newAsksFirst() {
    QFETCH(int, answer);
    QFETCH(LanguageId, language);
    QFETCH(QString, question);
    window_->setLanguage(language);
    ParameterSet& set = window_->parameterSet();
    set.setCurvePointCount(6);
    set.setBaseAdvance(20);
    set.setInput1Function(3);
    window_->refreshWindow();
    window_->setFileLabel("/sets/a.ign");
    window_->setCurrentFileName("/sets/a.ign");
    window_->markSaved();  // the file holds the set: nothing to ask before it is replaced
    window_->showMessage("Read:", ExchangeView::MessageColour::Normal);
    dialogs_->answer = static_cast<FileDialogs::Answer>(answer);

    window_->MenuNewClick();
    QCOMPARE(dialogs_->questions, QStringList{question});
    const bool yes = dialogs_->answer == FileDialogs::Answer::Yes;
    QCOMPARE(int(set.curvePointCount()), yes ? 2 : 6);
    QCOMPARE(int(set.baseAdvance()), yes ? 10 : 20);
    QCOMPARE(int(set.input1Function()), 3);  // the defaults leave the input functions alone
    QCOMPARE(edit("EditPocetBodu")->text(), QString::number(set.curvePointCount()));
    QCOMPARE(window_->fileLabel(), yes ? QString() : QString("/sets/a.ign"));
    QCOMPARE(window_->currentFileName(), QString("/sets/a.ign"));
    QCOMPARE(child<QLabel>("LabelHlaseni")->isHidden(), yes);
}

void TestCommands::toolbarButtonsReachFileCommands() {
    QTest::mouseClick(child<QToolButton>("SpeedButton6"), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>("SpeedButton5"), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>("SpeedButton7"), Qt::LeftButton);
    QCOMPARE(dialogs_->asked, (QStringList{"confirm", "open", "save"}));
    QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(window_.get(), Qt::Key_F3);
    QTest::keyClick(window_.get(), Qt::Key_F2);
    QCOMPARE(dialogs_->asked, (QStringList{"confirm", "open", "save", "confirm", "open", "save"}));
}

void TestCommands::printStamp_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("English") << LanguageId::English << QString("Date and time of printing:  ");
    QTest::newRow("French") << LanguageId::French << QString::fromUtf8("Date et heur de l´imprimé:   ");
}

void TestCommands::printStamp() {
    QFETCH(LanguageId, language);
    QFETCH(QString, prefix);
    window_->setLanguage(language);
    auto stampAt = [&prefix](const QDateTime& when) {
        const QLocale system = QLocale::system();
        // The long time format without the zone name some systems append.
        const QString time =
            system.toString(when.time(), QLocale::LongFormat).remove(when.timeZoneAbbreviation()).simplified();
        return prefix + system.toString(when.date(), QLocale::ShortFormat) + "    " + time;
    };
    const QDateTime before = QDateTime::currentDateTime();
    window_->printWindow();
    const QDateTime after = QDateTime::currentDateTime();
    const QString shown = child<QLabel>("LabelHlaseni")->text();
    QVERIFY2(shown == stampAt(before) || shown == stampAt(after), qPrintable(shown));
    QVERIFY(!child<QLabel>("LabelHlaseni")->isHidden());
}

void TestCommands::printsOnePageWithoutConnectionLabel() {
    const QString pdf = path("print.pdf");
    auto target = std::make_unique<WatchedPdfTarget>(pdf);
    WatchedPdfTarget* watched = target.get();
    window_->setPrintTarget(std::move(target));
    window_->setGaugeVisible(true);
    QVERIFY(!child<QLabel>("LabelSpojeni")->isHidden());
    QVERIFY(redPixels(grabClientArea(window_.get())) > 0);

    bool inPrintView = false;
    int redWhilePrinting = -1;
    QColor messageBackground;
    QColor windowColour;
    bool aidsHidden = false;
    watched->onJob = [&] {
        inPrintView = window_->printView();
        const QImage image = grabClientArea(window_.get());
        redWhilePrinting = redPixels(image);
        messageBackground = window_->controlColour(child<QLabel>("LabelHlaseni"));
        windowColour = image.pixelColor(image.width() - 2, image.height() / 2);
        aidsHidden = child<QStatusBar>("StatusBar1")->isHidden() && window_->rpmSpinners()[0]->isHidden() &&
                     child<QWidget>("GroupBoxToolBar")->isHidden() && child<QProgressBar>("CGauge")->isHidden();
    };
    window_->printWindow();
    QCOMPARE(watched->jobs, 1);
    QVERIFY(boxes_.isEmpty());
    QVERIFY(inPrintView);
    QCOMPARE(redWhilePrinting, 0);
    QCOMPARE(messageBackground, QColor(Qt::white));
    QCOMPARE(windowColour, QColor(Qt::white));
    QVERIFY(aidsHidden);

    const QByteArray bytes = readFile(pdf);
    QVERIFY(bytes.startsWith("%PDF-"));
    QCOMPARE(countPages(bytes), 1);
    QVERIFY(bytes.contains("/Subtype /Image"));

    // Back to normal, except the gauge; the stamp stays 200 ticks.
    QVERIFY(!window_->printView());
    QVERIFY(!window_->rpmSpinners()[0]->isHidden());
    QVERIFY(!child<QStatusBar>("StatusBar1")->isHidden());
    QVERIFY(child<QProgressBar>("CGauge")->isHidden());
    QVERIFY(!window_->controlColour(child<QLabel>("LabelHlaseni")).isValid());
    QCOMPARE(int(window_->exchange().messageCountdown()), 200);
    for (int i = 0; i < 199; ++i) {
        window_->Timer1Timer();
    }
    QVERIFY(!child<QLabel>("LabelHlaseni")->isHidden());
    // Still not connected: the warning is back after the first tick.
    QVERIFY(!child<QLabel>("LabelSpojeni")->isHidden());
    window_->Timer1Timer();
    QVERIFY(child<QLabel>("LabelHlaseni")->isHidden());
}

void TestCommands::failedPrintLeavesPrintView() {
    auto target = std::make_unique<FailingPrintTarget>("The printer Office cannot start the print job.");
    FailingPrintTarget* failing = target.get();
    window_->setPrintTarget(std::move(target));
    bool inPrintView = false;
    failing->onJob = [&] { inPrintView = window_->printView(); };
    window_->showMessage("Program error!", ExchangeView::MessageColour::Red);

    window_->printWindow();
    QCOMPARE(failing->jobs, 1);
    QVERIFY(inPrintView);
    QCOMPARE(boxes_, QStringList{"The printer Office cannot start the print job."});
    QVERIFY(!window_->printView());
    QVERIFY(!child<QStatusBar>("StatusBar1")->isHidden());
    QVERIFY(!child<QWidget>("GroupBoxToolBar")->isHidden());
    QVERIFY(!window_->rpmSpinners()[1]->isHidden());
    QVERIFY(!window_->controlColour(window_->centralWidget()).isValid());
    QVERIFY(!window_->controlColour(child<QLabel>("LabelHlaseni")).isValid());
    QVERIFY(child<QLabel>("LabelHlaseni")->text().startsWith("Date and time of printing:  "));
    QCOMPARE(int(window_->exchange().messageCountdown()), 200);

    // Ctrl+P runs the same command.
    QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(failing->jobs, 2);
    QCOMPARE(boxes_.size(), 2);
}

void TestCommands::manualOfCurrentLanguage() {
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(files_->path()));
    window_->setLanguage(LanguageId::Czech);
    window_->MenuContensClick();
    QCOMPARE(boxes_, QStringList{QString::fromUtf8("Chyba při otevírání souboru manual_velmor_cz.pdf !")});
    QVERIFY(opener_->opened.isEmpty());

    // Present in the current folder: handed to the desktop, nothing shown.
    QVERIFY(writeFile(path("manual_velmor_cz.pdf"), "%PDF-1.4\n"));
    boxes_.clear();
    QTest::keyClick(window_.get(), Qt::Key_F1);
    QCOMPARE(opener_->opened, QStringList{QDir(files_->path()).absoluteFilePath("manual_velmor_cz.pdf")});
    QVERIFY(boxes_.isEmpty());

    // The desktop refusing it is reported too, in the language current then.
    window_->setLanguage(LanguageId::French);
    QVERIFY(writeFile(path("manual_velmor_fr.pdf"), "%PDF-1.4\n"));
    opener_->result = false;
    window_->MenuContensClick();
    QCOMPARE(boxes_, QStringList{QString::fromUtf8("Erreur à l´ouvertur du Fichier manual_velmor_fr.pdf !")});
    QVERIFY(QDir::setCurrent(previous));
}

void TestCommands::aboutShownModallyAndKept() {
    TFormAbout* about = window_->aboutForm();
    QVERIFY(about != nullptr);
    QVERIFY(about->isHidden());
    QCOMPARE(about->parentWidget(), window_.get());
    window_->setLanguage(LanguageId::German);

    QString shownText;
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY_WITH_TIMEOUT(about->isVisible(), 5000);
        modal = QApplication::activeModalWidget() == about;
        shownText = about->findChild<QLabel*>("LabelAbout")->text();
        about->close();
    });
    window_->MenuAboutClick();
    QVERIFY(modal);
    QCOMPARE(shownText, QString::fromUtf8("Program für die Adjustierung der Zündung"));
    QVERIFY(about->isHidden());
    QCOMPARE(window_->aboutForm(), about);
}

QTEST_MAIN(TestCommands)
#include "tst_ui_commands.moc"
