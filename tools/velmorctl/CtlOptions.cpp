#include "CtlOptions.h"

#include <QRegularExpression>
#include <array>

namespace {

struct CommandSpec {
    const char* name;
    int arguments;
    const char* syntax;
    QString ConsoleTexts::*help;
};

constexpr std::array<CommandSpec, 7> kCommands = {{
    {"ports", 0, "ports", &ConsoleTexts::helpPorts},
    {"info", 0, "info", &ConsoleTexts::helpInfo},
    {"read", 0, "read -o FILE", &ConsoleTexts::helpRead},
    {"program", 1, "program FILE", &ConsoleTexts::helpProgram},
    {"verify", 1, "verify FILE", &ConsoleTexts::helpVerify},
    {"diff", 2, "diff A B", &ConsoleTexts::helpDiff},
    {"monitor", 0, "monitor [--csv]", &ConsoleTexts::helpMonitor},
}};

const CommandSpec* findCommand(const QString& name) {
    for (const CommandSpec& command : kCommands)
        if (name == QLatin1String(command.name)) return &command;
    return nullptr;
}

std::optional<LanguageId> languageCode(const QString& code) {
    constexpr std::array<const char*, kLanguageCount> kCodes = {"en", "de", "fr", "cz"};
    for (int i = 0; i < kLanguageCount; ++i)
        if (code == QLatin1String(kCodes[static_cast<std::size_t>(i)])) return static_cast<LanguageId>(i);
    return std::nullopt;
}

void fail(CtlOptions& o, CtlOptions::Error error, const QString& value) {
    if (o.error != CtlOptions::Error::None) return;  // the first fault is the one reported
    o.error = error;
    o.errorValue = value;
}

void setPort(CtlOptions& o, const QString& value) {
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(value);
    if (m.hasMatch()) {
        const int n = m.captured(1).toInt();
        if (n >= 1 && n <= 10) {
            o.portNumber = n;
            return;
        }
    } else if (value.contains(QLatin1Char('/')) || value.contains(QLatin1Char('\\'))) {
        o.portPath = value;
        return;
    }
    fail(o, CtlOptions::Error::BadPort, value);
}

}  // namespace

CtlOptions CtlOptions::parse(const QStringList& args) {
    CtlOptions o;
    QStringList words;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            words << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = arg;
        std::optional<QString> inlineValue;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('=')); arg.startsWith(QLatin1String("--")) && eq > 0) {
            name = arg.left(eq);
            inlineValue = arg.mid(eq + 1);
        }
        auto value = [&]() -> std::optional<QString> {
            if (inlineValue) return inlineValue;
            if (i + 1 < args.size()) return args[++i];
            fail(o, Error::MissingValue, name);
            return std::nullopt;
        };
        const bool flag = !inlineValue;
        if ((name == QLatin1String("--help") || name == QLatin1String("-h")) && flag) {
            o.help = true;
        } else if (name == QLatin1String("--version") && flag) {
            o.version = true;
        } else if (name == QLatin1String("--json") && flag) {
            o.json = true;
        } else if (name == QLatin1String("--csv") && flag) {
            o.csv = true;
        } else if (name == QLatin1String("--port")) {
            if (const auto v = value()) setPort(o, *v);
        } else if (name == QLatin1String("--lang")) {
            if (const auto v = value()) {
                o.language = languageCode(*v);
                if (!o.language) fail(o, Error::BadLanguage, *v);
            }
        } else if (name == QLatin1String("-o") || name == QLatin1String("--output")) {
            if (const auto v = value()) o.output = *v;
        } else {
            fail(o, Error::UnknownOption, arg);
        }
    }
    if (o.help || o.version) return o;

    if (words.isEmpty()) {
        fail(o, Error::NoCommand, {});
        return o;
    }
    o.command = words.takeFirst();
    o.arguments = words;
    const CommandSpec* command = findCommand(o.command);
    if (!command) {
        fail(o, Error::UnknownCommand, o.command);
        return o;
    }
    const bool isRead = o.command == QLatin1String("read");
    const bool argumentsRight = o.arguments.size() == command->arguments &&
                                (isRead ? !o.output.isEmpty() : o.output.isEmpty()) &&
                                (!o.csv || o.command == QLatin1String("monitor"));
    if (!argumentsRight) fail(o, Error::WrongArguments, o.command);
    return o;
}

QString CtlOptions::errorText(const ConsoleTexts& t) const {
    switch (error) {
        case Error::None:
            return {};
        case Error::NoCommand:
            return t.noCommand;
        case Error::UnknownCommand:
            return t.unknownCommand.arg(errorValue);
        case Error::UnknownOption:
            return t.unknownOption.arg(errorValue);
        case Error::MissingValue:
            return t.missingValue.arg(errorValue);
        case Error::BadPort:
            return t.badPort.arg(errorValue);
        case Error::BadLanguage:
            return t.badLanguage.arg(errorValue);
        case Error::WrongArguments:
            return t.wrongArguments.arg(errorValue);
    }
    return {};
}

QString CtlOptions::usageLine(const ConsoleTexts& t) {
    return t.usagePrefix + QStringLiteral(
                               " velmorctl [--port COMn|PATH] [--lang en|de|fr|cz] [--json] "
                               "ports|info|read -o FILE|program FILE|verify FILE|diff A B|monitor [--csv]");
}

QString CtlOptions::helpText(const ConsoleTexts& t) {
    QString text = usageLine(t) + QStringLiteral("\n\n") + t.commandsHeading + QLatin1Char('\n');
    for (const CommandSpec& command : kCommands)
        text += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(command.syntax), -18).arg(t.*command.help);
    const std::array<std::pair<const char*, const QString*>, 6> options = {{
        {"--port COMn|PATH", &t.helpPortOption},
        {"--lang en|de|fr|cz", &t.helpLangOption},
        {"--json", &t.helpJsonOption},
        {"--csv", &t.helpCsvOption},
        {"--help, -h", &t.helpHelpOption},
        {"--version", &t.helpVersionOption},
    }};
    text += QLatin1Char('\n') + t.optionsHeading + QLatin1Char('\n');
    for (const auto& [name, help] : options)
        text += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(name), -18).arg(*help);
    text += QLatin1Char('\n') + t.helpExitStatus + QLatin1Char('\n');
    return text;
}
