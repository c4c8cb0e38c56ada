// Start-up and shut-down of the window with its settings file, working image file and
// test-mode marker. Every test has a configuration folder of its own (XDG_CONFIG_HOME).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FileSizeLimit.h"
#include "FindControl.h"
#include "TempConfig.h"
#include "files/ConfigPaths.h"
#include "files/IniFile.h"
#include "files/WorkingImageFile.h"
#include "i18n/Language.h"
#include "ui/TFormAbout.h"
#include "ui/TFormHlav.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QPoint centred(QSize size) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen.left() + (screen.width() - size.width()) / 2, screen.top() + (screen.height() - size.height()) / 2};
}

QByteArray formSection(int left, int top, int height, int width, int port, int language, const QByteArray& file,
                       const QByteArray& iniDir, int all) {
    return "[FORM_HLAV]\r\nLeft=" + QByteArray::number(left) + "\r\nTop=" + QByteArray::number(top) +
           "\r\nHeight=" + QByteArray::number(height) + "\r\nWidth=" + QByteArray::number(width) +
           "\r\nComPort=" + QByteArray::number(port) + "\r\nLanguage=" + QByteArray::number(language) +
           "\r\nFile=" + file + "\r\nIniDir=" + iniDir + "\r\nCheckBoxIgnAll->Checked=" + QByteArray::number(all) +
           "\r\n";
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartWithoutSettings();
    void languageWord_data();
    void languageWord();
    void comPortRange_data();
    void comPortRange();
    void portsSectionNamesTheDevice();
    void workingImage_data();
    void workingImage();
    void editedSetSurvivesRestart();
    void marker_data();
    void marker();
    void settingsUpdatedInPlace();
    void interruptedWritesKeepOldFiles();
    void storedGeometry_data();
    void storedGeometry();
    void hostileFilesStillStart();
    void specialFilesCountAsMissing();
    void workingImageBroughtIntoRange();

private:
    // A window against a fake port whose COM1..COM10 map to "fake-1".."fake-10".
    TFormHlav* start(const QStringList& arguments = {}) {
        auto port = std::make_unique<FakePort>();
        port_ = port.get();
        window_ = std::make_unique<TFormHlav>(std::move(port));
        window_->setFileDialogs(std::make_unique<FakeDialogs>());
        window_->setDocumentOpener(std::make_unique<RecordingOpener>());
        window_->setPrintTarget(std::make_unique<FailingPrintTarget>("no printer here"));
        window_->setMessageBoxHandler([this](const QString& text) { boxes_.append(text); });
        for (int n = 1; n <= PortMapping::kPorts; ++n) {
            window_->serialLink().mapping().setExplicit(n, QString("fake-%1").arg(n));
        }
        window_->FormCreate(arguments);
        window_->timer1()->stop();
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) {
            qWarning("window not exposed");
        }
        return window_.get();
    }
    // Shuts the window down as the close box does, then destroys it.
    void closeWindow() {
        QVERIFY(window_->close());
        QVERIFY(window_->isHidden());
        window_.reset();
    }
    template <typename T>
    T* child(const char* name) const {
        return findControl<T>(window_.get(), name);
    }
    QStringList checkedComItems() const {
        QStringList checked;
        for (int n = 1; n <= PortMapping::kPorts; ++n) {
            if (child<QAction>(qPrintable(QString("MenuCom%1").arg(n)))->isChecked()) {
                checked.append(QString::number(n));
            }
        }
        return checked;
    }
    QString settingsPath() const { return ConfigPaths::settingsFile(); }
    QString imagePath() const { return ConfigPaths::workingImageFile(); }
    std::optional<QString> stored(const char* key) const {
        IniFile ini;
        if (!ini.load(settingsPath())) {
            return std::nullopt;
        }
        return ini.value("FORM_HLAV", key);
    }

    std::unique_ptr<TempConfig> config_;
    std::unique_ptr<TFormHlav> window_;
    FakePort* port_ = nullptr;
    QStringList boxes_;
};

