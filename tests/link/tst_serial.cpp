#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <QtTest>

#include <QElapsedTimer>
#include <QThread>

#include "FakePort.h"
#include "TestFrames.h"
#include "link/PosixPortBackend.h"
#include "link/SerialLink.h"

namespace {

struct CountingSink : LinkErrorSink {
    int failures = 0;
    void portOpenFailed() override { ++failures; }
};

struct RecordingReceiver : FrameReceiver {
    QList<QByteArray> received;
    void dispatchReceived(std::span<const std::uint8_t> r) override {
        received.append(QByteArray(reinterpret_cast<const char*>(r.data()), static_cast<qsizetype>(r.size())));
    }
};

QByteArray pattern(int size, int seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>((i * 7 + seed) & 0xFF);
    return b;
}

std::span<const std::uint8_t> bytes(const QByteArray& b) {
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

// The master end of a pseudo-terminal; its slave is the "serial device" the link opens.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        const char* name = ::ptsname(master_);
        if (name) slave_ = QString::fromLocal8Bit(name);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && !slave_.isEmpty(); }
    QString slave() const { return slave_; }
    int master() const { return master_; }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    bool send(const QByteArray& b) const {
        return ::write(master_, b.constData(), static_cast<std::size_t>(b.size())) == b.size();
    }
    // Reads exactly n bytes from the slave's output, waiting at most timeoutMs.
    QByteArray receive(int n, int timeoutMs = 2000) const {
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (out.size() < n && clock.elapsed() < timeoutMs) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            char buf[256];
            const ssize_t got = ::read(master_, buf, std::min<std::size_t>(sizeof buf, std::size_t(n - out.size())));
            if (got > 0) out.append(buf, got);
        }
        return out;
    }

private:
    int master_ = -1;
    QString slave_;
};

std::unique_ptr<PortBackend> makeBackend() { return std::make_unique<PosixPortBackend>(); }

// Ticks readWaiting until something was dispatched or about a second has passed.
void readUntilReceived(SerialLink& link, RecordingReceiver& r, int count) {
    for (int i = 0; i < 100 && r.received.size() < count; ++i) {
        link.readWaiting();
        if (r.received.size() < count) QThread::msleep(10);
    }
}

}  // namespace

class TestSerial : public QObject {
    Q_OBJECT

private slots:
    void receiveRules_data();
    void receiveRules();
    void failedRead();
    void openFailures();
    void portNumbers();
    void unplugFake();
    void deviceOrder_data();
    void deviceOrder();
    void realPort();
    void realPortUnplug();
};

void TestSerial::receiveRules_data() {
    QTest::addColumn<int>("waiting");
    QTest::addColumn<QList<int>>("reads");  // byte count of each dispatch, tick by tick
    QTest::newRow("51: nothing") << 51 << QList<int>{};
    QTest::newRow("52: one frame") << 52 << QList<int>{52};
    QTest::newRow("104: one read") << 104 << QList<int>{104};
    QTest::newRow("15000: all") << 15000 << QList<int>{15000};
    QTest::newRow("15100: 15000 then 100") << 15100 << QList<int>{15000, 100};
    QTest::newRow("15051: 15000, 51 stay") << 15051 << QList<int>{15000};
}

void TestSerial::receiveRules() {
    QFETCH(int, waiting);
    QFETCH(QList<int>, reads);
    auto* port = new FakePort;
    SerialLink link{std::unique_ptr<PortBackend>(port)};
    RecordingReceiver receiver;
    link.setReceiver(&receiver);
    link.mapping().setExplicit(1, "/dev/fake");
    link.openPort();
    const QByteArray data = pattern(waiting, 3);
    port->feed(bytes(data));

    for (int t = 0; t < 4; ++t) link.readWaiting();
    QList<int> sizes;
    for (const auto& r : receiver.received) sizes << int(r.size());
    QCOMPARE(sizes, reads);
    QCOMPARE(port->readCalls, int(reads.size()));
    QCOMPARE(receiver.received.join(), data.left(receiver.received.join().size()));
    if (!reads.isEmpty()) QCOMPARE(port->lastReadRequest, std::int64_t(reads.last()));

    // The bytes left behind are read once a whole frame is waiting.
    const qint64 left = port->pending();
    if (left > 0 && left < kFrameSize) {
        port->feed(bytes(pattern(int(kFrameSize - left), 9)));
        link.readWaiting();
        QCOMPARE(receiver.received.last().size(), kFrameSize);
        QCOMPARE(receiver.received.last().left(int(left)), data.right(int(left)));
    }
}

