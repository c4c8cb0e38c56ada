// The curve graph's picture as the geometry it computes, dragging a point, undo and redo of
// the set, and the unsaved marker of the file label; against a fake port and fake dialogs.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "files/ParameterFile.h"
#include "i18n/Language.h"
#include "link/LinkFrame.h"
#include "ui/CurveGeometry.h"
#include "ui/CurveGraph.h"
#include "ui/TFormHlav.h"

namespace {

// Three points 1000 rpm / 10°, 3000 / 20°, 6000 / 30°; limiter 6500, shift light 6000,
// base advance 5: the axes reach 7000 rpm and 40°.
ParameterSet threePoints() {
    ParameterSet set;
    set.setCurvePointCount(3);
    const std::array<std::uint8_t, 3> rpm = {10, 30, 60};
    const std::array<std::uint8_t, 3> advance = {10, 20, 30};
    for (int i = 0; i < 3; ++i) {
        set.setCurveRpm(i, rpm[static_cast<std::size_t>(i)]);
        set.setCurveAdvance(i, advance[static_cast<std::size_t>(i)]);
    }
    set.setLimiter(65);
    set.setStartLimiter(50);
    set.setPilotLight(60);
    set.setBaseAdvance(5);
    set.setInput1Function(0);
    set.setInput2Function(0);
    set.validate();
    return set;
}

LinkFrame answerFrame(std::uint8_t answer, const ParameterSet& set, int block) {
    LinkFrame frame{};
    frame[0] = answer;
    const auto bytes = set.block(block);
    std::copy(bytes.begin(), bytes.end(), frame.begin() + 1);
    sealFrame(frame);
    return frame;
}

LinkFrame telemetryFrame(std::uint16_t rpm, int advance) {
    LinkFrame frame{};
    frame[0] = kTelemetryAnswer;
    frame[1] = static_cast<std::uint8_t>(rpm & 0xFF);
    frame[2] = static_cast<std::uint8_t>(rpm >> 8);
    frame[31] = static_cast<std::uint8_t>(advance + 100);
    sealFrame(frame);
    return frame;
}

}  // namespace

class TestGraph : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void geometryFollowsSetAndLivePoint_data();
    void geometryFollowsSetAndLivePoint();
    void dragIsBoundedAndSnapped_data();
    void dragIsBoundedAndSnapped();
    void liveDotFollowsFramesAndGoesWithConnection();
    void dragEditsOnePointAndProgramsOnRelease();
    void undoAndRedoRestoreWholeSets();
    void undoKeysReachWindowFromEditBox_data();
    void undoKeysReachWindowFromEditBox();
    void unsavedMarkerSetByEditClearedBySave();
    void rpmGaugeReachesTheScreen_data();
    void rpmGaugeReachesTheScreen();

private:
    template <typename T>
    T* child(const char* name) const {
        return findControl<T>(window_.get(), name);
    }
    void enter(const char* name, const QString& text) {
        auto* box = child<QLineEdit>(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) window_->Timer1Timer();
    }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<QTemporaryDir>& files_ = rig_.files;
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    FakeDialogs*& dialogs_ = rig_.dialogs;
};

void TestGraph::init() {
    setCurrentLanguage(LanguageId::English);
    QVERIFY(rig_.start());
}

void TestGraph::cleanup() { rig_.stop(); }

void TestGraph::geometryFollowsSetAndLivePoint_data() {
    QTest::addColumn<int>("startLimiterInput");
    QTest::addColumn<int>("liveRpm");  // -1: no live point
    QTest::addColumn<int>("liveAdvance");
    QTest::addColumn<int>("highlighted");
    QTest::addColumn<int>("rpmMax");
    QTest::addColumn<int>("advanceMax");
    QTest::addColumn<QPointF>("live");          // (-1, -1): none
    QTest::addColumn<double>("startLimiterX");  // -1: none

    // Plot 700 x 400 px from (0, 0): 10 rpm and 0.1° a pixel along x and y.
    QTest::newRow("live point on the curve") << 0 << 3500 << 25 << 1 << 7000 << 40 << QPointF(350, 150) << -1.0;
    QTest::newRow("no live point, no row") << 0 << -1 << 0 << -1 << 7000 << 40 << QPointF(-1, -1) << -1.0;
    QTest::newRow("live point outside is kept at the edge")
        << 0 << 9000 << -10 << 2 << 7000 << 40 << QPointF(700, 400) << -1.0;
    QTest::newRow("start limiter only as an input's function")
        << 4 << 1000 << 10 << 0 << 7000 << 40 << QPointF(100, 300) << 500.0;
}