void TestStartup::init() {
    // The process-wide language from an earlier test must not be what a start finds.
    setCurrentLanguage(LanguageId::French);
    boxes_.clear();
    config_ = std::make_unique<TempConfig>();
    QVERIFY(config_->isValid());
    QCOMPARE(ConfigPaths::folder(), config_->root() + "/velmor");
}

void TestStartup::cleanup() {
    window_.reset();
    config_.reset();
    setCurrentLanguage(LanguageId::English);
}

void TestStartup::firstStartWithoutSettings() {
    start();
    QCOMPARE(window_->size(), QSize(823, 805));
    QCOMPARE(window_->pos(), centred(QSize(823, 805)));
    QCOMPARE(currentLanguage(), LanguageId::English);
    QCOMPARE(window_->windowTitle(), QString("Programming of VELMORAN unit"));
    QVERIFY(child<QAction>("MenuEnglish")->isChecked());
    QCOMPARE(checkedComItems(), QStringList{"1"});
    QCOMPARE(port_->lastDevice, QString("fake-1"));
    QCOMPARE(window_->fileLabel(), QString());
    QCOMPARE(window_->currentFileName(), QString());
    QVERIFY(!window_->ignAll());
    QCOMPARE(window_->parameterSet().image(), ParameterSet().image());
    QCOMPARE(child<QLineEdit>("EditRpmAdv2")->text(), QLocale().toString(2000));
    QVERIFY(child<QLabel>("LabelHlaseni")->isHidden());
    QVERIFY(child<QProgressBar>("CGauge")->isHidden());
    QVERIFY(!window_->testMode());
    QVERIFY(child<QLabel>("LabelTest1")->isHidden());
    QVERIFY(boxes_.isEmpty());
    QVERIFY(window_->timer1() != nullptr);
    // The About window exists, hidden, from the end of start-up on.
    QVERIFY(window_->aboutForm() != nullptr);
    QVERIFY(window_->aboutForm()->isHidden());
    // Start-up only reads.
    QVERIFY(!QFileInfo::exists(ConfigPaths::folder()));

    const QPoint at = window_->pos();
    const ParameterImage image = window_->parameterSet().image();
    closeWindow();
    QCOMPARE(readFile(settingsPath()), formSection(at.x(), at.y(), 805, 823, 1, 0, "", "", 0));
    QCOMPARE(readFile(imagePath()), WorkingImageFile::toBytes([&] {
                 ParameterSet set;
                 set.replaceImage(image);
                 return set;
             }()));
    QCOMPARE(readFile(imagePath()).size(), 620);
}

void TestStartup::languageWord_data() {
    QTest::addColumn<QByteArray>("storedLanguage");  // empty = no key
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    const QString german = QString::fromUtf8("Programmierung der VELMORAN Zündbox");
    const QString french = QString::fromUtf8("Programation de VELMORAN unité");
    const QString czech = QString::fromUtf8("Programování jednotky VELMORAN");
    const QString english = "Programming of VELMORAN unit";
    QTest::newRow("DEUTSCH over French") << QByteArray("2") << QStringList{"DEUTSCH"} << 1 << german;
    QTest::newRow("deutsch ignored") << QByteArray("2") << QStringList{"deutsch"} << 2 << french;
    QTest::newRow("FRANCE over German") << QByteArray("1") << QStringList{"FRANCE"} << 2 << french;
    QTest::newRow("france keeps German") << QByteArray("1") << QStringList{"france"} << 1 << german;
    QTest::newRow("CESKY") << QByteArray("0") << QStringList{"CESKY"} << 3 << czech;
    QTest::newRow("ENGLISH over Czech") << QByteArray("3") << QStringList{"ENGLISH"} << 0 << english;
    QTest::newRow("only the first argument") << QByteArray("1") << QStringList{"-x", "CESKY"} << 1 << german;
    QTest::newRow("stored Czech") << QByteArray("3") << QStringList{} << 3 << czech;
    QTest::newRow("no key") << QByteArray() << QStringList{} << 0 << english;
    QTest::newRow("not a number") << QByteArray("de") << QStringList{} << 0 << english;
    QTest::newRow("Language=7") << QByteArray("7") << QStringList{} << 0 << english;
    QTest::newRow("Language=7 with DEUTSCH") << QByteArray("7") << QStringList{"DEUTSCH"} << 1 << german;
    QTest::newRow("low 8 bits of 259") << QByteArray("259") << QStringList{} << 3 << czech;
    QTest::newRow("low 8 bits of -255") << QByteArray("-255") << QStringList{} << 1 << german;
}

