#pragma once

#include <QColor>
#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/ExchangeView.h"
#include "link/SerialLink.h"
#include "link/Telemetry.h"
#include "model/ParameterImage.h"
#include "model/ParameterSet.h"
#include "model/UndoHistory.h"

class CurveGraph;
class DocumentOpener;
class PortAssist;
class FileDialogs;
class HistoryFeature;
class TelemetryLogFeature;
class PrintTarget;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class LiveGauge;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolButton;
class RadioGroup;
class TFormAbout;
class UpDown;
struct AppSettings;

// The operator window: menus, toolbar, the parameter editor bound to the set, the live
// values, the message line and the status bar. It owns the parameter set, the serial link
// and the device exchange for the life of the process, and is the exchange's view.
class TFormHlav : public QMainWindow, public ExchangeView, public LinkErrorSink {
    Q_OBJECT

public:
    static constexpr int kDesignWidth = 823;
    static constexpr int kDesignHeight = 805;
    static constexpr int kTimerIntervalMs = ExchangeTiming::kTickMs;

    // Builds the window with its controls and control tables. The port backend is injected
    // so that tests run against a fake port.
    explicit TFormHlav(std::unique_ptr<PortBackend> backend = makeSystemPortBackend(), QWidget* parent = nullptr);
    ~TFormHlav() override;

    // The start-up sequence: defaults, centring, settings and working image, the language
    // word of the command line, validate, texts, first refresh, port, COM tick, window
    // texts, refresh, test mode, layout; then the About window is made and Timer1 runs.
    // Separate from construction so that what must be in place before the port opens (port
    // mapping, message-box handler, dialogs) can be set first. arguments are the
    // command-line arguments after the program name; only the first one is looked at.
    void FormCreate(const QStringList& arguments = {});

    // The shut-down sequence of the close event: port closed, window read back and
    // validated, settings and working image written. Closing is never refused.
    void FormClose();

    // The settings as the window would store them now (geometry, port, language, file
    // names, the "All" box).
    AppSettings currentSettings() const;

    // What the commands ask the operator, where prints go and how the manual is opened;
    // the defaults are the real dialogs, the default printer and the desktop.
    void setFileDialogs(std::unique_ptr<FileDialogs> dialogs);
    void setPrintTarget(std::unique_ptr<PrintTarget> target);
    void setDocumentOpener(std::unique_ptr<DocumentOpener> opener);
    // Made once at the end of start-up; null before.
    TFormAbout* aboutForm() const { return about_; }
    FileDialogs& fileDialogs() { return *fileDialogs_; }
    // The set history, backup before programming and difference report (Tools menu).
    HistoryFeature* history() const { return history_; }
    // Recording telemetry into a log and the log viewer (Tools menu).
    TelemetryLogFeature* logs() const { return logs_; }

    // Prints the window in print view on one page, with the date-and-time stamp.
    void printWindow();

    // What the window owns.
    ParameterSet& parameterSet() { return set_; }
    HeaderTexts& headerTexts() { return headerTexts_; }
    const MessageTexts& messageTexts() const { return texts_; }
    SerialLink& serialLink() { return *link_; }
    DeviceExchange& exchange() { return *exchange_; }
    QTimer* timer1() const { return timer1_; }

    // Editor binding.
    void readBackFromWindow();
    void refreshWindow() override;
    void applyEdit();
    void programAfterChange();
    void updateLayout();
    void setPrintView(bool on) { printView_ = on; }
    bool printView() const override { return printView_; }
    bool autoArmed() const { return autoArmed_; }
    const std::array<std::uint8_t, kBlockSize>& lastSent() const { return lastSent_; }

    // Control tables: entry i belongs to curve point i + 1.
    const std::array<QLineEdit*, kCurvePoints>& rpmEdits() const { return rpmEdits_; }
    const std::array<QLineEdit*, kCurvePoints>& advanceEdits() const { return advanceEdits_; }
    const std::array<UpDown*, kCurvePoints>& rpmSpinners() const { return rpmSpinners_; }
    const std::array<UpDown*, kCurvePoints>& advanceSpinners() const { return advanceSpinners_; }

    // Languages: store, apply the window texts, refresh.
    void setLanguage(LanguageId language);
    void applyWindowTexts();

    // COM port: exactly the item of that number is ticked (none for a number outside 1..10).
    void tickComMenu(int portNumber);
    // The COM menu command: tick, remember the adapter there, then close and reopen the port.
    void selectPort(int portNumber);
    // The replug watch, the unit search and the devices beside the COM items.
    PortAssist& portAssist() { return *portAssist_; }

