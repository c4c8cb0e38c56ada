#include "ui/TFormHlav.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <string_view>

#include "files/AdapterSettings.h"
#include "files/AppSettings.h"
#include "files/ConfigPaths.h"
#include "files/IniFile.h"
#include "files/ParameterFile.h"
#include "files/TestMarker.h"
#include "files/WorkingImageFile.h"
#include "i18n/RangeTexts.h"
#include "i18n/WindowTexts.h"
#include "link/Telemetry.h"
#include "model/EditorBindings.h"
#include "ui/Artwork.h"
#include "ui/CurveGraph.h"
#include "ui/FileDialogs.h"
#include "ui/HistoryFeature.h"
#include "ui/LiveGauge.h"
#include "ui/Manual.h"
#include "ui/PortAssist.h"
#include "ui/Printout.h"
#include "ui/RadioGroup.h"
#include "ui/TFormAbout.h"
#include "ui/TelemetryLogFeature.h"
#include "ui/UpDown.h"

namespace {

// ComboBoxBike positions 0..3 hold the keying codes 0, 4, 1, 2.
constexpr std::array<std::uint8_t, 4> kKeyingCodes = {0, 4, 1, 2};

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);
const QColor kAqua(0, 255, 255);

QColor liveColour(LiveColour colour) {
    switch (colour) {
        case LiveColour::Red:
            return kRed;
        case LiveColour::Yellow:
            return kYellow;
        case LiveColour::Green:
            return kGreen;
        case LiveColour::Aqua:
            return kAqua;
        case LiveColour::Normal:
            break;
    }
    return {};
}

// The unit sends its texts as single bytes, one character each, in the system's 8-bit code
// page (Latin-1 where there is none); a zero byte ends the text.
QString headerCharacters(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    const auto size = static_cast<qsizetype>(bytes.size());
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes.data(), size);
#else
    return QString::fromLatin1(bytes.data(), size);
#endif
}

// The controls whose hint shows as a tooltip; every other hint reaches only the status bar.
const QSet<QString>& toolTipControls() {
    static const QSet<QString> names = {
        "SpeedButton6",   "SpeedButton5", "SpeedButton7", "SpeedButtonPrint", "Button1",
        "BitBtn2",        "BitBtn1",      "LabelVerze1",  "LabelVerze3",      "LabelRetard",
        "LabelLedRazeni", "LabelClutch1", "LabelClutch2", "CheckBoxProgHned",
    };
    return names;
}

}  // namespace

TFormHlav::TFormHlav(std::unique_ptr<PortBackend> backend, QWidget* parent)
    : QMainWindow(parent),
      link_(std::make_unique<SerialLink>(std::move(backend))),
      fileDialogs_(std::make_unique<SystemFileDialogs>()),
      documentOpener_(std::make_unique<DesktopDocumentOpener>()) {
    setObjectName("TFormHlav");
    exchange_ = std::make_unique<DeviceExchange>(set_, headerTexts_, *link_, texts_, *this);
    link_->setReceiver(exchange_.get());
    link_->setErrorSink(this);
    portAssist_ = std::make_unique<PortAssist>(*link_, *exchange_, *this, [this](int n) { selectPort(n); });

    // The control tables and every control exist before anything else uses them.
    buildMenus();
    history_ = new HistoryFeature(*this, findChild<QMenu*>("MenuTools"));
    buildCentral();
    logs_ = new TelemetryLogFeature(*this, findChild<QMenu*>("MenuTools"));
    applyFixedTexts();
    resize(kDesignWidth, kDesignHeight);

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(kTimerIntervalMs);
    // Every protocol period is counted in ticks; a coarse timer fires about 5 % early and
    // would shorten the poll, resend and watchdog periods with it.
    timer1_->setTimerType(Qt::PreciseTimer);
    connect(timer1_, &QTimer::timeout, this, &TFormHlav::Timer1Timer);
}

