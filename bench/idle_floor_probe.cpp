// The reference for the idle CPU figure: what a Qt program costs on this machine when it
// shows one empty window and wakes every 55 ms for nothing. scripts/bench measures it over
// the same 30 s as the tool, so the tool's own share of its idle CPU can be seen.
// Runs until it is terminated.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include "ui/TFormHlav.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(TFormHlav::kDesignWidth, TFormHlav::kDesignHeight);
    window.show();
    QTimer timer;
    timer.setInterval(TFormHlav::kTimerIntervalMs);
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start();
    return app.exec();
}
