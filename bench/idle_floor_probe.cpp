// The references for the idle CPU figure: what a Qt program costs on this machine when it
// shows one empty window and wakes every 55 ms for nothing, and, with --label, the same window
// showing one number that changes with every sixth tick, as a live value does while the unit
// is polled. scripts/bench measures them over the same 30 s as the tool, so the tool's own
// share of its idle CPU can be seen, and what showing any changing number costs in Qt.
// Runs until it is terminated.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/TFormHlav.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(TFormHlav::kDesignWidth, TFormHlav::kDesignHeight);
    QLabel* label = nullptr;
    if (app.arguments().contains(QStringLiteral("--label"))) {
        auto* central = new QWidget(&window);
        auto* layout = new QVBoxLayout(central);
        label = new QLabel(QStringLiteral("RPM = 1200 "), central);
        layout->addWidget(label);
        layout->addStretch(1);
        window.setCentralWidget(central);
    }
    window.show();
    QTimer timer;
    timer.setInterval(TFormHlav::kTimerIntervalMs);
    int tick = 0;
    int rpm = 1200;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        // A poll every 6 ticks, its answer shown: a revving engine's number, new each time.
        if (label != nullptr && ++tick % 6 == 0) {
            rpm = rpm >= 9000 ? 1200 : rpm + 337;
            label->setText(QStringLiteral("RPM = %1 ").arg(rpm));
        }
    });
    timer.start();
    return app.exec();
}
