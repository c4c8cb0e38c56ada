#include "Commands.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>

#include "MonitorFormat.h"
#include "OutputTarget.h"
#include "PortList.h"
#include "RangeCheck.h"
#include "files/ConfigPaths.h"
#include "files/ParameterFile.h"
#include "files/SetDifference.h"
#include "files/WorkingImageFile.h"
#include "i18n/WindowTexts.h"

namespace {

using namespace ExitStatus;

// After the header of info, how long to wait for the telemetry that carries the count:
// two poll periods and the answer's tick.
constexpr int kTelemetryWaitTicks = 2 * ExchangeTiming::kPollPeriod + 2;

void printJson(QTextStream& out, const QJsonValue& value) {
    const QJsonDocument doc = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    out << doc.toJson(QJsonDocument::Indented);
    out.flush();
}

QString windowHint(const char* control) {
    const WindowTextRow* row = findWindowText(control, TextKind::Hint);
    return row ? splitHint(row->textFor(currentLanguage())).toolTip : QString();
}

// File, Open as the window does it: the window's message on a file that cannot be opened or
// has another version; out-of-range values brought into range, and validate as applyEdit
// runs it. With report the out-of-range keys are named, as the window's box names them.
std::optional<int> openFile(CtlContext& c, const QString& path, ParameterSet& set, bool report) {
    QStringList outOfRange;
    switch (ParameterFile::open(path, set, &outOfRange)) {
        case ParameterFile::OpenResult::CannotOpen:
            c.err << c.messages.fileOpenError << ' ' << path << Qt::endl;
            return kUsage;
        case ParameterFile::OpenResult::VersionMismatch:
            c.err << c.messages.fileVersionMismatch << ' ' << path << Qt::endl;
            return kUsage;
        case ParameterFile::OpenResult::Accepted:
            break;
    }
    if (report && !outOfRange.isEmpty())
        c.err << c.console.outOfRange.arg(outOfRange.join(QStringLiteral(", "))) << Qt::endl;
    set.validate();
    return std::nullopt;
}

int interrupted(CtlContext& c, bool programming) {
    c.err << (programming ? c.console.interruptedProgram : c.console.interrupted) << Qt::endl;
    return kFailed;
}

int statusOf(CtlContext& c, CtlSession::Outcome outcome, bool programming) {
    switch (outcome) {
        case CtlSession::Outcome::Succeeded:
            return kOk;
        case CtlSession::Outcome::Interrupted:
            return interrupted(c, programming);
        case CtlSession::Outcome::Failed:
            break;
    }
    return kFailed;
}

// ---------------------------------------------------------------------------------------

int portsCommand(CtlContext& c) {
    PortMapping mapping;
    c.port.applyTo(mapping);
    const QList<PortRow> rows = listPorts(mapping);
    if (c.options.json) {
        QJsonArray array;
        for (const PortRow& row : rows)
            array.append(QJsonObject{{"com", row.com > 0 ? QJsonValue(row.com) : QJsonValue()},
                                     {"device", row.device},
                                     {"stablePath", row.stablePath.isEmpty() ? QJsonValue() : row.stablePath},
                                     {"description", row.description},
                                     {"present", row.present},
                                     {"fromSettings", row.fromSettings}});
        printJson(c.out, array);
        return kOk;
    }
    if (rows.isEmpty()) c.err << c.console.noDevices << Qt::endl;
    for (const PortRow& row : rows) {
        QStringList notes;
        if (!row.description.isEmpty()) notes << row.description;
        if (row.fromSettings) notes << c.console.fromSettings;
        if (!row.present) notes << c.console.notPresent;
        c.out << (row.com > 0 ? QStringLiteral("COM%1").arg(row.com) : QStringLiteral("-")).leftJustified(6)
              << row.device << "  " << (row.stablePath.isEmpty() ? QStringLiteral("-") : row.stablePath) << "  "
              << notes.join(QStringLiteral(" ")) << Qt::endl;
    }
    return kOk;
}

int infoCommand(CtlContext& c) {
    CtlSession session(c.port, c.messages, c.err);
    if (!session.openPort()) return kFailed;
    session.view().resetOutcome();
    session.exchange().startReadHeader();
    bool headerIn = false;
    int framesBefore = 0;
    int ticksAfter = 0;
    bool stopped = false;
    const int status = session.run(
        [&]() -> std::optional<int> {
            if (!headerIn) {
                if (session.exchange().mode() != ExchangeMode::Idle) return std::nullopt;
                if (session.view().failed()) return kFailed;
                headerIn = true;
                framesBefore = session.view().telemetryFrames();
                return std::nullopt;
            }
            // The count comes with the next poll's answer.
            if (session.view().telemetryFrames() > framesBefore || ++ticksAfter > kTelemetryWaitTicks) return kOk;
            return std::nullopt;
        },
        [&] {
            stopped = true;
            return kFailed;
        });
    if (stopped) return interrupted(c, false);
    if (!headerIn) return status;

    const ParameterSet& set = session.set();
    const auto header = set.block(kHeaderBlock);
    QByteArray text;
    for (int i = 0; i < ImageByte::unitTextLength && header[ImageByte::unitText + i] != 0; ++i)
        text.append(static_cast<char>(header[ImageByte::unitText + i]));
    // The window's version label shows the unit's text when there is one; the firmware
    // version is what it shows without.
    ImageBlock plain;
    std::copy(header.begin(), header.end(), plain.begin());
    plain[ImageByte::unitText] = 0;
    HeaderTexts firmware;
    firmware.decodeHeader(plain);
    const bool haveCount = session.view().telemetryFrames() > framesBefore;
    const int count = session.view().lastTelemetry().programmingCount;
    const QString unitText = QString::fromLatin1(text);
    const QString version = QString::fromUtf8(firmware.versionText());
    const QString date = QString::fromUtf8(session.header().dateText());
    const QString time = QString::fromUtf8(session.header().timeText());

    if (c.options.json) {
        printJson(c.out, QJsonObject{{"device", session.device()},
                                     {"unitText", unitText},
                                     {"firmwareVersion", version},
                                     {"date", date},
                                     {"time", time},
                                     {"imageVersion", set.imageVersion()},
                                     {"readingAllowed", set.readAllowed()},
                                     {"programmingCount", haveCount ? QJsonValue(count) : QJsonValue()}});
        return kOk;
    }
    const std::array<std::pair<QString, QString>, 6> lines = {{
        {c.console.unitText, unitText},
        {windowHint("LabelVerze1"), version},
        {windowHint("LabelVerze2"), date},
        {windowHint("LabelVerze3"), time},
        {c.console.imageVersion, QString::number(set.imageVersion())},
        {c.console.readingAllowed, set.readAllowed() ? c.messages.yesWord : c.messages.noWord},
    }};
    for (const auto& [label, value] : lines) c.out << label << ": " << value << Qt::endl;
    // The window's own label, "---" as it shows before the first frame.
    c.out << c.messages.programCountPrefix << (haveCount ? QString::number(count) : QStringLiteral("---")) << Qt::endl;
    return kOk;
}

// Before a read: a place to save it must exist, or the unit's set would be read for nothing.
std::optional<int> checkOutput(CtlContext& c, const QString& path) {
    switch (OutputTarget::check(path)) {
        case OutputTarget::Check::Writable:
            return std::nullopt;
        case OutputTarget::Check::FolderMissing:
            c.err << c.console.outputFolderMissing.arg(QFileInfo(path).absolutePath()) << Qt::endl;
            return kUsage;
        case OutputTarget::Check::NotWritable:
            break;
    }
    c.err << c.console.outputNotWritable.arg(path) << Qt::endl;
    return kUsage;
}

int readCommand(CtlContext& c) {
    const QString path = QFileInfo(c.options.output).absoluteFilePath();
    if (const auto status = checkOutput(c, path)) return *status;
    CtlSession session(c.port, c.messages, c.err);
    if (!session.openPort()) return kFailed;
    const CtlSession::Outcome outcome = session.runCommand(&DeviceExchange::startRead);
    if (outcome != CtlSession::Outcome::Succeeded) return statusOf(c, outcome, false);
    // What Save writes after a Read: the window read back into the set, validated.
    ParameterSet toSave = session.set();
    const QStringList keys = bringIntoWindowRanges(toSave);
    if (!keys.isEmpty()) c.err << c.console.outOfRange.arg(keys.join(QStringLiteral(", "))) << Qt::endl;
    toSave.validate();
    // Asked again: the folder may have gone while the unit was read, and saving makes none.
    if (const auto status = checkOutput(c, path)) return *status;
    if (!ParameterFile::save(path, toSave)) {
        c.err << c.messages.fileOpenError << ' ' << path << Qt::endl;
        return kUsage;
    }
    c.err << c.console.savedTo.arg(path) << Qt::endl;
    return kOk;
}

int sendCommand(CtlContext& c, void (DeviceExchange::*start)(), bool programming) {
    ParameterSet fromFile;
    if (const auto status = openFile(c, c.options.arguments[0], fromFile, true)) return *status;
    CtlSession session(c.port, c.messages, c.err);
    session.set() = fromFile;
    if (!session.openPort()) return kFailed;
    return statusOf(c, session.runCommand(start), programming);
}

int programCommand(CtlContext& c) { return sendCommand(c, &DeviceExchange::startProgram, true); }

int verifyCommand(CtlContext& c) { return sendCommand(c, &DeviceExchange::startVerify, false); }

int diffCommand(CtlContext& c) {
    std::optional<ParameterSet> unit;
    std::array<ParameterSet, 2> sets;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const QString& what = c.options.arguments[static_cast<qsizetype>(i)];
        if (what != QLatin1String("unit")) {
            if (const auto status = openFile(c, what, sets[i], false)) return *status;
            continue;
        }
        if (!unit) {
            CtlSession session(c.port, c.messages, c.err);
            if (!session.openPort()) return kFailed;
            const CtlSession::Outcome outcome = session.runCommand(&DeviceExchange::startRead);
            if (outcome != CtlSession::Outcome::Succeeded) return statusOf(c, outcome, false);
            unit = session.set();
        }
        sets[i] = *unit;
    }
    // The window's difference report: captions and values as the operator knows them.
    const QList<SetDifference::Row> differences = SetDifference::compare(sets[0], sets[1]);
    if (c.options.json) {
        QJsonArray array;
        for (const SetDifference::Row& d : differences) {
            const char* key = ParameterFile::keyOf(d.byte);
            array.append(QJsonObject{{"byte", d.byte},
                                     {"key", key ? QJsonValue(QString::fromLatin1(key)) : QJsonValue()},
                                     {"field", d.field},
                                     {"a", d.left},
                                     {"b", d.right}});
        }
        printJson(c.out, QJsonObject{{"a", c.options.arguments[0]},
                                     {"b", c.options.arguments[1]},
                                     {"equal", differences.isEmpty()},
                                     {"differences", array}});
    } else {
        for (const SetDifference::Row& d : differences)
            c.out << QStringLiteral("%1: %2 -> %3").arg(d.field, d.left, d.right) << Qt::endl;
        c.err << (differences.isEmpty() ? c.console.noDifferences : c.console.differenceCount.arg(differences.size()))
              << Qt::endl;
    }
    return differences.isEmpty() ? kOk : kFailed;
}

