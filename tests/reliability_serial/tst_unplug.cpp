#include <dirent.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <QtTest>

#include "LinkRig.h"
#include "ReliabilityOptions.h"
#include "SimProcess.h"
#include "link/PosixPortBackend.h"

namespace {

enum class Moment { Idle, ProgramHeader, ProgramParameters, Read, VerifyAfterProgram, VerifyAlone };

// Descriptors of this process that refer to the character device rdev.
int descriptorsOn(dev_t rdev) {
    int count = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir) return -1;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat st {};
        const QByteArray path = QByteArray("/proc/self/fd/") + entry->d_name;
        if (::stat(path.constData(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == rdev) ++count;
    }
    ::closedir(dir);
    return count;
}

void changeSet(ParameterSet& set, int run) {
    set.setLimiter(static_cast<std::uint8_t>(120 + run % 50));
    set.setPilotLight(static_cast<std::uint8_t>(100 + run % 90));
    set.setByte(57, static_cast<std::uint8_t>(0x5A ^ run));
    set.validate();
}

}  // namespace

class TestUnplug : public QObject {
    Q_OBJECT

public:
    explicit TestUnplug(ReliabilityOptions options) : options_(std::move(options)) {}

private slots:
    void unplug_data();
    void unplug();

private:
    // One unplug: the failures found, empty when the case recovered in every respect.
    QStringList unplugOnce(Moment moment, int run, QStringList& figures);

    ReliabilityOptions options_;
};

void TestUnplug::unplug_data() {
    QTest::addColumn<int>("moment");
    QTest::newRow("idle") << int(Moment::Idle);
    QTest::newRow("program header step") << int(Moment::ProgramHeader);
    QTest::newRow("program parameter step") << int(Moment::ProgramParameters);
    QTest::newRow("read") << int(Moment::Read);
    QTest::newRow("verify after program") << int(Moment::VerifyAfterProgram);
    QTest::newRow("verify alone") << int(Moment::VerifyAlone);
}

// The unit's end disappears (the simulator is killed, its pseudo-terminal goes with it) at a
// given moment. The tool must go on ticking without a hang, show the command's failure text
// on its tick and "No connection with PC" 18 ticks after the last valid frame, let the dead
// device go, not reopen anything by itself, and work again once the port is chosen again.
void TestUnplug::unplug() {
    QFETCH(int, moment);
    QStringList failures;
    QStringList figures;
    long failedRuns = 0;
    for (int run = 0; run < options_.repeat; ++run) {
        const QStringList found = unplugOnce(Moment(moment), run, figures);
        if (!found.isEmpty()) {
            ++failedRuns;
            failures << QStringLiteral("run %1: %2").arg(run).arg(found.join(QStringLiteral("; ")));
        }
    }
    figures.removeDuplicates();
    printReliabilityRow(QStringLiteral("unplug %1").arg(QString::fromLatin1(QTest::currentDataTag())), options_.repeat,
                        failedRuns,
                        QStringLiteral("%1/%2 recovered; %3")
                            .arg(options_.repeat - failedRuns)
                            .arg(options_.repeat)
                            .arg(figures.join(QStringLiteral(", "))));
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
}

