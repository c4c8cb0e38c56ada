#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "ui/Artwork.h"
#include "ui/Manual.h"
#include "ui/Printout.h"
#include "ui/TFormAbout.h"

Q_DECLARE_METATYPE(LanguageId)
Q_DECLARE_METATYPE(ToolbarGlyph)

namespace {

// Runs a modal exec() and performs `action` once the window is up. A guard ends the loop
// after a few seconds so a broken close path fails the test instead of hanging it.
int execWith(QDialog& dialog, const std::function<void()>& action) {
    bool guardFired = false;
    QTimer::singleShot(0, &dialog, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, [&] {
        guardFired = true;
        dialog.done(-1);
    });
    guard.start(5000);
    const int result = dialog.exec();
    return guardFired ? -1 : result;
}

struct RecordingOpener : DocumentOpener {
    bool answer = true;
    QStringList paths;
    bool open(const QString& path) override {
        paths << path;
        return answer;
    }
};

// Runs a piece of work from a temporary current folder and restores the old one.
struct CurrentFolder {
    QString previous = QDir::currentPath();
    explicit CurrentFolder(const QString& path) { QDir::setCurrent(path); }
    ~CurrentFolder() { QDir::setCurrent(previous); }
};

MessageTexts textsFor(LanguageId language) {
    setCurrentLanguage(language);
    MessageTexts texts;
    buildMessageTexts(texts);
    return texts;
}

int countPageObjects(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
    return int(QString::fromLatin1(pdf).count(page));
}

}  // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setCurrentLanguage(LanguageId::English); }

    void logo();
    void glyphs_data();
    void glyphs();

    void aboutLayout();
    void aboutStampsAndPosition();
    void aboutCloses();
    void aboutDescription_data();
    void aboutDescription();

    void manualOpen_data();
    void manualOpen();
    void manualErrorBox();

    void scale_data();
    void scale();
    void stamp_data();
    void stamp();
    void printToPdf_data();
    void printToPdf();
    void printFailures();
    void clientArea();
};

void TestAbout::logo() {
    for (const qreal dpr : {1.0, 2.0}) {
        const QPixmap logo = velmorLogo(QSize(313, 49), dpr);
        QCOMPARE(logo.size(), QSize(qRound(313 * dpr), qRound(49 * dpr)));
        QCOMPARE(logo.devicePixelRatio(), dpr);
        const QImage img = logo.toImage();
        // A rounded plate: transparent corner, opaque dark plate, light letters somewhere.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(img.pixel(img.width() / 2, 2 * int(dpr))), 255);
        int light = 0;
        int warm = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.alpha() == 255 && c.lightness() > 220) ++light;
                if (c.alpha() == 255 && c.red() > 220 && c.blue() < 80) ++warm;
            }
        }
        QVERIFY2(light > img.width() * img.height() / 50, "the word is missing");
        QVERIFY2(warm > img.width() * img.height() / 100, "the spark motif is missing");
    }
    QCOMPARE(velmorLogo(QSize(311, 50), 1.0).size(), QSize(311, 50));
    QVERIFY(velmorLogo(QSize(0, 50), 1.0).isNull());
}

void TestAbout::glyphs_data() {
    QTest::addColumn<ToolbarGlyph>("glyph");
    QTest::newRow("new") << ToolbarGlyph::New;
    QTest::newRow("open") << ToolbarGlyph::Open;
    QTest::newRow("save") << ToolbarGlyph::Save;
    QTest::newRow("print") << ToolbarGlyph::Print;
}

void TestAbout::glyphs() {
    QFETCH(ToolbarGlyph, glyph);
    const QIcon icon = toolbarIcon(glyph);
    for (const auto mode : {QIcon::Normal, QIcon::Disabled}) {
        const QList<QSize> sizes = icon.availableSizes(mode);
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(32, 32)));
    }
    QCOMPARE(icon.pixmap(QSize(16, 16), 1.0).size(), QSize(16, 16));
    QCOMPARE(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));

    const QImage normal = icon.pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
    QVERIFY(normal != disabled);
    int coloured = 0;
    int drawn = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QColor n = normal.pixelColor(x, y);
            const QColor d = disabled.pixelColor(x, y);
            QCOMPARE(d.alpha() > 0, n.alpha() > 0);  // same shape
            if (d.alpha() == 255) QVERIFY2(qAbs(d.red() - d.blue()) <= 1, "disabled look is not grey");
            if (n.alpha() == 255) ++drawn;
            if (n.alpha() == 255 && n.hsvSaturation() > 100) ++coloured;
        }
    }
    QVERIFY(drawn > 40);
    QVERIFY(coloured > 0);
}