int monitorCommand(CtlContext& c) {
    CtlSession session(c.port, c.messages, c.err);
    // The live row as the window would mark it: against the set the window had at its exit.
    WorkingImageFile::load(ConfigPaths::workingImageFile(), session.set());
    session.set().validate();
    if (!session.openPort()) return kFailed;
    QElapsedTimer clock;
    clock.start();
    if (c.options.csv) {
        c.out << monitorCsvPreamble(QDateTime::currentDateTimeUtc(), session.device());
        c.out.flush();
    }
    session.view().setTelemetryHandler([&](const TelemetryValues& values) {
        const LiveRow row = findLiveRow(values.rpm, session.set());
        c.out << (c.options.csv ? monitorCsvRow(clock.elapsed(), values, row) : monitorLine(values, c.messages))
              << Qt::endl;
    });
    // Runs until interrupted; that is the normal end here. Output that no longer gets
    // anywhere ends it too (main reports it).
    return session.run(
        [&c]() -> std::optional<int> {
            if (c.out.status() != QTextStream::Ok) return kFailed;
            return std::nullopt;
        },
        [] { return kOk; });
}

struct CommandEntry {
    const char* name;
    int (*run)(CtlContext&);
};

constexpr std::array<CommandEntry, 7> kCommands = {{
    {"ports", portsCommand},
    {"info", infoCommand},
    {"read", readCommand},
    {"program", programCommand},
    {"verify", verifyCommand},
    {"diff", diffCommand},
    {"monitor", monitorCommand},
}};

}  // namespace

int runCtlCommand(CtlContext& context) {
    for (const CommandEntry& entry : kCommands)
        if (context.options.command == QLatin1String(entry.name)) return entry.run(context);
    return kUsage;
}
