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

#include "files/AppSettings.h"
#include "files/ConfigPaths.h"
#include "files/IniFile.h"
#include "files/ParameterFile.h"
#include "files/TestMarker.h"
#include "files/WorkingImageFile.h"
#include "i18n/WindowTexts.h"
#include "link/Telemetry.h"
#include "ui/Artwork.h"
#include "ui/EditorBindings.h"
#include "ui/FileDialogs.h"
#include "ui/Manual.h"
#include "ui/Printout.h"
#include "ui/RadioGroup.h"
#include "ui/TFormAbout.h"
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

// The controls whose hint shows as a tooltip; every other hint reaches only the status bar.
const QSet<QString>& toolTipControls() {
    static const QSet<QString> names = {
        "SpeedButton6",   "SpeedButton5", "SpeedButton7", "SpeedButtonPrint", "Button1",
        "BitBtn2",        "BitBtn1",      "LabelVerze1",  "LabelVerze3",      "LabelRetard",
        "LabelLedRazeni", "LabelClutch1", "LabelClutch2", "CheckBoxProgHned",
    };
    return names;
}

void retainSizeWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLabel* makeLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QFrame* makePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    return panel;
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

    // The control tables and every control exist before anything else uses them.
    buildMenus();
    buildCentral();
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
    ini.load(ConfigPaths::settingsFile());
    settings.load(ini);
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
    WorkingImageFile::load(ConfigPaths::workingImageFile(), set_);

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

    if (about_ == nullptr) {
        about_ = new TFormAbout(this);
    }
    timer1_->start();
}

