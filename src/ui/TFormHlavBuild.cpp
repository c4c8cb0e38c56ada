#include "ui/TFormHlav.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "i18n/WindowTexts.h"
#include "model/EditorBindings.h"
#include "ui/Artwork.h"
#include "ui/CachedPanelStyle.h"
#include "ui/CurveGraph.h"
#include "ui/LiveGauge.h"
#include "ui/LiveLabel.h"
#include "ui/PortAssist.h"
#include "ui/RadioGroup.h"
#include "ui/SteadyColumnLayout.h"
#include "ui/UpDown.h"

// Construction of the window: menus, toolbar and every control, in the order of the layout.

namespace {

const QColor kRed(255, 0, 0);

void retainSizeWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLabel* makeLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // Labels show a unit's text and file paths too: never taken as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame* makePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    return panel;
}

}  // namespace

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
    // Ticked with a check mark, not a radio bullet; the handlers keep exactly one item ticked.
    comGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (int n = 1; n <= PortMapping::kPorts; ++n) {
        QAction* action = addItem(com, qPrintable(QString("MenuCom%1").arg(n)), {}, &TFormHlav::MenuCom1Click);
        action->setCheckable(true);
        action->setData(n);
        comGroup_->addAction(action);
        menuCom_[static_cast<std::size_t>(n - 1)] = action;
    }
    com->addSeparator();
    menuFindUnit_ = addItem(com, "MenuFindUnit", {}, &TFormHlav::MenuFindUnitClick);
    // Which device each number reaches changes with every plug: look when the menu opens.
    connect(com, &QMenu::aboutToShow, this, [this] { portAssist_->refreshComMenu(menuCom_, currentLanguage()); });

    QMenu* device = addMenu("MenuDevice");
    addItem(device, "MenuRead", QKeySequence(Qt::Key_F7), &TFormHlav::MenuReadClick);
    addItem(device, "MenuVerify", QKeySequence(Qt::Key_F8), &TFormHlav::MenuVerifyClick);
    addItem(device, "MenuProgram", QKeySequence(Qt::Key_F9), &TFormHlav::MenuProgramClick);

    QMenu* tools = addMenu("MenuTools");
    addItem(tools, "AdvanceMinus", QKeySequence(Qt::Key_F4), &TFormHlav::BitBtnAdvMinusClick);
    addItem(tools, "AdvancePlus", QKeySequence(Qt::Key_F5), &TFormHlav::BitBtnAdvPlusClick);
    tools->addSeparator();
    menuUndo_ = addItem(tools, "MenuUndo", QKeySequence(Qt::CTRL | Qt::Key_Z), &TFormHlav::MenuUndoClick);
    menuRedo_ = addItem(tools, "MenuRedo", {}, &TFormHlav::MenuRedoClick);
    menuRedo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    menuRedo_->setShortcutContext(Qt::WindowShortcut);

    QMenu* language = addMenu("MenuLanguage");
    languageGroup_ = new QActionGroup(this);
    // Ticked with a check mark, not a radio bullet; the handlers keep exactly one item ticked.
    languageGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
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
    // The left column: the curve's boxes, and its graph in the room below them.
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(buildCurve());
    curveGraph_ = new CurveGraph(central_);
    curveGraph_->setObjectName("CurveGraph");
    left->addWidget(curveGraph_, 1);
    connect(curveGraph_, &CurveGraph::pointDragged, this, &TFormHlav::curvePointDragged);
    connect(curveGraph_, &CurveGraph::pointDropped, this, &TFormHlav::curvePointDropped);
    body->addLayout(left);
    body->addWidget(buildMiddle(), 0, Qt::AlignTop);
    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(buildRightUpper());
    right->addWidget(buildLive());
    right->addStretch(1);
    body->addLayout(right, 1);
    root->addLayout(body, 1);
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
    // Made after the boxes, among the panel's children, so that it outlives them.
    auto* panels = new CachedPanelStyle;
    panels->setParent(panel);
    for (int i = 0; i < kCurvePoints; ++i) {
        rpmEdits_[static_cast<std::size_t>(i)]->setStyle(panels);
        advanceEdits_[static_cast<std::size_t>(i)]->setStyle(panels);
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
    // New live texts lay the window out again only when a line's size changes.
    auto* layout = new SteadyColumnLayout(panel);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(2);

    auto live = [panel, layout](const char* name, const QString& startText) {
        auto* label = new LiveLabel(panel);
        label->setObjectName(name);
        label->setText(startText);
        label->setContentsMargins(4, 1, 4, 1);
        layout->addWidget(label);
        return label;
    };
    // Start texts until the first telemetry frame; the placeholders replace most of them.
    labelRpm_ = live("LabelRpm", unknownLineText(LiveLine::Rpm));
    cGaugeRpm_ = new LiveGauge(panel);
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
    labelNapeti_ = live("LabelNapeti", unknownLineText(LiveLine::Napeti));
    labelKillSwitch_ = live("LabelKillSwitch", unknownLineText(LiveLine::KillSwitch));
    labelMonRetard_ = live("LabelMonRetard", QString());
    labelBlocking_ = live("LabelBlocking", QString());
    labelMonOmez1_ = live("LabelMonOmez1", QString());
    labelClutchMon_ = live("LabelClutchMon", unknownLineText(LiveLine::ClutchMon));
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
        auto* label = new LiveLabel(area);
        label->setObjectName(QString("LabelTest%1").arg(i + 1));
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
