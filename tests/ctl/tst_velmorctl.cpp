#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "files/ParameterFile.h"
#include "i18n/ConsoleTexts.h"
#include "model/ParameterSet.h"

namespace {

constexpr int kStartMs = 5000;
// The longest command here fails after five sends of 220 ms; the rest is start-up.
constexpr int kCommandMs = 15000;

// velmor-unit-sim with its control channel on standard input; killed when the test is done.
class Sim {
public:
    ~Sim() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kStartMs);
        }
    }

    bool start(QStringList args, const QString& log) {
        args << QStringLiteral("--control") << QStringLiteral("--verbose");
        process.setStandardErrorFile(log);
        process.start(QStringLiteral(VELMOR_UNIT_SIM), args);
        if (!process.waitForStarted(kStartMs)) return false;
        path = readLine();
        return !path.isEmpty();
    }

    QByteArray readLine() {
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && clock.elapsed() < kStartMs) process.waitForReadyRead(100);
        return process.readLine().trimmed();
    }

    // The stored block in hex and the counters, after every request that reached the unit.
    QByteArray state() {
        process.write("state\n");
        process.waitForBytesWritten(kStartMs);
        return readLine();
    }

    QString path;
    QProcess process;
};

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

}  // namespace

class CtlTest : public QObject {
    Q_OBJECT

public:
    // A configuration folder of its own, so the operator's settings are never read.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        return env;
    }

    void startCtl(QProcess& p, const QStringList& args) const {
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(VELMORCTL_PATH), args);
    }

    Result ctl(const QStringList& args) const {
        QProcess p;
        startCtl(p, args);
        Result r;
        if (!p.waitForFinished(kCommandMs)) {
            p.kill();
            p.waitForFinished(kStartMs);
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    Result ctlOn(const Sim& sim, QStringList args) const { return ctl(QStringList{"--port", sim.path} + args); }

    QString file(const QString& name) const { return dir.filePath(name); }

    static QByteArray blockHex(const ParameterSet& set) {
        return QByteArray(reinterpret_cast<const char*>(set.block(kParameterBlock).data()), kBlockSize)
            .toHex()
            .toUpper();
    }
    static QByteArray stateBlock(const QByteArray& state) { return state.mid(state.indexOf("block=") + 6, 100); }
    static int counter(const QByteArray& state, const QByteArray& name) {
        const qsizetype at = state.indexOf(' ' + name + '=');
        return at < 0 ? -1 : state.mid(at + name.size() + 2).split(' ').first().toInt();
    }
    // Requests with this command byte in the simulator's frame log.
    static int requests(const QString& log, const char* command) {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly)) return -1;
        int n = 0;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QByteArrayList words = line.simplified().split(' ');
            if (words.size() > 2 && words[1] == "rx" && words[2] == command) ++n;
        }
        return n;
    }

    static ParameterSet changedSet() {
        ParameterSet set;
        set.setBaseAdvance(14);
        set.setLimiter(128);
        set.setStartLimiter(90);
        set.setCurvePointCount(4);
        set.setCurveRpm(2, 35);
        set.setCurveAdvance(3, 31);
        set.setInput1Function(3);
        set.setRpmCorrection(117);
        set.validate();
        return set;
    }

    QTemporaryDir dir;

private slots:
    void textsComplete();
    void badUsage_data();
    void badUsage();
    void readProgramVerify();
    void outOfRangeKeys();
    void infoJson();
    void diffJson();
    void silentUnit();
    void interruptedProgram();
    void monitorCsv();
    void refusedWithReason_data();
    void refusedWithReason();
};

// Every text in four languages, each with the placeholders of the English one, and the
// languages really differ where the words do.
void CtlTest::textsComplete() {
    for (const ConsoleTextRow& row : consoleTextTable()) {
        const QString english = QString::fromUtf8(row.text[0]);
        QVERIFY2(!english.isEmpty(), row.entry);
        for (int language = 1; language < kLanguageCount; ++language) {
            const QString text = QString::fromUtf8(row.text[static_cast<std::size_t>(language)]);
            QVERIFY2(!text.isEmpty(), row.entry);
            QCOMPARE(text.contains(QStringLiteral("%1")), english.contains(QStringLiteral("%1")));
        }
    }
    QCOMPARE(consoleTexts(LanguageId::Czech).interrupted, QStringLiteral("Přerušeno: port je zavřený."));
    QCOMPARE(consoleTexts(static_cast<LanguageId>(9)).usagePrefix, QStringLiteral("Usage:"));
}

