// velmor-manual-shots --sim <velmor-unit-sim> --out <dir> [--scale N]
// Takes the manual's pictures of the real window against the unit simulator, offscreen,
// at a device pixel ratio of 2 (crisp in print) unless --scale says otherwise.
#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <cstring>
#include <string>

#include "ManualShots.h"

namespace {

// The offscreen platform says what it cannot do for each window; that is no news here.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && (message.startsWith(QLatin1String("This plugin does not support")) ||
                                 message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))))
        return;
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

int usage() {
    std::fputs("Usage: velmor-manual-shots --sim <velmor-unit-sim> --out <dir> [--scale 1|2|3]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    ManualShots::Options options;
    QByteArray scale = "2";
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--sim") == 0 && hasValue) {
            options.simulator = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--out") == 0 && hasValue) {
            options.outDir = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
            scale = argv[++i];
            if (scale != "1" && scale != "2" && scale != "3") return usage();
        } else {
            return usage();
        }
    }
    if (options.simulator.isEmpty() || options.outDir.isEmpty()) return usage();

    // Before QApplication: no display is needed, and the pictures do not depend on the
    // screen of whoever builds.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", scale);
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmor"));

    ManualShots shots(options);
    if (!shots.run()) {
        std::fprintf(stderr, "velmor-manual-shots: %s\n", shots.error().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
