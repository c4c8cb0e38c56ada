#include <QtTest>

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QThread>

#include "FakePort.h"
#include "PortTestSupport.h"
#include "SimProcess.h"
#include "TempConfig.h"
#include "files/ConfigPaths.h"
#include "link/PosixPortBackend.h"
#include "ui/PortAssist.h"
#include "ui/TFormHlav.h"

namespace {

const SerialDevice kAdapterA = usbDevice("/dev/ttyUSB0", "A", "FT232R USB UART");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray pollBytes() {
    LinkFrame f{};
    f[0] = kPollCommand;
    sealFrame(f);
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameSize);
}

// A window on the given backend and devices, its boxes recorded, ticked by the test.
struct Window {
    explicit Window(std::unique_ptr<PortBackend> backend, std::shared_ptr<FixedLister> lister)
        : form(std::move(backend)) {
        form.serialLink().mapping().setLister(std::move(lister));
        form.setMessageBoxHandler([this](const QString& text) { boxes << text; });
    }
    void create() {
        form.FormCreate();
        form.timer1()->stop();
    }
    // Ticks every 55 ms until done() holds, at most ms; true when it held.
    bool tickUntil(const std::function<bool()>& done, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            form.Timer1Timer();
            ++ticks;
            if (done()) return true;
            QThread::msleep(ExchangeTiming::kTickMs);
        }
        return false;
    }
    QAction* action(const char* name) { return form.findChild<QAction*>(name); }
    QString messageLine() { return form.findChild<QLabel*>("LabelHlaseni")->text(); }
    // A valid frame came in on the last tick (the watchdog counts that tick already), and not
    // merely because the window has only just started.
    bool frameJustIn() const { return ticks > 8 && form.exchange().watchdogCount() <= 1; }
    mutable TFormHlav form;
    QStringList boxes;
    long ticks = 0;
};

}  // namespace

class TestPortsWindow : public QObject {
    Q_OBJECT

private slots:
    void comMenu_data();
    void comMenu();
    void missingDeviceBox();
    void adapterKeepsNumber();
    void replugResumes();
    void findUnit();
};

void TestPortsWindow::comMenu_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("nothing");
    QTest::addColumn<QString>("find");
    QTest::newRow("English") << 0 << "nothing connected"
                             << "&Find unit";
    QTest::newRow("German") << 1 << "nichts angeschlossen"
                            << "&Zündbox suchen";
    QTest::newRow("French") << 2 << "rien de branché"
                            << "&Rechercher le boîtier";
    QTest::newRow("Czech") << 3 << "nic nepřipojeno"
                           << "&Najít jednotku";
}

void TestPortsWindow::comMenu() {
    QFETCH(int, language);
    QFETCH(QString, nothing);
    QFETCH(QString, find);
    TempConfig config;
    auto lister = std::make_shared<FixedLister>();
    Window w(std::make_unique<FakePort>(), lister);
    w.create();
    w.form.setLanguage(static_cast<LanguageId>(language));
    auto* menu = w.form.findChild<QMenu*>("MenuCom");
    QVERIFY(menu);
    // Refreshed each time the menu opens: first with nothing, then with an adapter plugged in.
    emit menu->aboutToShow();
    QCOMPARE(w.action("MenuCom1")->text(), "Com &1\t" + nothing);
    lister->present = {kAdapterA, plainDevice("/dev/ttyS0")};
    emit menu->aboutToShow();
    QCOMPARE(w.action("MenuCom1")->text(), QString("Com &1\tttyUSB0 · FT232R USB UART"));
    QCOMPARE(w.action("MenuCom2")->text(), QString("Com &2\tttyS0"));
    QCOMPARE(w.action("MenuCom10")->text(), "Com 1&0\t" + nothing);
    QCOMPARE(w.action("MenuFindUnit")->text(), find);
    // A driver's words are shown as they are: an ampersand is no access key.
    SerialDevice odd = plainDevice("/dev/ttyS1");
    odd.description = "R&D adapter";
    lister->present = {kAdapterA, plainDevice("/dev/ttyS0"), odd};
    emit menu->aboutToShow();
    QCOMPARE(w.action("MenuCom3")->text(), QString("Com &3\tttyS1 · R&&D adapter"));
    QVERIFY(menu->actions().contains(w.action("MenuFindUnit")));
}

void TestPortsWindow::missingDeviceBox() {
    TempConfig config;
    auto lister = std::make_shared<FixedLister>();
    lister->present = {kAdapterA};
    Window w(std::make_unique<FakePort>(), lister);
    w.create();
    w.boxes.clear();
    // COM7 maps to nothing; the box keeps its first line and says why.
    w.form.selectPort(7);
    QCOMPARE(w.boxes, QStringList{"Com opening error!\nNothing is connected as COM7. Serial devices present: ttyUSB0 "
                                  "(FT232R USB UART)."});
    w.form.setLanguage(LanguageId::German);
    w.boxes.clear();
    w.form.selectPort(7);
    QCOMPARE(w.boxes, QStringList{"Falscher COM-Anschlußes!\nAls COM7 ist nichts angeschlossen. Vorhandene serielle "
                                  "Geräte: ttyUSB0 (FT232R USB UART)."});
}

