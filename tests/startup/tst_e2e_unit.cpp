// The whole tool against the unit simulator on a pseudo-terminal: the real serial port, the
// real 55 ms timer and the event loop. COM1 is pointed at the simulator through the [PORTS]
// section of the settings file, as the run script does.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
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
constexpr int kCommandTimeoutMs = 20000;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::array<std::uint8_t, kBlockSize> parameterBlock(const ParameterSet& set) {
    std::array<std::uint8_t, kBlockSize> block{};
    const auto bytes = set.block(kParameterBlock);
    std::copy(bytes.begin(), bytes.end(), block.begin());
    return block;
}

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void programThenReadIntoFreshWindow();

private:
    // A window on the system's serial ports; its settings name the simulator for COM1.
    TFormHlav* start() {
        window_ = std::make_unique<TFormHlav>();
        window_->setFileDialogs(std::make_unique<FakeDialogs>());
        window_->setDocumentOpener(std::make_unique<RecordingOpener>());
        window_->setPrintTarget(std::make_unique<FailingPrintTarget>("no printer here"));
        window_->setMessageBoxHandler([this](const QString& text) { boxes_.append(text); });
        window_->FormCreate();
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) {
            qWarning("window not active");
        }
        return window_.get();
    }
    QLabel* label(const char* name) const { return window_->findChild<QLabel*>(name); }
    QLineEdit* edit(const char* name) const { return window_->findChild<QLineEdit*>(name); }

    std::unique_ptr<TempConfig> config_;
    std::unique_ptr<QProcess> sim_;
    std::unique_ptr<TFormHlav> window_;
    QString link_;
    QStringList boxes_;
};

void TestEndToEnd::init() {
    setCurrentLanguage(LanguageId::English);
    boxes_.clear();
    config_ = std::make_unique<TempConfig>();
    QVERIFY(config_->isValid());
    link_ = config_->root() + "/velmor-sim-tty";

    sim_ = std::make_unique<QProcess>();
    sim_->setProgram(QStringLiteral(VELMOR_UNIT_SIM));
    sim_->setArguments({"--link", link_});
    sim_->setProcessChannelMode(QProcess::SeparateChannels);
    sim_->start();
    QVERIFY2(sim_->waitForStarted(5000), qPrintable(sim_->errorString()));
    // The first line of its output is the device; it is served from then on.
    for (int i = 0; i < 50 && !sim_->canReadLine(); ++i) {
        sim_->waitForReadyRead(100);
    }
    QVERIFY2(sim_->canReadLine(), sim_->readAllStandardError().constData());
    const QString device = QString::fromLocal8Bit(sim_->readLine()).trimmed();
    QVERIFY(device.startsWith("/dev/"));
    QVERIFY(QFileInfo(link_).isSymLink());
    QVERIFY(writeFile(ConfigPaths::settingsFile(), "[PORTS]\r\nCOM1=" + link_.toLocal8Bit() + "\r\n"));
}

void TestEndToEnd::cleanup() {
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

void TestEndToEnd::programThenReadIntoFreshWindow() {
    start();
    QVERIFY(boxes_.isEmpty());
    // Connected: the warning goes and the live values come in.
    QTRY_VERIFY_WITH_TIMEOUT(label("LabelSpojeni")->isHidden(), kConnectTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(label("LabelRpm")->text() != "RPM = --- ", kConnectTimeoutMs);

    // A set unlike the default one, partly typed and never confirmed: F9 reads it back.
    ParameterSet& set = window_->parameterSet();
    set.setCurvePointCount(5);
    for (int i = 0; i < 5; ++i) {
        set.setCurveRpm(i, static_cast<std::uint8_t>(15 + 12 * i));
        set.setCurveAdvance(i, static_cast<std::uint8_t>(8 + 3 * i));
    }
    set.setInput1Function(3);
    set.setRpmCorrection(93);
    window_->refreshWindow();
    QLineEdit* base = edit("EditBaseAdv");
    base->setFocus();
    base->selectAll();
    QTest::keyClicks(base, "13");
    QTest::keyClick(base, Qt::Key_F9);

    QTRY_COMPARE_WITH_TIMEOUT(label("LabelHlaseni")->text(), QString("Verify: OK"), kCommandTimeoutMs);
    QVERIFY(!label("LabelHlaseni")->isHidden());
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QCOMPARE(set.baseAdvance(), 13);
    QVERIFY(boxes_.isEmpty());
    const auto programmed = parameterBlock(set);
    // The unit's header came in on the way and names its version.
    QCOMPARE(set.imageVersion(), 41);

    // A fresh window without the working image starts from the defaults and reads the unit.
    QVERIFY(window_->close());
    window_.reset();
    QVERIFY(QFile::remove(ConfigPaths::workingImageFile()));
    start();
    QTRY_VERIFY_WITH_TIMEOUT(label("LabelSpojeni")->isHidden(), kConnectTimeoutMs);
    QVERIFY(parameterBlock(window_->parameterSet()) != programmed);
    QCOMPARE(edit("EditBaseAdv")->text(), QString("10"));
    QTest::keyClick(window_.get(), Qt::Key_F7);
    QTRY_COMPARE_WITH_TIMEOUT(label("LabelHlaseni")->text(), QString("Verify: OK"), kCommandTimeoutMs);
    QCOMPARE(parameterBlock(window_->parameterSet()), programmed);
    QCOMPARE(edit("EditBaseAdv")->text(), QString("13"));
    QCOMPARE(edit("EditAdvance5")->text(), QString("20"));
    QVERIFY(!window_->rpmEdits()[4]->isHidden());
    QVERIFY(window_->rpmEdits()[5]->isHidden());
    QCOMPARE(edit("EditRpmKorekce")->text(), QString("-7"));
    QCOMPARE(window_->fileLabel(), QString());
    QVERIFY(boxes_.isEmpty());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e_unit.moc"
