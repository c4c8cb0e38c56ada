#include "SimProcess.h"

#include <QElapsedTimer>

SimProcess::SimProcess(QString program) : program_(std::move(program)) {}

SimProcess::~SimProcess() { kill(); }

bool SimProcess::start(const QStringList& args, const QString& logFile) {
    process_.setStandardErrorFile(logFile.isEmpty() ? QProcess::nullDevice() : logFile);
    QStringList all{QStringLiteral("--control")};
    if (!logFile.isEmpty()) all << QStringLiteral("--verbose");
    process_.start(program_, all + args);
    if (!process_.waitForStarted(kStartTimeoutMs)) return false;
    const auto line = readLine(kStartTimeoutMs);
    if (!line) return false;
    path_ = QString::fromLocal8Bit(*line).trimmed();
    return !path_.isEmpty();
}

std::optional<QByteArray> SimProcess::readLine(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!process_.canReadLine()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || process_.state() == QProcess::NotRunning) return std::nullopt;
        process_.waitForReadyRead(static_cast<int>(left));
    }
    return process_.readLine();
}

std::optional<SimProcess::State> SimProcess::state() {
    if (!running()) return std::nullopt;
    process_.write("state\n");
    if (!process_.waitForBytesWritten(kAnswerTimeoutMs)) return std::nullopt;
    const auto line = readLine(kAnswerTimeoutMs);
    if (!line || !line->startsWith("state ")) return std::nullopt;
    State state;
    bool blockSeen = false;
    for (const QByteArray& word : line->trimmed().split(' ').mid(1)) {
        const qsizetype eq = word.indexOf('=');
        if (eq < 0) return std::nullopt;
        const QByteArray name = word.left(eq);
        const QByteArray value = word.mid(eq + 1);
        if (name == "block") {
            const QByteArray bytes = QByteArray::fromHex(value);
            if (bytes.size() != kBlockSize || value.size() != 2 * kBlockSize) return std::nullopt;
            std::copy(bytes.begin(), bytes.end(), state.block.begin());
            blockSeen = true;
            continue;
        }
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        if (!ok) return std::nullopt;
        if (name == "programmings") state.programmings = static_cast<int>(number);
        state.counters.insert(QString::fromLatin1(name), number);
    }
    if (!blockSeen) return std::nullopt;
    return state;
}

void SimProcess::kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(kStartTimeoutMs);
}