void TestGraph::geometryFollowsSetAndLivePoint() {
    QFETCH(int, startLimiterInput);
    QFETCH(int, liveRpm);
    QFETCH(int, liveAdvance);
    QFETCH(int, highlighted);
    ParameterSet set = threePoints();
    set.setInput2Function(static_cast<std::uint8_t>(startLimiterInput));
    const CurveLive state{liveRpm >= 0, liveRpm, liveAdvance, highlighted};
    const CurveGeometry g = CurveGeometry::compute(set, state, QRectF(0, 0, 700, 400), 40, 20);

    QTEST(g.ranges.rpmMax, "rpmMax");
    QTEST(g.ranges.advanceMax, "advanceMax");
    QCOMPARE(g.pointCount, 3);
    QCOMPARE(g.points[0], QPointF(100, 300));
    QCOMPARE(g.points[1], QPointF(300, 200));
    QCOMPARE(g.points[2], QPointF(600, 100));
    QCOMPARE(g.highlighted, highlighted);
    QCOMPARE(g.limiterX, 650.0);
    QCOMPARE(g.shiftLightX, 600.0);
    QCOMPARE(g.baseAdvanceY, 350.0);
    QFETCH(QPointF, live);
    QCOMPARE(g.live.value_or(QPointF(-1, -1)), live);
    QFETCH(double, startLimiterX);
    QCOMPARE(g.startLimiterX.value_or(-1.0), startLimiterX);
    // Ticks at least the asked room apart: 40 px is 400 rpm, so every 500 rpm; 20 px is 2°.
    QCOMPARE(g.rpmTickStep, 500);
    QCOMPARE(g.advanceTickStep, 2);
}

void TestGraph::dragIsBoundedAndSnapped_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QPointF>("pointer");
    QTest::addColumn<int>("rpmCode");
    QTest::addColumn<int>("advance");

    QTest::newRow("snapped to 100 rpm and 1 degree") << 1 << QPointF(455, 147) << 46 << 25;
    QTest::newRow("stops below the next point and at the top") << 1 << QPointF(690, -50) << 59 << 40;
    QTest::newRow("stops above the previous point and at 0 degrees") << 1 << QPointF(20, 450) << 11 << 0;
    QTest::newRow("last point up to the axis end") << 2 << QPointF(695, 200) << 70 << 20;
    QTest::newRow("first point down to its own bound") << 0 << QPointF(0, 200) << 6 << 20;
}

void TestGraph::dragIsBoundedAndSnapped() {
    QFETCH(int, index);
    QFETCH(QPointF, pointer);
    const ParameterSet set = threePoints();
    const CurveGeometry g = CurveGeometry::compute(set, CurveLive{}, QRectF(0, 0, 700, 400), 40, 20);
    const DraggedPoint moved = dragPoint(g, set, index, pointer);
    QTEST(int(moved.rpmCode), "rpmCode");
    QTEST(int(moved.advance), "advance");
}

void TestGraph::liveDotFollowsFramesAndGoesWithConnection() {
    CurveGraph* graph = window_->curveGraph();
    QVERIFY(!graph->curveGeometry().live.has_value());
    window_->exchange().dispatchReceived(telemetryFrame(3000, 20));
    const CurveGeometry g = graph->curveGeometry();
    QVERIFY(g.live.has_value());
    QCOMPARE(g.live->x(), g.xForRpm(3000));
    QCOMPARE(g.live->y(), g.yForAdvance(20));
    ticks(ExchangeTiming::kWatchdogLimit + 1);
    QVERIFY(window_->exchange().connectionLost());
    QVERIFY(!graph->curveGeometry().live.has_value());
}