void TestSerial::failedRead() {
    auto* port = new FakePort;
    SerialLink link{std::unique_ptr<PortBackend>(port)};
    RecordingReceiver receiver;
    link.setReceiver(&receiver);
    link.mapping().setExplicit(1, "/dev/fake");
    link.openPort();
    // A first read fills the buffer; a failed read must not hand on those stale bytes again.
    port->feed(TestFrames::frame(0xB0));
    link.readWaiting();
    QCOMPARE(receiver.received.size(), 1);
    port->feed(TestFrames::frame(0xB0));
    port->failReads = true;
    link.readWaiting();
    QCOMPARE(port->readCalls, 2);
    QCOMPARE(receiver.received.size(), 1);
}

void TestSerial::openFailures() {
    auto* port = new FakePort;
    SerialLink link{std::unique_ptr<PortBackend>(port)};
    CountingSink sink;
    RecordingReceiver receiver;
    link.setErrorSink(&sink);
    link.setReceiver(&receiver);
    link.mapping().setExplicit(3, "/dev/fake3");
    port->failOpen = true;

    link.selectPort(3);
    QCOMPARE(sink.failures, 1);
    QCOMPARE(port->lastDevice, QStringLiteral("/dev/fake3"));
    QCOMPARE(link.portNumber(), 3);
    QVERIFY(!link.isOpen());
    port->feed(TestFrames::frame(0xB0));
    for (int i = 0; i < 10; ++i) {
        link.readWaiting();
        link.writeFrame(TestFrames::frame(0x00));
        link.writePollFrame(TestFrames::frame(0x30));
    }
    QCOMPARE(sink.failures, 1);
    QCOMPARE(port->readCalls, 0);
    QCOMPARE(port->writeCount(), 0);
    QVERIFY(receiver.received.isEmpty());

    // Once per selection, the same number included.
    link.selectPort(3);
    QCOMPARE(sink.failures, 2);
    // A number without a device (nothing at COM9 here unless the machine has nine ports).
    port->failOpen = false;
    link.mapping().setExplicit(9, "");
    if (link.mapping().deviceFor(9).isEmpty()) {
        link.selectPort(9);
        QCOMPARE(sink.failures, 3);
        QVERIFY(!link.isOpen());
        QCOMPARE(port->openCalls, 2);
    }

    // Choosing a port that works opens it; choosing it again closes and reopens it.
    link.selectPort(3);
    QVERIFY(link.isOpen());
    const int opens = port->openCalls;
    const int closes = port->closeCalls;
    link.selectPort(3);
    QVERIFY(link.isOpen());
    QCOMPARE(port->openCalls, opens + 1);
    QCOMPARE(port->closeCalls, closes + 1);
    link.writeFrame(TestFrames::frame(0x41));
    QCOMPARE(port->writeCount(), 1);
    QVERIFY(!port->lastWrite().drained);
    link.writePollFrame(TestFrames::frame(0x30));
    QVERIFY(port->lastWrite().drained);
    QCOMPARE(port->lastWrite().bytes, TestFrames::frame(0x30));
}

void TestSerial::portNumbers() {
    auto* port = new FakePort;
    SerialLink link{std::unique_ptr<PortBackend>(port)};
    CountingSink sink;
    link.setErrorSink(&sink);
    for (int n = 1; n <= 10; ++n) link.mapping().setExplicit(n, QStringLiteral("/dev/port%1").arg(n));

    // Port 0: no device, no message.
    link.setPortNumber(0);
    link.openPort();
    QCOMPARE(port->openCalls, 0);
    QCOMPARE(sink.failures, 0);
    link.selectPort(0);
    QCOMPARE(port->openCalls, 0);
    QCOMPARE(sink.failures, 0);

    for (int n = 1; n <= 10; ++n) {
        link.selectPort(static_cast<std::uint8_t>(n));
        QCOMPARE(port->lastDevice, QStringLiteral("/dev/port%1").arg(n));
    }
    QCOMPARE(link.mapping().explicitDevice(10), QStringLiteral("/dev/port10"));
    QVERIFY(link.mapping().deviceFor(0).isEmpty());
    QVERIFY(link.mapping().deviceFor(11).isEmpty());
    link.mapping().setExplicit(11, "/dev/x");
    QVERIFY(link.mapping().explicitDevice(11).isEmpty());
    QCOMPARE(sink.failures, 0);
}

