#include <shlobj.h>
#include <windows.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include "files/ConfigPaths.h"
#include "link/InterruptPipe.h"
#include "link/PortDiagnosis.h"
#include "link/QtPortBackend.h"

namespace {

QString knownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    QString out;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) out = QString::fromWCharArray(path);
    ::CoTaskMemFree(path);
    return QDir::fromNativeSeparators(out);
}

QString windowsFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return QString::fromWCharArray(buffer, static_cast<qsizetype>(n));
}

// Windows paths name the same file in either case and with either separator. (QFileInfo's
// == holds for any two files that do not exist.)
bool samePath(const QString& a, const QString& b) {
    return QDir::cleanPath(QDir::fromNativeSeparators(a))
               .compare(QDir::cleanPath(QDir::fromNativeSeparators(b)), Qt::CaseInsensitive) == 0;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void filesLiveInTheApplicationDataFolder();
    void oldWindowsFolderFilesAreReadOnce_data();
    void oldWindowsFolderFilesAreReadOnce();
    void openFailureInPlainWords_data();
    void openFailureInPlainWords();
    void ctrlCIsTakenOnTheTick();

private:
    QString oldSettings_;
    QString oldImage_;
};

void TestWindows::initTestCase() {
    QCoreApplication::setApplicationName(QStringLiteral("velmor"));
    const ConfigPaths::Paths paths = ConfigPaths::current();
    oldSettings_ = paths.oldSettings;
    oldImage_ = paths.oldWorkingImage;
}

void TestWindows::cleanup() {
    const ConfigPaths::Paths paths = ConfigPaths::current();
    for (const QString& path : {paths.settings, paths.workingImage, oldSettings_, oldImage_}) QFile::remove(path);
}

void TestWindows::filesLiveInTheApplicationDataFolder() {
    // The system's own answers, not Qt's: %APPDATA%\velmor and the Windows directory.
    const QString appData = knownFolder(FOLDERID_RoamingAppData);
    QVERIFY(!appData.isEmpty());
    const ConfigPaths::Paths paths = ConfigPaths::current();
    QCOMPARE(QDir::cleanPath(paths.folder), QDir::cleanPath(appData + QStringLiteral("/velmor")));
    QCOMPARE(QDir::cleanPath(paths.settings), QDir::cleanPath(appData + QStringLiteral("/velmor/velmor.ini")));
    QCOMPARE(QDir::cleanPath(paths.workingImage), QDir::cleanPath(appData + QStringLiteral("/velmor/_velmor.ini")));
    QCOMPARE(paths.oldSettings.toLower(), (windowsFolder() + QStringLiteral("\\velmor.ini")).toLower());
    QCOMPARE(paths.marker, QStringLiteral("c:\\test_brinta.txt"));
}

void TestWindows::oldWindowsFolderFilesAreReadOnce_data() {
    QTest::addColumn<bool>("newExists");
    QTest::addColumn<bool>("oldExists");
    QTest::addColumn<bool>("readsOld");
    QTest::newRow("first start after the update") << false << true << true;
    QTest::newRow("written to the new place since") << true << true << false;
    QTest::newRow("fresh installation") << false << false << false;
}

void TestWindows::oldWindowsFolderFilesAreReadOnce() {
    QFETCH(bool, newExists);
    QFETCH(bool, oldExists);
    QFETCH(bool, readsOld);
    const ConfigPaths::Paths paths = ConfigPaths::current();
    QVERIFY(ConfigPaths::ensureFolder());
    if (oldExists) {
        // An ordinary user cannot write into the Windows folder of a real installation.
        if (!writeFile(oldSettings_, "[FORM_HLAV]\r\nLanguage=3\r\n") || !writeFile(oldImage_, "0 1 2\r\n"))
            QSKIP("the Windows folder is not writable here");
    }
    if (newExists) {
        QVERIFY(writeFile(paths.settings, "[FORM_HLAV]\r\n"));
        QVERIFY(writeFile(paths.workingImage, "0\r\n"));
    }
    QCOMPARE(samePath(ConfigPaths::settingsFileToRead(), readsOld ? oldSettings_ : paths.settings), true);
    QCOMPARE(samePath(ConfigPaths::workingImageFileToRead(), readsOld ? oldImage_ : paths.workingImage), true);
    // Written always to the new place.
    QCOMPARE(samePath(ConfigPaths::settingsFile(), paths.settings), true);
}

void TestWindows::openFailureInPlainWords_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("heldElsewhere");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("reason");
    // No machine has a COM250, nor does Wine link one by itself.
    QTest::newRow("nothing connected, English")
        << "COM250" << false << int(LanguageId::English) << "COM250 does not exist.";
    QTest::newRow("nothing connected, Czech") << "COM250" << false << int(LanguageId::Czech) << "COM250 neexistuje.";
    // COM1 where there is one (under Wine: the link to the simulator's pseudo-terminal).
    QTest::newRow("held by another program, English")
        << "COM1" << true << int(LanguageId::English) << "COM1 is in use by another program.";
    QTest::newRow("held by another program, German")
        << "COM1" << true << int(LanguageId::German) << "COM1 wird von einem anderen Programm benutzt.";
}

void TestWindows::openFailureInPlainWords() {
    QFETCH(QString, device);
    QFETCH(bool, heldElsewhere);
    QFETCH(int, language);
    QFETCH(QString, reason);
    QtPortBackend holder;
    if (heldElsewhere) {
        // Wine lets a second handle open a COM port that one holds; Windows refuses it.
        if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
            QSKIP("Wine does not keep a COM port to the program that holds it");
        if (!holder.open(device)) QSKIP("no COM1 to hold here");
    }
    QtPortBackend port;
    QVERIFY(!port.open(device));
    const SerialLink::OpenFailure failure{1, device, port.lastOpenError()};
    const QString shown = PortDiagnosis::reason(failure, {}, static_cast<LanguageId>(language));
    QVERIFY2(shown.startsWith(reason), qPrintable(shown));
}

void TestWindows::ctrlCIsTakenOnTheTick() {
    QVERIFY(InterruptPipe::install());
    // No pipe on Windows: the program sees the flag on its tick.
    QCOMPARE(InterruptPipe::readEnd(), -1);
    QVERIFY(!InterruptPipe::take());
    // Ctrl+C to this console's process group, this process included: the handler takes it
    // instead of ending the process.
    // A process without a console (started with its output in a pipe) cannot be sent one.
    if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) QSKIP("no console to send Ctrl+C to");
    QTRY_VERIFY(InterruptPipe::pending());
    QVERIFY(InterruptPipe::take());
    QVERIFY(!InterruptPipe::pending());
}

QTEST_GUILESS_MAIN(TestWindows)
#include "tst_windows.moc"
