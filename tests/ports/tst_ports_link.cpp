#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <QtTest>

#include <QElapsedTimer>

#include "PortTestSupport.h"
#include "link/PortDiagnosis.h"
#include "link/PortMapping.h"
#include "link/PosixPortBackend.h"
#include "link/SerialLink.h"

namespace {

struct QuietSink : LinkErrorSink {
    int failures = 0;
    void portOpenFailed() override { ++failures; }
};

LinkFrame pollFrame() {
    LinkFrame f{};
    f[0] = kPollCommand;
    sealFrame(f);
    return f;
}

// The reason line for opening the device as the link would, in English.
QString reasonFor(const QString& device, const QList<SerialDevice>& present) {
    auto lister = std::make_shared<FixedLister>();
    lister->present = present;
    SerialLink link(std::make_unique<PosixPortBackend>());
    QuietSink sink;
    link.setErrorSink(&sink);
    link.mapping().setLister(lister);
    if (!device.isEmpty()) link.mapping().setExplicit(4, device);
    link.selectPort(4);
    if (sink.failures != 1) return QStringLiteral("opened");
    return PortDiagnosis::reason(link.lastOpenFailure(), present, LanguageId::English);
}

// Runs fn in a child process and returns what it wrote, waiting at most 10 s.
QString inChild(const std::function<QByteArray()>& fn) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray out = fn();
        (void)!::write(fds[1], out.constData(), static_cast<std::size_t>(out.size()));
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        pollfd p{fds[0], POLLIN, 100};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buf[1024];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, n);
    }
    ::close(fds[0]);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return QString::fromUtf8(got);
}

QString groupName(const QString& path) {
    struct stat st {};
    ::stat(path.toLocal8Bit().constData(), &st);
    const group* g = ::getgrgid(st.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
}

}  // namespace

class TestPortsLink : public QObject {
    Q_OBJECT

private slots:
    void numbering_data();
    void numbering();
    void rememberChoice();
    void reasons_data();
    void reasons();
    void lockRefusedKeepsOthersFlag();
    void stalledReader();
};

void TestPortsLink::numbering_data() {
    QTest::addColumn<QList<SerialDevice>>("present");
    QTest::addColumn<int>("rememberedPort");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("explicitCom1");
    QTest::addColumn<QStringList>("expected");  // what COM1, COM2, COM3 open

    const SerialDevice a0 = usbDevice("/dev/ttyUSB0", "A", "FT232R USB UART");
    const SerialDevice a1 = usbDevice("/dev/ttyUSB1", "A", "FT232R USB UART");
    const SerialDevice b0 = usbDevice("/dev/ttyUSB0", "B", "CP2102");
    const SerialDevice b1 = usbDevice("/dev/ttyUSB1", "B", "CP2102");
    const QString idA = a0.byIdPath;
    const QString idB = b0.byIdPath;
    SerialDevice noById = a1;
    noById.byIdPath.clear();

    QTest::newRow("nothing remembered: n-th device")
        << QList{plainDevice("/dev/ttyS0"), a0} << 0 << QString() << QString() << QStringList{idA, "/dev/ttyS0", ""};
    QTest::newRow("a second adapter before the remembered one")
        << QList{b0, a1} << 1 << idA << QString() << QStringList{idA, idB, ""};
    QTest::newRow("kernel swapped the names") << QList{a1, b0} << 2 << idB << QString() << QStringList{idA, idB, ""};
    QTest::newRow("remembered on COM3") << QList{a0, b1} << 3 << idA << QString() << QStringList{idB, "", idA};
    QTest::newRow("remembered away: its number waits")
        << QList{b0} << 1 << idA << QString() << QStringList{"", idB, ""};
    QTest::newRow("no by-id link: serial number")
        << QList{b0, noById} << 1 << noById.identity() << QString() << QStringList{"/dev/ttyUSB1", idB, ""};
    QTest::newRow("[PORTS] wins") << QList{a0, b1} << 1 << idA << QString("/dev/ttyS7")
                                  << QStringList{"/dev/ttyS7", idA, idB};
}

void TestPortsLink::numbering() {
    QFETCH(QList<SerialDevice>, present);
    QFETCH(int, rememberedPort);
    QFETCH(QString, remembered);
    QFETCH(QString, explicitCom1);
    QFETCH(QStringList, expected);
    auto lister = std::make_shared<FixedLister>();
    lister->present = present;
    PortMapping mapping;
    mapping.setLister(lister);
    mapping.setRemembered(rememberedPort, remembered);
    mapping.setExplicit(1, explicitCom1);
    QStringList got;
    for (int n = 1; n <= 3; ++n) got << mapping.deviceFor(n);
    QCOMPARE(got, expected);
}

void TestPortsLink::rememberChoice() {
    auto lister = std::make_shared<FixedLister>();
    const SerialDevice a = usbDevice("/dev/ttyUSB0", "A", "FT232R USB UART");
    lister->present = {a};
    PortMapping mapping;
    mapping.setLister(lister);
    mapping.rememberChoice(1);
    QCOMPARE(mapping.rememberedPort(), 1);
    QCOMPARE(mapping.rememberedIdentity(), a.byIdPath);
    // Away and chosen again: it keeps its place; a number without a device forgets it.
    lister->present = {};
    mapping.rememberChoice(1);
    QCOMPARE(mapping.rememberedIdentity(), a.byIdPath);
    mapping.rememberChoice(5);
    QCOMPARE(mapping.rememberedPort(), 0);
    QVERIFY(mapping.rememberedIdentity().isEmpty());
}

