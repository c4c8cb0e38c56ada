#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/ParameterImage.h"

// velmor-unit-sim as a child process with its control channel open (--control): the slave
// path comes on the first line of its output, and "state" asks the unit what it stores.
// The process is killed when the object goes, however the test ends; it also ends by itself
// when this process dies, because its input then closes.
class SimProcess {
public:
    static constexpr int kStartTimeoutMs = 5000;
    static constexpr int kAnswerTimeoutMs = 5000;

    struct State {
        ImageBlock block{};
        int programmings = 0;
        // Every counter of the line, by name ("answers-flipped-unseen", ...).
        QMap<QString, qint64> counters;
    };

    explicit SimProcess(QString program);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // With a log file the simulator logs every frame there (--verbose).
    bool start(const QStringList& args, const QString& logFile = {});
    // The unit's state after every request that reached it before the call.
    std::optional<State> state();
    // SIGKILL: the pseudo-terminal's master side disappears at once, as a pulled plug.
    void kill();
    bool running() const { return process_.state() != QProcess::NotRunning; }

    const QString& path() const { return path_; }
    qint64 pid() const { return process_.processId(); }

private:
    std::optional<QByteArray> readLine(int timeoutMs);

    QString program_;
    QProcess process_;
    QString path_;
};
