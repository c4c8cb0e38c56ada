// The velmor executable as a process: what it stores after it was started with arguments
// and asked to end by a signal.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class AppTest : public QObject {
    Q_OBJECT
private slots:
    void languageWordIsTheFirstRawArgument_data();
    void languageWordIsTheFirstRawArgument();
    void oneWindowPerSettingsFolder_data();
    void oneWindowPerSettingsFolder();
};

namespace {

// velmor on its own configuration and data folders below home, on the offscreen platform.
void startVelmor(QProcess& velmor, const QTemporaryDir& home, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    velmor.setProcessEnvironment(environment);
    velmor.start(VELMOR_EXECUTABLE, arguments);
}

// Port 0 opens nothing, so no message box waits for a click; the stored language is Czech.
const QByteArray kStartSettings("[FORM_HLAV]\r\nComPort=0\r\nLanguage=3\r\n");

// The settings file below home, written with kStartSettings; empty when that failed.
QString writeStartSettings(const QTemporaryDir& home) {
    if (!home.isValid() || !QDir(home.path()).mkpath("config/velmor")) return {};
    const QString ini = home.filePath("config/velmor/velmor.ini");
    QFile settings(ini);
    if (!settings.open(QIODevice::WriteOnly) || settings.write(kStartSettings) != kStartSettings.size()) return {};
    return ini;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

void AppTest::languageWordIsTheFirstRawArgument_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("storedLanguage");
    // Stored language Czech (3); only a first argument that is a language word changes it.
    QTest::newRow("Qt option first") << QStringList{"-reverse", "DEUTSCH"} << QByteArray("3");
    QTest::newRow("word first") << QStringList{"DEUTSCH", "-reverse"} << QByteArray("1");
    QTest::newRow("no word") << QStringList{} << QByteArray("3");
}

void AppTest::languageWordIsTheFirstRawArgument() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, storedLanguage);
    QTemporaryDir home;
    const QString ini = writeStartSettings(home);
    QVERIFY(!ini.isEmpty());
    QFile settings(ini);

    QProcess velmor;
    startVelmor(velmor, home, arguments);
    QVERIFY(velmor.waitForStarted(10000));
    // The window is up once the settings have been read; give it a moment, then end it the way
    // a session does. It closes as File, Exit does and stores the language in force.
    QTest::qWait(1500);
    ::kill(static_cast<pid_t>(velmor.processId()), SIGTERM);
    QVERIFY(velmor.waitForFinished(10000));
    QCOMPARE(velmor.exitStatus(), QProcess::NormalExit);

    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray stored = settings.readAll();
    QVERIFY2(stored.contains("\r\nLanguage=" + storedLanguage + "\r\n"), stored.constData());
}

void AppTest::oneWindowPerSettingsFolder_data() {
    QTest::addColumn<bool>("firstCrashed");
    QTest::addColumn<QByteArray>("storedLanguage");  // after the second window was ended
    QTest::newRow("first still open") << false << QByteArray();
    QTest::newRow("first crashed") << true << QByteArray("1");
}

void AppTest::oneWindowPerSettingsFolder() {
    QFETCH(bool, firstCrashed);
    QFETCH(QByteArray, storedLanguage);
    QTemporaryDir home;
    const QString ini = writeStartSettings(home);
    QVERIFY(!ini.isEmpty());
    const QString image = home.filePath("config/velmor/_velmor.ini");

    QProcess first;
    startVelmor(first, home, {});
    QVERIFY(first.waitForStarted(10000));
    QTest::qWait(1500);
    if (firstCrashed) {
        first.kill();
        QVERIFY(first.waitForFinished(10000));
    }

    // The second start, in German: had it run, it would store Language=1 at its end.
    QProcess second;
    startVelmor(second, home, {"DEUTSCH"});
    QVERIFY(second.waitForStarted(10000));
    QTest::qWait(1500);
    ::kill(static_cast<pid_t>(second.processId()), SIGTERM);
    QVERIFY(second.waitForFinished(10000));
    if (storedLanguage.isEmpty()) {
        QCOMPARE(contents(ini), kStartSettings);
        QVERIFY(!QFile::exists(image));
    } else {
        QVERIFY2(contents(ini).contains("\r\nLanguage=" + storedLanguage + "\r\n"), contents(ini).constData());
    }
    if (!firstCrashed) {
        // The first window still ends as always, with its own settings.
        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(contents(ini).contains("\r\nLanguage=3\r\n"));
        QVERIFY(QFile::exists(image));
    }
}

QTEST_GUILESS_MAIN(AppTest)
#include "tst_app.moc"