void TestPortsLink::reasons_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("number without a device") << "nothing";
    QTest::newRow("device missing") << "missing";
    QTest::newRow("busy: held by another process") << "busy";
    QTest::newRow("permission denied") << "permission";
}

void TestPortsLink::reasons() {
    QFETCH(QString, kind);
    const QList<SerialDevice> present = {usbDevice("/dev/ttyUSB0", "A", "FT232R USB UART"), plainDevice("/dev/ttyS0")};
    if (kind == "nothing") {
        QCOMPARE(reasonFor({}, {}), QString("Nothing is connected as COM4. No serial device is present."));
        return;
    }
    if (kind == "missing") {
        QCOMPARE(reasonFor("/dev/velmor-no-such-tty", present),
                 QString("/dev/velmor-no-such-tty does not exist. Serial devices present: ttyUSB0 (FT232R USB "
                         "UART), ttyS0."));
        return;
    }
    Pty pty;
    if (!pty.ok()) QSKIP("no pseudo-terminal available");
    if (kind == "busy") {
        // Another process holds the port as the tool itself would: locked and exclusive.
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t holder = ::fork();
        if (holder == 0) {
            const int fd = ::open(pty.slave().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            ::flock(fd, LOCK_EX | LOCK_NB);
            (void)!::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        char c = 0;
        pollfd p{ready[0], POLLIN, 0};
        QVERIFY(::poll(&p, 1, 5000) == 1 && ::read(ready[0], &c, 1) == 1);
        const QString text = reasonFor(pty.slave(), present);
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(15);
        QCOMPARE(text, QString("%1 is in use by another program (%2 (%3)).").arg(pty.slave(), name).arg(holder));
        return;
    }
    // Permission: a real refusal from the system. Root may open anything, so the open runs in
    // a child that has dropped to nobody; otherwise the device is made unreadable to us.
    QString text;
    if (::geteuid() == 0) {
        text = inChild([&] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                return QByteArray("setuid failed");
            return reasonFor(pty.slave(), present).toUtf8();
        });
    } else {
        QVERIFY(::chmod(pty.slave().toLocal8Bit().constData(), 0) == 0);
        text = reasonFor(pty.slave(), present);
    }
    const QString group = groupName(pty.slave());
    QCOMPARE(text, QString("%1: access denied; the device belongs to the group \"%2\". To fix it: sudo usermod -aG "
                           "%2 $USER, then log out and log in again.")
                       .arg(pty.slave(), group));
}

void TestPortsLink::lockRefusedKeepsOthersFlag() {
    Pty pty;
    if (!pty.ok()) QSKIP("no pseudo-terminal available");
    // Another holder: locked and exclusive.
    const int holder = ::open(pty.slave().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(holder >= 0);
    QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
    QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
    PosixPortBackend backend;
    QVERIFY(!backend.open(pty.slave()));
    QCOMPARE(backend.lastOpenError(), EBUSY);
    int exclusive = 0;
    QCOMPARE(::ioctl(holder, TIOCGEXCL, &exclusive), 0);
    QCOMPARE(exclusive, 1);
    ::close(holder);
}

// The far side stops reading: the line fills up and writes stall. No poll may hold the tick
// much beyond the write bound, and the port works again once the far side reads.
void TestPortsLink::stalledReader() {
    Pty pty;
    if (!pty.ok()) QSKIP("no pseudo-terminal available");
    SerialLink link(std::make_unique<PosixPortBackend>());
    link.mapping().setExplicit(1, pty.slave());
    link.openPort();
    QVERIFY(link.isOpen());
    const LinkFrame poll = pollFrame();
    qint64 longest = 0;
    bool stalled = false;
    for (int i = 0; i < 40000 && !stalled; ++i) {
        QElapsedTimer clock;
        clock.start();
        link.writePollFrame(poll);
        const qint64 took = clock.elapsed();
        longest = std::max(longest, took);
        stalled = took >= PosixPortBackend::kWriteBoundMs / 2;
    }
    QVERIFY2(stalled, "the line never filled");
    QVERIFY2(longest <= PosixPortBackend::kWriteBoundMs + 250, qPrintable(QString::number(longest)));
    // (Whether the flushed half frame stays off the line cannot be seen here: a
    // pseudo-terminal hands bytes to its other side at once and has no output queue to flush.)
    pty.drainMaster();
    // The port is still usable once the far side reads again.
    link.writePollFrame(poll);
    QByteArray next;
    QTRY_VERIFY_WITH_TIMEOUT((next += pty.drainMaster()).size() >= kFrameSize, 2000);
    QCOMPARE(next.right(kFrameSize), QByteArray(reinterpret_cast<const char*>(poll.data()), kFrameSize));
}

QTEST_GUILESS_MAIN(TestPortsLink)
#include "tst_ports_link.moc"