void CtlTest::badUsage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");
    const QString usage = QStringLiteral("Usage: velmorctl [--port COMn|PATH]");
    QTest::newRow("no command") << QStringList{} << 2 << usage;
    QTest::newRow("unknown command") << QStringList{"frob"} << 2 << QStringLiteral("unknown command: frob");
    QTest::newRow("program without file") << QStringList{"program"} << 2 << usage;
    QTest::newRow("read without -o") << QStringList{"read"} << 2 << QStringLiteral("wrong arguments for read");
    QTest::newRow("diff with one") << QStringList{"diff", "a.ign"} << 2 << usage;
    QTest::newRow("COM11") << QStringList{"--port", "COM11", "info"} << 2 << QStringLiteral("not a port: COM11");
    QTest::newRow("port without value") << QStringList{"info", "--port"} << 2 << QStringLiteral("--port needs a value");
    QTest::newRow("bad language") << QStringList{"--lang=xx", "info"} << 2 << QStringLiteral("not a language: xx");
    QTest::newRow("unknown option") << QStringList{"--fast", "ports"} << 2 << QStringLiteral("unknown option: --fast");
    QTest::newRow("german usage") << QStringList{"--lang", "de", "frob"} << 2
                                  << QStringLiteral("Aufruf: velmorctl [--port COMn|PATH]");
    QTest::newRow("file missing") << QStringList{"--port", "/dev/null", "program", "/nonexistent/x.ign"} << 2
                                  << QStringLiteral("Open file error! /nonexistent/x.ign");
    QTest::newRow("file of another version, French")
        << QStringList{"--lang", "fr", "verify", QStringLiteral(VELMORCTL_PATH)} << 2
        << QStringLiteral("Programme du fichier non compatible avec programme PC!");
    QTest::newRow("port that does not open") << QStringList{"--port", "/nonexistent/tty", "info"} << 1
                                             << QStringLiteral("Com opening error! /nonexistent/tty");
}

void CtlTest::badUsage() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    const Result r = ctl(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.err).contains(text), r.err.constData());
    QVERIFY(r.out.isEmpty());

    const Result help = ctl({"--help"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith("Usage: velmorctl"));
    QVERIFY(help.out.contains("monitor [--csv]"));
    QVERIFY(help.out.contains("--version           print the version and exit"));
    const Result hilfe = ctl({"--lang", "de", "--help"});
    QVERIFY(QString::fromUtf8(hilfe.out).contains("--version           Version anzeigen und beenden"));
}