void TFormHlav::FormCreate(const QStringList& arguments) {
    // The control tables and the hint routing to the status bar exist since construction.
    link_->setPortNumber(1);
    set_.setKeyingType(0);
    set_.setDefaults();
    centreOnScreen();

    // Settings, then the working image; a missing file or key keeps what is set already.
    AppSettings settings = currentSettings();
    settings.width = kDesignWidth;
    settings.height = kDesignHeight;
    settings.language = static_cast<std::uint8_t>(LanguageId::English);
    IniFile ini;
    ini.load(ConfigPaths::settingsFileToRead());
    settings.load(ini);
    history_->loadSettings(ini);
    applyStoredGeometry(settings);
    setFileLabel(settings.file);
    currentFileName_ = settings.iniDir;
    setIgnAll(settings.allChecked);
    for (int n = 1; n <= AppSettings::kPorts; ++n) {
        const QString& device = settings.portDevices[static_cast<std::size_t>(n - 1)];
        if (!device.isEmpty()) {
            link_->mapping().setExplicit(n, device);
        }
    }
    AdapterSettings adapter;
    adapter.load(ini);
    link_->mapping().setRemembered(adapter.port, adapter.identity);
    // Bounded to the controls' ranges silently, as a unit would otherwise be programmed with
    // whatever a hand-edited image holds.
    WorkingImageFile::loadInRange(ConfigPaths::workingImageFileToRead(), set_);

    std::uint8_t language = settings.language;
    if (!arguments.isEmpty()) {
        const QByteArray word = arguments.first().toUtf8();
        if (const auto chosen = languageFromArgument(std::string_view(word.constData(), word.size()))) {
            language = static_cast<std::uint8_t>(*chosen);
        }
    }
    std::uint8_t port = settings.comPort;
    set_.validate(AppRanges{&language, &port});
    setCurrentLanguage(static_cast<LanguageId>(language));
    link_->setPortNumber(port);

    rebuildMessageTexts();
    refreshWindow();
    link_->openPort();
    tickComMenu(link_->portNumber());
    applyWindowTexts();
    refreshWindow();
    labelHlaseni_->hide();
    cGauge_->hide();
    setTestMode(TestMarker::check(ConfigPaths::markerFile()));
    updateLayout();
    // The set as started with is where undo stops; the file label compares it with what its
    // file holds now.
    checkFileAtStart();
    undo_.reset(currentStep());
    updateUndoActions();

    if (about_ == nullptr) {
        about_ = new TFormAbout(this);
    }
    timer1_->start();
}

void TFormHlav::FormClose() {
    timer1_->stop();
    portAssist_->cancelQuietly();
    link_->closePort();
    readBackFromWindow();
    set_.validate();
    // The file is read again so that whatever else it holds now ([PORTS], comments) stays.
    // Failures leave the previous files as they were and are not reported.
    IniFile ini;
    ini.load(ConfigPaths::settingsFileToRead());
    currentSettings().save(ini);
    history_->saveSettings(ini);
    AdapterSettings{link_->mapping().rememberedPort(), link_->mapping().rememberedIdentity()}.save(ini);
    ini.save(ConfigPaths::settingsFile());
    WorkingImageFile::save(ConfigPaths::workingImageFile(), set_);
}

AppSettings TFormHlav::currentSettings() const {
    AppSettings settings;
    // A maximised window is stored with the geometry it returns to; the position is that of
    // the frame, as move() takes it.
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    const QPoint frameOffset = geometry().topLeft() - pos();
    settings.left = normal.left() - frameOffset.x();
    settings.top = normal.top() - frameOffset.y();
    settings.width = normal.width();
    settings.height = normal.height();
    settings.comPort = link_->portNumber();
    settings.language = static_cast<std::uint8_t>(currentLanguage());
    settings.file = fileLabel();
    settings.iniDir = currentFileName_;
    settings.allChecked = ignAll();
    return settings;
}

void TFormHlav::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    // Signed division rounds toward zero, so a window wider than the screen starts left of it.
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void TFormHlav::applyStoredGeometry(const AppSettings& settings) {
    // Taken as stored, except what would leave the window unusable: a size that is not
    // positive or absurdly large keeps the design size, and a rectangle with no part on any
    // screen keeps the centred position.
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens()) {
        desktop |= screen->geometry();
    }
    const int maxWidth = std::max(kDesignWidth, 4 * desktop.width());
    const int maxHeight = std::max(kDesignHeight, 4 * desktop.height());
    const bool sizeUsable =
        settings.width > 0 && settings.height > 0 && settings.width <= maxWidth && settings.height <= maxHeight;
    const QSize size = sizeUsable ? QSize(settings.width, settings.height) : QSize(kDesignWidth, kDesignHeight);
    // In 64 bits: a stored position near the end of the int range must not overflow the edges.
    const qint64 left = settings.left;
    const qint64 top = settings.top;
    bool onScreen = QGuiApplication::screens().isEmpty();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        onScreen = onScreen || (left < qint64(area.left()) + area.width() && left + size.width() > area.left() &&
                                top < qint64(area.top()) + area.height() && top + size.height() > area.top());
    }
    resize(size);
    if (onScreen) {
        move(settings.left, settings.top);
    } else {
        centreOnScreen();
    }
}

void TFormHlav::rebuildMessageTexts() {
    // The placeholders and the new language replace what the live lines show.
    liveLines_.forget();
    buildMessageTexts(
        texts_, PlaceholderHook{[this] { return !labelSpojeni_->isHidden(); },
                                [this](PlaceholderLabel label, const QString& text) { setPlaceholder(label, text); }});
}

TFormHlav::~TFormHlav() {
    // Controls that lose focus while they are destroyed must not reach the binding.
    ++busy_;
    timer1_->stop();
    for (QLineEdit* edit : numberEdits_) {
        edit->removeEventFilter(this);
    }
    delete takeCentralWidget();
}