    // The file the set came from (LabelFile2) and the last file opened or saved. The label
    // shows a trailing " *" while the set differs from what that file was opened or saved
    // with; fileLabel() is the name alone.
    void setFileLabel(const QString& text);
    QString fileLabel() const;
    bool unsavedChanges() const;
    // The set as it is now is what the named file holds (after an Open or a Save).
    void markSaved();
    // A set that replaced the window's (Open, New): applied like an edit, with the file name
    // it came from (empty for none) in the same undo step; fromFile when the set is what
    // that file holds.
    void applyFileSet(const QString& path, bool fromFile);
    // Before Open or New replace the set: with unsaved edits the operator is asked whether
    // to save them first. False when the command must not go on (Cancel, or the save did
    // not happen).
    bool mayReplaceSet();
    QString currentFileName() const { return currentFileName_; }
    void setCurrentFileName(const QString& name) { currentFileName_ = name; }

    // The "All" box of the advance tools (kept in the settings file).
    bool ignAll() const;
    void setIgnAll(bool on);

    // Test mode shows the eight diagnostic labels.
    void setTestMode(bool on);
    bool testMode() const { return testMode_; }

    // Message boxes go through this handler; the default shows a modal box. Tests record.
    // A box asked for inside a tick of Timer1 opens just after that tick.
    using MessageBoxHandler = std::function<void(const QString& text)>;
    void setMessageBoxHandler(MessageBoxHandler handler);

    // Background of the message line (the printout stamps it on white); invalid = normal.
    void setMessageBackground(const QColor& colour);

    // ExchangeView.
    void showMessage(const QString& text, MessageColour colour) override;
    void hideMessage() override;
    void setGauge(int value) override;
    void setGaugeVisible(bool visible) override;
    void setConnectionLabelVisible(bool visible) override;
    void showMessageBox(const QString& text) override;
    void clearFileLabel() override;
    void showTelemetry(const TelemetryValues& values) override;
    void highlightLiveRow(int liveRow, bool none) override;

    // LinkErrorSink.
    void portOpenFailed() override;

    // Background colours of labels and edit boxes; an invalid colour is the normal one. An
    // unchanged colour is not set again, so the per-tick highlight costs no repaint.
    void setControlColour(QWidget* control, const QColor& colour);
    QColor controlColour(const QWidget* control) const { return colours_.value(control); }
    // How many colours were really applied to a control so far.
    int colourChanges() const { return colourChanges_; }

    // The curve graph and the steps of the set that undo and redo go through.
    CurveGraph* curveGraph() const { return curveGraph_; }
    const UndoHistory& undoHistory() const { return undo_; }

public slots:
    void Timer1Timer();
    void MenuProgramClick();
    void MenuVerifyClick();
    void MenuReadClick();
    void MenuOpenClick();
    void MenuSaveClick();
    void MenuNewClick();
    void SpeedButtonPrintClick();
    void MenuContensClick();
    void MenuAboutClick();
    void MenuExitClick();
    void MenuCom1Click();
    void MenuFindUnitClick();
    void BitBtnAdvMinusClick();
    void BitBtnAdvPlusClick();
    void MenuEnglishClick();
    void MenuGermanClick();
    void MenuFrenchClick();
    void MenuCzechClick();
    void UpDownClick();
    void EditExit();
    void ComboBoxChange();
    void RadioGroupPolaritaClick();
    void CheckBoxProgHnedMouseUp();
    void MenuUndoClick();
    void MenuRedoClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void buildCentral();
    QWidget* buildToolBar();
    QWidget* buildCurve();
    QWidget* buildMiddle();
    QWidget* buildRightUpper();
    QWidget* buildLive();
    QWidget* buildLower();
    QWidget* buildTestLabels();
    void buildNumber(int bindingIndex, QWidget* parent);
    void applyFixedTexts();
    void applyText(const QString& target, int kind, int item, const QString& text, const QStringList& items);
    void setHint(QWidget* control, const QString& hint);
    void setPlaceholder(PlaceholderLabel label, const QString& text);
    void readNumber(int bindingIndex);
    void showNumber(int bindingIndex);
    void showHeaderLabels();
    void stepAdvance(StepDirection direction);
    void startCommand(void (DeviceExchange::*start)());
    void defaultMessageBox(const QString& text);
    bool formKeyPress(QKeyEvent* event);
    void centreOnScreen();
    void applyStoredGeometry(const AppSettings& settings);
    void rebuildMessageTexts();
    // Undo, redo, the dragged graph point and the unsaved marker (TFormHlavEditing.cpp).
    UndoStep currentStep() const;
    void recordStep();
    void restoreStep(const std::optional<UndoStep>& step);
    void checkFileAtStart();
    // After the connection is lost the live values no longer say anything.
    void showLiveUnknown();
    void updateUndoActions();
    void updateFileLabel();
    void applyEditingTexts();
    bool undoKeyForWindow(QLineEdit* edit, QKeyEvent* event) const;
    void curvePointDragged(int index, int rpmCode, int advance);
    void curvePointDropped(int index);