void TFormHlav::FormClose() {
    timer1_->stop();
    link_->closePort();
    readBackFromWindow();
    set_.validate();
    // The file is read again so that whatever else it holds now ([PORTS], comments) stays.
    // Failures leave the previous files as they were and are not reported.
    IniFile ini;
    ini.load(ConfigPaths::settingsFile());
    currentSettings().save(ini);
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

// ---------------------------------------------------------------------------------------
// Construction of the window

void TFormHlav::buildMenus() {
    auto addMenu = [this](const char* name) {
        auto* menu = new QMenu(this);
        menu->setObjectName(name);
        menuBar()->addMenu(menu);
        return menu;
    };
    auto addItem = [this](QMenu* menu, const char* name, const QKeySequence& shortcut, void (TFormHlav::*slot)()) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        menu->addAction(action);
        // Added to the window too, so the keys reach the command from any control.
        addAction(action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu* file = addMenu("MenuFile");
    addItem(file, "MenuNew", QKeySequence(Qt::CTRL | Qt::Key_N), &TFormHlav::MenuNewClick);
    file->addSeparator();
    addItem(file, "MenuOpen", QKeySequence(Qt::Key_F3), &TFormHlav::MenuOpenClick);
    file->addSeparator();
    addItem(file, "MenuSave", QKeySequence(Qt::Key_F2), &TFormHlav::MenuSaveClick);
    file->addSeparator();
    addItem(file, "MenuPrint", QKeySequence(Qt::CTRL | Qt::Key_P), &TFormHlav::SpeedButtonPrintClick);
    file->addSeparator();
    addItem(file, "MenuExit", {}, &TFormHlav::MenuExitClick);

    QMenu* com = addMenu("MenuCom");
    comGroup_ = new QActionGroup(this);
    comGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int n = 1; n <= PortMapping::kPorts; ++n) {
        QAction* action = addItem(com, qPrintable(QString("MenuCom%1").arg(n)), {}, &TFormHlav::MenuCom1Click);
        action->setCheckable(true);
        action->setData(n);
        comGroup_->addAction(action);
        menuCom_[static_cast<std::size_t>(n - 1)] = action;
    }

    QMenu* device = addMenu("MenuDevice");
    addItem(device, "MenuRead", QKeySequence(Qt::Key_F7), &TFormHlav::MenuReadClick);
    addItem(device, "MenuVerify", QKeySequence(Qt::Key_F8), &TFormHlav::MenuVerifyClick);
    addItem(device, "MenuProgram", QKeySequence(Qt::Key_F9), &TFormHlav::MenuProgramClick);

    QMenu* tools = addMenu("MenuTools");
    addItem(tools, "AdvanceMinus", QKeySequence(Qt::Key_F4), &TFormHlav::BitBtnAdvMinusClick);
    addItem(tools, "AdvancePlus", QKeySequence(Qt::Key_F5), &TFormHlav::BitBtnAdvPlusClick);

    QMenu* language = addMenu("MenuLanguage");
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const std::array<std::pair<const char*, void (TFormHlav::*)()>, kLanguageCount> languages = {{
        {"MenuEnglish", &TFormHlav::MenuEnglishClick},
        {"MenuGerman", &TFormHlav::MenuGermanClick},
        {"MenuFrench", &TFormHlav::MenuFrenchClick},
        {"MenuCzech", &TFormHlav::MenuCzechClick},
    }};
    for (std::size_t i = 0; i < languages.size(); ++i) {
        QAction* action = addItem(language, languages[i].first, {}, languages[i].second);
        action->setCheckable(true);
        languageGroup_->addAction(action);
        menuLanguage_[i] = action;
    }

    QMenu* help = addMenu("MenuHelp");
    addItem(help, "MenuContens", QKeySequence(Qt::Key_F1), &TFormHlav::MenuContensClick);
    addItem(help, "MenuAbout", {}, &TFormHlav::MenuAboutClick);

    statusBar1_ = new QStatusBar(this);
    statusBar1_->setObjectName("StatusBar1");
    statusBar1_->setSizeGripEnabled(false);
    setStatusBar(statusBar1_);
}

void TFormHlav::buildCentral() {
    central_ = new QWidget(this);
    central_->setObjectName("ClientArea");
    auto* root = new QVBoxLayout(central_);
    root->setContentsMargins(6, 6, 6, 4);
    root->setSpacing(6);

    // Top: toolbar on the left, the no-connection warning on the right.
    auto* top = new QHBoxLayout;
    top->addWidget(buildToolBar());
    top->addStretch(1);
    labelSpojeni_ = makeLabel("LabelSpojeni", central_);
    QFont warningFont = labelSpojeni_->font();
    warningFont.setPixelSize(23);
    warningFont.setBold(true);
    labelSpojeni_->setFont(warningFont);
    labelSpojeni_->setAlignment(Qt::AlignCenter);
    labelSpojeni_->setContentsMargins(12, 2, 12, 2);
    retainSizeWhenHidden(labelSpojeni_);
    top->addWidget(labelSpojeni_, 0, Qt::AlignVCenter);
    root->addLayout(top);
    setControlColour(labelSpojeni_, kRed);

    // Body: the curve, the selectors, the settings on the right above the live values.
    auto* body = new QHBoxLayout;
    body->setSpacing(6);
    body->addWidget(buildCurve(), 0, Qt::AlignTop);
    body->addWidget(buildMiddle(), 0, Qt::AlignTop);
    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(buildRightUpper());
    right->addWidget(buildLive());
    right->addStretch(1);
    body->addLayout(right, 1);
    root->addLayout(body);

    root->addStretch(1);
    root->addWidget(buildLower());
    root->addWidget(buildTestLabels());
    setCentralWidget(central_);

    // Enter in any edit box and leaving a bound box go through the window's handler.
    for (QLineEdit* edit : numberEdits_) {
        edit->installEventFilter(this);
    }
}

QWidget* TFormHlav::buildToolBar() {
    groupBoxToolBar_ = new QGroupBox(central_);
    groupBoxToolBar_->setObjectName("GroupBoxToolBar");
    retainSizeWhenHidden(groupBoxToolBar_);
    auto* layout = new QHBoxLayout(groupBoxToolBar_);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);

    const std::array<std::tuple<const char*, ToolbarGlyph, void (TFormHlav::*)()>, 4> pictures = {{
        {"SpeedButton6", ToolbarGlyph::New, &TFormHlav::MenuNewClick},
        {"SpeedButton5", ToolbarGlyph::Open, &TFormHlav::MenuOpenClick},
        {"SpeedButton7", ToolbarGlyph::Save, &TFormHlav::MenuSaveClick},
        {"SpeedButtonPrint", ToolbarGlyph::Print, &TFormHlav::SpeedButtonPrintClick},
    }};
    for (const auto& [name, glyph, slot] : pictures) {
        auto* button = new QToolButton(groupBoxToolBar_);
        button->setObjectName(name);
        button->setFixedSize(24, 23);
        button->setIcon(toolbarIcon(glyph));
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, slot);
    }
    layout->addSpacing(8);
    const std::array<std::pair<const char*, void (TFormHlav::*)()>, 3> commands = {{
        {"Button1", &TFormHlav::MenuReadClick},
        {"BitBtn2", &TFormHlav::MenuVerifyClick},
        {"BitBtn1", &TFormHlav::MenuProgramClick},
    }};
    for (const auto& [name, slot] : commands) {
        auto* button = new QPushButton(groupBoxToolBar_);
        button->setObjectName(name);
        button->setMinimumWidth(92);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, slot);
    }
    return groupBoxToolBar_;
}