void TFormHlav::showEvent(QShowEvent* event) {
    // The logo is painted for the screen's ratio, which is known for sure once shown.
    imageLogo_->setPixmap(velmorLogo(QSize(311, 50), devicePixelRatioF()));
    QMainWindow::showEvent(event);
}

// ---------------------------------------------------------------------------------------
// Texts

void TFormHlav::setLanguage(LanguageId language) {
    setCurrentLanguage(language);
    applyWindowTexts();
    refreshWindow();
}

void TFormHlav::applyWindowTexts() {
    const LanguageId language = currentLanguage();
    for (int i = 0; i < kLanguageCount; ++i) {
        menuLanguage_[static_cast<std::size_t>(i)]->setChecked(i == languageIndex(language));
    }
    setWindowTitle(::windowTitle(language));
    for (const WindowTextRow& row : windowTextTable()) {
        applyText(QString::fromUtf8(row.target), static_cast<int>(row.kind), row.item, row.textFor(language),
                  row.itemsFor(language));
    }
    applyEditingTexts();
    history_->applyTexts();
    portAssist_->applyTexts(menuFindUnit_, language);
    if (logs_) logs_->applyTexts();
    rebuildMessageTexts();
}

void TFormHlav::applyText(const QString& target, int kindValue, int item, const QString& text,
                          const QStringList& items) {
    QObject* control = target == objectName() ? this : findChild<QObject*>(target);
    if (control == nullptr) {
        return;
    }
    switch (static_cast<TextKind>(kindValue)) {
        case TextKind::Caption:
        case TextKind::MenuCaption:
            if (auto* label = qobject_cast<QLabel*>(control)) {
                label->setText(text);
            } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                button->setText(text);
            } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
                group->setTitle(text);
            } else if (auto* menu = qobject_cast<QMenu*>(control)) {
                menu->setTitle(text);
            } else if (auto* action = qobject_cast<QAction*>(control)) {
                action->setText(text);
            } else if (control == this) {
                setWindowTitle(text);
            }
            break;
        case TextKind::Hint:
            if (auto* widget = qobject_cast<QWidget*>(control)) {
                setHint(widget, text);
            }
            break;
        case TextKind::MenuHint: {
            QAction* action = qobject_cast<QAction*>(control);
            if (auto* menu = qobject_cast<QMenu*>(control)) {
                action = menu->menuAction();
            }
            if (action != nullptr) {
                action->setStatusTip(splitHint(text).statusTip);
            }
            break;
        }
        case TextKind::Item:
            if (auto* combo = qobject_cast<QComboBox*>(control); combo != nullptr && item >= 1) {
                while (combo->count() < item) {
                    combo->addItem(QString());
                }
                combo->setItemText(item - 1, text);
            }
            break;
        case TextKind::Items:
            if (auto* group = qobject_cast<RadioGroup*>(control)) {
                group->setItems(items);
            } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
                const int index = combo->currentIndex();
                combo->clear();
                combo->addItems(items);
                combo->setCurrentIndex(index < combo->count() ? index : -1);
            }
            break;
    }
}

void TFormHlav::setHint(QWidget* control, const QString& hint) {
    const HintParts parts = splitHint(hint);
    control->setStatusTip(parts.statusTip);
    control->setToolTip(toolTipControls().contains(control->objectName()) ? parts.toolTip : QString());
}

void TFormHlav::setPlaceholder(PlaceholderLabel label, const QString& text) {
    QLabel* target = nullptr;
    switch (label) {
        case PlaceholderLabel::LabelAdvance:
            target = labelAdvance_;
            break;
        case PlaceholderLabel::LabelPocetProgramovani:
            target = labelPocetProgramovani_;
            break;
        case PlaceholderLabel::LabelBlocking:
            target = labelBlocking_;
            break;
        case PlaceholderLabel::LabelPolaritaMer:
            target = labelPolaritaMer_;
            break;
        case PlaceholderLabel::LabelMonRetard:
            target = labelMonRetard_;
            break;
        case PlaceholderLabel::LabelMonOmez1:
            target = labelMonOmez1_;
            break;
        case PlaceholderLabel::LabelSnimac:
            target = labelSnimac_;
            break;
    }
    if (target != nullptr) {
        target->setText(text);
    }
}

// ---------------------------------------------------------------------------------------
// Editor binding

void TFormHlav::readNumber(int index) {
    const NumberBinding& binding = numberBindings()[static_cast<std::size_t>(index)];
    const int position = numberSpinners_[static_cast<std::size_t>(index)]->position();
    set_.setByte(binding.field, OperatorUnits::toCode(binding.scale, position));
}

void TFormHlav::showNumber(int index) {
    const NumberBinding& binding = numberBindings()[static_cast<std::size_t>(index)];
    // A code outside the spinner's range is shown clamped; the set keeps the code until
    // the next read-back.
    numberSpinners_[static_cast<std::size_t>(index)]->setPosition(
        OperatorUnits::toOperator(binding.scale, set_.byte(binding.field)));
}