void TestStartup::languageWord() {
    QFETCH(QByteArray, storedLanguage);
    QFETCH(QStringList, arguments);
    QFETCH(int, language);
    QFETCH(QString, title);
    QByteArray ini = "[FORM_HLAV]\r\n";
    if (!storedLanguage.isEmpty()) {
        ini += "Language=" + storedLanguage + "\r\n";
    }
    QVERIFY(writeFile(settingsPath(), ini));

    start(arguments);
    QCOMPARE(int(currentLanguage()), language);
    QCOMPARE(window_->windowTitle(), title);
    const std::array<const char*, 4> items = {"MenuEnglish", "MenuGerman", "MenuFrench", "MenuCzech"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(child<QAction>(items[static_cast<std::size_t>(i)])->isChecked(), i == language);
    }
    // The message texts follow the same language.
    const std::array<const char*, 4> errors = {"Open file error!", "Fehler beim öffnen der Datei!",
                                               "Erreur ouvertur fichier!", "Chyba při otevírání souboru!"};
    QCOMPARE(window_->messageTexts().fileOpenError, QString::fromUtf8(errors[static_cast<std::size_t>(language)]));

    closeWindow();
    QCOMPARE(stored("Language"), QString::number(language));
}

void TestStartup::comPortRange_data() {
    QTest::addColumn<QByteArray>("storedPort");
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("saved");
    QTest::newRow("COM4") << QByteArray("4") << QStringList{"4"} << "fake-4" << 4;
    QTest::newRow("COM10") << QByteArray("10") << QStringList{"10"} << "fake-10" << 10;
    QTest::newRow("ComPort=12") << QByteArray("12") << QStringList{"1"} << "fake-1" << 1;
    QTest::newRow("low 8 bits of 258") << QByteArray("258") << QStringList{"2"} << "fake-2" << 2;
    QTest::newRow("not a number") << QByteArray("COM3") << QStringList{"1"} << "fake-1" << 1;
    // Number 0 passes the range check as stored: no item ticked, no port, no message.
    QTest::newRow("ComPort=0") << QByteArray("0") << QStringList{} << QString() << 0;
}

void TestStartup::comPortRange() {
    QFETCH(QByteArray, storedPort);
    QFETCH(QStringList, ticked);
    QFETCH(QString, device);
    QFETCH(int, saved);
    QVERIFY(writeFile(settingsPath(), "[FORM_HLAV]\r\nComPort=" + storedPort + "\r\n"));
    start();
    QCOMPARE(checkedComItems(), ticked);
    if (device.isEmpty()) {
        QCOMPARE(port_->opens, 0);
    } else {
        QCOMPARE(port_->opens, 1);
        QCOMPARE(port_->lastDevice, device);
    }
    QVERIFY(boxes_.isEmpty());
    QCOMPARE(int(window_->serialLink().portNumber()), saved);
    closeWindow();
    QCOMPARE(stored("ComPort"), QString::number(saved));
}