void TFormHlav::buildNumber(int index, QWidget* parent) {
    const NumberBinding& binding = numberBindings()[static_cast<std::size_t>(index)];
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(binding.edit);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* spinner = new UpDown(parent);
    spinner->setObjectName(binding.spinner);
    spinner->setRange(binding.minimum, binding.maximum);
    spinner->setIncrement(binding.increment);
    spinner->setGrouping(binding.grouping);
    spinner->setBuddy(edit);
    retainSizeWhenHidden(spinner);
    numberEdits_[static_cast<std::size_t>(index)] = edit;
    numberSpinners_[static_cast<std::size_t>(index)] = spinner;
    if (binding.applyOnExit) {
        connect(spinner, &UpDown::clicked, this, &TFormHlav::UpDownClick);
    }
}

QWidget* TFormHlav::buildCurve() {
    QFrame* panel = makePanel(central_);
    panel->setObjectName("PanelCurve");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);

    // Points 1..8 in the left pair of columns, 9..15 in the right pair; each box sits
    // right against its spinner whatever the width of the column's header.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(3);
    grid->setColumnMinimumWidth(2, 4);
    const std::array<std::pair<const char*, int>, 4> headers = {
        {{"LabelRpm1", 0}, {"LabelAdvance1", 1}, {"LabelRpm2", 3}, {"LabelAdvance2", 4}}};
    for (const auto& [name, column] : headers) {
        QLabel* header = makeLabel(name, panel);
        header->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(header, 0, column);
    }
    auto pair = [](QLineEdit* edit, UpDown* spinner) {
        auto* box = new QHBoxLayout;
        box->setSpacing(1);
        box->addWidget(edit);
        box->addWidget(spinner);
        return box;
    };
    constexpr int kRowsLeft = 8;
    for (int i = 0; i < kCurvePoints; ++i) {
        buildNumber(Binding::kCurveRpm + i, panel);
        buildNumber(Binding::kCurveAdvance + i, panel);
        const auto k = static_cast<std::size_t>(i);
        rpmEdits_[k] = numberEdits_[static_cast<std::size_t>(Binding::kCurveRpm + i)];
        rpmSpinners_[k] = numberSpinners_[static_cast<std::size_t>(Binding::kCurveRpm + i)];
        advanceEdits_[k] = numberEdits_[static_cast<std::size_t>(Binding::kCurveAdvance + i)];
        advanceSpinners_[k] = numberSpinners_[static_cast<std::size_t>(Binding::kCurveAdvance + i)];
        rpmEdits_[k]->setFixedWidth(58);
        advanceEdits_[k]->setFixedWidth(38);
        retainSizeWhenHidden(rpmEdits_[k]);
        retainSizeWhenHidden(advanceEdits_[k]);
        const int row = 1 + (i < kRowsLeft ? i : i - kRowsLeft);
        const int column = i < kRowsLeft ? 0 : 3;
        grid->addLayout(pair(rpmEdits_[k], rpmSpinners_[k]), row, column, Qt::AlignLeft);
        grid->addLayout(pair(advanceEdits_[k], advanceSpinners_[k]), row, column + 1, Qt::AlignLeft);
    }
    layout->addLayout(grid);

    auto* line = new QFrame(panel);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto* settings = new QGridLayout;
    settings->setHorizontalSpacing(2);
    settings->setVerticalSpacing(4);
    const std::array<std::pair<const char*, int>, 2> rows = {
        {{"LabelPocetBodu", Binding::kPocetBodu}, {"LabelBaseAdv", Binding::kBaseAdv}}};
    int row = 0;
    for (const auto& [name, index] : rows) {
        buildNumber(index, panel);
        settings->addWidget(makeLabel(name, panel), row, 0);
        QLineEdit* edit = numberEdits_[static_cast<std::size_t>(index)];
        edit->setFixedWidth(44);
        settings->addWidget(edit, row, 1);
        settings->addWidget(numberSpinners_[static_cast<std::size_t>(index)], row, 2);
        ++row;
    }
    settings->setColumnStretch(0, 1);
    layout->addLayout(settings);

    auto* tools = new QHBoxLayout;
    tools->setSpacing(4);
    bitBtnAdvMinus_ = new QPushButton(panel);
    bitBtnAdvMinus_->setObjectName("BitBtnAdvMinus");
    bitBtnAdvPlus_ = new QPushButton(panel);
    bitBtnAdvPlus_->setObjectName("BitBtnAdvPlus");
    for (QPushButton* button : {bitBtnAdvMinus_, bitBtnAdvPlus_}) {
        button->setFixedSize(40, 26);
        QFont font = button->font();
        font.setBold(true);
        font.setPixelSize(16);
        button->setFont(font);
        retainSizeWhenHidden(button);
        tools->addWidget(button);
    }
    connect(bitBtnAdvMinus_, &QPushButton::clicked, this, &TFormHlav::BitBtnAdvMinusClick);
    connect(bitBtnAdvPlus_, &QPushButton::clicked, this, &TFormHlav::BitBtnAdvPlusClick);
    checkBoxIgnAll_ = new QCheckBox(panel);
    checkBoxIgnAll_->setObjectName("CheckBoxIgnAll");
    retainSizeWhenHidden(checkBoxIgnAll_);
    tools->addSpacing(6);
    tools->addWidget(checkBoxIgnAll_);
    tools->addStretch(1);
    layout->addLayout(tools);
    return panel;
}