void TFormHlav::showHeaderLabels() {
    labelVerze1_->setText(headerCharacters(headerTexts_.versionText()));
    labelVerze2_->setText(headerCharacters(headerTexts_.dateText()));
    labelVerze3_->setText(headerCharacters(headerTexts_.timeText()));
}

void TFormHlav::readBackFromWindow() {
    for (int i = 0; i < kCurvePoints; ++i) {
        readNumber(Binding::kCurveRpm + i);
        readNumber(Binding::kCurveAdvance + i);
    }
    const int bike = comboBoxBike_->currentIndex();
    if (bike >= 0 && bike < static_cast<int>(kKeyingCodes.size())) {
        set_.setKeyingType(kKeyingCodes[static_cast<std::size_t>(bike)]);
    }
    for (int index : {Binding::kPocetBodu, Binding::kBaseAdv, Binding::kOmez1, Binding::kOmez2, Binding::kRetard}) {
        readNumber(index);
    }
    const int lobe = comboBoxPocPalcu_->currentIndex();
    const std::uint8_t windowLobe = lobe >= 0 ? static_cast<std::uint8_t>((lobe + 1) % 4) : set_.lobeSetting();
    const int polarity = radioGroupPolarita_->itemIndex();
    const std::uint8_t windowPolarity = polarity >= 0 ? static_cast<std::uint8_t>(polarity) : set_.pickupPolarity();
    if (const auto forced = set_.applyKeyingRule(windowLobe, windowPolarity)) {
        ++busy_;
        comboBoxPocPalcu_->setCurrentIndex((forced->lobeSetting + 3) % 4);
        radioGroupPolarita_->setItemIndex(forced->pickupPolarity);
        --busy_;
    }
    for (int index : {Binding::kLedRazeni, Binding::kClutch1, Binding::kClutch2}) {
        readNumber(index);
    }
    if (const int input = radioGroupInput1_->itemIndex(); input >= 0) {
        set_.setInput1Function(static_cast<std::uint8_t>(input));
    }
    if (const int input = radioGroupInput2_->itemIndex(); input >= 0) {
        set_.setInput2Function(static_cast<std::uint8_t>(input));
    }
    set_.setNoReading(checkBoxZakazCteni_->isChecked() ? 1 : 0);
    readNumber(Binding::kRpmPulsu);
    readNumber(Binding::kRpmKorekce);
}

void TFormHlav::refreshWindow() {
    ++busy_;
    for (int i = 0; i < kCurvePoints; ++i) {
        showNumber(Binding::kCurveRpm + i);
        showNumber(Binding::kCurveAdvance + i);
    }
    showHeaderLabels();
    const auto bike = std::find(kKeyingCodes.begin(), kKeyingCodes.end(), set_.keyingType());
    if (bike != kKeyingCodes.end()) {
        comboBoxBike_->setCurrentIndex(static_cast<int>(bike - kKeyingCodes.begin()));
    }
    for (int index : {Binding::kPocetBodu, Binding::kBaseAdv, Binding::kOmez1, Binding::kOmez2, Binding::kRetard}) {
        showNumber(index);
    }
    comboBoxPocPalcu_->setCurrentIndex((set_.lobeSetting() + 3) % 4);
    for (int index :
         {Binding::kLedRazeni, Binding::kClutch1, Binding::kClutch2, Binding::kRpmPulsu, Binding::kRpmKorekce}) {
        showNumber(index);
    }
    radioGroupPolarita_->setItemIndex(set_.pickupPolarity());
    radioGroupInput1_->setItemIndex(set_.input1Function());
    radioGroupInput2_->setItemIndex(set_.input2Function());
    checkBoxZakazCteni_->setChecked(set_.noReading() != 0);
    setControlColour(checkBoxZakazCteni_, checkBoxZakazCteni_->isChecked() ? kRed : QColor());
    showHeaderLabels();
    updateLayout();
    curveGraph_->showSet(set_);
    updateFileLabel();
    --busy_;
    // A Read takes the unit's set in and shows it: one step of its own.
    if (exchange_->mode() == ExchangeMode::Read) {
        recordStep();
    }
}

void TFormHlav::applyEdit() {
    set_.validate();
    refreshWindow();
    refreshWindow();
    recordStep();
    programAfterChange();
}

void TFormHlav::programAfterChange() {
    if (!checkBoxProgHned_->isChecked()) {
        autoArmed_ = false;
        return;
    }
    // A programming that did not get through leaves the unit's set unknown: the next check
    // programs, changed or not.
    bool changed = !autoArmed_ || exchange_->lastProgramFailed();
    autoArmed_ = true;
    for (int b = 0; b < kBlockSize; ++b) {
        const std::uint8_t current = set_.byte(kBlockSize + b);
        if (lastSent_[static_cast<std::size_t>(b)] != current) {
            changed = true;
            lastSent_[static_cast<std::size_t>(b)] = current;
        }
    }
    if (changed) {
        history_->startProgram();
    }
}

