#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "i18n/Language.h"

class QWidget;
class TFormHlav;

// The pictures of the operator's manual, taken of the real window connected to the unit
// simulator: window.png, graph.png, compare.png and history.png for each language, in
// <outdir>/<lang>/. Settings, working image and history go to a temporary folder, so the
// operator's own are neither read nor written. Every wait is bounded and the simulator is
// always ended (it also ends by itself when this process goes, as its input closes).
class ManualShots {
public:
    struct Options {
        QString simulator;  // path of velmor-unit-sim
        QString outDir;
        int connectTimeoutMs = 15000;
        int commandTimeoutMs = 20000;
        // How long one live picture waits for the engine to be off idle; then it is taken anyway.
        int liveTimeoutMs = 14000;
    };

    // The folder name of a language: en, de, fr, cz.
    static QString languageFolder(LanguageId language);

    explicit ManualShots(Options options);
    ~ManualShots();
    ManualShots(const ManualShots&) = delete;
    ManualShots& operator=(const ManualShots&) = delete;

    // Takes all pictures. False with error() set when a step did not finish in its time or
    // the window reported a failure.
    bool run();
    const QString& error() const { return error_; }

private:
    bool startSimulator();
    void stopSimulator();
    bool writeSettings(const QString& device);
    bool startWindow();
    bool loadTrackSet();
    bool shootLive(LanguageId language);
    bool shootHistory(LanguageId language);
    bool shootCompare(LanguageId language);
    bool save(QWidget* widget, LanguageId language, const QString& name);
    bool fail(const QString& why);
    // Runs the event loop until done() holds or timeoutMs passed.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs);
    static void pause(int ms);
    bool commandFailed() const;

    Options options_;
    QTemporaryDir home_;
    QProcess sim_;
    std::unique_ptr<TFormHlav> window_;
    QStringList boxes_;  // message boxes the window asked for
    QString error_;
};