void TestStartup::portsSectionNamesTheDevice() {
    QVERIFY(writeFile(settingsPath(),
                      "[PORTS]\r\nCOM3=/dev/velmor-test-3\r\nCOM5=\r\n[FORM_HLAV]\r\nComPort=3\r\nLanguage=3\r\n"));
    start();
    QCOMPARE(port_->lastDevice, QString("/dev/velmor-test-3"));
    // The port open failure is already reported in the stored language.
    port_->failOpen = true;
    window_->selectPort(3);
    // The box's first line is the message; the reason follows on the next.
    QCOMPARE(boxes_.size(), 1);
    QCOMPARE(boxes_.first().section(QLatin1Char('\n'), 0, 0), QString::fromUtf8("Chyba při otevírání portu Com!"));
    // An empty entry keeps the mapping the window had.
    port_->failOpen = false;
    window_->selectPort(5);
    QCOMPARE(port_->lastDevice, QString("fake-5"));
    closeWindow();
    QVERIFY(readFile(settingsPath()).startsWith("[PORTS]\r\nCOM3=/dev/velmor-test-3\r\nCOM5=\r\n[FORM_HLAV]\r\n"));
}

void TestStartup::workingImage_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("first");  // the bytes from 0 on that the file sets

    QList<int> sixty;
    QByteArray text;
    for (int b = 0; b < 50; ++b) {
        sixty.append((b * 7 + 3) % 256);
    }
    // Parameter bytes 50..59 that validate keeps: standard keying, 5 points, base advance
    // 12, start limiter 90, limiter 140, retard 4, positive polarity, two spare bytes, lobe 2.
    sixty += QList<int>{0, 5, 12, 90, 140, 4, 0, 9, 8, 2};
    for (int i = 0; i < sixty.size(); ++i) {
        text += QByteArray::number(sixty[i]).rightJustified(5, ' ') + ' ';
        if (i % 10 == 9) {
            text += "\r\n";
        }
    }
    QTest::newRow("60 numbers") << text << sixty;
    QTest::newRow("one line, LF") << QByteArray("1 2 3 4\n5") << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("a word ends it") << QByteArray("7 8 9 x 10 11") << QList<int>{7, 8, 9};
    QTest::newRow("low 8 bits") << QByteArray("300 256 -1") << QList<int>{44, 0, 255};
    QTest::newRow("empty") << QByteArray() << QList<int>{};
    QTest::newRow("binary") << QByteArray("\x01\x02\xff\xfe garbage\0\0", 14) << QList<int>{};
}

void TestStartup::workingImage() {
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, first);
    QVERIFY(writeFile(imagePath(), content));
    start();
    const ParameterSet defaults;
    const ParameterSet& set = window_->parameterSet();
    for (int b = 0; b < kImageSize; ++b) {
        const int expected = b < first.size() ? first[b] : defaults.byte(b);
        QVERIFY2(set.byte(b) == expected, qPrintable(QString("byte %1: %2").arg(b).arg(set.byte(b))));
    }
    if (first.size() == 60) {
        QCOMPARE(child<QLineEdit>("EditBaseAdv")->text(), QString("12"));
        QVERIFY(!window_->rpmEdits()[4]->isHidden());
        QVERIFY(window_->rpmEdits()[5]->isHidden());
    }
    QVERIFY(boxes_.isEmpty());
}