void TestAbout::aboutLayout() {
    TFormAbout about;
    QVERIFY(!about.isVisible());
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(!about.windowTitle().isEmpty());

    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.frameGeometry().size(), QSize(347, 434));
    QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::black));

    const QStringList order = {"LabelAbout",    "Image1",        "LabelContact1", "LabelContact2", "LabelContact3",
                               "LabelContact4", "LabelContact5", "LabelContact6", "LabelContact7", "LabelContact8",
                               "LabelContact9", "Bevel1",        "LabelDate",     "LabelTime"};
    int lastTop = -1;
    for (const QString& name : order) {
        QWidget* w = about.findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY2(w->isVisible(), qPrintable(name));
        QVERIFY2(w->y() > lastTop, qPrintable(name + " is out of order"));
        QVERIFY2(about.rect().contains(w->geometry()), qPrintable(name + " is outside the window"));
        lastTop = w->y();
    }
    for (int i = 1; i < TFormAbout::kContactLineCount; ++i) {
        const auto* a = about.findChild<QLabel*>(QStringLiteral("LabelContact%1").arg(i));
        const auto* b = about.findChild<QLabel*>(QStringLiteral("LabelContact%1").arg(i + 1));
        QCOMPARE(b->y() - a->y(), 25);
        QCOMPARE(a->font().pixelSize(), 16);
        QVERIFY(!a->text().isEmpty());
        QCOMPARE(a->palette().color(QPalette::WindowText), QColor(Qt::white));
    }
    QVERIFY(about.findChild<QLabel*>("LabelContact8")->text().contains("example.com"));
    QVERIFY(about.findChild<QLabel*>("LabelContact9")->text().contains("example.org"));

    auto* image = about.findChild<QLabel*>("Image1");
    QCOMPARE(image->size(), QSize(313, 49));
    QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), QSize(313, 49));
    QCOMPARE(about.findChild<QFrame*>("Bevel1")->height(), 1);
    QCOMPARE(about.findChild<QLabel*>("LabelAbout")->font().pixelSize(), 16);
    QCOMPARE(about.findChild<QLabel*>("LabelDate")->font().pixelSize(), 13);
    QCOMPARE(about.findChild<QLabel*>("LabelTime")->font().pixelSize(), 13);

    auto* exit = about.findChild<QLabel*>("LabelExit");
    QVERIFY(exit);
    QCOMPARE(exit->text(), QStringLiteral("OK"));
    QCOMPARE(exit->font().pixelSize(), 23);
    QVERIFY(exit->x() > about.width() / 2);
    QVERIFY(exit->y() > about.findChild<QFrame*>("Bevel1")->y());
    QVERIFY(about.rect().contains(exit->geometry()));
}

