#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "files/HistoryStore.h"
#include "link/ExchangeObserver.h"
#include "model/ParameterSet.h"

class DifferenceWindow;
class HistoryWindow;
class IniFile;
class QAction;
class QMenu;
class TFormHlav;

// The set history, the backup before programming and the difference report, wired into the
// main window: its Tools items, the observer of the exchange, and the two small windows.
// Keeping a set never blocks or fails a command: a file that cannot be written is reported
// once (until one is written again) and the command's own result stands.
class HistoryFeature : public QObject, public ExchangeObserver {
    Q_OBJECT

public:
    static constexpr char kSection[] = "HISTORY";
    static constexpr char kBackupKey[] = "BackupBeforeProgramming";

    // Adds its items to the Tools menu and observes the window's exchange.
    HistoryFeature(TFormHlav& window, QMenu* tools);

    // The Program command after the window was read back: with the backup on, the unit's set
    // is first read into a separate set and kept; then programming goes on as always.
    void startProgram();

    bool backupBeforeProgramming() const;
    void setBackupBeforeProgramming(bool on);
    // The backup option lives in its own section; it is written only once it was ever on, so
    // the settings file of an operator who never used it stays as it was.
    void loadSettings(const IniFile& ini);
    void saveSettings(IniFile& ini) const;

    void applyTexts();

    // Tools commands.
    void showHistory();
    void compareWithFile();
    void compareWithUnit();
    // From the History window: like File, Open / a report of the window against the file.
    void openEntry(const QString& path);
    void compareEntry(const QString& path);

    // The store in use: the platform's folder unless tests name another.
    HistoryStore store() const;
    void setFolder(const QString& folder) { folder_ = folder; }

    HistoryWindow* historyWindow() const { return historyWindow_; }
    DifferenceWindow* differenceWindow() const { return differenceWindow_; }

    // ExchangeObserver.
    void separateReadFinished(ReadOutcome outcome) override;
    void commandFinished(ExchangeMode command, bool ok) override;

private:
    enum class Pending { None, Backup, Compare };

    void keep(HistoryKind kind, const ParameterSet& set);
    std::optional<int> programmingCount() const;
    DifferenceWindow& differences();
    bool loadFile(const QString& path, ParameterSet& set, QStringList* outOfRangeKeys);

    TFormHlav& window_;
    QString folder_;
    Pending pending_ = Pending::None;
    ParameterSet separate_;  // what a backup or a comparison reads from the unit
    bool warned_ = false;
    bool backupKeyPresent_ = false;

    QAction* menuHistory_ = nullptr;
    QAction* menuCompareFile_ = nullptr;
    QAction* menuCompareUnit_ = nullptr;
    QAction* menuBackup_ = nullptr;
    HistoryWindow* historyWindow_ = nullptr;
    DifferenceWindow* differenceWindow_ = nullptr;
};