    // What the window owns; the exchange holds references to the set, texts and link.
    ParameterSet set_;
    HeaderTexts headerTexts_;
    MessageTexts texts_;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<DeviceExchange> exchange_;
    std::unique_ptr<PortAssist> portAssist_;

    bool printView_ = false;
    bool testMode_ = false;
    bool autoArmed_ = false;
    bool inTimer1_ = false;  // inside Timer1Timer: message boxes wait until the tick returns
    std::array<std::uint8_t, kBlockSize> lastSent_{};
    QString currentFileName_;
    int busy_ = 0;  // inside a refresh: focus changes caused by hiding or disabling are not edits
    MessageBoxHandler messageBoxHandler_;
    std::unique_ptr<FileDialogs> fileDialogs_;
    std::unique_ptr<PrintTarget> printTarget_;
    std::unique_ptr<DocumentOpener> documentOpener_;
    TFormAbout* about_ = nullptr;
    HistoryFeature* history_ = nullptr;
    TelemetryLogFeature* logs_ = nullptr;
    QHash<const QWidget*, QColor> colours_;
    int colourChanges_ = 0;
    LiveLineCache liveLines_;
    int shownRpmGauge_ = -1;
    int shownLiveRow_ = -2;  // -1: none highlighted; -2: not shown yet
    UndoHistory undo_;
    QString fileName_;         // the name in LabelFile2, without the marker
    QHash<QString, ImageBlock> fileContents_;  // what each named file holds, as far as known
    bool liveKnown_ = false;                    // the live values are a connected unit's

    // Bound number controls, parallel to numberBindings().
    std::array<QLineEdit*, 40> numberEdits_{};
    std::array<UpDown*, 40> numberSpinners_{};
    std::array<QLineEdit*, kCurvePoints> rpmEdits_{};
    std::array<QLineEdit*, kCurvePoints> advanceEdits_{};
    std::array<UpDown*, kCurvePoints> rpmSpinners_{};
    std::array<UpDown*, kCurvePoints> advanceSpinners_{};

    QTimer* timer1_ = nullptr;
    QWidget* central_ = nullptr;
    QGroupBox* groupBoxToolBar_ = nullptr;
    QLabel* labelSpojeni_ = nullptr;
    QLabel* labelHlaseni_ = nullptr;
    QProgressBar* cGauge_ = nullptr;
    LiveGauge* cGaugeRpm_ = nullptr;
    QLabel* imageLogo_ = nullptr;
    QLabel* labelFile2_ = nullptr;
    QLabel* labelVerze1_ = nullptr;
    QLabel* labelVerze2_ = nullptr;
    QLabel* labelVerze3_ = nullptr;
    QComboBox* comboBoxBike_ = nullptr;
    QComboBox* comboBoxPocPalcu_ = nullptr;
    RadioGroup* radioGroupPolarita_ = nullptr;
    RadioGroup* radioGroupInput1_ = nullptr;
    RadioGroup* radioGroupInput2_ = nullptr;
    QCheckBox* checkBoxIgnAll_ = nullptr;
    QCheckBox* checkBoxProgHned_ = nullptr;
    QCheckBox* checkBoxZakazCteni_ = nullptr;
    QPushButton* bitBtnAdvMinus_ = nullptr;
    QPushButton* bitBtnAdvPlus_ = nullptr;
    QLabel* labelOmez1_ = nullptr;
    QLabel* labelRetard_ = nullptr;
    QLabel* labelClutch1_ = nullptr;
    QLabel* labelClutch2_ = nullptr;
    QLabel* labelRpm_ = nullptr;
    QLabel* labelNapeti_ = nullptr;
    QLabel* labelBlocking_ = nullptr;
    QLabel* labelKillSwitch_ = nullptr;
    QLabel* labelAdvance_ = nullptr;
    QLabel* labelSnimac_ = nullptr;
    QLabel* labelPolaritaMer_ = nullptr;
    QLabel* labelMonOmez1_ = nullptr;
    QLabel* labelMonRetard_ = nullptr;
    QLabel* labelClutchMon_ = nullptr;
    QLabel* labelPocetProgramovani_ = nullptr;
    std::array<QLabel*, 8> labelTest_{};
    QStatusBar* statusBar1_ = nullptr;
    std::array<QAction*, PortMapping::kPorts> menuCom_{};
    QAction* menuFindUnit_ = nullptr;
    std::array<QAction*, kLanguageCount> menuLanguage_{};
    QAction* menuUndo_ = nullptr;
    QAction* menuRedo_ = nullptr;
    CurveGraph* curveGraph_ = nullptr;
    QActionGroup* comGroup_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
};