QWidget* TFormHlav::buildMiddle() {
    auto* column = new QWidget(central_);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto makeGroup = [this, column, layout](const char* name, int items) {
        auto* group = new RadioGroup(column);
        group->setObjectName(name);
        group->setItems(QStringList(items, QString()));
        layout->addWidget(group);
        connect(group, &RadioGroup::itemClicked, this, &TFormHlav::RadioGroupPolaritaClick);
        return group;
    };
    radioGroupPolarita_ = makeGroup("RadioGroupPolarita", 3);
    radioGroupInput1_ = makeGroup("RadioGroupInput1", 5);
    radioGroupInput2_ = makeGroup("RadioGroupInput2", 5);

    auto* tachometer = new QGroupBox(column);
    tachometer->setObjectName("GroupBoxRpm");
    auto* grid = new QGridLayout(tachometer);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(2);
    const std::array<std::pair<const char*, int>, 2> rows = {
        {{"LabelRpmPulsu", Binding::kRpmPulsu}, {"LabelRpmKorekce", Binding::kRpmKorekce}}};
    int row = 0;
    for (const auto& [name, index] : rows) {
        buildNumber(index, tachometer);
        QLabel* caption = makeLabel(name, tachometer);
        caption->setWordWrap(true);
        grid->addWidget(caption, row, 0);
        QLineEdit* edit = numberEdits_[static_cast<std::size_t>(index)];
        edit->setFixedWidth(40);
        grid->addWidget(edit, row, 1);
        grid->addWidget(numberSpinners_[static_cast<std::size_t>(index)], row, 2);
        ++row;
    }
    grid->setColumnStretch(0, 1);
    layout->addWidget(tachometer);
    return column;
}