void TestGraph::dragEditsOnePointAndProgramsOnRelease() {
    window_->parameterSet() = threePoints();
    window_->applyEdit();
    child<QCheckBox>("CheckBoxProgHned")->setChecked(true);
    const ParameterImage before = window_->parameterSet().image();
    const std::size_t steps = window_->undoHistory().undoSteps();
    CurveGraph* graph = window_->curveGraph();
    const CurveGeometry g = graph->curveGeometry();
    const QPoint start = g.points[1].toPoint();
    const QPoint end(start.x(), qRound(g.yForAdvance(27)));

    QTest::mousePress(graph, Qt::LeftButton, {}, start);
    QTest::mouseMove(graph, QPoint(start.x(), qRound(g.yForAdvance(24))));
    QTest::mouseMove(graph, end);
    // The box shows the value as if typed, nothing is programmed while the button is held.
    QCOMPARE(child<QLineEdit>("EditAdvance2")->text(), QString("27"));
    QCOMPARE(window_->parameterSet().curveAdvance(1), 27);
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QTest::mouseRelease(graph, Qt::LeftButton, {}, end);

    QCOMPARE(window_->exchange().mode(), ExchangeMode::Program);
    QCOMPARE(window_->lastSent()[ImageByte::curveAdvance + 1 - kBlockSize], 27);
    QCOMPARE(window_->undoHistory().undoSteps(), steps + 1);
    ParameterImage expected = before;
    expected[ImageByte::curveAdvance + 1] = 27;
    QCOMPARE(window_->parameterSet().image(), expected);
}

void TestGraph::undoAndRedoRestoreWholeSets() {
    // Steps hold the parameter block; the header is only ever the last unit's.
    const auto params = [this] {
        const auto block = window_->parameterSet().block(kParameterBlock);
        ImageBlock out{};
        std::copy(block.begin(), block.end(), out.begin());
        return out;
    };
    std::vector<ImageBlock> states{params()};
    enter("EditAdvance1", "33");
    states.push_back(params());

    auto* bike = child<QComboBox>("ComboBoxBike");
    bike->setCurrentIndex(1);
    emit bike->activated(1);
    states.push_back(params());

    ParameterSet fromFile = threePoints();
    dialogs_->openName = files_->filePath("three.ign");
    QVERIFY(ParameterFile::save(dialogs_->openName, fromFile));
    window_->MenuOpenClick();
    states.push_back(params());

    ParameterSet unit = threePoints();
    unit.setByte(ImageByte::readAllowed, 1);
    unit.setByte(ImageByte::imageVersion, kImageVersion);
    unit.setCurveAdvance(2, 44);
    window_->MenuReadClick();
    // The Read takes answers only once its first frame has gone out.
    for (int tick = 0; tick < ExchangeTiming::kResendPeriod; ++tick) window_->Timer1Timer();
    window_->exchange().dispatchReceived(answerFrame(kReadHeaderCommand | kAnswerBit, unit, kHeaderBlock));
    window_->exchange().dispatchReceived(answerFrame(kReadParametersCommand | kAnswerBit, unit, kParameterBlock));
    QCOMPARE(window_->parameterSet().image(), unit.image());
    states.push_back(params());
    for (std::size_t i = 1; i < states.size(); ++i) QVERIFY(states[i] != states[i - 1]);
    const auto header = [this] {
        const auto block = window_->parameterSet().block(kHeaderBlock);
        return std::vector<std::uint8_t>(block.begin(), block.end());
    };
    const std::vector<std::uint8_t> unitHeader = header();

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        window_->MenuUndoClick();
        QCOMPARE(params(), states[i - 1]);
        QCOMPARE(header(), unitHeader);
    }
    QCOMPARE(child<QLineEdit>("EditAdvance1")->text(),
             QString::number(states[0][ImageByte::curveAdvance - kBlockSize]));
    QVERIFY(!child<QAction>("MenuUndo")->isEnabled());
    window_->MenuUndoClick();
    QCOMPARE(params(), states[0]);
    for (std::size_t i = 1; i < states.size(); ++i) {
        window_->MenuRedoClick();
        QCOMPARE(params(), states[i]);
        QCOMPARE(header(), unitHeader);
    }
    QVERIFY(!child<QAction>("MenuRedo")->isEnabled());
    // Undoing is a change like any other: nothing is programmed unless asked for.
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Verify);
}