void TestAbout::aboutStampsAndPosition() {
    // The executable hands in the stamps of its build; what it hands in is what is shown.
    TFormAbout::setBuildStamps(QStringLiteral("Dec  8 2026"), QStringLiteral("23:05:45"));
    QCOMPARE(TFormAbout::dateStampFrom("Dec  8 2026"), QStringLiteral("Dec 8 2026"));
    QCOMPARE(TFormAbout::dateStampFrom("Nov 23 2025"), QStringLiteral("Nov 23 2025"));
    QVERIFY(QRegularExpression("^[A-Z][a-z]{2} [1-9][0-9]? [0-9]{4}$").match(TFormAbout::buildDateStamp()).hasMatch());
    QVERIFY(QRegularExpression("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$").match(TFormAbout::buildTimeStamp()).hasMatch());

    // Centred on the screen, not over the main window.
    QWidget mainWindow;
    mainWindow.setGeometry(20, 30, 500, 400);
    mainWindow.show();
    TFormAbout about(&mainWindow);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint centred(screen.left() + screen.width() / 2 - 347 / 2, screen.top() + screen.height() / 2 - 434 / 2);
    QCOMPARE(about.pos(), centred);

    QStringList seen;
    for (int opening = 0; opening < 2; ++opening) {
        const int result = execWith(about, [&] {
            if (opening == 0) QCOMPARE(about.pos(), centred);
            seen << about.findChild<QLabel*>("LabelDate")->text() + "|" + about.findChild<QLabel*>("LabelTime")->text();
            about.accept();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        // Moved by the operator between showings: no re-centring.
        about.move(centred + QPoint(-40, 25));
    }
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[0], seen[1]);
    QCOMPARE(seen[0], TFormAbout::buildDateStamp() + "|" + TFormAbout::buildTimeStamp());
    execWith(about, [&] {
        QCOMPARE(about.pos(), centred + QPoint(-40, 25));
        about.accept();
    });
}

void TestAbout::aboutCloses() {
    TFormAbout about;
    auto* exit = about.findChild<QLabel*>("LabelExit");
    // A click on "OK" closes; a press that is dragged off the label does not.
    QCOMPARE(execWith(about,
                      [&] {
                          QTest::mousePress(exit, Qt::LeftButton);
                          QTest::mouseRelease(exit, Qt::LeftButton, {}, QPoint(-20, -20));
                          QVERIFY(about.isVisible());
                          QTest::mouseClick(exit, Qt::LeftButton);
                      }),
             int(QDialog::Accepted));
    QVERIFY(!about.isVisible());
    QCOMPARE(execWith(about, [&] { QTest::keyClick(&about, Qt::Key_Return); }), int(QDialog::Accepted));
    QCOMPARE(execWith(about, [&] { QTest::keyClick(&about, Qt::Key_Enter); }), int(QDialog::Accepted));
    QCOMPARE(execWith(about, [&] { QTest::keyClick(&about, Qt::Key_Escape); }), int(QDialog::Rejected));
    QCOMPARE(execWith(about, [&] { about.close(); }), int(QDialog::Rejected));
}

void TestAbout::aboutDescription_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << LanguageId::English << QStringLiteral("Programm for setting of ignition");
    QTest::newRow("German") << LanguageId::German << QStringLiteral("Program für die Adjustierung der Zündung");
    QTest::newRow("French") << LanguageId::French << QStringLiteral("Programm for setting of ignition");
    QTest::newRow("Czech") << LanguageId::Czech << QStringLiteral("Program pro nastavování zapalování");
}

void TestAbout::aboutDescription() {
    QFETCH(LanguageId, language);
    QFETCH(QString, text);
    // The window is created in another language and follows the language current at each
    // showing.
    setCurrentLanguage(language == LanguageId::Czech ? LanguageId::German : LanguageId::Czech);
    TFormAbout about;
    auto* label = about.findChild<QLabel*>("LabelAbout");
    QString shown;
    execWith(about, [&] {
        shown = label->text();
        about.accept();
    });
    QVERIFY(shown != text);
    setCurrentLanguage(language);
    execWith(about, [&] {
        shown = label->text();
        about.accept();
    });
    QCOMPARE(shown, text);
    QCOMPARE(TFormAbout::description(language), text);
}

void TestAbout::manualOpen_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("error");
    QTest::newRow("Czech") << LanguageId::Czech << QStringLiteral("manual_velmor_cz.pdf")
                           << QStringLiteral("Chyba při otevírání souboru manual_velmor_cz.pdf !");
    QTest::newRow("English") << LanguageId::English << QStringLiteral("manual_velmor_en.pdf")
                             << QStringLiteral("Error by opening file manual_velmor_en.pdf !");
    QTest::newRow("French") << LanguageId::French << QStringLiteral("manual_velmor_fr.pdf")
                            << QStringLiteral("Erreur à l´ouvertur du Fichier manual_velmor_fr.pdf !");
}