QWidget* TFormHlav::buildRightUpper() {
    QFrame* panel = makePanel(central_);
    panel->setObjectName("PanelSettings");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);

    comboBoxBike_ = new QComboBox(panel);
    comboBoxBike_->setObjectName("ComboBoxBike");
    comboBoxPocPalcu_ = new QComboBox(panel);
    comboBoxPocPalcu_->setObjectName("ComboBoxPocPalcu");
    for (int i = 0; i < 4; ++i) {
        comboBoxPocPalcu_->addItem(QString());
    }
    for (QComboBox* combo : {comboBoxBike_, comboBoxPocPalcu_}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(14);
        layout->addWidget(combo);
        connect(combo, &QComboBox::activated, this, &TFormHlav::ComboBoxChange);
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(4);
    const std::array<std::pair<const char*, int>, 6> rows = {{
        {"LabelLedRazeni", Binding::kLedRazeni},
        {"LabelOmez1", Binding::kOmez1},
        {"LabelOmez2", Binding::kOmez2},
        {"LabelRetard", Binding::kRetard},
        {"LabelClutch1", Binding::kClutch1},
        {"LabelClutch2", Binding::kClutch2},
    }};
    int row = 0;
    for (const auto& [name, index] : rows) {
        buildNumber(index, panel);
        QLabel* caption = makeLabel(name, panel);
        caption->setWordWrap(true);
        grid->addWidget(caption, row, 0);
        QLineEdit* edit = numberEdits_[static_cast<std::size_t>(index)];
        edit->setFixedWidth(64);
        grid->addWidget(edit, row, 1);
        grid->addWidget(numberSpinners_[static_cast<std::size_t>(index)], row, 2);
        ++row;
    }
    grid->setColumnStretch(0, 1);
    layout->addLayout(grid);
    labelOmez1_ = findChild<QLabel*>("LabelOmez1");
    labelRetard_ = findChild<QLabel*>("LabelRetard");
    labelClutch1_ = findChild<QLabel*>("LabelClutch1");
    labelClutch2_ = findChild<QLabel*>("LabelClutch2");

    checkBoxZakazCteni_ = new QCheckBox(panel);
    checkBoxZakazCteni_->setObjectName("CheckBoxZakazCteni");
    checkBoxProgHned_ = new QCheckBox(panel);
    checkBoxProgHned_->setObjectName("CheckBoxProgHned");
    for (QCheckBox* box : {checkBoxZakazCteni_, checkBoxProgHned_}) {
        retainSizeWhenHidden(box);
        layout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, &TFormHlav::CheckBoxProgHnedMouseUp);
    }
    return panel;
}

QWidget* TFormHlav::buildLive() {
    QFrame* panel = makePanel(central_);
    panel->setObjectName("PanelLive");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(2);

    auto live = [panel, layout](const char* name, const QString& startText) {
        QLabel* label = makeLabel(name, panel);
        label->setText(startText);
        label->setContentsMargins(4, 1, 4, 1);
        layout->addWidget(label);
        return label;
    };
    // Start texts until the first telemetry frame; the placeholders replace most of them.
    labelRpm_ = live("LabelRpm", "RPM = --- ");
    cGaugeRpm_ = new QProgressBar(panel);
    cGaugeRpm_->setObjectName("CGaugeRpm");
    cGaugeRpm_->setRange(0, 100);
    cGaugeRpm_->setValue(0);
    cGaugeRpm_->setTextVisible(false);
    cGaugeRpm_->setFixedHeight(14);
    retainSizeWhenHidden(cGaugeRpm_);
    layout->addWidget(cGaugeRpm_);
    layout->addSpacing(4);
    labelAdvance_ = live("LabelAdvance", QString());
    labelSnimac_ = live("LabelSnimac", QString());
    retainSizeWhenHidden(labelSnimac_);
    labelNapeti_ = live("LabelNapeti", "U = --- [V]");
    labelKillSwitch_ = live("LabelKillSwitch", "Kill switch - ---");
    labelMonRetard_ = live("LabelMonRetard", QString());
    labelBlocking_ = live("LabelBlocking", QString());
    labelMonOmez1_ = live("LabelMonOmez1", QString());
    labelClutchMon_ = live("LabelClutchMon", "Clutch master = ---");
    labelPolaritaMer_ = live("LabelPolaritaMer", QString());
    return panel;
}

