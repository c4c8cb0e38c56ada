// velmor-manual-pdf --lang en|de|fr|cz --pictures <dir> [--version V] <manual.md> <manual.pdf>
// Renders one language's operator's manual from its Markdown source to an A4 PDF.
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

#include "ManualDocument.h"

namespace {

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

int usage() {
    std::fputs("Usage: velmor-manual-pdf --lang en|de|fr|cz --pictures <dir> [--version V] <manual.md> <manual.pdf>\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QString language;
    QString pictures;
    QString version = QStringLiteral(VELMOR_VERSION);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--lang") == 0 && hasValue) {
            language = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--pictures") == 0 && hasValue) {
            pictures = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--version") == 0 && hasValue) {
            version = QString::fromLocal8Bit(argv[++i]);
        } else if (argv[i][0] == '-') {
            return usage();
        } else {
            files << QString::fromLocal8Bit(argv[i]);
        }
    }
    const QStringList languages = {QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("fr"),
                                   QStringLiteral("cz")};
    if (!languages.contains(language) || pictures.isEmpty() || files.size() != 2) return usage();

    // Fonts only; no window is shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    ManualDocument manual(language, version);
    if (!manual.load(files[0], pictures) || !manual.write(files[1])) {
        std::fprintf(stderr, "velmor-manual-pdf: %s\n", manual.error().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
