// The version message box opened by the exchange, with the real window, its real Timer1 and
// the unit simulator on a pseudo-terminal reporting image version 40: while the box is open
// the window goes on polling every 330 ms and the live values keep coming.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeDialogs.h"
#include "TempConfig.h"
#include "files/ConfigPaths.h"
#include "i18n/Language.h"
#include "ui/TFormHlav.h"

namespace {

constexpr int kConnectTimeoutMs = 15000;
constexpr int kBoxOpenMs = 2000;  // how long the operator leaves the box open
constexpr int kGuardMs = 20000;   // any box still open then is closed and the test fails
constexpr int kPollMs = 330;
constexpr int kPollSlackMs = 45;  // under a tick, for a loaded machine

struct LoggedFrame {
    double ms = 0;
    QString event;  // "rx" (request taken in) or "tx" (answer sent)
    QByteArray bytes;
};

// The simulator's frame log: "<ms> rx|tx <hex bytes>" a line; other events are left out.
QList<LoggedFrame> readLog(const QString& path) {
    QList<LoggedFrame> frames;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return frames;
    while (!file.atEnd()) {
        const QList<QByteArray> parts = file.readLine().simplified().split(' ');
        if (parts.size() < 3 || (parts[1] != "rx" && parts[1] != "tx")) continue;
        LoggedFrame f{parts[0].toDouble(), QString::fromLatin1(parts[1]), {}};
        for (qsizetype i = 2; i < parts.size(); ++i) f.bytes.append(char(parts[i].toInt(nullptr, 16)));
        if (f.bytes.size() == 52) frames.append(f);
    }
    return frames;
}

}  // namespace

class TestBoxTicks : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pollsGoOnWhileVersionBoxOpen_data();
    void pollsGoOnWhileVersionBoxOpen();

private:
    QLabel* label(const char* name) const { return window_->findChild<QLabel*>(name); }

    std::unique_ptr<TempConfig> config_;
    std::unique_ptr<QProcess> sim_;
    std::unique_ptr<TFormHlav> window_;
    QString log_;
};

void TestBoxTicks::init() {
    setCurrentLanguage(LanguageId::English);
    config_ = std::make_unique<TempConfig>();
    QVERIFY(config_->isValid());
    const QString link = config_->root() + "/velmor-sim-tty";
    log_ = config_->root() + "/frames.log";

    sim_ = std::make_unique<QProcess>();
    sim_->setProgram(QStringLiteral(VELMOR_UNIT_SIM));
    sim_->setArguments({"--link", link, "--image-version", "40", "--verbose"});
    sim_->setStandardErrorFile(log_);
    sim_->start();
    QVERIFY2(sim_->waitForStarted(5000), qPrintable(sim_->errorString()));
    for (int i = 0; i < 50 && !sim_->canReadLine(); ++i) sim_->waitForReadyRead(100);
    QVERIFY(sim_->canReadLine());
    QVERIFY(QString::fromLocal8Bit(sim_->readLine()).trimmed().startsWith("/dev/"));

    QDir().mkpath(QFileInfo(ConfigPaths::settingsFile()).absolutePath());
    QFile settings(ConfigPaths::settingsFile());
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[PORTS]\r\nCOM1=" + link.toLocal8Bit() + "\r\n");
    settings.close();

    // The real message box: no handler.
    window_ = std::make_unique<TFormHlav>();
    window_->setFileDialogs(std::make_unique<FakeDialogs>());
    window_->FormCreate();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTRY_VERIFY_WITH_TIMEOUT(label("LabelSpojeni")->isHidden(), kConnectTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(label("LabelRpm")->text() != "RPM = --- ", kConnectTimeoutMs);
}

void TestBoxTicks::cleanup() {
    window_.reset();
    if (sim_) {
        sim_->terminate();
        if (!sim_->waitForFinished(5000)) {
            sim_->kill();
            sim_->waitForFinished(5000);
        }
        sim_.reset();
    }
    config_.reset();
}

void TestBoxTicks::pollsGoOnWhileVersionBoxOpen_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("request");   // the header step the command sends
    QTest::addColumn<QString>("line");  // the message line under the box
    QTest::newRow("Read") << int(Qt::Key_F7) << 0x40 << "Read:";
    QTest::newRow("Program") << int(Qt::Key_F9) << 0x00 << "Program device:";
}

