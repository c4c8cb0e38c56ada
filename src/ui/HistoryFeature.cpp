#include "ui/HistoryFeature.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

#include "files/IniFile.h"
#include "i18n/HistoryTexts.h"
#include "i18n/RangeTexts.h"
#include "ui/DifferenceWindow.h"
#include "ui/FileDialogs.h"
#include "ui/HistoryWindow.h"
#include "ui/TFormHlav.h"

HistoryFeature::HistoryFeature(TFormHlav& window, QMenu* tools) : QObject(&window), window_(window) {
    setObjectName("HistoryFeature");
    auto addItem = [this, tools](const char* name, void (HistoryFeature::*slot)()) {
        auto* action = new QAction(&window_);
        action->setObjectName(name);
        if (tools) tools->addAction(action);
        window_.addAction(action);
        if (slot) connect(action, &QAction::triggered, this, slot);
        return action;
    };
    if (tools) tools->addSeparator();
    menuHistory_ = addItem("MenuHistory", &HistoryFeature::showHistory);
    menuCompareFile_ = addItem("MenuCompareFile", &HistoryFeature::compareWithFile);
    menuCompareUnit_ = addItem("MenuCompareUnit", &HistoryFeature::compareWithUnit);
    if (tools) tools->addSeparator();
    menuBackup_ = addItem("MenuBackup", nullptr);
    menuBackup_->setCheckable(true);
    window_.exchange().setObserver(this);
    applyTexts();
}

HistoryStore HistoryFeature::store() const {
    return HistoryStore(folder_.isEmpty() ? HistoryStore::defaultFolder() : folder_);
}

bool HistoryFeature::backupBeforeProgramming() const { return menuBackup_->isChecked(); }

void HistoryFeature::setBackupBeforeProgramming(bool on) { menuBackup_->setChecked(on); }

void HistoryFeature::loadSettings(const IniFile& ini) {
    const QString section = QString::fromLatin1(kSection);
    const QString key = QString::fromLatin1(kBackupKey);
    backupKeyPresent_ = ini.value(section, key).has_value();
    setBackupBeforeProgramming(ini.readInteger(section, key, 0) != 0);
}

void HistoryFeature::saveSettings(IniFile& ini) const {
    if (!backupKeyPresent_ && !backupBeforeProgramming()) return;
    ini.writeInteger(QString::fromLatin1(kSection), QString::fromLatin1(kBackupKey), backupBeforeProgramming() ? 1 : 0);
}

void HistoryFeature::applyTexts() {
    const std::pair<QAction*, std::pair<HistoryText, HistoryText>> items[] = {
        {menuHistory_, {HistoryText::MenuHistory, HistoryText::HintHistory}},
        {menuCompareFile_, {HistoryText::MenuCompareFile, HistoryText::HintCompareFile}},
        {menuCompareUnit_, {HistoryText::MenuCompareUnit, HistoryText::HintCompareUnit}},
        {menuBackup_, {HistoryText::MenuBackup, HistoryText::HintBackup}},
    };
    for (const auto& [action, texts] : items) {
        action->setText(historyText(texts.first));
        action->setStatusTip(historyText(texts.second));
    }
    if (historyWindow_) historyWindow_->applyTexts();
    if (differenceWindow_) differenceWindow_->applyTexts();
}

void HistoryFeature::startProgram() {
    DeviceExchange& exchange = window_.exchange();
    if (!backupBeforeProgramming()) {
        pending_ = Pending::None;
        exchange.startProgram();
        return;
    }
    pending_ = Pending::Backup;
    exchange.startReadInto(separate_);
}

void HistoryFeature::compareWithUnit() {
    // The window is read back as for Verify, so the report compares what the window shows.
    window_.readBackFromWindow();
    window_.parameterSet().validate();
    window_.refreshWindow();
    pending_ = Pending::Compare;
    window_.exchange().startReadInto(separate_);
}

void HistoryFeature::separateReadFinished(ReadOutcome outcome) {
    const Pending pending = pending_;
    pending_ = Pending::None;
    DeviceExchange& exchange = window_.exchange();
    if (pending == Pending::Backup) {
        if (outcome == ReadOutcome::Done) {
            keep(HistoryKind::Backup, separate_);
            exchange.startProgram();
        } else if (outcome == ReadOutcome::NoReading) {
            exchange.startProgram();
            exchange.setResultNote(historyText(HistoryText::NoBackupNote));
        }
        // A failed read has shown "Read error!" and programs nothing; a unit of another
        // image version has had its message box and could not be programmed anyway.
        return;
    }
    if (pending == Pending::Compare && outcome == ReadOutcome::Done) {
        window_.hideMessage();
        differences().showReport(window_.parameterSet(), separate_, historyText(HistoryText::SideUnit));
    }
}

