#include "ManualShots.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QTreeWidget>
#include <array>

#include "files/ConfigPaths.h"
#include "files/HistoryStore.h"
#include "ui/CurveGraph.h"
#include "ui/DifferenceWindow.h"
#include "ui/FileDialogs.h"
#include "ui/HistoryFeature.h"
#include "ui/HistoryWindow.h"
#include "ui/TFormHlav.h"

namespace {

// The window asks for no file here; should it ever, the question is answered with Cancel
// rather than a dialog nobody can close.
class NoFileDialogs : public FileDialogs {
public:
    QString getSaveFileName(QWidget*, const QString&) override { return {}; }
    QString getOpenFileName(QWidget*, const QString&) override { return {}; }
    Answer confirm(QWidget*, const QString&) override { return Answer::Cancel; }
};

// A set as a rider would have it on a four-stroke single: ten curve points rising to 32°
// at 7000 rpm, limiter at 10500 rpm, launch limiter at 4500, shift light at 9800, the
// quick-shifter on input 1 and the retard switch on input 2.
void setTrackSet(ParameterSet& set) {
    constexpr std::array<std::uint8_t, kCurvePoints> rpm = {12, 20,  30,  40,  50,  60,  70, 80,
                                                            90, 100, 102, 104, 106, 108, 110};
    constexpr std::array<std::uint8_t, kCurvePoints> advance = {8,  12, 18, 24, 28, 31, 32, 32,
                                                                30, 28, 28, 28, 28, 28, 28};
    for (int i = 0; i < kCurvePoints; ++i) {
        set.setCurveRpm(i, rpm[static_cast<std::size_t>(i)]);
        set.setCurveAdvance(i, advance[static_cast<std::size_t>(i)]);
    }
    set.setCurvePointCount(10);
    set.setBaseAdvance(10);
    set.setLimiter(105);
    set.setStartLimiter(45);
    set.setRetard(6);
    set.setPilotLight(98);
    set.setClutchTime(8);
    set.setClutchPause(50);
    set.setInput1Function(2);
    set.setInput2Function(3);
}

// The few fields a rider changes after a test run: more limiter, more retard, one point up.
void changeAfterTestRun(ParameterSet& set) {
    set.setLimiter(110);
    set.setRetard(8);
    set.setCurveAdvance(5, 33);
}

constexpr std::array<LanguageId, kLanguageCount> kLanguages = {LanguageId::English, LanguageId::German,
                                                               LanguageId::French, LanguageId::Czech};
// The engine off idle and below the limiter, so the live dot sits on the curve.
constexpr int kLiveLowRpm = 2500;
constexpr int kLiveHighRpm = 9500;
// A frame in the window's new language: two polls.
constexpr int kFreshLiveMs = 2 * ExchangeTiming::kPollPeriod * ExchangeTiming::kTickMs + 100;

}  // namespace

QString ManualShots::languageFolder(LanguageId language) {
    switch (language) {
        case LanguageId::German:
            return QStringLiteral("de");
        case LanguageId::French:
            return QStringLiteral("fr");
        case LanguageId::Czech:
            return QStringLiteral("cz");
        case LanguageId::English:
            break;
    }
    return QStringLiteral("en");
}

ManualShots::ManualShots(Options options) : options_(std::move(options)) {}

ManualShots::~ManualShots() {
    window_.reset();
    stopSimulator();
}

bool ManualShots::fail(const QString& why) {
    if (error_.isEmpty()) error_ = why;
    return false;
}

void ManualShots::pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool ManualShots::waitFor(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        pause(20);
    }
    return true;
}

