// Not a test: measures the wall time of the start-up sequence (construction and FormCreate)
// and of the shut-down sequence (close) of the window, with a real settings file and working
// image in a temporary configuration folder and a fake port.
//   startup_timing [rounds]
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "TempConfig.h"
#include "ui/TFormHlav.h"

namespace {

struct Summary {
    double median = 0;
    double minimum = 0;
    double maximum = 0;
};

Summary summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    TempConfig config;
    std::vector<double> construct;
    std::vector<double> create;
    std::vector<double> shutdown;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        auto window = std::make_unique<TFormHlav>(std::make_unique<FakePort>());
        const qint64 built = clock.nsecsElapsed();
        window->setFileDialogs(std::make_unique<FakeDialogs>());
        window->serialLink().mapping().setExplicit(1, "fake");
        clock.restart();
        window->FormCreate();
        const qint64 created = clock.nsecsElapsed();
        window->show();
        QApplication::processEvents();
        clock.restart();
        window->close();
        const qint64 closed = clock.nsecsElapsed();
        window.reset();
        // The first round reads no files yet; every later one reads what the previous wrote.
        if (round > 0 || rounds == 1) {
            construct.push_back(built / 1e6);
            create.push_back(created / 1e6);
            shutdown.push_back(closed / 1e6);
        }
    }
    const auto print = [](const char* what, const Summary& s) {
        std::printf("%-28s median %7.2f ms   min %7.2f ms   max %7.2f ms\n", what, s.median, s.minimum, s.maximum);
    };
    std::printf("%d rounds (first round not counted)\n", rounds);
    print("construction", summarise(construct));
    print("FormCreate (start-up)", summarise(create));
    print("close (shut-down)", summarise(shutdown));
    return 0;
}
