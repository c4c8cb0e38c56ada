// The build stamp inside the velmor executable is the time that build made it.
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

class TestBuildStamp : public QObject {
    Q_OBJECT

private slots:
    void stampIsTheBuildsOwn();
};

void TestBuildStamp::stampIsTheBuildsOwn() {
    QFile app(QStringLiteral(VELMOR_APP));
    QVERIFY2(app.open(QIODevice::ReadOnly), VELMOR_APP);
    const QByteArray bytes = app.readAll();
    const QRegularExpression pattern(
        QStringLiteral("velmor-build-stamp ([A-Z][a-z]{2} [1-9][0-9]? [0-9]{4})\\|([0-2][0-9]:[0-5][0-9]:[0-5][0-9])"));
    const qsizetype at = bytes.indexOf("velmor-build-stamp ");
    QVERIFY2(at >= 0, "no build stamp in the executable");
    QVERIFY2(bytes.indexOf("velmor-build-stamp ", at + 1) < 0, "more than one build stamp");
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(bytes.mid(at, 64)));
    QVERIFY2(match.hasMatch(), bytes.mid(at, 64).constData());
    const QDateTime stamp =
        QLocale::c().toDateTime(match.captured(1) + ' ' + match.captured(2), QStringLiteral("MMM d yyyy HH:mm:ss"));
    QVERIFY(stamp.isValid());
    // Written by the build just before it linked the executable: at most the link time
    // earlier than the file, never later.
    const QDateTime linked = QFileInfo(app).lastModified();
    const qint64 before = stamp.secsTo(linked);
    QVERIFY2(before >= -1 && before < 300,
             qPrintable(QString("stamp %1, linked %2").arg(stamp.toString(Qt::ISODate), linked.toString(Qt::ISODate))));
}

QTEST_GUILESS_MAIN(TestBuildStamp)
#include "tst_build_stamp.moc"