void TestSerial::unplugFake() {
    auto* port = new FakePort;
    SerialLink link{std::unique_ptr<PortBackend>(port)};
    RecordingReceiver receiver;
    CountingSink sink;
    link.setReceiver(&receiver);
    link.setErrorSink(&sink);
    link.mapping().setExplicit(1, "/dev/fake");
    link.openPort();
    port->feed(TestFrames::frame(0xB0));
    port->unplug();
    link.readWaiting();
    link.writeFrame(TestFrames::frame(0x00));
    link.writePollFrame(TestFrames::frame(0x30));
    QVERIFY(receiver.received.isEmpty());
    QCOMPARE(port->writeCount(), 0);
    link.closePort();
    QVERIFY(!link.isOpen());
    link.openPort();
    QVERIFY(link.isOpen());
    link.readWaiting();
    QCOMPARE(receiver.received.size(), 1);
    QCOMPARE(sink.failures, 0);
}

void TestSerial::deviceOrder_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("ordered");
    QTest::newRow("one adapter is COM1") << QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"}
                                         << QStringList{"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyS1"};
    QTest::newRow("numbers by value") << QStringList{"/dev/ttyUSB10", "/dev/ttyS10", "/dev/ttyUSB2", "/dev/ttyS2"}
                                      << QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyS2", "/dev/ttyS10"};
    QTest::newRow("ACM and USB by name") << QStringList{"/dev/ttyUSB0", "/dev/ttyACM1", "/dev/ttyS4", "/dev/ttyACM0"}
                                         << QStringList{"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyUSB0", "/dev/ttyS4"};
    QTest::newRow("nothing") << QStringList{} << QStringList{};
}

void TestSerial::deviceOrder() {
    QFETCH(QStringList, present);
    QFETCH(QStringList, ordered);
    QCOMPARE(PortMapping::orderedDevices(present), ordered);
}