void TestStartup::editedSetSurvivesRestart() {
    start();
    window_->move(60, 40);
    window_->resize(900, 830);
    QLineEdit* base = child<QLineEdit>("EditBaseAdv");
    base->setFocus();
    base->selectAll();
    QTest::keyClicks(base, "14");
    QTest::keyClick(base, Qt::Key_Return);
    window_->parameterSet().setByte(3, 41);  // the header of the last unit travels along
    child<QAction>("MenuCzech")->trigger();
    child<QAction>("MenuCom4")->trigger();
    // Typed and never confirmed: the shut-down reads it back.
    QLineEdit* rpm = child<QLineEdit>("EditRpmAdv2");
    rpm->setFocus();
    rpm->selectAll();
    QTest::keyClicks(rpm, "2500");
    window_->setIgnAll(true);
    window_->setFileLabel("/sets/a b.ign");
    window_->setCurrentFileName("/sets/c.ign");
    const QPoint at = window_->pos();
    closeWindow();

    QCOMPARE(readFile(settingsPath()), formSection(at.x(), at.y(), 830, 900, 4, 3, "/sets/a b.ign", "/sets/c.ign", 1));

    setCurrentLanguage(LanguageId::English);
    start();
    const ParameterSet& set = window_->parameterSet();
    QCOMPARE(set.baseAdvance(), 14);
    QCOMPARE(set.curveRpm(1), 25);
    QCOMPARE(set.byte(3), 41);
    QCOMPARE(child<QLineEdit>("EditRpmAdv2")->text(), QLocale().toString(2500));
    QCOMPARE(currentLanguage(), LanguageId::Czech);
    QCOMPARE(checkedComItems(), QStringList{"4"});
    QCOMPARE(port_->lastDevice, QString("fake-4"));
    QVERIFY(window_->ignAll());
    QCOMPARE(window_->fileLabel(), QString("/sets/a b.ign"));
    QCOMPARE(window_->currentFileName(), QString("/sets/c.ign"));
    QCOMPARE(window_->pos(), at);
    QCOMPARE(window_->size(), QSize(900, 830));

    // A second round trip without changes leaves both files byte for byte.
    const QByteArray settings = readFile(settingsPath());
    const QByteArray image = readFile(imagePath());
    closeWindow();
    QCOMPARE(readFile(settingsPath()), settings);
    QCOMPARE(readFile(imagePath()), image);
}

void TestStartup::marker_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("on");
    QTest::newRow("among other words") << true << QByteArray("bench 3\r\nmode DIAG_SWITCH on\r\n") << true;
    QTest::newRow("absent") << false << QByteArray() << false;
    QTest::newRow("other words") << true << QByteArray("DIAG SWITCH diag_switch") << false;
    QTest::newRow("empty") << true << QByteArray() << false;
}

void TestStartup::marker() {
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(bool, on);
    if (present) {
        QVERIFY(writeFile(ConfigPaths::markerFile(), content));
    }
    start();
    QCOMPARE(window_->testMode(), on);
    for (int i = 1; i <= 8; ++i) {
        QCOMPARE(!child<QLabel>(qPrintable(QString("LabelTest%1").arg(i)))->isHidden(), on);
    }
}

void TestStartup::settingsUpdatedInPlace() {
    // Comments, other sections, an unknown key and the operator's key order stay; the
    // missing keys are added after the last entry of the section.
    const QByteArray before =
        "; velmor settings\r\n"
        "[FORM_HLAV]\r\n"
        "Language=2\r\n"
        "Extra=keep me\r\n"
        "ComPort=3\r\n"
        "\r\n"
        "[PORTS]\r\n"
        "COM1=/dev/ttyUSB7\r\n";
    QVERIFY(writeFile(settingsPath(), before));
    start();
    window_->move(10, 20);
    window_->setIgnAll(true);
    const QPoint at = window_->pos();
    closeWindow();
    const QByteArray expected =
        "; velmor settings\r\n"
        "[FORM_HLAV]\r\n"
        "Language=2\r\n"
        "Extra=keep me\r\n"
        "ComPort=3\r\n"
        "Left=" +
        QByteArray::number(at.x()) + "\r\nTop=" + QByteArray::number(at.y()) +
        "\r\n"
        "Height=805\r\n"
        "Width=823\r\n"
        "File=\r\n"
        "IniDir=\r\n"
        "CheckBoxIgnAll->Checked=1\r\n"
        "\r\n"
        "[PORTS]\r\n"
        "COM1=/dev/ttyUSB7\r\n";
    QCOMPARE(readFile(settingsPath()), expected);
}