void CtlTest::readProgramVerify() {
    Sim sim;
    QVERIFY(sim.start({"--no-line-time"}, file("sim.log")));
    const ParameterSet x = changedSet();
    QVERIFY(ParameterFile::save(file("x.ign"), x));

    Result r = ctlOn(sim, {"program", file("x.ign")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains("Program device:\nProgram device: 1/3\nVerify:\nVerify: OK\n"), r.err.constData());
    const QByteArray programmed = sim.state();
    QCOMPARE(stateBlock(programmed), blockHex(x));
    // Exactly the window's frames: header, parameters, verify.
    QCOMPARE(counter(programmed, "received"), 3);

    r = ctlOn(sim, {"read", "-o", file("a.ign")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.contains("Verify: OK"));
    QFile a(file("a.ign"));
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), ParameterFile::toBytes(x));

    r = ctlOn(sim, {"program", file("a.ign")});
    QCOMPARE(r.exitCode, 0);
    const QByteArray again = sim.state();
    QCOMPARE(stateBlock(again), stateBlock(programmed));
    QCOMPARE(counter(again, "programmings"), counter(programmed, "programmings") + 1);

    QCOMPARE(ctlOn(sim, {"verify", file("a.ign")}).exitCode, 0);
    QVERIFY(ParameterFile::save(file("default.ign"), ParameterSet()));
    QCOMPARE(ctlOn(sim, {"program", file("default.ign")}).exitCode, 0);
    r = ctlOn(sim, {"--lang", "cz", "verify", file("a.ign")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(QString::fromUtf8(r.err).endsWith(QStringLiteral("Chyba verifikace!\n")), r.err.constData());
}

void CtlTest::outOfRangeKeys() {
    Sim sim;
    QVERIFY(sim.start({"--no-line-time"}, file("sim-range.log")));
    QFile f(file("range.ign"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("KAPRILON_KEY  41 \r\n\r\nBASE_ADV 50\r\nLIMITER 100 255 30\r\nRPM 9 -20\r\nCLUTCH 200 1000\r\n");
    f.close();
    const Result r = ctlOn(sim, {"program", file("range.ign")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.startsWith("Out of range, brought into range: BASE_ADV, LIMITER, RPM\n"), r.err.constData());
    const QByteArray block = QByteArray::fromHex(stateBlock(sim.state()));
    QCOMPARE(block.size(), kBlockSize);
    // Base advance 40°, limiter 25000 rpm, retard 25°, 6 pulses: the window controls' ends.
    QCOMPARE(quint8(block[ImageByte::baseAdvance - kBlockSize]), quint8(40));
    QCOMPARE(quint8(block[ImageByte::limiter - kBlockSize]), quint8(250));
    QCOMPARE(quint8(block[ImageByte::retard - kBlockSize]), quint8(25));
    QCOMPARE(quint8(block[ImageByte::rpmPulses - kBlockSize]), quint8(6));
    QCOMPARE(quint8(block[ImageByte::rpmCorrection - kBlockSize]), quint8(80));
}

void CtlTest::infoJson() {
    Sim sim;
    QVERIFY(sim.start({"--programming-count", "7"}, file("sim-info.log")));
    Result r = ctlOn(sim, {"info", "--json"});
    QCOMPARE(r.exitCode, 0);
    QJsonParseError error;
    const QJsonObject info = QJsonDocument::fromJson(r.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(info["firmwareVersion"].toString(), QStringLiteral("VLM12"));
    QCOMPARE(info["date"].toString(), QStringLiteral("14. 4.2024"));
    QCOMPARE(info["time"].toString(), QStringLiteral("09:30"));
    QCOMPARE(info["imageVersion"].toInt(), 41);
    QCOMPARE(info["readingAllowed"].toBool(), true);
    QCOMPARE(info["programmingCount"].toInt(), 7);
    QCOMPARE(info["unitText"].toString(), QString());
    // One Read header step and nothing of the parameters.
    QCOMPARE(requests(file("sim-info.log"), "40"), 1);
    QCOMPARE(requests(file("sim-info.log"), "41"), 0);

    r = ctlOn(sim, {"--lang", "de", "info"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(QString::fromUtf8(r.out).contains(QStringLiteral("Datum des Programm in der Zündung: 14. 4.2024\n")),
             r.out.constData());
    QVERIFY(QString::fromUtf8(r.out).contains(QStringLiteral("Lesen erlaubt: JA\nProgrammierungsanzahl= 7\n")));
}

void CtlTest::diffJson() {
    ParameterSet a;
    ParameterSet b;
    b.setBaseAdvance(12);
    b.setCurveRpm(2, 35);
    QVERIFY(ParameterFile::save(file("da.ign"), a));
    QVERIFY(ParameterFile::save(file("db.ign"), b));

    Result r = ctl({"diff", "--json", file("da.ign"), file("db.ign")});
    QCOMPARE(r.exitCode, 1);
    const QJsonObject report = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(report["equal"].toBool(), false);
    const QJsonArray differences = report["differences"].toArray();
    QCOMPARE(differences.size(), 2);
    QCOMPARE(
        differences[0].toObject(),
        (QJsonObject{{"byte", 52}, {"key", "BASE_ADV"}, {"field", "Base advance [°]"}, {"a", "10°"}, {"b", "12°"}}));
    QCOMPARE(differences[1].toObject()["key"].toString(), QString("RPM_ADV"));
    QCOMPARE(differences[1].toObject()["a"].toString(), QString("3000 rpm"));

    r = ctl({"diff", file("da.ign"), file("db.ign")});
    QCOMPARE(QString::fromUtf8(r.out), QString("Base advance [°]: 10° -> 12°\nPoint 3 RPM: 3000 rpm -> 3500 rpm\n"));

    // The simulator starts with the default set.
    Sim sim;
    QVERIFY(sim.start({"--no-line-time"}, file("sim-diff.log")));
    r = ctlOn(sim, {"diff", "--json", "unit", file("da.ign")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(r.out).object()["equal"].toBool(), true);
}

void CtlTest::silentUnit() {
    Sim sim;
    QVERIFY(sim.start({"--no-answer"}, file("sim-silent.log")));
    QVERIFY(ParameterFile::save(file("s.ign"), changedSet()));
    const Result r = ctlOn(sim, {"program", file("s.ign")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.endsWith("Program error!\n"), r.err.constData());
    QVERIFY(r.err.contains("No connection with PC\n"));
    sim.state();  // every request is in the log once the state has been answered
    QCOMPARE(requests(file("sim-silent.log"), "00"), 5);
    QCOMPARE(requests(file("sim-silent.log"), "01"), 0);
}

void CtlTest::interruptedProgram() {
    Sim sim;
    QVERIFY(sim.start({"--no-answer"}, file("sim-int.log")));
    QVERIFY(ParameterFile::save(file("i.ign"), changedSet()));
    QProcess p;
    startCtl(p, {"--port", sim.path, "program", file("i.ign")});
    QVERIFY(p.waitForStarted(kStartMs));
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    // Interrupted once the first frame has gone out.
    while (requests(file("sim-int.log"), "00") < 1 && clock.elapsed() < kStartMs) QTest::qWait(20);
    QCOMPARE(requests(file("sim-int.log"), "00"), 1);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(kStartMs));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(p.readAllStandardError().endsWith(
                 "Interrupted: the port is closed. The unit may hold a partial set; program it again.\n"),
             "no interruption message");
    QVERIFY(requests(file("sim-int.log"), "00") < 5);
}

void CtlTest::monitorCsv() {
    Sim sim;
    QVERIFY(sim.start({"--programming-count", "3"}, file("sim-mon.log")));
    QProcess p;
    startCtl(p, {"--port", sim.path, "monitor", "--csv"});
    QVERIFY(p.waitForStarted(kStartMs));
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (out.count('\n') < 8 && clock.elapsed() < kCommandMs) {
        p.waitForReadyRead(100);
        out += p.readAllStandardOutput();
    }
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(kStartMs));
    QCOMPARE(p.exitCode(), 0);
    out += p.readAllStandardOutput();
    const QByteArrayList lines = out.trimmed().split('\n');
    QVERIFY(lines.size() >= 8);
    QVERIFY(lines[0].startsWith("#"));
    const qsizetype headerAt = lines.indexOf(
        "time [ms],rpm [1/min],advance [deg],advance max [deg],supply [V],pick-up,kill switch,retard,blocking,"
        "start limiter,clutch master,polarity negative,live row,programming count");
    QVERIFY(headerAt > 0);
    for (qsizetype i = headerAt + 1; i < lines.size(); ++i) {
        const QByteArrayList cells = lines[i].split(',');
        QCOMPARE(cells.size(), 14);
        QVERIFY(cells[1].toInt() >= 1000);    // the simulated engine runs
        QCOMPARE(cells[5], QByteArray("1"));  // pick-up signal
        QCOMPARE(cells[13], QByteArray("3"));
    }
}

// How a port is kept from opening, or the place to save made unusable, in refusedWithReason.
enum class Obstacle { None, PortHeld, PortForbidden };
Q_DECLARE_METATYPE(Obstacle)

void CtlTest::refusedWithReason_data() {
    QTest::addColumn<QStringList>("args");  // %sim the unit's device, %dir a scratch folder
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<bool>("stdoutFull");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("errLines");  // each the start of a line of standard error
    QTest::addColumn<QString>("mustNotExist");

    const QStringList none;
    QTest::newRow("stdout full, version") << QStringList{"--version"} << Obstacle::None << true << 1
                                          << QStringList{"velmorctl: Writing to standard output failed."} << "";
    QTest::newRow("stdout full, info, German")
        << QStringList{"--lang", "de", "--port", "%sim", "info"} << Obstacle::None << true << 1
        << QStringList{"velmorctl: Schreiben auf die Standardausgabe fehlgeschlagen."} << "";
    QTest::newRow("stdout full, help, Czech") << QStringList{"--lang", "cz", "--help"} << Obstacle::None << true << 1
                                              << QStringList{"velmorctl: Zápis na standardní výstup selhal."} << "";
    QTest::newRow("-o into a missing folder")
        << QStringList{"--port", "%sim", "read", "-o", "%dir/new/deeper/a.ign"} << Obstacle::None << false << 2
        << QStringList{"The folder does not exist: %dir/new/deeper"} << "%dir/new";
    QTest::newRow("-o into a missing folder, Czech")
        << QStringList{"--lang", "cz", "--port", "%sim", "read", "-o", "%dir/gone/a.ign"} << Obstacle::None << false
        << 2 << QStringList{"Složka neexistuje: %dir/gone"} << "%dir/gone";
    QTest::newRow("-o names a folder") << QStringList{"--port", "%sim", "read", "-o", "%dir"} << Obstacle::None << false
                                       << 2 << QStringList{"Cannot write here: %dir"} << "";
    QTest::newRow("-o where nothing may be made")
        << QStringList{"--port", "%sim", "read", "-o", "/proc/velmor.ign"} << Obstacle::None << false << 2
        << QStringList{"Cannot write here: /proc/velmor.ign"} << "/proc/velmor.ign";
    QTest::newRow("port missing") << QStringList{"--port", "%dir/ttyNone", "info"} << Obstacle::None << false << 1
                                  << QStringList{"Com opening error! %dir/ttyNone", "%dir/ttyNone does not exist."}
                                  << "";
    QTest::newRow("port missing, French")
        << QStringList{"--lang", "fr", "--port", "%dir/ttyNone", "info"} << Obstacle::None << false << 1
        << QStringList{"%dir/ttyNone n'existe pas."} << "";
    QTest::newRow("port busy") << QStringList{"--port", "%sim", "info"} << Obstacle::PortHeld << false << 1
                               << QStringList{"Com opening error! %sim",
                                              "%sim is in use by another program (tst_velmorctl ("}
                               << "";
    QTest::newRow("port busy, German, -o good")
        << QStringList{"--lang", "de", "--port", "%sim", "read", "-o", "%dir/b.ign"} << Obstacle::PortHeld << false << 1
        << QStringList{"%sim wird von einem anderen Programm benutzt (tst_velmorctl ("} << "%dir/b.ign";
    QTest::newRow("port forbidden")
        << QStringList{"--port", "%locked", "info"} << Obstacle::PortForbidden << false << 1
        << QStringList{"%locked: access denied; the device belongs to the group \"%group\"."} << "";
}

// Refused before anything reaches the unit: the exit status, the lines on standard error
// (the window's reason under "Com opening error!"), no request at the unit and nothing made.
void CtlTest::refusedWithReason() {
    QFETCH(QStringList, args);
    QFETCH(Obstacle, obstacle);
    QFETCH(bool, stdoutFull);
    QFETCH(int, exitCode);
    QFETCH(QStringList, errLines);
    QFETCH(QString, mustNotExist);

    Sim sim;
    QVERIFY(sim.start({"--no-line-time"}, file("sim-refused.log")));
    QTemporaryDir scratch;
    // A device node only its owner may open, in a folder everyone may look into.
    QTemporaryDir open;
    QVERIFY(QFile::setPermissions(
        open.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                         QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup));
    const QString locked = open.filePath(QStringLiteral("ttyLocked"));
    {
        QFile node(locked);
        QVERIFY(node.open(QIODevice::WriteOnly));
        QVERIFY(node.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }
    const group* g = ::getgrgid(::getegid());
    const QString groupName = g ? QString::fromLocal8Bit(g->gr_name) : QString::number(::getegid());
    const auto fill = [&](QString s) {
        return s.replace(QStringLiteral("%sim"), sim.path)
            .replace(QStringLiteral("%dir"), scratch.path())
            .replace(QStringLiteral("%locked"), locked)
            .replace(QStringLiteral("%group"), groupName);
    };
    QStringList command;
    for (const QString& a : args) command << fill(a);

    int held = -1;
    if (obstacle == Obstacle::PortHeld) {
        // Held as the window holds it: open and locked.
        held = ::open(QFile::encodeName(sim.path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
    }
    QProcess p;
    p.setProcessEnvironment(environment());
    if (stdoutFull) p.setStandardOutputFile(QStringLiteral("/dev/full"));
    if (obstacle == Obstacle::PortForbidden && ::geteuid() == 0) {
        // Root opens anything: the tool runs as nobody instead.
        command.prepend(QStringLiteral(VELMORCTL_PATH));
        command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
        p.start(QStringLiteral("setpriv"), command);
    } else {
        p.start(QStringLiteral(VELMORCTL_PATH), command);
    }
    QVERIFY(p.waitForFinished(kCommandMs));
    if (held >= 0) ::close(held);
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    const QStringList lines = err.split(QLatin1Char('\n'));
    for (const QString& expected : errLines) {
        const QString start = fill(expected);
        QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(start); }),
                 qPrintable(err));
    }
    if (!stdoutFull) QVERIFY(!err.contains(QStringLiteral("standard output")));
    if (!mustNotExist.isEmpty()) QVERIFY2(!QFileInfo::exists(fill(mustNotExist)), qPrintable(fill(mustNotExist)));
    // Nothing went to the unit when the port or the place to save stopped the command.
    if (obstacle != Obstacle::None || !mustNotExist.isEmpty()) QCOMPARE(counter(sim.state(), "received"), 0);
}

QTEST_GUILESS_MAIN(CtlTest)
#include "tst_velmorctl.moc"