// The adapter chosen as COM1 is stored by its identity and is COM1 again at the next start,
// although another adapter now comes before it.
void TestPortsWindow::adapterKeepsNumber() {
    TempConfig config;
    auto lister = std::make_shared<FixedLister>();
    lister->present = {kAdapterA};
    {
        auto* port = new FakePort;
        Window w(std::unique_ptr<PortBackend>(port), lister);
        w.create();
        w.form.selectPort(1);
        QCOMPARE(port->lastDevice, kAdapterA.byIdPath);
        w.form.FormClose();
    }
    const QByteArray stored = readAll(ConfigPaths::settingsFile());
    QVERIFY2(stored.contains("\r\n[ADAPTER]\r\nPort=1\r\nIdentity=" + kAdapterA.byIdPath.toUtf8() + "\r\n"),
             stored.constData());
    QVERIFY(stored.startsWith("[FORM_HLAV]\r\nLeft="));

    lister->present = {usbDevice("/dev/ttyUSB0", "B", "CP2102"), usbDevice("/dev/ttyUSB1", "A", "FT232R USB UART")};
    auto* port = new FakePort;
    Window w(std::unique_ptr<PortBackend>(port), lister);
    w.create();
    QCOMPARE(port->lastDevice, kAdapterA.byIdPath);
    emit w.form.findChild<QMenu*>("MenuCom")->aboutToShow();
    QCOMPARE(w.action("MenuCom1")->text(), QString("Com &1\tttyUSB1 · FT232R USB UART"));
    QCOMPARE(w.action("MenuCom2")->text(), QString("Com &2\tttyUSB0 · CP2102"));
    QVERIFY(w.boxes.isEmpty());
}

// The unit's side vanishes and comes back on the same path: polling resumes by itself.
void TestPortsWindow::replugResumes() {
    TempConfig config;
    QVERIFY(config.makeFolder());
    QTemporaryDir dir;
    const QString path = dir.filePath("unit-tty");
    QFile ini(ConfigPaths::settingsFile());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[PORTS]\r\nCOM1=" + path.toUtf8() + "\r\n");
    ini.close();

    auto sim = std::make_unique<SimProcess>(VELMOR_UNIT_SIM_PATH);
    QVERIFY(sim->start({"--link", path}));
    Window w(std::make_unique<PosixPortBackend>(), std::make_shared<FixedLister>());
    w.create();
    SerialLink& link = w.form.serialLink();
    QVERIFY(link.isOpen());
    DeviceExchange& ex = w.form.exchange();
    QVERIFY(w.tickUntil([&] { return w.frameJustIn(); }, 2000));

    sim->kill();
    QVERIFY(w.tickUntil([&] { return link.deviceLost(); }, 2000));
    QVERIFY(w.tickUntil([&] { return ex.connectionLost(); }, 3000));

    sim = std::make_unique<SimProcess>(VELMOR_UNIT_SIM_PATH);
    QVERIFY(sim->start({"--link", path}));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(w.tickUntil([&] { return w.frameJustIn(); }, 3000));
    const qint64 resumed = clock.elapsed();
    qInfo("polls resumed %lld ms after the unit came back", static_cast<long long>(resumed));
    QVERIFY2(resumed < 1000, qPrintable(QString("%1 ms").arg(resumed)));
    QVERIFY(w.boxes.isEmpty());

    // Closed on purpose (another port chosen): nothing is reopened behind the operator.
    w.form.selectPort(2);
    QVERIFY(!w.tickUntil([&] { return link.isOpen(); }, 500));
}

// Three devices that never answer and one unit: the search tries each once with the poll
// frame and selects the unit's.
void TestPortsWindow::findUnit() {
    TempConfig config;
    Pty silent[3];
    for (const Pty& p : silent) QVERIFY(p.ok());
    SimProcess sim(VELMOR_UNIT_SIM_PATH);
    QVERIFY(sim.start({}));
    auto lister = std::make_shared<FixedLister>();
    lister->present = {plainDevice(silent[0].slave()), plainDevice(silent[1].slave()), plainDevice(sim.path()),
                       plainDevice(silent[2].slave())};
    Window w(std::make_unique<PosixPortBackend>(), lister);
    w.create();
    const PortMapping::Assignments all = w.form.serialLink().mapping().assign();
    int unitNumber = 0;
    for (int n = 1; n <= 4; ++n)
        if (all[static_cast<std::size_t>(n - 1)].openPath == sim.path()) unitNumber = n;
    QVERIFY(unitNumber > 0);
    for (const Pty& p : silent) p.drainMaster();

    w.action("MenuFindUnit")->trigger();
    QVERIFY(w.form.portAssist().finder().running());
    QVERIFY(w.tickUntil([&] { return !w.form.portAssist().finder().running(); }, 10000));
    QCOMPARE(w.messageLine(), QString("Unit found on %1 (COM%2)").arg(sim.path().mid(5)).arg(unitNumber));
    QCOMPARE(w.form.serialLink().openedDevice(), sim.path());
    QVERIFY(w.action(qPrintable(QString("MenuCom%1").arg(unitNumber)))->isChecked());
    QCOMPARE(w.form.serialLink().portNumber(), unitNumber);
    // Each device tried before the unit got one poll frame and nothing else.
    for (const Pty& p : silent) {
        const QByteArray got = p.drainMaster();
        const bool before = all[0].openPath == p.slave() || (unitNumber > 2 && all[1].openPath == p.slave()) ||
                            (unitNumber > 3 && all[2].openPath == p.slave());
        QCOMPARE(got, before ? pollBytes() : QByteArray());
    }
    QVERIFY(w.tickUntil([&] { return w.frameJustIn(); }, 2000));

    // None answers: said so, and the port in use before is back.
    sim.kill();
    lister->present = {plainDevice(silent[0].slave())};
    w.form.selectPort(1);
    w.action("MenuFindUnit")->trigger();
    QVERIFY(w.tickUntil([&] { return !w.form.portAssist().finder().running(); }, 5000));
    QCOMPARE(w.messageLine(), QString("No unit answered."));
    QVERIFY(w.form.serialLink().isOpen());
}

QTEST_MAIN(TestPortsWindow)
#include "tst_ports_window.moc"