void TestSerial::realPort() {
    Pty pty;
    if (!pty.ok()) QSKIP("no pseudo-terminal available");

    SerialLink link(makeBackend());
    CountingSink sink;
    RecordingReceiver receiver;
    link.setErrorSink(&sink);
    link.setReceiver(&receiver);
    link.mapping().setExplicit(2, pty.slave());
    link.selectPort(2);
    QCOMPARE(sink.failures, 0);  // the refused DTR/RTS request is no failure
    QVERIFY(link.isOpen());

    // Line settings: raw 57600 8N1 without flow control (the pair shares its settings).
    termios t{};
    QCOMPARE(::tcgetattr(pty.master(), &t), 0);
    QCOMPARE(::cfgetospeed(&t), speed_t(B57600));
    QCOMPARE(::cfgetispeed(&t), speed_t(B57600));
    QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(t.c_iflag & (IXON | IXOFF), tcflag_t(0));
    QCOMPARE(t.c_lflag & (ICANON | ECHO), tcflag_t(0));

    // Exclusive: a second link cannot open the same device.
    {
        SerialLink other(makeBackend());
        CountingSink otherSink;
        other.setErrorSink(&otherSink);
        other.mapping().setExplicit(1, pty.slave());
        other.openPort();
        QCOMPARE(otherSink.failures, 1);
        QVERIFY(!other.isOpen());
    }

    // Frames written arrive at the other end, unchanged.
    const LinkFrame block = TestFrames::frame(0x01, bytes(pattern(50, 1)));
    link.writeFrame(block);
    QCOMPARE(pty.receive(kFrameSize), QByteArray(reinterpret_cast<const char*>(block.data()), kFrameSize));
    const LinkFrame poll = TestFrames::frame(0x30);
    link.writePollFrame(poll);
    QCOMPARE(pty.receive(kFrameSize), QByteArray(reinterpret_cast<const char*>(poll.data()), kFrameSize));

    // 51 bytes are left with the driver; the 52nd makes a frame that is read whole.
    const LinkFrame answer = TestFrames::frame(0xB0, bytes(pattern(50, 5)));
    const QByteArray answerBytes(reinterpret_cast<const char*>(answer.data()), kFrameSize);
    QVERIFY(pty.send(answerBytes.left(51)));
    QThread::msleep(50);
    for (int i = 0; i < 5; ++i) link.readWaiting();
    QVERIFY(receiver.received.isEmpty());
    QVERIFY(pty.send(answerBytes.right(1)));
    readUntilReceived(link, receiver, 1);
    QCOMPARE(receiver.received.size(), 1);
    QCOMPARE(receiver.received[0], answerBytes);

    // Two frames waiting are read in one go.
    QVERIFY(pty.send(answerBytes + answerBytes));
    QThread::msleep(50);
    readUntilReceived(link, receiver, 2);
    QCOMPARE(receiver.received.size(), 2);
    QCOMPARE(receiver.received[1], answerBytes + answerBytes);

    // A frame left unread when the port closes is not served to the next session.
    QVERIFY(pty.send(answerBytes));
    QThread::msleep(50);
    link.closePort();
    QVERIFY(!link.isOpen());
#ifdef TIOCGEXCL
    {
        // The exclusive flag goes with the port, or an ordinary user could not reopen it.
        const int probe = ::open(pty.slave().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(probe >= 0);
        int exclusive = -1;
        QCOMPARE(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 0);
        ::close(probe);
    }
#endif
    link.openPort();
    QVERIFY(link.isOpen());
    QCOMPARE(sink.failures, 0);
    {
        const int before = receiver.received.size();
        for (int i = 0; i < 5; ++i) link.readWaiting();
        QCOMPARE(receiver.received.size(), before);
    }
}

void TestSerial::realPortUnplug() {
    auto pty = std::make_unique<Pty>();
    if (!pty->ok()) QSKIP("no pseudo-terminal available");

    SerialLink link(makeBackend());
    CountingSink sink;
    RecordingReceiver receiver;
    link.setErrorSink(&sink);
    link.setReceiver(&receiver);
    link.mapping().setExplicit(1, pty->slave());
    link.openPort();
    QVERIFY(link.isOpen());

    // The device goes away while open: everything fails silently and nothing hangs.
    const LinkFrame answer = TestFrames::frame(0xB0);
    QVERIFY(pty->send(QByteArray(reinterpret_cast<const char*>(answer.data()), 30)));
    pty->closeMaster();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 20; ++i) {
        link.readWaiting();
        link.writeFrame(TestFrames::frame(0x41));
        link.writePollFrame(TestFrames::frame(0x30));
    }
    QVERIFY2(clock.elapsed() < 10000, "writes to a vanished device must not block");
    QVERIFY(receiver.received.isEmpty());
    QCOMPARE(sink.failures, 0);

    // Closing releases the dead device; choosing the port again tries it again.
    link.closePort();
    QVERIFY(!link.isOpen());
    link.openPort();
    QCOMPARE(sink.failures, 1);  // the device is gone
    QVERIFY(!link.isOpen());

    // A device plugged in under the port's name works at once.
    pty = std::make_unique<Pty>();
    QVERIFY(pty->ok());
    link.mapping().setExplicit(1, pty->slave());
    link.selectPort(1);
    QVERIFY(link.isOpen());
    QCOMPARE(sink.failures, 1);
    const LinkFrame frame = TestFrames::frame(0x40);
    link.writeFrame(frame);
    QCOMPARE(pty->receive(kFrameSize), QByteArray(reinterpret_cast<const char*>(frame.data()), kFrameSize));
    QVERIFY(pty->send(QByteArray(reinterpret_cast<const char*>(answer.data()), kFrameSize)));
    readUntilReceived(link, receiver, 1);
    QCOMPARE(receiver.received.size(), 1);
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