void TestGraph::undoKeysReachWindowFromEditBox_data() {
    QTest::addColumn<int>("redoKey");
    QTest::addColumn<int>("redoModifiers");
    QTest::newRow("Ctrl+Y") << int(Qt::Key_Y) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier);
}

void TestGraph::undoKeysReachWindowFromEditBox() {
    QFETCH(int, redoKey);
    QFETCH(int, redoModifiers);
    const int before = window_->parameterSet().baseAdvance();
    enter("EditBaseAdv", QString::number(before + 3));
    auto* box = child<QLineEdit>("EditPocetBodu");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(int(window_->parameterSet().baseAdvance()), before);
    QCOMPARE(child<QLineEdit>("EditBaseAdv")->text(), QString::number(before));
    QTest::keyClick(box, Qt::Key(redoKey), Qt::KeyboardModifiers(redoModifiers));
    QCOMPARE(int(window_->parameterSet().baseAdvance()), before + 3);
    // What is typed in a box is undone in the box first.
    const QString shown = box->text();
    box->selectAll();
    QTest::keyClicks(box, "9");
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->text(), shown);
    QCOMPARE(int(window_->parameterSet().baseAdvance()), before + 3);
}

void TestGraph::unsavedMarkerSetByEditClearedBySave() {
    auto* label = child<QLabel>("LabelFile2");
    const QString path = QFileInfo(files_->filePath("kept.ign")).absoluteFilePath();
    dialogs_->saveName = path;
    window_->MenuSaveClick();
    QCOMPARE(label->text(), path);
    enter("EditBaseAdv", QString::number(window_->parameterSet().baseAdvance() + 1));
    QCOMPARE(label->text(), path + " *");
    QCOMPARE(window_->fileLabel(), path);
    window_->MenuUndoClick();
    QCOMPARE(label->text(), path);
    window_->MenuRedoClick();
    QCOMPARE(label->text(), path + " *");
    window_->MenuSaveClick();
    QCOMPARE(label->text(), path);
}

QTEST_MAIN(TestGraph)
void TestGraph::rpmGaugeReachesTheScreen_data() {
    QTest::addColumn<int>("rpm");
    QTest::addColumn<double>("share");  // of the 15000 rpm limiter
    QTest::newRow("30 %") << 4500 << 0.3;
    QTest::newRow("80 %") << 12000 << 0.8;
    QTest::newRow("empty") << 0 << 0.0;
}

void TestGraph::rpmGaugeReachesTheScreen() {
    QFETCH(int, rpm);
    QFETCH(double, share);
    // The bar is painted with the rest of the frame rather than at once: once the event loop
    // has run, the screen shows the new value.
    window_->exchange().dispatchReceived(telemetryFrame(static_cast<std::uint16_t>(rpm), 10));
    QTest::qWait(100);
    const QImage shot = window_->screen()->grabWindow(window_->winId()).toImage();
    auto* gauge = child<QProgressBar>("CGaugeRpm");
    const QRect bar(gauge->mapTo(window_.get(), QPoint(0, 0)), gauge->size());
    const int y = bar.center().y();
    const QRgb empty = shot.pixel(bar.right() - 3, y);
    int last = bar.left();
    for (int x = bar.left() + 3; x < bar.right() - 3; ++x)
        if (shot.pixel(x, y) != empty) last = x;
    QVERIFY2(qAbs(double(last - bar.left()) / bar.width() - share) < 0.05,
             qPrintable(QString::number(double(last - bar.left()) / bar.width())));
}

#include "tst_ui_graph.moc"
