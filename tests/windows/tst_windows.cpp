#include <shlobj.h>
#include <windows.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include "../link/TestFrames.h"
#include "files/ConfigPaths.h"
#include "link/InterruptPipe.h"
#include "link/PortDiagnosis.h"
#include "link/SerialLink.h"
#include "link/Win32PortBackend.h"
#include "link/Win32PortList.h"

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

struct RecordingReceiver : FrameReceiver {
    QList<QByteArray> received;
    void dispatchReceived(std::span<const std::uint8_t> r) override {
        received.append(QByteArray(reinterpret_cast<const char*>(r.data()), static_cast<qsizetype>(r.size())));
    }
};

std::span<const std::uint8_t> bytesOf(const QByteArray& b) {
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

// Sends one frame on the tick's terms and gathers what the unit answers within a second.
QByteArray exchange(SerialLink& link, RecordingReceiver& receiver, const LinkFrame& frame) {
    receiver.received.clear();
    link.writePollFrame(frame);
    for (int i = 0; i < 100 && receiver.received.isEmpty(); ++i) {
        ::Sleep(10);
        link.readWaiting();
    }
    return receiver.received.value(0);
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
    void comPortCarriesEveryByte();
    void portListNamesTheAdapter_data();
    void portListNamesTheAdapter();
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
    Win32PortBackend holder;
    if (heldElsewhere) {
        // Wine lets a second handle open a COM port that one holds; Windows refuses it.
        if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
            QSKIP("Wine does not keep a COM port to the program that holds it");
        if (!holder.open(device)) QSKIP("no COM1 to hold here");
    }
    Win32PortBackend port;
    QVERIFY(!port.open(device));
    const SerialLink::OpenFailure failure{1, device, port.lastOpenError()};
    const QString shown = PortDiagnosis::reason(failure, {}, static_cast<LanguageId>(language));
    QVERIFY2(shown.startsWith(reason), qPrintable(shown));
}

void TestWindows::comPortCarriesEveryByte() {
    // COM1 is the simulator's pseudo-terminal (scripts/windows-test); its line is raw only if
    // the port's own settings made it so.
    SerialLink link(makeSystemPortBackend());
    RecordingReceiver receiver;
    link.setReceiver(&receiver);
    link.mapping().setExplicit(1, QStringLiteral("COM1"));
    link.selectPort(1);
    if (!link.isOpen()) QSKIP("no COM1 here");
    // The system's own list holds the port the link reaches, by its COM name.
    const QList<SerialDevice> present = SystemDeviceLister().devices();
    QVERIFY(std::any_of(present.cbegin(), present.cend(), [](const SerialDevice& d) { return d.path == "COM1"; }));

    const QByteArray live = exchange(link, receiver, TestFrames::frame(kPollCommand));
    QCOMPARE(live.size(), kFrameSize);
    QCOMPARE(quint8(live[0]), quint8(kTelemetryAnswer));
    QVERIFY(checkByteValid(std::span(reinterpret_cast<const std::uint8_t*>(live.constData()), kFrameSize)));

    // The bytes a cooked line would eat or turn: ^C, LF, CR, XON, XOFF, ^Z, DEL, 0xFF.
    QByteArray block = QByteArray::fromHex("00030a0d11131a7f80ff");
    for (int i = 0; block.size() < kPayloadSize; ++i) block.append(char(i * 37 + 11));
    const QByteArray echo = exchange(link, receiver, TestFrames::frame(kProgramParametersCommand, bytesOf(block)));
    QCOMPARE(echo.size(), kFrameSize);
    QCOMPARE(quint8(echo[0]), quint8(kProgramParametersCommand | kAnswerBit));
    QCOMPARE(echo.mid(1, kPayloadSize).toHex(), block.toHex());
    const QByteArray readBack = exchange(link, receiver, TestFrames::frame(kReadParametersCommand));
    QCOMPARE(readBack.size(), kFrameSize);
    QCOMPARE(quint8(readBack[0]), quint8(kReadParametersCommand | kAnswerBit));
    QCOMPARE(readBack.mid(1, kPayloadSize).toHex(), block.toHex());

    // Closed and chosen again, the port carries frames as before.
    link.selectPort(1);
    QVERIFY(link.isOpen());
    QCOMPARE(exchange(link, receiver, TestFrames::frame(kPollCommand)).size(), kFrameSize);
}

void TestWindows::portListNamesTheAdapter_data() {
    QTest::addColumn<QString>("hardwareId");
    QTest::addColumn<QString>("instanceId");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("vendorId");
    QTest::addColumn<int>("productId");
    QTest::addColumn<QString>("serial");
    QTest::newRow("FTDI adapter") << "USB\\VID_0403&PID_6001&REV_0600"
                                  << "USB\\VID_0403&PID_6001\\A6008isP"
                                  << "USB Serial Port"
                                  << "FTDI"
                                  << "USB Serial Port (FTDI)" << 0x0403 << 0x6001 << "A6008isP";
    QTest::newRow("made-up instance, maker named") << "USB\\VID_067B&PID_2303"
                                                   << "USB\\VID_067B&PID_2303\\5&2A1B&0&2"
                                                   << "Prolific USB-to-Serial Comm Port"
                                                   << "Prolific"
                                                   << "Prolific USB-to-Serial Comm Port" << 0x067B << 0x2303 << "";
    QTest::newRow("built-in port") << "ACPI\\PNP0501"
                                   << "ACPI\\PNP0501\\1"
                                   << "Communications Port"
                                   << "(Standard port types)"
                                   << "Communications Port" << 0 << 0 << "";
    QTest::newRow("maker only") << ""
                                << ""
                                << ""
                                << "FTDI"
                                << "FTDI" << 0 << 0 << "";
}

void TestWindows::portListNamesTheAdapter() {
    QFETCH(QString, hardwareId);
    QFETCH(QString, instanceId);
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(QString, shown);
    QFETCH(int, vendorId);
    QFETCH(int, productId);
    QFETCH(QString, serial);
    QCOMPARE(Win32PortList::describe(description, manufacturer), shown);
    quint16 vendor = 1;
    quint16 product = 1;
    Win32PortList::usbIdsOf(hardwareId, vendor, product);
    QCOMPARE(int(vendor), vendorId);
    QCOMPARE(int(product), productId);
    QCOMPARE(Win32PortList::serialNumberOf(instanceId), serial);
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