void TestStartup::interruptedWritesKeepOldFiles() {
    const QByteArray settings = formSection(5, 6, 805, 823, 2, 1, "/a.ign", "/a.ign", 0);
    ParameterSet old;
    old.setBaseAdvance(19);
    const QByteArray image = WorkingImageFile::toBytes(old);
    QVERIFY(writeFile(settingsPath(), settings));
    QVERIFY(writeFile(imagePath(), image));
    start();
    QCOMPARE(window_->parameterSet().baseAdvance(), 19);
    window_->parameterSet().setBaseAdvance(21);
    window_->refreshWindow();
    child<QAction>("MenuFrench")->trigger();
    {
        // The disk is full at exit: closing still goes through, silently.
        FileSizeLimit limit(30);
        QVERIFY(limit.isActive());
        QVERIFY(window_->close());
    }
    QVERIFY(window_->isHidden());
    QVERIFY(boxes_.isEmpty());
    window_.reset();
    QCOMPARE(readFile(settingsPath()), settings);
    QCOMPARE(readFile(imagePath()), image);
    QCOMPARE(QDir(ConfigPaths::folder()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"_velmor.ini", "velmor.ini"}));

    // The next start finds the last good state.
    start();
    QCOMPARE(window_->parameterSet().baseAdvance(), 19);
    QCOMPARE(currentLanguage(), LanguageId::German);
}

void TestStartup::storedGeometry_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("keepPosition");
    QTest::addColumn<QSize>("size");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint first = centred(QSize(823, 805));
    QTest::newRow("on screen") << 40 << 30 << 900 << 830 << true << QSize(900, 830);
    QTest::newRow("partly off to the left") << -600 << 10 << 823 << 805 << true << QSize(823, 805);
    QTest::newRow("centred as a first start") << first.x() << first.y() << 823 << 805 << true << QSize(823, 805);
    QTest::newRow("far off") << -5000 << -4000 << 823 << 805 << false << QSize(823, 805);
    QTest::newRow("just past the right edge") << screen.right() + 1 << 0 << 823 << 805 << false << QSize(823, 805);
    QTest::newRow("at the end of the int range") << 2147483000 << 2147483000 << 823 << 805 << false << QSize(823, 805);
    QTest::newRow("at the start of the int range")
        << -2147483647 - 1 << -2147483647 - 1 << 823 << 805 << false << QSize(823, 805);
    QTest::newRow("no size") << 50 << 60 << 0 << -40 << true << QSize(823, 805);
    QTest::newRow("absurd size") << 50 << 60 << 100000 << 2000000 << true << QSize(823, 805);
}

void TestStartup::storedGeometry() {
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, keepPosition);
    QFETCH(QSize, size);
    QVERIFY(writeFile(settingsPath(), "[FORM_HLAV]\r\nLeft=" + QByteArray::number(left) + "\r\nTop=" +
                                          QByteArray::number(top) + "\r\nHeight=" + QByteArray::number(height) +
                                          "\r\nWidth=" + QByteArray::number(width) + "\r\n"));
    start();
    QCOMPARE(window_->size(), size);
    QCOMPARE(window_->pos(), keepPosition ? QPoint(left, top) : centred(size));
    // Stored again as shown.
    const QPoint at = window_->pos();
    closeWindow();
    QCOMPARE(stored("Left"), QString::number(at.x()));
    QCOMPARE(stored("Width"), QString::number(size.width()));
}

void TestStartup::hostileFilesStillStart() {
    QByteArray noise;
    for (int i = 0; i < 300000; ++i) {
        noise += char((i * 131 + 17) % 256);
    }
    QVERIFY(writeFile(settingsPath(), noise));
    QVERIFY(writeFile(imagePath(), noise));
    QVERIFY(writeFile(ConfigPaths::markerFile(), noise));
    start();
    QCOMPARE(currentLanguage(), LanguageId::English);
    QCOMPARE(checkedComItems(), QStringList{"1"});
    QCOMPARE(window_->size(), QSize(823, 805));
    // Whatever the image file held, the set shown is a validated one.
    ParameterSet copy = window_->parameterSet();
    copy.validate();
    QCOMPARE(copy.image(), window_->parameterSet().image());
    closeWindow();
    QVERIFY(readFile(settingsPath())
                .contains(formSection(centred(QSize(823, 805)).x(), centred(QSize(823, 805)).y(), 805, 823, 1, 0, "",
                                      "", 0)));
}

