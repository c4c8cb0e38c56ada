// velmorctl: read, program, verify, compare and watch the unit from a command line, with the
// window's own exchange and link. main only parses the command line and wires.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "Commands.h"
#include "CtlOptions.h"
#include "ProjectInfo.h"
#include "files/AppSettings.h"
#include "files/ConfigPaths.h"
#include "files/IniFile.h"
#include "link/InterruptPipe.h"

namespace {

// Results go to standard output; one that did not get there (a full disk, a closed pipe) is
// a failed command, whatever the unit said. Status 2 stays: it says more.
int finish(QTextStream& out, QTextStream& err, const ConsoleTexts& console, int status) {
    out.flush();
    bool written = out.status() == QTextStream::Ok;
    written = std::fflush(stdout) == 0 && std::ferror(stdout) == 0 && written;
    if (written) return status;
    err << "velmorctl: " << console.stdoutFailed << Qt::endl;
    return status == ExitStatus::kOk ? ExitStatus::kFailed : status;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmorctl"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const CtlOptions options = CtlOptions::parse(QCoreApplication::arguments().mid(1));
    // Before the settings are read: the version alone, in no language.
    if (options.version && options.error == CtlOptions::Error::None) {
        out << "velmorctl " << kVelmorVersion << Qt::endl;
        return finish(out, err, consoleTexts(LanguageId::English), ExitStatus::kOk);
    }

    // The window's settings give the defaults: its port, its [PORTS] devices, its language.
    IniFile ini;
    ini.load(ConfigPaths::settingsFile());
    AppSettings settings;
    settings.load(ini);
    std::uint8_t language = options.language ? static_cast<std::uint8_t>(*options.language) : settings.language;
    std::uint8_t port = settings.comPort;
    ParameterSet().validate(AppRanges{&language, &port});  // the window's rule for stored values
    setCurrentLanguage(static_cast<LanguageId>(language));
    MessageTexts messages;
    buildMessageTexts(messages);
    const ConsoleTexts console = consoleTexts(currentLanguage());

    if (options.help) {
        out << CtlOptions::helpText(console);
        return finish(out, err, console, ExitStatus::kOk);
    }
    if (options.error != CtlOptions::Error::None) {
        err << "velmorctl: " << options.errorText(console) << '\n'
            << CtlOptions::usageLine(console) << '\n'
            << console.helpHint << Qt::endl;
        return ExitStatus::kUsage;
    }

    PortChoice choice;
    choice.portNumber = options.portNumber.value_or(port);
    choice.explicitDevices = settings.portDevices;
    choice.path = options.portPath;
    choice.adapter.load(ini);
    InterruptPipe::install();
    CtlContext context{options, choice, messages, console, out, err};
    return finish(out, err, console, runCtlCommand(context));
}