void TFormHlav::updateLayout() {
    ++busy_;
    const std::uint8_t in1 = set_.input1Function();
    const std::uint8_t in2 = set_.input2Function();
    auto anyInput = [in1, in2](int k) { return in1 == k || in2 == k; };
    const bool standardKeying = set_.keyingType() == 0;

    setControlColour(central_, printView_ ? QColor(Qt::white) : QColor());

    const int points = set_.curvePointCount();
    for (int i = 0; i < kCurvePoints; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const bool used = i < points;
        rpmEdits_[k]->setVisible(used);
        advanceEdits_[k]->setVisible(used);
        rpmSpinners_[k]->setVisible(used && !printView_);
        advanceSpinners_[k]->setVisible(used && !printView_);
    }

    setControlColour(checkBoxProgHned_, checkBoxProgHned_->isChecked() ? kRed : QColor());
    setControlColour(checkBoxZakazCteni_, checkBoxZakazCteni_->isChecked() ? kRed : QColor());

    const std::array<QWidget*, 14> editingAids = {
        cGaugeRpm_,
        checkBoxProgHned_,
        checkBoxZakazCteni_,
        statusBar1_,
        imageLogo_,
        groupBoxToolBar_,
        numberSpinners_[Binding::kBaseAdv],
        numberSpinners_[Binding::kOmez2],
        numberSpinners_[Binding::kLedRazeni],
        bitBtnAdvMinus_,
        bitBtnAdvPlus_,
        checkBoxIgnAll_,
        numberSpinners_[Binding::kPocetBodu],
        labelSnimac_,
    };
    for (QWidget* widget : editingAids) {
        widget->setVisible(!printView_);
    }

    labelKillSwitch_->setEnabled(in1 == 1);
    labelBlocking_->setEnabled(in2 == 1);
    labelMonRetard_->setEnabled(anyInput(3));
    labelMonOmez1_->setEnabled(anyInput(4));
    labelClutchMon_->setEnabled(anyInput(2));

    comboBoxPocPalcu_->setEnabled(standardKeying);

    numberEdits_[Binding::kOmez1]->setEnabled(anyInput(4));
    labelOmez1_->setEnabled(anyInput(4));
    numberSpinners_[Binding::kOmez1]->setVisible(anyInput(4) && !printView_);

    numberEdits_[Binding::kRetard]->setEnabled(anyInput(3));
    labelRetard_->setEnabled(anyInput(3));
    numberSpinners_[Binding::kRetard]->setVisible(anyInput(3) && !printView_);

    for (int index : {Binding::kClutch1, Binding::kClutch2}) {
        numberEdits_[static_cast<std::size_t>(index)]->setEnabled(anyInput(2));
        numberSpinners_[static_cast<std::size_t>(index)]->setVisible(anyInput(2) && !printView_);
    }
    labelClutch1_->setEnabled(anyInput(2));
    labelClutch2_->setEnabled(anyInput(2));

    radioGroupPolarita_->setEnabled(standardKeying);
    labelPolaritaMer_->setEnabled(radioGroupPolarita_->isEnabled());
    --busy_;
}

void TFormHlav::stepAdvance(StepDirection direction) {
    if (busy_ != 0) {
        return;
    }
    readBackFromWindow();
    set_.validate();
    const LiveRow live = exchange_->liveRow();
    set_.stepAdvance(direction, checkBoxIgnAll_->isChecked(), live.none ? std::nullopt : std::optional<int>(live.row));
    applyEdit();
}

// ---------------------------------------------------------------------------------------
// Events

bool TFormHlav::formKeyPress(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        return false;
    }
    if (busy_ == 0) {
        focusNextChild();
        readBackFromWindow();
        applyEdit();
    }
    return true;
}