QStringList TestUnplug::unplugOnce(Moment moment, int run, QStringList& figures) {
    QStringList found;
    auto check = [&found](bool ok, const QString& what) {
        if (!ok) found << what;
        return ok;
    };
    QTemporaryDir dir;
    if (!check(dir.isValid(), QStringLiteral("no temporary folder"))) return found;
    const QString linkPath = dir.filePath(QStringLiteral("unit-tty"));
    QStringList args = {QStringLiteral("--link"), linkPath, QStringLiteral("--seed"), QString::number(run + 1)};
    if (!options_.lineTime) args << QStringLiteral("--no-line-time");

    auto sim = std::make_unique<SimProcess>(QStringLiteral(VELMOR_UNIT_SIM_PATH));
    if (!check(sim->start(args), QStringLiteral("simulator did not start"))) return found;
    LinkRig rig(linkPath, options_.tickMs);
    if (!check(rig.link.isOpen(), QStringLiteral("port did not open"))) return found;
    struct stat device {};
    if (!check(::stat(linkPath.toLocal8Bit().constData(), &device) == 0 && S_ISCHR(device.st_mode),
               QStringLiteral("no device behind the link")))
        return found;
    check(descriptorsOn(device.st_rdev) >= 1, QStringLiteral("the open port is not seen in /proc/self/fd"));
    if (!check(rig.run(40, [&] { return rig.view.telemetryFrames > 0; }) > 0, QStringLiteral("no telemetry")))
        return found;

    // Bring the exchange to the moment and pull the plug right after that tick.
    const auto& ex = rig.exchange;
    std::function<bool()> reached;
    QString failureText;
    switch (moment) {
        case Moment::Idle:
            reached = [&] { return rig.view.telemetryFrames > 1; };
            break;
        case Moment::ProgramHeader:
            changeSet(rig.set, run);
            rig.exchange.startProgram();
            reached = [&] { return ex.mode() == ExchangeMode::Program && ex.attempt() >= 1; };
            failureText = rig.texts.programError;
            break;
        case Moment::ProgramParameters:
            changeSet(rig.set, run);
            rig.exchange.startProgram();
            reached = [&] {
                return ex.mode() == ExchangeMode::Program && ex.commandByte() == kProgramParametersCommand;
            };
            failureText = rig.texts.programError;
            break;
        case Moment::Read:
            rig.exchange.startRead();
            reached = [&] { return ex.mode() == ExchangeMode::Read && ex.commandByte() == kReadParametersCommand; };
            failureText = rig.texts.readError;
            break;
        case Moment::VerifyAfterProgram:
            changeSet(rig.set, run);
            rig.exchange.startProgram();
            reached = [&] { return ex.mode() == ExchangeMode::Verify; };
            failureText = rig.texts.verifyError;
            break;
        case Moment::VerifyAlone:
            rig.exchange.startVerify();
            reached = [&] { return ex.mode() == ExchangeMode::Verify && ex.attempt() >= 1; };
            failureText = rig.texts.verifyError;
            break;
    }
    if (!check(rig.run(40, reached) > 0, QStringLiteral("the moment was never reached"))) return found;
    const LinkRig::StepStart step = rig.stepStart;
    const long killTick = rig.ticks;
    sim->kill();
    rig.restartSchedule();

    // The next tick notices the hang-up and lets the device go.
    rig.run(1, [] { return true; });
    check(!rig.link.isOpen(), QStringLiteral("the dead port still counts as open"));
    check(descriptorsOn(device.st_rdev) == 0, QStringLiteral("a descriptor still holds the dead device"));

    if (moment != Moment::Idle) {
        const bool failed = rig.idleWith(failureText) || rig.run(30, [&] { return rig.idleWith(failureText); }) > 0;
        if (check(failed, QStringLiteral("no \"%1\" but \"%2\"").arg(failureText, rig.view.lastText()))) {
            const long expected = step.tick + (step.fromAnswer ? 19 : 20);
            check(rig.view.messages.last().tick == expected, QStringLiteral("\"%1\" at tick %2, not %3")
                                                                 .arg(failureText)
                                                                 .arg(rig.view.messages.last().tick)
                                                                 .arg(expected));
            check(rig.view.lastColour() == ExchangeView::MessageColour::Red, QStringLiteral("failure text not red"));
            figures << QStringLiteral("\"%1\" %2 ticks after the step's first send")
                           .arg(failureText)
                           .arg(step.fromAnswer ? 19 : 20);
        }
    }
    if (!rig.view.connectionVisible) rig.run(40, [&] { return rig.view.connectionVisible; });
    if (check(rig.view.connectionVisible, QStringLiteral("\"No connection with PC\" never shown"))) {
        check(rig.connectionShownTick - rig.lastValidFrameTick == ExchangeTiming::kWatchdogLimit,
              QStringLiteral("\"No connection with PC\" %1 ticks after the last valid frame")
                  .arg(rig.connectionShownTick - rig.lastValidFrameTick));
        check(rig.lastValidFrameTick <= killTick, QStringLiteral("a valid frame after the unplug"));
    }
    figures << QStringLiteral("\"No connection with PC\" 18 ticks after the last frame");

    // Closing finds nothing more to hold.
    rig.link.closePort();
    check(descriptorsOn(device.st_rdev) == 0, QStringLiteral("closePort left a descriptor"));
    check(rig.backend->longestCallMs() < PosixPortBackend::kWriteBoundMs,
          QStringLiteral("a port call took %1 ms").arg(rig.backend->longestCallMs()));
    check(rig.longestTickMs < PosixPortBackend::kWriteBoundMs,
          QStringLiteral("a tick took %1 ms").arg(rig.longestTickMs));
    check(rig.exchange.mode() == ExchangeMode::Idle, QStringLiteral("the exchange is not idle"));

    // The unit comes back under the same name. Nothing reopens by itself...
    sim = std::make_unique<SimProcess>(QStringLiteral(VELMOR_UNIT_SIM_PATH));
    if (!check(sim->start(args), QStringLiteral("second simulator did not start"))) return found;
    rig.restartSchedule();
    rig.run(8, [] { return false; });
    check(!rig.link.isOpen() && rig.view.connectionVisible, QStringLiteral("the port came back by itself"));

    // ...until the operator chooses the port again; then everything works.
    const int openFailures = rig.openFailures;
    rig.link.selectPort(1);
    if (!check(rig.link.isOpen() && rig.openFailures == openFailures, QStringLiteral("the port did not reopen")))
        return found;
    changeSet(rig.set, run + 1000);
    rig.view.boxes.clear();
    rig.exchange.startProgram();
    const bool programmed = rig.run(80, [&] { return rig.idle(); }) > 0 && rig.idleWith(rig.texts.verifyOk);
    check(programmed, QStringLiteral("Program after replugging ended with \"%1\"").arg(rig.view.lastText()));
    check(rig.view.boxes.isEmpty(), QStringLiteral("a message box after replugging"));
    const auto state = sim->state();
    if (check(state.has_value(), QStringLiteral("no state from the second simulator")))
        check(std::equal(state->block.begin(), state->block.end(), rig.set.block(kParameterBlock).begin()),
              QStringLiteral("the replugged unit does not hold the window's block"));
    rig.run(2, [] { return false; });
    check(!rig.view.connectionVisible, QStringLiteral("\"No connection with PC\" stays after replugging"));
    return found;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    const ReliabilityOptions options = ReliabilityOptions::take(args);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 2;
    }
    // Qt Test stops a test function after five minutes; a full run takes longer by design,
    // and every wait in it has its own bound.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT",
                QByteArray::number(
                    std::max<qint64>(300'000, static_cast<qint64>(options.repeat) * 400 * options.tickMs + 60'000)));
    TestUnplug test(options);
    return QTest::qExec(&test, args);
}

#include "tst_unplug.moc"
