#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "files/TelemetryLog.h"

class LogViewer;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class TFormHlav;

// Recording the unit's telemetry into a log and viewing logs, wired into the main window: the
// Tools items, a status-bar button and indication, and the viewer window. The window
// hands each decoded frame to frame(); a timer of its own writes the buffered rows once a
// second, so a frame never waits for the disk.
class TelemetryLogFeature : public QObject {
    Q_OBJECT

public:
    // Adds its items to the Tools menu and its button and indication to the status bar.
    TelemetryLogFeature(TFormHlav& window, QMenu* tools);
    ~TelemetryLogFeature() override;

    // A decoded telemetry frame; costs nothing while not recording.
    void frame(const TelemetryValues& values);

    bool recording() const { return recorder_.recording(); }
    void setRecording(bool on);
    // Writes what is due and refreshes the indication (the timer calls it).
    void tick();
    // Tools, "Open log...": asks for a file unless one is given.
    void openLog(const QString& path = QString());

    void applyTexts();

    // Where logs go: the platform's folder unless tests name another.
    QString folder() const;
    void setFolder(const QString& folder) { folder_ = folder; }
    // The file chooser of "Open log..." (tests answer without a dialog).
    void setClock(TelemetryRecorder::Clock clock) { recorder_.setClock(std::move(clock)); }
    void setOpenChooser(std::function<QString()> chooser) { chooser_ = std::move(chooser); }

    const TelemetryRecorder& recorder() const { return recorder_; }
    QAction* recordAction() const { return record_; }
    QLabel* indication() const { return indication_; }
    LogViewer* viewer() const;

private:
    void stopWithError();
    void showIndication();

    TFormHlav& window_;
    TelemetryRecorder recorder_;
    QString folder_;
    std::function<QString()> chooser_;
    QAction* record_ = nullptr;
    QAction* open_ = nullptr;
    QToolButton* button_ = nullptr;
    QLabel* indication_ = nullptr;
    QTimer* timer_ = nullptr;
    QPointer<LogViewer> viewer_;
};