void TestAbout::manualOpen() {
    QFETCH(LanguageId, language);
    QFETCH(QString, file);
    QFETCH(QString, error);
    const MessageTexts texts = textsFor(language);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    CurrentFolder here(dir.path());
    RecordingOpener opener;
    QStringList shown;
    const MessageSink sink = [&](QWidget*, const QString& text) { shown << text; };

    // Missing: the error, and the desktop is never asked.
    QVERIFY(!openManual(nullptr, texts, opener, sink));
    QCOMPARE(shown, QStringList{error});
    QVERIFY(opener.paths.isEmpty());

    // A folder of that name is no document either.
    QVERIFY(QDir(dir.path()).mkdir(file));
    QVERIFY(!openManual(nullptr, texts, opener, sink));
    QCOMPARE(shown.size(), 2);
    QVERIFY(opener.paths.isEmpty());
    QVERIFY(QDir(dir.path()).rmdir(file));

    // Present: the desktop gets the absolute path, nothing is shown.
    QFile pdf(QDir(dir.path()).filePath(file));
    QVERIFY(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    shown.clear();
    QVERIFY(openManual(nullptr, texts, opener, sink));
    QCOMPARE(opener.paths, QStringList{QFileInfo(pdf).absoluteFilePath()});
    QVERIFY(QFileInfo(opener.paths[0]).isAbsolute());
    QVERIFY(shown.isEmpty());

    // The desktop refuses (no viewer): the same error.
    opener.answer = false;
    QVERIFY(!openManual(nullptr, texts, opener, sink));
    QCOMPARE(opener.paths.size(), 2);
    QCOMPARE(shown, QStringList{error});
}

void TestAbout::manualErrorBox() {
    const MessageTexts texts = textsFor(LanguageId::Czech);
    QString text;
    QStringList buttons;
    bool closed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        text = box->text();
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            closed = true;
            ok->click();
        } else {
            box->reject();
        }
    });
    poll.start(20);
    QTimer guard;  // never leave a box open
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    guard.start(5000);

    QTemporaryDir dir;
    CurrentFolder here(dir.path());
    RecordingOpener opener;
    QVERIFY(!openManual(nullptr, texts, opener));
    QVERIFY(closed);
    QCOMPARE(text, QStringLiteral("Chyba při otevírání souboru manual_velmor_cz.pdf !"));
    QCOMPARE(buttons.size(), 1);
    QVERIFY(opener.paths.isEmpty());
}

void TestAbout::scale_data() {
    QTest::addColumn<int>("imageW");
    QTest::addColumn<int>("imageH");
    QTest::addColumn<int>("pageW");
    QTest::addColumn<int>("pageH");
    QTest::addColumn<QSize>("printed");
    // A4 at 600 dpi.
    QTest::newRow("wide fills the width") << 1000 << 500 << 4960 << 7016 << QSize(4960, 2480);
    QTest::newRow("tall fills the height") << 500 << 1000 << 4960 << 7016 << QSize(3508, 7016);
    QTest::newRow("window, truncated") << 823 << 805 << 9917 << 14033 << QSize(9917, 9700);
    QTest::newRow("same aspect") << 4960 << 7016 << 4960 << 7016 << QSize(4960, 7016);
    QTest::newRow("product first") << 3 << 7 << 10 << 10 << QSize(4, 10);
    QTest::newRow("landscape page") << 823 << 805 << 7016 << 4960 << QSize(5070, 4960);
    QTest::newRow("64-bit product") << 100000 << 3 << 1000000000 << 1000000000 << QSize(1000000000, 30000);
    QTest::newRow("64-bit tall") << 3 << 100000 << 1000000000 << 1000000000 << QSize(30000, 1000000000);
    QTest::newRow("tiny") << 1 << 1 << 1 << 1 << QSize(1, 1);
    QTest::newRow("zero image width") << 0 << 500 << 4960 << 7016 << QSize(0, 0);
    QTest::newRow("zero image height") << 500 << 0 << 4960 << 7016 << QSize(0, 0);
    QTest::newRow("zero page") << 500 << 500 << 0 << 0 << QSize(0, 0);
    QTest::newRow("negative") << -5 << 500 << 4960 << 7016 << QSize(0, 0);
}

void TestAbout::scale() {
    QFETCH(int, imageW);
    QFETCH(int, imageH);
    QFETCH(int, pageW);
    QFETCH(int, pageH);
    QFETCH(QSize, printed);
    QCOMPARE(printScale(imageW, imageH, pageW, pageH), printed);
}

void TestAbout::stamp_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("time");
    // The system's long time format, without the time-zone name some systems put at its end.
    QTest::newRow("English") << LanguageId::English << QStringLiteral("Date and time of printing:  ")
                             << QStringLiteral("en_US") << QStringLiteral("9:05:07 AM");
    QTest::newRow("German") << LanguageId::German << QStringLiteral("Zeitpunkt des Ausdruckes   ")
                            << QStringLiteral("de_DE") << QStringLiteral("09:05:07");
    QTest::newRow("French") << LanguageId::French << QStringLiteral("Date et heur de l´imprimé:   ")
                            << QStringLiteral("fr_FR") << QStringLiteral("09:05:07");
    QTest::newRow("Czech") << LanguageId::Czech << QStringLiteral("Datum a čas tisku:  ") << QStringLiteral("cs_CZ")
                           << QStringLiteral("9:05:07");
    QTest::newRow("C") << LanguageId::English << QStringLiteral("Date and time of printing:  ") << QStringLiteral("C")
                       << QStringLiteral("09:05:07");
}

