// Not a test: starts the window as the tool does (settings from XDG_CONFIG_HOME, so COM1 can
// name the simulator), reads the unit, programs it with the backup on, then opens the History
// window and compares the window with the unit, and writes the three windows as PNG files.
// Usage: history_snapshot OUTPUT_FOLDER [ENGLISH|DEUTSCH|FRANCE|CESKY]
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include "ui/DifferenceWindow.h"
#include "ui/HistoryFeature.h"
#include "ui/HistoryWindow.h"
#include "ui/TFormHlav.h"

namespace {

// Runs the event loop until the message line says the command is over, at most 15 s.
void waitForResult(TFormHlav& window) {
    auto* line = window.findChild<QLabel*>("LabelHlaseni");
    QElapsedTimer clock;
    clock.start();
    QApplication::processEvents();
    while (clock.elapsed() < 15000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        const QString text = line->text();
        if (line->isVisible() && (text.contains("OK") || text.contains('!'))) break;
    }
    QApplication::processEvents(QEventLoop::AllEvents, 200);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    TFormHlav window;
    window.setMessageBoxHandler([](const QString& text) { qWarning("box: %s", qPrintable(text)); });
    QStringList arguments;
    if (argc > 2) arguments << QString::fromLocal8Bit(argv[2]);
    window.FormCreate(arguments);
    window.show();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 50);

    window.MenuReadClick();
    waitForResult(window);
    window.history()->setBackupBeforeProgramming(true);
    window.parameterSet().setCurveAdvance(1, 27);
    window.parameterSet().setInput2Function(3);
    window.refreshWindow();
    window.MenuProgramClick();
    waitForResult(window);
    window.parameterSet().setBaseAdvance(17);
    window.refreshWindow();

    window.findChild<QAction*>("MenuHistory")->trigger();
    window.findChild<QAction*>("MenuCompareUnit")->trigger();
    waitForResult(window);
    clock.restart();
    while (clock.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);

    bool ok = window.grab().save(out + "/main.png");
    if (auto* list = window.history()->historyWindow()) ok = list->grab().save(out + "/history.png") && ok;
    if (auto* report = window.history()->differenceWindow()) ok = report->grab().save(out + "/difference.png") && ok;
    window.FormClose();
    return ok ? 0 : 1;
}
