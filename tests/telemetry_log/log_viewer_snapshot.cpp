// Not a test: records a run of the simulated unit through the window (the unit's clock moved
// on with the poll period, so the engine sweeps as on a dyno), opens it in the log viewer and
// writes both views and the window as PNG files.
//
//   log_viewer_snapshot <folder> [seconds]
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "SimPort.h"
#include "ui/LogViewer.h"
#include "ui/TFormHlav.h"
#include "ui/TelemetryLogFeature.h"

namespace {
class DynoPort : public SimPort {
public:
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override {
        if (size > 0 && data[0] == kPollCommand) unit.advance(290);
        return SimPort::write(data, size);
    }
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [seconds]\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 40;
    QDir().mkpath(folder);
    auto port = std::make_unique<DynoPort>();
    // A curve with some shape, so that the points show whether the unit follows it.
    ParameterSet curve;
    curve.setDefaults();
    curve.setCurvePointCount(6);
    const int rpm[] = {10, 30, 50, 80, 110, 140};
    const int advance[] = {8, 14, 24, 32, 34, 30};
    for (int i = 0; i < 6; ++i) {
        curve.setCurveRpm(i, static_cast<std::uint8_t>(rpm[i]));
        curve.setCurveAdvance(i, static_cast<std::uint8_t>(advance[i]));
    }
    curve.validate();
    ImageBlock block = port->unit.parameterBlock();
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = curve.byte(static_cast<int>(block.size() + i));
    port->unit.setParameterBlock(block);
    TFormHlav window(std::move(port));
    window.setMessageBoxHandler([](const QString& text) { std::fprintf(stderr, "box: %s\n", qPrintable(text)); });
    window.FormCreate();
    window.timer1()->stop();
    qint64 now = 0;
    TelemetryLogFeature* logs = window.logs();
    logs->setFolder(folder);
    logs->setClock([&now] { return now; });
    for (int i = 0; i < 12; ++i) window.Timer1Timer();
    window.MenuReadClick();  // the unit's text and firmware into the log's header
    for (int i = 0; i < 60; ++i) window.Timer1Timer();
    logs->recordAction()->trigger();
    for (int i = 0; i < seconds * 1000 / 55; ++i) {
        now += 55;
        window.Timer1Timer();
        logs->tick();
    }
    app.processEvents();
    window.grab().save(folder + "/window.png");
    logs->recordAction()->trigger();
    const QString path = logs->recorder().path();
    std::printf("%s\n", qPrintable(path));
    logs->openLog(path);
    LogViewer* viewer = logs->viewer();
    if (!viewer) return 1;
    viewer->resize(900, 600);
    app.processEvents();
    viewer->setCursorTime(viewer->log().timeAt(viewer->log().rowCount() / 3));
    app.processEvents();
    viewer->grab().save(folder + "/viewer-time.png");
    viewer->timePlot()->zoom(0.3, viewer->timePlot()->xForTime(*viewer->timePlot()->cursorTime()));
    app.processEvents();
    viewer->grab().save(folder + "/viewer-zoom.png");
    viewer->showCurveTab(true);
    app.processEvents();
    viewer->grab().save(folder + "/viewer-curve.png");
    return 0;
}