void TestBoxTicks::pollsGoOnWhileVersionBoxOpen() {
    QFETCH(int, key);
    QFETCH(int, request);
    QFETCH(QString, line);

    // Seen from inside the box's modal loop.
    QString boxText;
    QString boxTitle;
    ExchangeMode modeAtBox = ExchangeMode::Program;
    QStringList rpmTexts;
    bool connectionShown = false;
    bool closed = false;
    QElapsedTimer open;
    QTimer watch;
    watch.setInterval(20);
    connect(&watch, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || closed) return;
        if (!open.isValid()) {
            open.start();
            boxText = box->text();
            boxTitle = box->windowTitle();
            modeAtBox = window_->exchange().mode();
        }
        if (rpmTexts.isEmpty() || rpmTexts.last() != label("LabelRpm")->text()) rpmTexts << label("LabelRpm")->text();
        connectionShown = connectionShown || !label("LabelSpojeni")->isHidden();
        if (open.elapsed() >= kBoxOpenMs || open.elapsed() >= kGuardMs) {
            closed = true;
            box->button(QMessageBox::Ok)->click();
        }
    });
    watch.start();
    const int framesBefore = int(readLog(log_).size());
    QTest::keyClick(window_.get(), Qt::Key(key));
    QTRY_VERIFY_WITH_TIMEOUT(closed, kGuardMs);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeModalWidget() == nullptr, 5000);
    watch.stop();
    QTest::qWait(200);  // the log catches up

    // What the operator saw: the version box over the window, live values coming in.
    QCOMPARE(boxText, QString("Unmatched version of PC and Ignition programs!"));
    QCOMPARE(boxTitle, window_->windowTitle());
    QCOMPARE(modeAtBox, ExchangeMode::Idle);
    QVERIFY2(rpmTexts.size() >= 2, qPrintable(rpmTexts.join(" | ")));
    QVERIFY(!connectionShown);
    QCOMPARE(label("LabelHlaseni")->text(), line);

    // What went on the wire: the header step once, its answer naming version 40, then only
    // polls, 330 ms apart, for as long as the box was open.
    const QList<LoggedFrame> frames = readLog(log_).mid(framesBefore);
    qsizetype answer = -1;
    for (qsizetype i = 0; i < frames.size() && answer < 0; ++i)
        if (frames[i].event == "tx" && quint8(frames[i].bytes[0]) == (request | 0x80)) answer = i;
    QVERIFY(answer > 0);
    QCOMPARE(int(quint8(frames[answer].bytes[1 + 10])), 40);
    QList<double> polls;
    for (qsizetype i = answer + 1; i < frames.size(); ++i) {
        if (frames[i].event != "rx") continue;
        QCOMPARE(int(quint8(frames[i].bytes[0])), 0x30);
        // From when the box is surely open until it is surely closed again.
        if (frames[i].ms > frames[answer].ms + 100 && frames[i].ms < frames[answer].ms + kBoxOpenMs)
            polls << frames[i].ms;
    }
    QVERIFY2(polls.size() >= (kBoxOpenMs - 100) / kPollMs - 1, qPrintable(QString::number(polls.size())));
    double shortest = 1e9;
    double longest = 0;
    for (qsizetype i = 1; i < polls.size(); ++i) {
        shortest = std::min(shortest, polls[i] - polls[i - 1]);
        longest = std::max(longest, polls[i] - polls[i - 1]);
    }
    qInfo("%lld polls while the box was open, %.1f to %.1f ms apart (mean %.1f)", polls.size(), shortest, longest,
          (polls.last() - polls.first()) / double(polls.size() - 1));
    QVERIFY(shortest > kPollMs - kPollSlackMs);
    QVERIFY(longest < kPollMs + kPollSlackMs);
}

QTEST_MAIN(TestBoxTicks)
#include "tst_box_ticks.moc"
