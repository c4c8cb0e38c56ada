// Help, Contents finds the manual in the current folder, beside the program or in an
// installation's documentation folder, in that order, and otherwise shows the error.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "ui/Manual.h"

namespace {

struct RecordingOpener : DocumentOpener {
    QStringList paths;
    bool open(const QString& path) override {
        paths << path;
        return true;
    }
};

}  // namespace

class TestManualLookup : public QObject {
    Q_OBJECT
private slots:
    void lookup_data();
    void lookup();
};

void TestManualLookup::lookup_data() {
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QStringList>("files");    // folders holding the manual as a plain file
    QTest::addColumn<QStringList>("folders");  // folders holding a folder of the manual's name
    QTest::addColumn<QString>("found");        // the folder opened; empty: the error is shown
    const QStringList none;
    QTest::newRow("current folder only") << LanguageId::English << QStringList{"work"} << none << "work";
    QTest::newRow("beside the program only") << LanguageId::German << QStringList{"prefix/bin"} << none << "prefix/bin";
    QTest::newRow("doc folder only") << LanguageId::French << QStringList{"prefix/share/doc/velmor"} << none
                                     << "prefix/share/doc/velmor";
    QTest::newRow("in none") << LanguageId::English << none << none << "";
    QTest::newRow("a folder is no file") << LanguageId::Czech << none
                                         << QStringList{"work", "prefix/bin", "prefix/share/doc/velmor"} << "";
    QTest::newRow("current folder first")
        << LanguageId::English << QStringList{"prefix/share/doc/velmor", "work", "prefix/bin"} << none << "work";
    QTest::newRow("program before doc folder")
        << LanguageId::Czech << QStringList{"prefix/share/doc/velmor", "prefix/bin"} << QStringList{"work"}
        << "prefix/bin";
}

void TestManualLookup::lookup() {
    QFETCH(LanguageId, language);
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, found);
    setCurrentLanguage(language);
    MessageTexts texts;
    buildMessageTexts(texts);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QDir root(tmp.path());
    for (const char* sub : {"work", "prefix/bin", "prefix/share/doc/velmor"}) QVERIFY(root.mkpath(sub));
    for (const QString& sub : files) {
        QFile pdf(root.filePath(sub + '/' + texts.manualFile));
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write("%PDF-1.4\n");
    }
    for (const QString& sub : folders) QVERIFY(root.mkpath(sub + '/' + texts.manualFile));

    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.filePath("work")));
    const QStringList searched = manualFolders(root.filePath("prefix/bin"));
    if (found.isEmpty() && QFileInfo(QDir(searched.last()), texts.manualFile).exists()) {
        QDir::setCurrent(previous);
        QSKIP("a velmor is installed in the configured prefix on this machine");
    }
    RecordingOpener opener;
    QStringList shown;
    const bool opened = openManual(
        nullptr, texts, opener, [&](QWidget*, const QString& text) { shown << text; }, searched);
    QDir::setCurrent(previous);

    if (found.isEmpty()) {
        QVERIFY(!opened);
        QVERIFY(opener.paths.isEmpty());
        QCOMPARE(shown, QStringList{texts.manualOpenError});
        if (language == LanguageId::English)
            QCOMPARE(shown[0], QStringLiteral("Error by opening file manual_velmor_en.pdf !"));
    } else {
        QVERIFY(opened);
        QCOMPARE(opener.paths.size(), 1);
        QVERIFY(QFileInfo(opener.paths[0]).isAbsolute());
        QCOMPARE(QFileInfo(opener.paths[0]).canonicalFilePath(),
                 QFileInfo(root.filePath(found + '/' + texts.manualFile)).canonicalFilePath());
        QVERIFY(shown.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestManualLookup)
#include "tst_manual_lookup.moc"