QWidget* TFormHlav::buildLower() {
    auto* area = new QWidget(central_);
    auto* layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    auto* left = new QVBoxLayout;
    left->setSpacing(3);
    labelHlaseni_ = makeLabel("LabelHlaseni", area);
    QFont bold = labelHlaseni_->font();
    bold.setBold(true);
    labelHlaseni_->setFont(bold);
    labelHlaseni_->setContentsMargins(4, 2, 4, 2);
    labelHlaseni_->setMinimumWidth(300);
    retainSizeWhenHidden(labelHlaseni_);
    left->addWidget(labelHlaseni_);
    cGauge_ = new QProgressBar(area);
    cGauge_->setObjectName("CGauge");
    cGauge_->setRange(0, 3);
    cGauge_->setValue(0);
    cGauge_->setFixedHeight(16);
    retainSizeWhenHidden(cGauge_);
    left->addWidget(cGauge_);

    auto* versions = new QHBoxLayout;
    versions->setSpacing(16);
    labelVerze1_ = makeLabel("LabelVerze1", area);
    labelVerze3_ = makeLabel("LabelVerze3", area);
    labelVerze2_ = makeLabel("LabelVerze2", area);
    for (QLabel* label : {labelVerze1_, labelVerze3_, labelVerze2_}) {
        label->setMinimumWidth(60);
        versions->addWidget(label);
    }
    versions->addStretch(1);
    left->addLayout(versions);

    auto* file = new QHBoxLayout;
    file->setSpacing(6);
    file->addWidget(makeLabel("LabelFile1", area));
    labelFile2_ = makeLabel("LabelFile2", area);
    labelFile2_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    labelFile2_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    file->addWidget(labelFile2_, 1);
    left->addLayout(file);
    labelPocetProgramovani_ = makeLabel("LabelPocetProgramovani", area);
    left->addWidget(labelPocetProgramovani_);
    layout->addLayout(left, 1);

    imageLogo_ = makeLabel("ImageLogo", area);
    imageLogo_->setFixedSize(311, 50);
    imageLogo_->setPixmap(velmorLogo(QSize(311, 50), devicePixelRatioF()));
    retainSizeWhenHidden(imageLogo_);
    layout->addWidget(imageLogo_, 0, Qt::AlignBottom);
    return area;
}

QWidget* TFormHlav::buildTestLabels() {
    auto* area = new QWidget(central_);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 8; ++i) {
        QLabel* label = makeLabel(QString("LabelTest%1").arg(i + 1), area);
        label->setText(QString("Test%1 = ").arg(i + 1));
        grid->addWidget(label, i / 4, i % 4);
        labelTest_[static_cast<std::size_t>(i)] = label;
    }
    return area;
}

void TFormHlav::applyFixedTexts() {
    for (const FixedText& text : fixedWindowTexts()) {
        applyText(QString::fromUtf8(text.target), static_cast<int>(text.kind), 0, QString::fromUtf8(text.text),
                  text.items());
    }
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
    labelVerze1_->setText(QString::fromUtf8(headerTexts_.versionText()));
    labelVerze2_->setText(QString::fromUtf8(headerTexts_.dateText()));
    labelVerze3_->setText(QString::fromUtf8(headerTexts_.timeText()));
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
    --busy_;
}

void TFormHlav::applyEdit() {
    set_.validate();
    refreshWindow();
    refreshWindow();
    programAfterChange();
}