bool TFormHlav::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        if (formKeyPress(static_cast<QKeyEvent*>(event))) {
            return true;
        }
    } else if (event->type() == QEvent::ShortcutOverride) {
        if (undoKeyForWindow(edit, static_cast<QKeyEvent*>(event))) {
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving a box for another control of the window applies it; the window losing
        // activation or a menu opening is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            reason != Qt::MenuBarFocusReason) {
            const auto it = std::find(numberEdits_.begin(), numberEdits_.end(), edit);
            if (it != numberEdits_.end() &&
                numberBindings()[static_cast<std::size_t>(it - numberEdits_.begin())].applyOnExit) {
                EditExit();
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormHlav::keyPressEvent(QKeyEvent* event) {
    if (formKeyPress(event)) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFormHlav::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TFormHlav::Timer1Timer() {
    inTimer1_ = true;
    exchange_->onTimerTick();
    portAssist_->onTick();
    inTimer1_ = false;
    // Together with "No connection with PC".
    if (liveKnown_ && !labelSpojeni_->isHidden()) {
        showLiveUnknown();
    }
}

void TFormHlav::showLiveUnknown() {
    // What the lines showed belongs to a unit that no longer answers: they show what they
    // show before the first answer, in normal colours, until the next frame.
    liveKnown_ = false;
    labelRpm_->setText(unknownLineText(LiveLine::Rpm));
    labelNapeti_->setText(unknownLineText(LiveLine::Napeti));
    labelKillSwitch_->setText(unknownLineText(LiveLine::KillSwitch));
    labelClutchMon_->setText(unknownLineText(LiveLine::ClutchMon));
    for (QLabel* label : {labelRpm_, labelNapeti_, labelBlocking_, labelKillSwitch_, labelAdvance_, labelSnimac_,
                          labelPolaritaMer_, labelMonOmez1_, labelMonRetard_, labelClutchMon_}) {
        setControlColour(label, QColor());
    }
    // The placeholders of the other lines, in the current language.
    rebuildMessageTexts();
    shownRpmGauge_ = 0;
    cGaugeRpm_->showValue(0);
    curveGraph_->hideLive();
}

void TFormHlav::startCommand(void (DeviceExchange::*start)()) {
    readBackFromWindow();
    set_.validate();
    refreshWindow();
    (exchange_.get()->*start)();
}

void TFormHlav::MenuProgramClick() {
    readBackFromWindow();
    set_.validate();
    refreshWindow();
    history_->startProgram();
}

void TFormHlav::MenuVerifyClick() { startCommand(&DeviceExchange::startVerify); }

void TFormHlav::MenuReadClick() {
    // No read-back: the unit's set replaces the window's.
    exchange_->startRead();
    clearFileLabel();
}

void TFormHlav::MenuOpenClick() {
    const QString chosen = mayReplaceSet() ? fileDialogs_->getOpenFileName(this, currentFileName_) : QString();
    if (!chosen.isEmpty()) {
        QStringList outOfRange;
        switch (ParameterFile::open(chosen, set_, &outOfRange)) {
            case ParameterFile::OpenResult::Accepted:
                // Told before the edit is applied, which may program the unit.
                if (!outOfRange.isEmpty()) showMessageBox(outOfRangeNotice(currentLanguage(), outOfRange));
                applyFileSet(QFileInfo(chosen).absoluteFilePath(), true);
                break;
            case ParameterFile::OpenResult::CannotOpen:
                showMessageBox(texts_.fileOpenError);
                break;
            case ParameterFile::OpenResult::VersionMismatch:
                showMessageBox(texts_.fileVersionMismatch);
                break;
        }
    }
    hideMessage();
}

void TFormHlav::MenuSaveClick() {
    const QString chosen = fileDialogs_->getSaveFileName(this, currentFileName_);
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = QFileInfo(chosen).absoluteFilePath();
    // The file receives the validated set the window shows, but the window takes it over only
    // once the whole file is in place: a failed save leaves the set, the window and the old
    // file as they were.
    const ParameterSet before = set_;
    readBackFromWindow();
    set_.validate();
    const ParameterSet toSave = set_;
    set_ = before;
    if (!ParameterFile::save(path, toSave)) {
        showMessageBox(texts_.fileOpenError);
        return;
    }
    set_ = toSave;
    refreshWindow();
    setFileLabel(path);
    currentFileName_ = path;
    markSaved();
    // Saved under another name: undo goes back to the name the set had before.
    recordStep();
}

void TFormHlav::MenuNewClick() {
    if (!mayReplaceSet() || fileDialogs_->confirm(this, texts_.defaultQuestion) != FileDialogs::Answer::Yes) {
        return;
    }
    set_.setDefaults();
    applyFileSet(QString(), false);
    hideMessage();
}

void TFormHlav::SpeedButtonPrintClick() { printWindow(); }

void TFormHlav::printWindow() {
    const QString stamp = printStampText(texts_, QDateTime::currentDateTime());
    labelHlaseni_->setText(stamp);
    setMessageBackground(QColor(Qt::white));
    labelHlaseni_->show();
    labelSpojeni_->hide();
    exchange_->setMessageCountdown(ExchangeTiming::kMessageLifetime);
    cGauge_->hide();
    printView_ = true;
    // The print's own focus move is not the operator leaving a box: a typed value stays typed,
    // nothing is applied and nothing is programmed.
    ++busy_;
    radioGroupInput1_->setFocus();
    --busy_;
    updateLayout();
    // The printout shows the set and the file it came from, not the live extras or the
    // unsaved marker.
    curveGraph_->setPrintView(true);
    labelFile2_->setText(fileName_);

    // The hidden controls keep their room, but the main window's own layout changes with the
    // status bar gone; settle it before the picture is taken.
    if (central_->layout() != nullptr) {
        central_->layout()->activate();
    }
    if (layout() != nullptr) {
        layout()->activate();
    }
    if (!printTarget_) {
        printTarget_ = std::make_unique<SystemPrintTarget>();
    }
    QString error;
    const bool printed = printImage(grabClientArea(this), *printTarget_, &error);

    printView_ = false;
    curveGraph_->setPrintView(false);
    updateFileLabel();
    updateLayout();
    setMessageBackground(QColor());
    // Shown once the window is back to normal, so the print view never waits on the box.
    if (!printed) {
        showMessageBox(error);
    }
}

void TFormHlav::MenuContensClick() {
    openManual(this, texts_, *documentOpener_, [this](QWidget*, const QString& text) { showMessageBox(text); });
}

void TFormHlav::MenuAboutClick() {
    if (about_ != nullptr) {
        about_->showAbout();
    }
}

void TFormHlav::setFileDialogs(std::unique_ptr<FileDialogs> dialogs) {
    if (dialogs) {
        fileDialogs_ = std::move(dialogs);
    }
}

void TFormHlav::setPrintTarget(std::unique_ptr<PrintTarget> target) { printTarget_ = std::move(target); }

void TFormHlav::setDocumentOpener(std::unique_ptr<DocumentOpener> opener) {
    if (opener) {
        documentOpener_ = std::move(opener);
    }
}

void TFormHlav::MenuExitClick() { close(); }

void TFormHlav::MenuCom1Click() {
    if (auto* action = qobject_cast<QAction*>(sender())) {
        selectPort(action->data().toInt());
    }
}

void TFormHlav::MenuFindUnitClick() { portAssist_->findUnit(); }

void TFormHlav::BitBtnAdvMinusClick() { stepAdvance(StepDirection::Minus); }

void TFormHlav::BitBtnAdvPlusClick() { stepAdvance(StepDirection::Plus); }

void TFormHlav::MenuEnglishClick() { setLanguage(LanguageId::English); }

void TFormHlav::MenuGermanClick() { setLanguage(LanguageId::German); }

void TFormHlav::MenuFrenchClick() { setLanguage(LanguageId::French); }

void TFormHlav::MenuCzechClick() { setLanguage(LanguageId::Czech); }

void TFormHlav::UpDownClick() {
    if (busy_ != 0) {
        return;
    }
    readBackFromWindow();
    applyEdit();
}

void TFormHlav::EditExit() {
    if (busy_ != 0) {
        return;
    }
    readBackFromWindow();
    applyEdit();
}

void TFormHlav::ComboBoxChange() {
    if (busy_ != 0) {
        return;
    }
    readBackFromWindow();
    applyEdit();
}

void TFormHlav::RadioGroupPolaritaClick() {
    if (busy_ != 0) {
        return;
    }
    // The three boxes without a handling of their own keep typed text until a read-back; the
    // click's refresh would throw it away, so it is taken first, as leaving the box would.
    for (int index : {Binding::kLedRazeni, Binding::kClutch1, Binding::kClutch2}) {
        readNumber(index);
    }
    // Of the other controls only the three group indexes are taken.
    if (const int index = radioGroupPolarita_->itemIndex(); index >= 0) {
        set_.setPickupPolarity(static_cast<std::uint8_t>(index));
    }
    if (const int index = radioGroupInput1_->itemIndex(); index >= 0) {
        set_.setInput1Function(static_cast<std::uint8_t>(index));
    }
    if (const int index = radioGroupInput2_->itemIndex(); index >= 0) {
        set_.setInput2Function(static_cast<std::uint8_t>(index));
    }
    applyEdit();
}

void TFormHlav::CheckBoxProgHnedMouseUp() {
    if (busy_ != 0) {
        return;
    }
    readBackFromWindow();
    updateLayout();
    applyEdit();
}

// ---------------------------------------------------------------------------------------
// Port, file label, test mode, message boxes

void TFormHlav::tickComMenu(int portNumber) {
    for (int n = 1; n <= PortMapping::kPorts; ++n) {
        menuCom_[static_cast<std::size_t>(n - 1)]->setChecked(n == portNumber);
    }
}

void TFormHlav::selectPort(int portNumber) {
    tickComMenu(portNumber);
    portAssist_->cancelQuietly();
    link_->mapping().rememberChoice(portNumber);
    link_->selectPort(static_cast<std::uint8_t>(portNumber));
}

void TFormHlav::setFileLabel(const QString& text) {
    fileName_ = text;
    updateFileLabel();
}

QString TFormHlav::fileLabel() const { return fileName_; }

bool TFormHlav::ignAll() const { return checkBoxIgnAll_->isChecked(); }

void TFormHlav::setIgnAll(bool on) { checkBoxIgnAll_->setChecked(on); }

void TFormHlav::setTestMode(bool on) {
    testMode_ = on;
    for (QLabel* label : labelTest_) {
        label->setVisible(on);
    }
}

void TFormHlav::setMessageBoxHandler(MessageBoxHandler handler) { messageBoxHandler_ = std::move(handler); }

void TFormHlav::defaultMessageBox(const QString& text) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    // The text may carry a path or a unit's text.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TFormHlav::showMessageBox(const QString& text) {
    if (inTimer1_) {
        // Timer1 never fires again while its own handler runs, so a modal loop opened inside
        // the tick would stop polling, resends and the watchdog until the box is closed. The
        // box opens once the tick has returned; the exchange has put itself idle before.
        QMetaObject::invokeMethod(
            this, [this, text] { showMessageBox(text); }, Qt::QueuedConnection);
        return;
    }
    if (messageBoxHandler_) {
        messageBoxHandler_(text);
    } else {
        defaultMessageBox(text);
    }
}

void TFormHlav::portOpenFailed() {
    showMessageBox(portAssist_->openFailureText(texts_.portOpenError, currentLanguage()));
}

// ---------------------------------------------------------------------------------------
// The exchange's view

void TFormHlav::setMessageBackground(const QColor& colour) { setControlColour(labelHlaseni_, colour); }

void TFormHlav::showMessage(const QString& text, MessageColour colour) {
    labelHlaseni_->setText(text);
    setControlColour(labelHlaseni_, colour == MessageColour::Red ? kRed : QColor());
    labelHlaseni_->show();
}

void TFormHlav::hideMessage() {
    labelHlaseni_->hide();
    cGauge_->hide();
}

void TFormHlav::setGauge(int value) { cGauge_->setValue(value); }

void TFormHlav::setGaugeVisible(bool visible) { cGauge_->setVisible(visible); }

void TFormHlav::setConnectionLabelVisible(bool visible) {
    if (labelSpojeni_->isHidden() == visible) {
        labelSpojeni_->setVisible(visible);
    }
}

void TFormHlav::clearFileLabel() { setFileLabel(QString()); }

void TFormHlav::showTelemetry(const TelemetryValues& values) {
    logs_->frame(values);
    liveKnown_ = true;
    // Only what shows something new is set: a steady engine costs no text and no repaint.
    const std::array<std::pair<QLabel*, LiveColour>, 11> lines = {{
        {labelRpm_, values.rpmColour},
        {labelNapeti_, values.voltageColour},
        {labelBlocking_, values.blockingColour},
        {labelKillSwitch_, values.killSwitchColour},
        {labelAdvance_, values.advanceColour},
        {labelSnimac_, values.pickupColour},
        {labelPolaritaMer_, values.polarityColour},
        {labelMonOmez1_, values.startLimiterColour},
        {labelMonRetard_, values.retardColour},
        {labelClutchMon_, values.clutchColour},
        {labelPocetProgramovani_, LiveColour::Normal},
    }};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto line = static_cast<LiveLine>(i);
        if (liveLines_.changed(line, values)) {
            lines[i].first->setText(telemetryLineText(line, values, texts_));
        }
        if (line != LiveLine::PocetProgramovani) {
            setControlColour(lines[i].first, liveColour(lines[i].second));
        }
    }
    for (std::size_t i = 0; i < labelTest_.size(); ++i) {
        const auto line = static_cast<LiveLine>(static_cast<int>(LiveLine::Test1) + static_cast<int>(i));
        if (liveLines_.changed(line, values)) {
            labelTest_[i]->setText(telemetryLineText(line, values, texts_));
        }
    }
    liveLines_.remember(values);
    const int gauge = std::clamp(values.rpmGauge, 0, 100);
    if (gauge != shownRpmGauge_) {
        shownRpmGauge_ = gauge;
        cGaugeRpm_->showValue(gauge);
    }
    curveGraph_->showLive(values.rpm, values.advance);
}

void TFormHlav::highlightLiveRow(int liveRow, bool none) {
    // Asked on every tick: the thirty boxes are looked at only when the row changes.
    const int row = none ? -1 : liveRow;
    if (row == shownLiveRow_) {
        return;
    }
    shownLiveRow_ = row;
    curveGraph_->showHighlight(row);
    for (int i = 0; i < kCurvePoints; ++i) {
        const QColor colour = (!none && i == liveRow) ? kGreen : QColor();
        setControlColour(rpmEdits_[static_cast<std::size_t>(i)], colour);
        setControlColour(advanceEdits_[static_cast<std::size_t>(i)], colour);
    }
}

void TFormHlav::setControlColour(QWidget* control, const QColor& colour) {
    const auto known = colours_.constFind(control);
    // A control never coloured shows the normal colour already.
    const QColor previous = known != colours_.constEnd() ? *known : QColor();
    if (previous == colour) {
        return;
    }
    colours_.insert(control, colour);
    ++colourChanges_;
    // An edit box paints its own panel; every other control shows its colour by filling its
    // background.
    const bool edit = qobject_cast<QLineEdit*>(control) != nullptr;
    if (!colour.isValid()) {
        // The normal colour: the palette's base for an edit box; a label or a check box shows
        // the window's button face behind it.
        control->setPalette(QPalette());
        if (!edit) {
            control->setAutoFillBackground(false);
        }
        return;
    }
    QPalette palette = control->palette();
    // Each control fills from its own background role: Base for an edit box, Window for a
    // label, Button for a check box.
    const QPalette::ColorRole role = control->backgroundRole();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, role, colour);
    }
    control->setPalette(palette);
    if (!edit) {
        control->setAutoFillBackground(true);
    }
}
