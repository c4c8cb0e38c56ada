#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "BuildStamp.h"
#include "ProjectInfo.h"
#include "files/AppSettings.h"
#include "files/ConfigPaths.h"
#include "files/IniFile.h"
#include "files/InstanceLock.h"
#include "i18n/SessionTexts.h"
#include "i18n/WindowTexts.h"
#include "link/InterruptPipe.h"
#include "ui/TFormAbout.h"
#include "ui/TFormHlav.h"

namespace {

// The language the window would start in: the stored one, unless the first argument names
// another. Only read; nothing is written.
LanguageId startLanguage(const QStringList& arguments) {
    IniFile ini;
    ini.load(ConfigPaths::settingsFileToRead());
    AppSettings settings;
    settings.load(ini);
    if (!arguments.isEmpty()) {
        const QByteArray word = arguments.first().toUtf8();
        if (const auto chosen = languageFromArgument(std::string_view(word.constData(), word.size()))) return *chosen;
    }
    return settings.language < kLanguageCount ? static_cast<LanguageId>(settings.language) : LanguageId::English;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before QApplication: it needs no display and touches no settings, window or port.
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("velmor %s\n", kVelmorVersion);
        return 0;
    }
    // The language word is the first argument as given: taken before QApplication removes
    // its own options, so that "velmor -reverse DEUTSCH" does not choose German.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("velmor");
    QApplication::setApplicationVersion(QString::fromLatin1(kVelmorVersion));
    // The desktop matches the window to the installed menu entry and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmor.Velmor"));
    // The stamp of this build, not of whenever the About window's source was last compiled.
    const QString stamp = QString::fromLatin1(kVelmorBuildStamp).section(QLatin1Char(' '), 1);
    TFormAbout::setBuildStamps(stamp.section(QLatin1Char('|'), 0, 0), stamp.section(QLatin1Char('|'), 1));
    // A second window on the same settings would overwrite the first one's at exit.
    InstanceLock instance(ConfigPaths::folder());
    if (!instance.acquire() && instance.heldElsewhere()) {
        const LanguageId language = startLanguage(arguments);
        QMessageBox box(
            QMessageBox::Warning, windowTitle(language),
            sessionText(SessionText::AlreadyRunning, language).arg(QDir::toNativeSeparators(instance.folder())),
            QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return 1;
    }
    TFormHlav window;
    window.FormCreate(arguments);
    // Ctrl+C in a terminal, the session's SIGTERM or a hang-up closes the window as File, Exit
    // does, so the settings and the working image are saved and the port is let go.
    // Looked at on the window's own tick, within 55 ms, rather than kept among the files the
    // event loop waits on: one file less to look at on every wakeup of an idle tool.
    if (InterruptPipe::install()) {
        QObject::connect(window.timer1(), &QTimer::timeout, &window, [&window] {
            if (InterruptPipe::pending() && InterruptPipe::take()) window.close();
        });
    }
    window.show();
    return app.exec();
}