bool ManualShots::run() {
    if (!home_.isValid()) return fail(QStringLiteral("no temporary folder"));
    // The window's settings, working image and history all live under these two.
    qputenv("XDG_CONFIG_HOME", home_.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + QStringLiteral("/data")).toUtf8());
    if (!startSimulator() || !startWindow() || !loadTrackSet()) return false;
    for (LanguageId language : kLanguages) {
        if (!QDir().mkpath(QDir(options_.outDir).filePath(languageFolder(language))))
            return fail(QStringLiteral("cannot make the folder for ") + languageFolder(language));
        if (!shootLive(language) || !shootHistory(language)) return false;
    }
    // The report needs a window that differs from the unit: the same few edits for all.
    changeAfterTestRun(window_->parameterSet());
    window_->applyEdit();
    for (LanguageId language : kLanguages) {
        if (!shootCompare(language)) return false;
    }
    window_->close();
    window_.reset();
    stopSimulator();
    return true;
}

bool ManualShots::startSimulator() {
    const QString link = home_.path() + QStringLiteral("/velmor-sim-tty");
    sim_.setProgram(options_.simulator);
    // With --control the simulator ends when its input closes: also when this process dies.
    sim_.setArguments({QStringLiteral("--link"), link, QStringLiteral("--control"),
                       QStringLiteral("--programming-count"), QStringLiteral("36")});
    sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim_.start();
    if (!sim_.waitForStarted(5000)) return fail(QStringLiteral("simulator: ") + sim_.errorString());
    if (!waitFor([this] { return sim_.canReadLine() || sim_.state() != QProcess::Running; }, 5000))
        return fail(QStringLiteral("the simulator printed no device"));
    const QString device = QString::fromLocal8Bit(sim_.readLine()).trimmed();
    if (!device.startsWith(QStringLiteral("/dev/"))) return fail(QStringLiteral("simulator said: ") + device);
    return writeSettings(link);
}

void ManualShots::stopSimulator() {
    if (sim_.state() == QProcess::NotRunning) return;
    sim_.write("quit\n");
    sim_.closeWriteChannel();
    if (sim_.waitForFinished(3000)) return;
    sim_.terminate();
    if (!sim_.waitForFinished(3000)) {
        sim_.kill();
        sim_.waitForFinished(3000);
    }
}

bool ManualShots::writeSettings(const QString& device) {
    if (!ConfigPaths::ensureFolder()) return fail(QStringLiteral("cannot make ") + ConfigPaths::folder());
    QFile settings(ConfigPaths::settingsFile());
    if (!settings.open(QIODevice::WriteOnly)) return fail(QStringLiteral("cannot write ") + settings.fileName());
    // COM1 on the simulator; the unit's set is kept before each programming.
    settings.write("[PORTS]\r\nCOM1=" + device.toLocal8Bit() + "\r\n[HISTORY]\r\nBackupBeforeProgramming=1\r\n");
    return settings.error() == QFileDevice::NoError;
}

bool ManualShots::startWindow() {
    window_ = std::make_unique<TFormHlav>();
    window_->setFileDialogs(std::make_unique<NoFileDialogs>());
    // A box means the unit or a file reported trouble: the pictures would show it.
    window_->setMessageBoxHandler([this](const QString& text) { boxes_.append(text); });
    window_->FormCreate();
    window_->resize(TFormHlav::kDesignWidth, TFormHlav::kDesignHeight);
    window_->show();
    auto* connection = window_->findChild<QLabel*>(QStringLiteral("LabelSpojeni"));
    if (connection == nullptr) return fail(QStringLiteral("the window has no connection label"));
    const bool connected =
        waitFor([&] { return connection->isHidden() && window_->exchange().lastTelemetry().supplyMillivolts > 0; },
                options_.connectTimeoutMs);
    if (!connected) return fail(QStringLiteral("no telemetry from the simulator"));
    return boxes_.isEmpty() || fail(boxes_.join(QLatin1Char('\n')));
}

bool ManualShots::commandFailed() const {
    const MessageTexts& texts = window_->messageTexts();
    const QString line = window_->findChild<QLabel*>(QStringLiteral("LabelHlaseni"))->text();
    return !boxes_.isEmpty() || line == texts.programError || line == texts.verifyError || line == texts.readError;
}

