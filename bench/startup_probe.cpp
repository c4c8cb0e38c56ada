// Start-up as the tool does it (QApplication, the window, FormCreate, show), stopped at the
// first painted frame of the window. Prints, one "name value" pair a line:
//   first_paint_us   process start to the first paint event of the window
//   painted_us       process start to the end of that first paint pass
//   since_start_us   the same end measured against the kernel's start time of the process
//                    (10 ms resolution), for when no --since is given
//   peak_rss_kb      VmHWM at that moment;  rss_kb  VmRSS
//   message_boxes    message boxes the start-up asked for (they are not shown)
// --since US: the wall clock (microseconds since 1970) just before this program was
// executed, e.g. from bash's EPOCHREALTIME; without it the kernel's start time is used.
// Settings come from $XDG_CONFIG_HOME as in the tool; scripts/bench points it at a
// temporary folder whose [PORTS] section names the simulator.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ProcessStats.h"
#include "ui/TFormHlav.h"

namespace {

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) {}

    std::int64_t firstPaintUs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && firstPaintUs < 0 && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            firstPaintUs = ProcessStats::realtimeUs();
            // The rest of the pass (children, flush) runs before the queued quit.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* window_;
};

}  // namespace

int main(int argc, char** argv) {
    std::int64_t sinceUs = -1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--since") == 0) sinceUs = std::strtoll(argv[i + 1], nullptr, 10);
    const std::int64_t probeStartUs = ProcessStats::realtimeUs();
    const std::int64_t kernelSinceStartUs = ProcessStats::sinceStartUs();
    // Without --since, the kernel's start time stands in for the moment of the exec.
    if (sinceUs <= 0 && kernelSinceStartUs >= 0) sinceUs = probeStartUs - kernelSinceStartUs;

    QApplication app(argc, argv);
    QApplication::setApplicationName("velmor");
    TFormHlav window;
    int boxes = 0;
    window.setMessageBoxHandler([&boxes](const QString&) { ++boxes; });
    FirstPaint probe(&window);
    app.installEventFilter(&probe);
    window.FormCreate();
    window.show();
    // A window that never paints must not hang the run.
    QTimer::singleShot(10000, &app, &QCoreApplication::quit);
    app.exec();
    const std::int64_t paintedUs = ProcessStats::realtimeUs();
    const std::int64_t sinceStartUs = ProcessStats::sinceStartUs();
    if (probe.firstPaintUs < 0) {
        std::fprintf(stderr, "startup_probe: the window was never painted\n");
        return 1;
    }
    std::printf("first_paint_us %lld\n", static_cast<long long>(probe.firstPaintUs - sinceUs));
    std::printf("painted_us %lld\n", static_cast<long long>(paintedUs - sinceUs));
    std::printf("since_start_us %lld\n", static_cast<long long>(sinceStartUs));
    std::printf("peak_rss_kb %lld\n", static_cast<long long>(ProcessStats::peakResidentKb()));
    std::printf("rss_kb %lld\n", static_cast<long long>(ProcessStats::residentKb()));
    std::printf("message_boxes %d\n", boxes);
    return 0;
}
