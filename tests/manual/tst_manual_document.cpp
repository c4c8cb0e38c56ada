// The manual renderer on a small sample: what pdftotext finds on which page of the PDF it
// wrote (title page, contents with the right page numbers, each chapter on a page of its
// own, captions, footers, accented letters), and the errors of a bad source.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "ManualDocument.h"

namespace {

// The text pdftotext finds on one page (0: all), in reading order.
QString pageText(const QString& pdf, int page = 0) {
    QStringList arguments{"-layout", "-enc", "UTF-8"};
    if (page > 0) arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
    QProcess tool;
    tool.start("pdftotext", arguments << pdf << "-");
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QString firstLine(const QString& text) {
    for (const QString& line : text.split('\n'))
        if (!line.trimmed().isEmpty()) return line.trimmed();
    return {};
}

}  // namespace

class TestManualDocument : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesOfASample();
    void keptTogetherAtThePageFoot();
    void tableAtThePageFoot();
    void badSources_data();
    void badSources();

private:
    bool writeSource(const QString& name, const QByteArray& text) {
        QFile file(dir_.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    }
    QTemporaryDir dir_;
};

void TestManualDocument::initTestCase() {
    QVERIFY(dir_.isValid());
    QImage picture(800, 500, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(dir_.filePath("window.png")));
}

void TestManualDocument::pagesOfASample() {
    QByteArray source = "# Ukázka — příručka\n\nŽluťoučký kůň úpěl ďábelské ódy, Größe, déjà vu.\n\n## Alpha\n\n";
    // Long enough for a second page.
    for (int i = 0; i < 60; ++i)
        source += "A paragraph of the first chapter, number " + QByteArray::number(i) + ".\n\n";
    source +=
        "### Later section\n\nSome text.\n\n## Beta\n\n![The main window](window.png)\n\n## Gamma\n\n"
        "| Field | Range |\n|---|---|\n| Limiter | 999 to 25000 |\n";
    QVERIFY(writeSource("sample.md", source));
    ManualDocument manual("cz", "9.8");
    QVERIFY2(manual.load(dir_.filePath("sample.md"), dir_.path()), qPrintable(manual.error()));
    const QString pdf = dir_.filePath("sample.pdf");
    QVERIFY2(manual.write(pdf), qPrintable(manual.error()));

    // Title page: the title, the version, the first paragraph with its accents.
    const QString title = pageText(pdf, 1);
    QCOMPARE(firstLine(title), QString("Ukázka — příručka"));
    QVERIFY(title.contains("velmor · Verze 9.8"));
    QVERIFY(title.simplified().contains("Žluťoučký kůň úpěl ďábelské ódy, Größe, déjà vu."));
    const QRegularExpression footer("\\d+\\s*/\\s*" + QString::number(manual.pageCount()));
    QVERIFY(!title.contains(footer));  // no footer on the title page

    // Each chapter opens its own page, the one the contents give; the pages after the
    // first carry "page / pages".
    const QStringList names{"Alpha", "Beta", "Gamma"};
    QCOMPARE(manual.chapters().size(), names.size());
    const QString contents = pageText(pdf, 2);
    QCOMPARE(firstLine(contents), QString("Obsah"));
    int previous = 2;
    for (int i = 0; i < names.size(); ++i) {
        const ManualDocument::Chapter& chapter = manual.chapters()[i];
        QCOMPARE(chapter.title, names[i]);
        QVERIFY2(chapter.page > previous, qPrintable(names[i]));
        previous = chapter.page;
        QVERIFY(contents.contains(QRegularExpression(names[i] + "\\s+" + QString::number(chapter.page) + "\n")));
        const QString page = pageText(pdf, chapter.page);
        QCOMPARE(firstLine(page), names[i]);
        QVERIFY(page.contains(QRegularExpression(QString("%1\\s*/\\s*%2").arg(chapter.page).arg(manual.pageCount()))));
    }
    QCOMPARE(manual.chapters()[1].page - manual.chapters()[0].page, 2);  // Alpha fills two pages
    QVERIFY(pageText(pdf, manual.chapters()[1].page).contains("The main window"));
    QVERIFY(pageText(pdf, manual.chapters()[2].page).contains(QRegularExpression("Limiter\\s+999 to 25000")));
    QCOMPARE(pageText(pdf).count('\f'), manual.pageCount());
}

// A section heading with a short code block under it, pushed a line further down the page
// each time: wherever the foot of the page falls, heading and code share one page and no
// code line is cut (a cut one would also show, clipped, on the page before).
void TestManualDocument::keptTogetherAtThePageFoot() {
    const QStringList code{
        "velmorctl ports",           "velmorctl info",   "velmorctl read -o bike.ign", "velmorctl program bike.ign",
        "velmorctl verify bike.ign", "velmorctl monitor"};
    for (int lines = 26; lines < 42; ++lines) {
        QByteArray source = "# T\n\nFirst.\n\n## A\n\n";
        for (int i = 0; i < lines; ++i) source += "Line " + QByteArray::number(i) + ".\n\n";
        source += "### Examples\n\n```\n" + code.join('\n').toUtf8() + "\n```\n\nAfter.\n";
        QVERIFY(writeSource("foot.md", source));
        ManualDocument manual("en", "1");
        const QString pdf = dir_.filePath("foot.pdf");
        QVERIFY2(manual.load(dir_.filePath("foot.md"), dir_.path()) && manual.write(pdf), qPrintable(manual.error()));
        const QString text = pageText(pdf);
        const QStringList pages = text.split('\f');
        qsizetype heading = -1;
        for (qsizetype p = 0; p < pages.size(); ++p)
            if (pages[p].contains("Examples")) heading = p;
        QVERIFY(heading >= 0);
        for (const QString& line : code) {
            QCOMPARE(text.count(line), 1);
            QVERIFY2(pages[heading].contains(line), qPrintable(QString("%1 lines before: %2").arg(lines).arg(line)));
        }
    }
}

// A table pushed down by a picture a little taller each time: when it ends at the foot of
// a page, the next page is neither empty nor its repeated header alone.
void TestManualDocument::tableAtThePageFoot() {
    for (int height = 860; height <= 940; height += 2) {
        QImage picture(800, height, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(dir_.filePath("tall.png")));
        QVERIFY(writeSource("table.md",
                            "# T\n\nFirst.\n\n## A\n\n![Graph](tall.png)\n\nLine 1.\n\nLine 2.\n\n"
                            "Line 3.\n\n| Field | Range |\n|---|---|\n| Limiter | 999 |\n| Retard | 0 to 25 |\n\n"
                            "After.\n"));
        ManualDocument manual("en", "1");
        const QString pdf = dir_.filePath("table.pdf");
        QVERIFY2(manual.load(dir_.filePath("table.md"), dir_.path()) && manual.write(pdf), qPrintable(manual.error()));
        const QStringList pages = pageText(pdf).split('\f');
        for (int p = 2; p < manual.pageCount(); ++p) {
            const QString body = pages[p].section(QRegularExpression("\n\\s*T\\s+\\d+\\s*/"), 0, 0).trimmed();
            const QString where = QString("picture %1 px high, page %2").arg(height).arg(p + 1);
            QVERIFY2(!body.isEmpty(), qPrintable(where));
            QVERIFY2(!body.contains("Field") || body.contains("Limiter") || body.contains("Retard"),
                     qPrintable(where + ": " + body));
        }
    }
}

void TestManualDocument::badSources_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("error");
    QTest::newRow("picture not there") << QByteArray("# T\n\nText.\n\n## A\n\n![x](graph.png)\n") << "graph.png";
    QTest::newRow("no title") << QByteArray("Text.\n\n## A\n\nMore.\n") << "title";
    QTest::newRow("title only") << QByteArray("# T\n") << "nothing but the title";
}

void TestManualDocument::badSources() {
    QFETCH(QByteArray, source);
    QFETCH(QString, error);
    QVERIFY(writeSource("bad.md", source));
    ManualDocument manual("en", "1");
    QVERIFY(!manual.load(dir_.filePath("bad.md"), dir_.path()));
    QVERIFY2(manual.error().contains(error), qPrintable(manual.error()));
}

QTEST_MAIN(TestManualDocument)
#include "tst_manual_document.moc"