bool ManualShots::loadTrackSet() {
    // Programmed as the operator does it, each time with the backup of what the unit held
    // before: a first try, then the set with a little less retard; then read back. Five
    // entries in the history, and the set in the window as read.
    const HistoryStore store = window_->history()->store();
    const auto finished = [&](qsizetype entries) {
        return [&, entries] {
            return commandFailed() ||
                   (window_->exchange().mode() == ExchangeMode::Idle && store.list().size() >= entries);
        };
    };
    for (const int retard : {8, 6}) {
        setTrackSet(window_->parameterSet());
        window_->parameterSet().setRetard(static_cast<std::uint8_t>(retard));
        window_->applyEdit();
        const qsizetype entries = store.list().size() + 2;
        window_->MenuProgramClick();
        if (!waitFor(finished(entries), options_.commandTimeoutMs) || commandFailed())
            return fail(QStringLiteral("programming the simulator did not finish"));
    }
    window_->MenuReadClick();
    if (!waitFor(finished(5), options_.commandTimeoutMs) || commandFailed())
        return fail(QStringLiteral("reading the simulator did not finish"));
    return true;
}

bool ManualShots::shootLive(LanguageId language) {
    window_->setLanguage(language);
    // The live labels are written in the new language by the next frames; the engine is
    // caught off idle if it gets there in time (the picture is taken either way).
    pause(kFreshLiveMs);
    waitFor(
        [&] {
            const int rpm = window_->exchange().lastTelemetry().rpm;
            return rpm >= kLiveLowRpm && rpm <= kLiveHighRpm;
        },
        options_.liveTimeoutMs);
    if (commandFailed() || window_->exchange().connectionLost())
        return fail(QStringLiteral("the connection to the simulator was lost"));
    return save(window_.get(), language, QStringLiteral("window.png")) &&
           save(window_->curveGraph(), language, QStringLiteral("graph.png"));
}

bool ManualShots::shootHistory(LanguageId language) {
    HistoryFeature* history = window_->history();
    history->showHistory();
    HistoryWindow* shown = history->historyWindow();
    if (shown == nullptr || shown->table()->topLevelItemCount() < 5)
        return fail(QStringLiteral("the history window shows too few entries"));
    // Small enough that the few entries fill it; the newest chosen, as for Open or Compare.
    shown->resize(720, 190);
    shown->table()->setCurrentItem(shown->table()->topLevelItem(0));
    const bool ok = save(shown, language, QStringLiteral("history.png"));
    shown->hide();
    return ok;
}

bool ManualShots::shootCompare(LanguageId language) {
    window_->setLanguage(language);
    HistoryFeature* history = window_->history();
    if (history->differenceWindow()) history->differenceWindow()->hide();
    history->compareWithUnit();
    const bool shown = waitFor(
        [&] {
            const DifferenceWindow* report = history->differenceWindow();
            return commandFailed() || (report && report->isVisible() && !report->rows().isEmpty());
        },
        options_.commandTimeoutMs);
    if (!shown || commandFailed()) return fail(QStringLiteral("the difference report did not come"));
    DifferenceWindow* report = history->differenceWindow();
    report->resize(600, 170);
    // No row chosen: the picture shows the report as it opens, not a focus frame on one cell.
    report->table()->setCurrentItem(nullptr);
    report->table()->clearSelection();
    const bool ok = save(report, language, QStringLiteral("compare.png"));
    report->hide();
    return ok;
}

bool ManualShots::save(QWidget* widget, LanguageId language, const QString& name) {
    // Posted relayouts and repaints settle before the picture is taken.
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    const QString path = QDir(options_.outDir).filePath(languageFolder(language) + QLatin1Char('/') + name);
    const QPixmap picture = widget->grab();
    QImage image = picture.toImage();
    // The resolution says how large the picture was on the screen, whatever its ratio.
    const int dotsPerMetre = qRound(96.0 * picture.devicePixelRatio() / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    if (!image.save(path, "PNG")) return fail(QStringLiteral("cannot write ") + path);
    return true;
}