void TFormHlav::programAfterChange() {
    if (!checkBoxProgHned_->isChecked()) {
        autoArmed_ = false;
        return;
    }
    bool changed = !autoArmed_;
    autoArmed_ = true;
    for (int b = 0; b < kBlockSize; ++b) {
        const std::uint8_t current = set_.byte(kBlockSize + b);
        if (lastSent_[static_cast<std::size_t>(b)] != current) {
            changed = true;
            lastSent_[static_cast<std::size_t>(b)] = current;
        }
    }
    if (changed) {
        exchange_->startProgram();
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

void TFormHlav::Timer1Timer() { exchange_->onTimerTick(); }

void TFormHlav::startCommand(void (DeviceExchange::*start)()) {
    readBackFromWindow();
    set_.validate();
    refreshWindow();
    (exchange_.get()->*start)();
}

void TFormHlav::MenuProgramClick() { startCommand(&DeviceExchange::startProgram); }

void TFormHlav::MenuVerifyClick() { startCommand(&DeviceExchange::startVerify); }

void TFormHlav::MenuReadClick() {
    // No read-back: the unit's set replaces the window's.
    exchange_->startRead();
    clearFileLabel();
}

void TFormHlav::MenuOpenClick() {
    const QString chosen = fileDialogs_->getOpenFileName(this, currentFileName_);
    if (!chosen.isEmpty()) {
        const QFileInfo info(chosen);
        QFile file(chosen);
        // Only a plain file: a device or a pipe chosen under "All Files" could block or never end.
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
            showMessageBox(texts_.fileOpenError);
        } else if (ParameterFile::read(file, set_)) {
            applyEdit();
            setFileLabel(info.absoluteFilePath());
            currentFileName_ = info.absoluteFilePath();
        } else {
            showMessageBox(texts_.fileVersionMismatch);
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
}

void TFormHlav::MenuNewClick() {
    if (fileDialogs_->confirm(this, texts_.defaultQuestion) != FileDialogs::Answer::Yes) {
        return;
    }
    set_.setDefaults();
    applyEdit();
    hideMessage();
    setFileLabel(QString());
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
    radioGroupInput1_->setFocus();
    updateLayout();

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
    // Only the three group indexes are taken; other controls are not read back.
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
    link_->selectPort(static_cast<std::uint8_t>(portNumber));
}

void TFormHlav::setFileLabel(const QString& text) { labelFile2_->setText(text); }

QString TFormHlav::fileLabel() const { return labelFile2_->text(); }

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
    box.exec();
}

void TFormHlav::showMessageBox(const QString& text) {
    if (messageBoxHandler_) {
        messageBoxHandler_(text);
    } else {
        defaultMessageBox(text);
    }
}

void TFormHlav::portOpenFailed() { showMessageBox(texts_.portOpenError); }

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

void TFormHlav::clearFileLabel() { labelFile2_->setText(QString()); }

void TFormHlav::showTelemetry(const TelemetryValues& values) {
    const TelemetryTexts texts = telemetryTexts(values, texts_);
    const std::array<std::tuple<QLabel*, const QString&, LiveColour>, 10> lines = {{
        {labelRpm_, texts.labelRpm, values.rpmColour},
        {labelNapeti_, texts.labelNapeti, values.voltageColour},
        {labelBlocking_, texts.labelBlocking, values.blockingColour},
        {labelKillSwitch_, texts.labelKillSwitch, values.killSwitchColour},
        {labelAdvance_, texts.labelAdvance, values.advanceColour},
        {labelSnimac_, texts.labelSnimac, values.pickupColour},
        {labelPolaritaMer_, texts.labelPolaritaMer, values.polarityColour},
        {labelMonOmez1_, texts.labelMonOmez1, values.startLimiterColour},
        {labelMonRetard_, texts.labelMonRetard, values.retardColour},
        {labelClutchMon_, texts.labelClutchMon, values.clutchColour},
    }};
    for (const auto& [label, text, colour] : lines) {
        label->setText(text);
        setControlColour(label, liveColour(colour));
    }
    cGaugeRpm_->setValue(std::clamp(values.rpmGauge, 0, 100));
    labelPocetProgramovani_->setText(texts.labelPocetProgramovani);
    for (std::size_t i = 0; i < labelTest_.size(); ++i) {
        labelTest_[i]->setText(texts.labelTest[i]);
    }
}

void TFormHlav::highlightLiveRow(int liveRow, bool none) {
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
    const bool edit = qobject_cast<QLineEdit*>(control) != nullptr;
    if (!colour.isValid()) {
        // The normal colour: the palette's base for an edit box; a label shows the
        // window's button face behind it.
        control->setPalette(QPalette());
        if (!edit) {
            control->setAutoFillBackground(false);
        }
        return;
    }
    QPalette palette = control->palette();
    const QPalette::ColorRole role = edit ? QPalette::Base : QPalette::Window;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, role, colour);
    }
    control->setPalette(palette);
    if (!edit) {
        control->setAutoFillBackground(true);
    }
}