void TestAbout::stamp() {
    QFETCH(LanguageId, language);
    QFETCH(QString, prefix);
    QFETCH(QString, locale);
    QFETCH(QString, time);
    const MessageTexts texts = textsFor(language);
    const QLocale system(locale);
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
    const QString stamp = printStampText(texts, when, system);
    const QString date = system.toString(when.date(), QLocale::ShortFormat);
    QVERIFY(date.contains(QStringLiteral("8")));
    QCOMPARE(stamp, prefix + date + QStringLiteral("    ") + time);
    // The system's own stamp (whatever its locale) carries no zone either.
    QVERIFY2(!printStampText(texts, when).contains(QStringLiteral("UTC")), qPrintable(printStampText(texts, when)));
}

void TestAbout::printToPdf_data() {
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<bool>("wide");
    QTest::newRow("wide window") << QSize(823, 400) << true;
    QTest::newRow("tall window") << QSize(300, 805) << false;
}

void TestAbout::printToPdf() {
    QFETCH(QSize, imageSize);
    QFETCH(bool, wide);
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("printout.pdf");
    PdfPrintTarget target(path);
    QString error;
    QVERIFY2(printImage(image, target, &error), qPrintable(error));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(countPageObjects(file.readAll()), 1);

    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty()) QSKIP("pdftoppm is not installed; the page count above is the check");
    QProcess render;
    render.start(pdftoppm, {"-r", "30", "-png", path, dir.filePath("page")});
    QVERIFY(render.waitForFinished(30000));
    QCOMPARE(render.exitCode(), 0);
    const QStringList pages = QDir(dir.path()).entryList({"page*.png"}, QDir::Files);
    QCOMPARE(pages.size(), 1);

    const QImage page(dir.filePath(pages[0]));
    QVERIFY(!page.isNull());
    auto isRed = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
    auto isWhite = [](QColor c) { return c.red() > 240 && c.green() > 240 && c.blue() > 240; };
    // The image starts at the top-left of the printable area, a few margin pixels in.
    const int inset = page.width() / 8;
    QVERIFY(isRed(page.pixelColor(inset, inset)));
    if (wide) {
        // Full width, and the lower part of the page stays empty.
        QVERIFY(isRed(page.pixelColor(page.width() - inset, inset)));
        QVERIFY(isWhite(page.pixelColor(page.width() / 2, page.height() - inset)));
    } else {
        // Full height, and the right part of the page stays empty.
        QVERIFY(isRed(page.pixelColor(inset, page.height() - inset)));
        QVERIFY(isWhite(page.pixelColor(page.width() - inset, page.height() / 2)));
    }
}

void TestAbout::printFailures() {
    QImage image(100, 50, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QTemporaryDir dir;
    QString error;
    PdfPrintTarget nowhere(dir.filePath("missing-folder/printout.pdf"));
    QVERIFY(!printImage(image, nowhere, &error));
    QVERIFY(!error.isEmpty());

    error.clear();
    PdfPrintTarget target(dir.filePath("empty.pdf"));
    QVERIFY(!printImage(QImage(), target, &error));
    QVERIFY(!error.isEmpty());

    if (QPrinterInfo::defaultPrinter().isNull()) {
        error.clear();
        SystemPrintTarget system;
        QVERIFY(!printImage(image, system, &error));
        QCOMPARE(error, QStringLiteral("No default printer is installed."));
    }
}

void TestAbout::clientArea() {
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"));
    auto* central = new QWidget;
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 255));
    central->setPalette(pal);
    window.setCentralWidget(central);
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const int menuHeight = window.menuBar()->height();
    QVERIFY(menuHeight > 0);
    const QImage client = grabClientArea(&window);
    const qreal dpr = window.devicePixelRatioF();
    QCOMPARE(client.size(), (QSizeF(400, 300 - menuHeight) * dpr).toSize());
    QCOMPARE(client.pixelColor(client.width() / 2, 1), QColor(0, 0, 255));

    window.menuBar()->hide();
    QCOMPARE(grabClientArea(&window).size(), (QSizeF(400, 300) * dpr).toSize());
    QVERIFY(grabClientArea(nullptr).isNull());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