void HistoryFeature::commandFinished(ExchangeMode command, bool ok) {
    if (ok) {
        if (command == ExchangeMode::Read) keep(HistoryKind::Read, window_.parameterSet());
        if (command == ExchangeMode::Program) keep(HistoryKind::Programmed, window_.parameterSet());
        return;
    }
    // After "Verify error!": what the unit answered against the window.
    const auto& answer = window_.exchange().lastVerifyAnswer();
    if (!answer) return;
    ParameterSet unit = window_.parameterSet();
    unit.replaceBlock(kParameterBlock, *answer);
    differences().showReport(window_.parameterSet(), unit, historyText(HistoryText::SideUnit),
                             DifferenceWindow::Focus::Leave);
}

std::optional<int> HistoryFeature::programmingCount() const {
    const DeviceExchange& exchange = window_.exchange();
    if (exchange.connectionLost()) return std::nullopt;
    return exchange.lastTelemetry().programmingCount;
}

void HistoryFeature::keep(HistoryKind kind, const ParameterSet& set) {
    HistoryStore history = store();
    if (!history.add(kind, set, programmingCount()).isEmpty()) {
        warned_ = false;
        return;
    }
    if (warned_) return;
    warned_ = true;
    // Shown after the tick that ended the command, so the exchange runs on undisturbed.
    const QString text = historyText(HistoryText::HistoryWriteError) + QLatin1Char('\n') + history.folder();
    QTimer::singleShot(0, &window_, [this, text] { window_.showMessageBox(text); });
}

DifferenceWindow& HistoryFeature::differences() {
    if (!differenceWindow_) {
        differenceWindow_ = new DifferenceWindow(&window_);
        // The window's keys act from the report as well: F9 programs whichever is in front.
        differenceWindow_->addActions(window_.actions());
    }
    return *differenceWindow_;
}

void HistoryFeature::showHistory() {
    if (!historyWindow_) {
        historyWindow_ = new HistoryWindow([this](const QString& path) { openEntry(path); },
                                           [this](const QString& path) { compareEntry(path); }, &window_);
        historyWindow_->addActions(window_.actions());
    }
    historyWindow_->reload(store());
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

// The checks of File, Open: a plain file of a bounded size that opens, with an accepted
// header. With outOfRangeKeys the range step of Open runs too and receives the keys.
bool HistoryFeature::loadFile(const QString& path, ParameterSet& set, QStringList* outOfRangeKeys) {
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || info.size() > HistoryStore::kMaxFileBytes || !file.open(QIODevice::ReadOnly)) {
        window_.showMessageBox(window_.messageTexts().fileOpenError);
        return false;
    }
    const bool accepted =
        outOfRangeKeys ? HistoryStore::readInRange(file, set, outOfRangeKeys) : HistoryStore::read(file, set);
    if (!accepted) {
        window_.showMessageBox(window_.messageTexts().fileVersionMismatch);
        return false;
    }
    return true;
}

void HistoryFeature::openEntry(const QString& path) {
    // As File, Open: unsaved edits are asked for first, and may be saved.
    if (!window_.mayReplaceSet()) {
        window_.hideMessage();
        return;
    }
    ParameterSet loaded = window_.parameterSet();
    QStringList outOfRange;
    if (loadFile(path, loaded, &outOfRange)) {
        // Told before the edit is applied, which may program the unit.
        if (!outOfRange.isEmpty()) window_.showMessageBox(outOfRangeNotice(currentLanguage(), outOfRange));
        // The parameter block only, spare bytes included; the header comes from units alone.
        window_.parameterSet().replaceBlock(kParameterBlock, loaded.block(kParameterBlock));
        window_.applyFileSet(QFileInfo(path).absoluteFilePath(), true);
    }
    window_.hideMessage();
}

void HistoryFeature::compareEntry(const QString& path) {
    window_.readBackFromWindow();
    window_.parameterSet().validate();
    window_.refreshWindow();
    // The report shows what the file holds, out of range or not: nothing of it is taken over.
    ParameterSet other = window_.parameterSet();
    if (!loadFile(path, other, nullptr)) return;
    differences().showReport(window_.parameterSet(), other, QFileInfo(path).fileName());
}

void HistoryFeature::compareWithFile() {
    const QString chosen = window_.fileDialogs().getOpenFileName(&window_, window_.currentFileName());
    if (!chosen.isEmpty()) compareEntry(chosen);
}
