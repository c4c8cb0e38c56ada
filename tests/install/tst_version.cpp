// velmor --version and velmorctl --version print the project's version and exit at once,
// without a display and without writing settings.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "ProjectInfo.h"

class TestVersion : public QObject {
    Q_OBJECT
private slots:
    void version_data();
    void version();
};

void TestVersion::version_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("name");
    QTest::newRow("velmor") << VELMOR_EXECUTABLE << QStringList{"--version"} << "velmor";
    QTest::newRow("velmorctl") << VELMORCTL_EXECUTABLE << QStringList{"--version"} << "velmorctl";
    QTest::newRow("velmorctl, option after a command")
        << VELMORCTL_EXECUTABLE << QStringList{"read", "--version"} << "velmorctl";
}

void TestVersion::version() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, name);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* key : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(key);
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), name + ' ' + kVelmorVersion + '\n');
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestVersion)
#include "tst_version.moc"