void TestStartup::specialFilesCountAsMissing() {
    // Pipes at all three paths: opening one for reading would wait for a writer forever.
    QVERIFY(config_->makeFolder());
    const QStringList pipes = {settingsPath(), imagePath(), ConfigPaths::markerFile()};
    for (const QString& pipe : pipes) QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // Bound: should the start block on a pipe, writers come and go from 10 s on, so the
    // test fails instead of hanging.
    std::mutex mutex;
    std::condition_variable done;
    bool started = false;
    std::atomic<bool> rescued = false;
    std::thread guard([&] {
        std::unique_lock lock(mutex);
        if (done.wait_for(lock, std::chrono::seconds(10), [&] { return started; })) return;
        do {
            for (const QString& pipe : pipes) {
                const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    rescued = true;
                    ::close(fd);
                }
            }
        } while (!done.wait_for(lock, std::chrono::milliseconds(100), [&] { return started; }));
    });
    start();
    {
        std::lock_guard lock(mutex);
        started = true;
    }
    done.notify_one();
    guard.join();
    QVERIFY(!rescued);
    QCOMPARE(window_->parameterSet().image(), ParameterSet().image());
    QVERIFY(!window_->testMode());
    QVERIFY(boxes_.isEmpty());
    // The exit replaces the pipes by the files.
    closeWindow();
    QVERIFY(readFile(settingsPath()).startsWith("[FORM_HLAV]\r\nLeft="));
    QCOMPARE(readFile(imagePath()), WorkingImageFile::toBytes(ParameterSet()));
}

void TestStartup::workingImageBroughtIntoRange() {
    // A hand-edited image: the window shows every parameter inside its range, without a box.
    ParameterSet edited;
    edited.setByte(3, 200);  // header bytes are no parameters and stay
    QList<QByteArray> numbers = WorkingImageFile::toBytes(edited).simplified().split(' ');
    numbers[ImageByte::curvePointCount] = "0";
    numbers[ImageByte::baseAdvance] = "300";
    numbers[ImageByte::limiter] = "12800";
    numbers[ImageByte::lobeSetting] = "9";
    numbers[ImageByte::curveAdvance + 1] = "61";
    numbers[ImageByte::rpmCorrection] = "170";
    QVERIFY(writeFile(imagePath(), numbers.join(' ')));
    start();
    QVERIFY(boxes_.isEmpty());
    QCOMPARE(child<QLineEdit>("EditPocetBodu")->text(), QString("1"));
    QCOMPARE(child<QLineEdit>("EditBaseAdv")->text(), QString("40"));
    QCOMPARE(child<QLineEdit>("EditOmez2")->text(), QLocale().toString(25000));
    QCOMPARE(child<QComboBox>("ComboBoxPocPalcu")->currentIndex(), 2);
    QCOMPARE(child<QLineEdit>("EditAdvance2")->text(), QString("60"));
    QCOMPARE(child<QLineEdit>("EditRpmKorekce")->text(), QString("60"));
    QCOMPARE(window_->parameterSet().byte(3), 200);
    // And the exit stores the bounded set.
    closeWindow();
    const QByteArray stored = readFile(imagePath());
    QList<QByteArray> back = stored.simplified().split(' ');
    QCOMPARE(back.mid(50, 6), (QList<QByteArray>{"0", "1", "40", "100", "250", "6"}));
    QCOMPARE(back[ImageByte::lobeSetting], QByteArray("3"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
