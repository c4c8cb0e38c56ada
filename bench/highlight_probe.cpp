// Paint work of the live-row highlight. The window runs offscreen, shown, against an
// in-memory unit whose engine holds its speed, so the same curve row stays highlighted;
// every tick sets the colour of all 30 curve edit boxes, and the event loop runs after each
// tick so any update would be painted. Paint events are counted on the 30 boxes (and on the
// whole window) over many ticks:
//   settle_paints     while the row is first highlighted (must be > 0: the count works)
//   steady_paints     over the steady ticks, the row unchanged (expected 0)
//   steady_window_paints  every widget of the window over the same ticks
//   steady_colour_changes colours really applied over the same ticks (expected 0)
//   moved_paints      after the engine speeds up and the highlight moves (must be > 0)
// Usage: highlight_probe [--ticks N]
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "BenchPort.h"
#include "ui/TFormHlav.h"

namespace {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* window) : window_(window) {}
    long curve = 0;
    long all = 0;
    std::array<QLineEdit*, 2 * kCurvePoints> edits{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            ++all;
            if (std::find(edits.begin(), edits.end(), watched) != edits.end()) ++curve;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* window_;
};

}  // namespace

int main(int argc, char** argv) {
    int steadyTicks = 600;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--ticks") == 0) steadyTicks = std::max(6, std::atoi(argv[i + 1]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    if (!config.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());

    QApplication app(argc, argv);
    auto owned = std::make_unique<BenchPort>();
    BenchPort* port = owned.get();
    TFormHlav window(std::move(owned));
    int boxes = 0;
    window.setMessageBoxHandler([&boxes](const QString&) { ++boxes; });
    window.serialLink().mapping().setExplicit(1, QStringLiteral("bench"));
    window.FormCreate();
    window.timer1()->stop();  // ticked by hand below, with the event loop run after each tick

    // Fifteen points from 1000 to 15000 rpm, so every row is on show; 5000 rpm marks row 4.
    ParameterSet& set = window.parameterSet();
    set.setCurvePointCount(15);
    for (int i = 0; i < kCurvePoints; ++i) set.setCurveRpm(i, static_cast<std::uint8_t>(10 * (i + 1)));
    set.validate();
    window.refreshWindow();
    port->setTelemetry({BenchPort::telemetryAt(5000)});
    window.show();
    // No box has the focus, so no blinking cursor paints.
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();

    PaintCounter counter(&window);
    for (int i = 0; i < kCurvePoints; ++i) {
        counter.edits[static_cast<std::size_t>(i)] = window.rpmEdits()[static_cast<std::size_t>(i)];
        counter.edits[static_cast<std::size_t>(kCurvePoints + i)] = window.advanceEdits()[static_cast<std::size_t>(i)];
    }
    app.installEventFilter(&counter);
    auto tick = [&](int n) {
        for (int i = 0; i < n; ++i) {
            window.Timer1Timer();
            QCoreApplication::processEvents();
        }
    };

    tick(24);
    const long settlePaints = counter.curve;
    const LiveRow settledRow = window.exchange().liveRow();

    counter.curve = counter.all = 0;
    const int coloursBefore = window.colourChanges();
    tick(steadyTicks);
    const long steadyPaints = counter.curve;
    const long steadyWindowPaints = counter.all;
    const int steadyColours = window.colourChanges() - coloursBefore;
    const LiveRow steadyRow = window.exchange().liveRow();

    port->setTelemetry({BenchPort::telemetryAt(9000)});
    counter.curve = 0;
    tick(24);
    const long movedPaints = counter.curve;
    const LiveRow movedRow = window.exchange().liveRow();

    std::printf("live_row %d\n", settledRow.none ? -1 : settledRow.row);
    std::printf("steady_ticks %d\n", steadyTicks);
    std::printf("settle_paints %ld\n", settlePaints);
    std::printf("steady_paints %ld\n", steadyPaints);
    std::printf("steady_window_paints %ld\n", steadyWindowPaints);
    std::printf("steady_colour_changes %d\n", steadyColours);
    std::printf("moved_row %d\n", movedRow.none ? -1 : movedRow.row);
    std::printf("moved_paints %ld\n", movedPaints);
    std::printf("polls %lld\n", static_cast<long long>(port->polls()));
    std::printf("message_boxes %d\n", boxes);
    // The figures mean something only if the row really stayed and the counter saw paints.
    const bool sound = !settledRow.none && steadyRow.row == settledRow.row && !steadyRow.none &&
                       movedRow.row != settledRow.row && settlePaints > 0 && movedPaints > 0 && boxes == 0;
    return sound ? 0 : 1;
}
