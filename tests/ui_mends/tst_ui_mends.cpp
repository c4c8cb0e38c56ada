// The window as the operator sees it: drawn colours, header texts, menu ticks, Alt letters,
// what printing sends and prints, values typed before a radio click, markup in foreign texts
// and the room of the top row.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "FakeUnit.h"
#include "FindControl.h"
#include "WindowRig.h"
#include "files/HistoryStore.h"
#include "files/ParameterFile.h"
#include "i18n/HistoryTexts.h"
#include "i18n/Language.h"
#include "link/Telemetry.h"
#include "ui/CurveGraph.h"
#include "ui/DifferenceWindow.h"
#include "ui/HistoryWindow.h"
#include "ui/Printout.h"
#include "ui/RadioGroup.h"
#include "ui/TFormHlav.h"

namespace {

// Share of a control's drawn pixels that have exactly this colour.
double drawnShare(QWidget* control, const QColor& colour) {
    const QImage image = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    qint64 hits = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            hits += QColor(image.pixel(x, y)) == colour ? 1 : 0;
        }
    }
    return image.isNull() ? 0.0 : double(hits) / (double(image.width()) * image.height());
}

QImage drawnMenu(QMenu* menu) {
    menu->resize(menu->sizeHint());
    return menu->grab().toImage();
}

// The letter after a single "&", upper-cased; none when the text has no accelerator.
QChar accelerator(const QString& text) {
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
}

// Pixels of exactly this colour.
qint64 pixelsOf(const QImage& image, const QColor& colour) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    qint64 hits = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) hits += QColor(rgb.pixel(x, y)) == colour ? 1 : 0;
    }
    return hits;
}

// Pixels that stand out from the most common colour: the glyphs on a plain background.
qint64 inkOf(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, qint64> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) ++counts[rgb.pixel(x, y)];
    }
    QRgb background = 0;
    qint64 most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    qint64 ink = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const QRgb c = it.key();
        const int distance = qAbs(qRed(c) - qRed(background)) + qAbs(qGreen(c) - qGreen(background)) +
                             qAbs(qBlue(c) - qBlue(background));
        if (distance > 150) ink += it.value();
    }
    return ink;
}

// The text drawn as plain text in a font, as a reference for what a control should show.
QImage plainlyDrawn(const QString& text, const QFont& font) {
    QLabel label;
    label.setTextFormat(Qt::PlainText);
    label.setFont(font);
    label.setText(text);
    label.adjustSize();
    return label.grab().toImage();
}

// The picture a markup reading of the probe text would show.
const QColor kProbeColour(255, 0, 255);
// 17 characters: fits the unit's 30-byte text and a file name. The picture is found relative
// to the working folder.
const QString kProbe = QStringLiteral("<img src=\"m.png\">");

}  // namespace

class TestWindowMends : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void coloursAreDrawn_data();
    void coloursAreDrawn();
    void headerBytesAreCharacters_data();
    void headerBytesAreCharacters();
    void menusTickWithCheckMarks_data();
    void menusTickWithCheckMarks();
    void czechAltLettersDoNotClash();
    void printingAppliesAndProgramsNothing_data();
    void printingAppliesAndProgramsNothing();
    void radioClickKeepsTypedValue_data();
    void radioClickKeepsTypedValue();
    void foreignTextIsDrawnPlain_data();
    void foreignTextIsDrawnPlain();
    void printoutLeavesLiveExtrasOut();
    void topRowHasRoomInEveryLanguage_data();
    void topRowHasRoomInEveryLanguage();

private:
    template <typename T>
    T* child(const char* name) const {
        return findControl<T>(window_.get(), name);
    }
    void clickItem(RadioGroup* group, int index) {
        QRadioButton* button = group->button(index);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(7, button->height() / 2));
    }
    void clickBox(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(7, box->height() / 2));
    }
    void type(QLineEdit* box, const QString& text) {
        box->setFocus();
        QVERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    // Lets a started command run out (the fake unit never answers).
    void runOut() {
        for (int i = 0; i < 30; ++i) window_->Timer1Timer();
        QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    }
    // Command bytes of the whole frames written since the last clear.
    QList<int> sentCommands() const {
        QList<int> commands;
        for (std::size_t at = 0; at + 52 <= port_->written.size(); at += 52) commands << port_->written[at];
        return commands;
    }

    WindowRig rig_;  // the names below are its parts
    std::unique_ptr<TFormHlav>& window_ = rig_.window;
    FakePort*& port_ = rig_.port;
};

void TestWindowMends::init() {
    setCurrentLanguage(LanguageId::English);
    const auto ownParts = [](TFormHlav& window) {
        window.setDocumentOpener(std::make_unique<RecordingOpener>());
        window.setPrintTarget(std::make_unique<FailingPrintTarget>("no printer in this test"));
    };
    QVERIFY(rig_.start({.onBox = [](const QString&) {}, .mappedPorts = PortMapping::kPorts, .beforeCreate = ownParts}));
}

void TestWindowMends::cleanup() { rig_.stop(); }

void TestWindowMends::coloursAreDrawn_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("action");  // 0 tick the box, 1 red message, 2 live row, 3 coloured label
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("shown");
    const QColor red(255, 0, 0);
    QTest::newRow("Programming after change ticked") << "CheckBoxProgHned" << 0 << red << true;
    QTest::newRow("No Reading ticked") << "CheckBoxZakazCteni" << 0 << red << true;
    QTest::newRow("Programming after change unticked") << "CheckBoxProgHned" << -1 << red << false;
    QTest::newRow("No Reading unticked") << "CheckBoxZakazCteni" << -1 << red << false;
    QTest::newRow("message line red") << "LabelHlaseni" << 1 << red << true;
    QTest::newRow("live row RPM box") << "EditRpmAdv1" << 2 << QColor(0, 255, 0) << true;
    QTest::newRow("live row advance box") << "EditAdvance1" << 2 << QColor(0, 255, 0) << true;
    QTest::newRow("live label yellow") << "LabelNapeti" << 3 << QColor(255, 255, 0) << true;
    QTest::newRow("live label aqua") << "LabelMonRetard" << 3 << QColor(0, 255, 255) << true;
}

void TestWindowMends::coloursAreDrawn() {
    QFETCH(QString, control);
    QFETCH(int, action);
    QFETCH(QColor, colour);
    QFETCH(bool, shown);
    auto* widget = child<QWidget>(qPrintable(control));
    switch (action) {
        case 0:
            clickBox(qobject_cast<QCheckBox*>(widget));
            QVERIFY(qobject_cast<QCheckBox*>(widget)->isChecked());
            break;
        case 1:
            window_->showMessage("Program error!", ExchangeView::MessageColour::Red);
            break;
        case 2:
            window_->highlightLiveRow(0, false);
            break;
        case 3:
            window_->setControlColour(widget, colour);
            break;
        default:
            break;
    }
    // Most of the control is the colour where it is coloured, none of it otherwise.
    const double share = drawnShare(widget, colour);
    if (shown) {
        QVERIFY2(share > 0.4, qPrintable(QString("%1 of %2 drawn in the colour").arg(share).arg(control)));
    } else {
        QCOMPARE(share, 0.0);
    }
}

void TestWindowMends::headerBytesAreCharacters_data() {
    QTest::addColumn<QByteArray>("unitText");
    QTest::addColumn<QString>("shown");
    QTest::newRow("accented letters") << QByteArray(
                                             "Z\xE9v\xE1"
                                             "d 7")
                                      << QString::fromUtf8("Zévád 7");
    QTest::newRow("upper half") << QByteArray("\xC8\xD8\xFF") << QString(QChar(0xC8)) + QChar(0xD8) + QChar(0xFF);
    QTest::newRow("zero ends the text") << QByteArray("AB\0CD", 5) << QString("AB");
}

void TestWindowMends::headerBytesAreCharacters() {
    QFETCH(QByteArray, unitText);
    QFETCH(QString, shown);
    std::array<std::uint8_t, kBlockSize> header{};
    header[10] = 41;
    for (qsizetype i = 0; i < unitText.size(); ++i)
        header[static_cast<std::size_t>(16 + i)] = std::uint8_t(unitText[i]);
    window_->headerTexts().decodeHeader(header);
    window_->refreshWindow();
    QCOMPARE(child<QLabel>("LabelVerze1")->text(), shown);
}

void TestWindowMends::menusTickWithCheckMarks_data() {
    QTest::addColumn<QString>("menu");
    QTest::newRow("Com") << "MenuCom";
    QTest::newRow("Language") << "MenuLanguage";
}

void TestWindowMends::menusTickWithCheckMarks() {
    QFETCH(QString, menu);
    auto* shown = child<QMenu>(qPrintable(menu));
    // The same items drawn once as plain checkable items and once as radio items.
    QMenu checks;
    QMenu radios;
    auto* group = new QActionGroup(&radios);
    for (QAction* action : shown->actions()) {
        for (QMenu* copy : {&checks, &radios}) {
            if (action->isSeparator()) {
                copy->addSeparator();
                continue;
            }
            QAction* item = copy->addAction(action->text());
            item->setCheckable(action->isCheckable());
            item->setChecked(action->isChecked());
            if (copy == &radios) group->addAction(item);
        }
    }
    // The ten ports, then a separator and Find unit.
    QCOMPARE(shown->actions().size(), menu == "MenuCom" ? 12 : 4);
    const QImage drawn = drawnMenu(shown);
    QVERIFY(drawn != drawnMenu(&radios));
    QCOMPARE(drawn, drawnMenu(&checks));
}

void TestWindowMends::czechAltLettersDoNotClash() {
    window_->setLanguage(LanguageId::Czech);
    // No two accelerators visible at once share a letter: the menu bar with the buttons,
    // and each menu's items.
    QList<QChar> visible;
    for (QAction* title : window_->menuBar()->actions()) visible << accelerator(title->text());
    for (const char* name : {"Button1", "BitBtn2", "BitBtn1"}) visible << accelerator(child<QPushButton>(name)->text());
    visible.removeAll(QChar());
    QCOMPARE(QSet<QChar>(visible.begin(), visible.end()).size(), visible.size());
    for (QAction* title : window_->menuBar()->actions()) {
        QList<QChar> items;
        for (QAction* item : title->menu()->actions()) items << accelerator(item->text());
        items.removeAll(QChar());
        QVERIFY2(QSet<QChar>(items.begin(), items.end()).size() == items.size(), qPrintable(title->text()));
    }
}

void TestWindowMends::printingAppliesAndProgramsNothing_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("base advance") << "EditBaseAdv"
                                  << "22";
    QTest::newRow("curve RPM") << "EditRpmAdv1"
                               << "1800";
    QTest::newRow("limiter") << "EditOmez2"
                             << "9000";
}

void TestWindowMends::printingAppliesAndProgramsNothing() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    clickBox(child<QCheckBox>("CheckBoxProgHned"));
    runOut();
    const ParameterSet before = window_->parameterSet();
    auto* edit = child<QLineEdit>(qPrintable(box));
    type(edit, typed);
    port_->written.clear();
    QTest::keyClick(edit, Qt::Key_P, Qt::ControlModifier);
    for (int i = 0; i < 8; ++i) window_->Timer1Timer();
    // Only polls went out; the stamp stays in the message line and the typed text in its box.
    QVERIFY(!sentCommands().isEmpty());
    QCOMPARE(sentCommands().count(0x30), sentCommands().size());
    QCOMPARE(window_->exchange().mode(), ExchangeMode::Idle);
    QVERIFY(child<QLabel>("LabelHlaseni")->text().startsWith("Date and time of printing:  "));
    QVERIFY(window_->parameterSet().image() == before.image());
    QCOMPARE(edit->text(), typed);
}

void TestWindowMends::radioClickKeepsTypedValue_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("tabbedAway");
    QTest::newRow("shift light") << "EditLedRazeni"
                                 << "15000" << 60 << 150 << false;
    QTest::newRow("clutch time") << "EditClutch1"
                                 << "500" << 61 << 50 << false;
    QTest::newRow("clutch pause") << "EditClutch2"
                                  << "1250" << 62 << 125 << false;
    QTest::newRow("shift light, left by Tab") << "EditLedRazeni"
                                              << "9000" << 60 << 90 << true;
    QTest::newRow("out of range stays discarded") << "EditLedRazeni"
                                                  << "99000" << 60 << 120 << false;
}

void TestWindowMends::radioClickKeepsTypedValue() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(int, field);
    QFETCH(int, code);
    QFETCH(bool, tabbedAway);
    // Input 1 on clutch master enables the clutch boxes.
    clickItem(child<RadioGroup>("RadioGroupInput1"), 2);
    auto* edit = child<QLineEdit>(qPrintable(box));
    type(edit, typed);
    if (tabbedAway) QTest::keyClick(edit, Qt::Key_Tab);
    clickItem(child<RadioGroup>("RadioGroupInput2"), 3);
    QCOMPARE(int(window_->parameterSet().byte(field)), code);
    QCOMPARE(window_->parameterSet().input2Function(), 3);
    QCOMPARE(window_->parameterSet().input1Function(), 2);
    QCOMPARE(edit->text().remove(QLocale().groupSeparator()), QString::number(code * (field == 60 ? 100 : 10)));
}

void TestWindowMends::foreignTextIsDrawnPlain_data() {
    QTest::addColumn<QString>("where");
    for (const char* where : {"header label", "file label", "history list", "difference window", "message box"})
        QTest::newRow(where) << where;
}

void TestWindowMends::foreignTextIsDrawnPlain() {
    QFETCH(QString, where);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(kProbeColour);
    QVERIFY(picture.save(folder.filePath("m.png")));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
    {
        // The probe works: read as markup, the text shows the picture.
        QLabel markup(kProbe);
        markup.adjustSize();
        QVERIFY(pixelsOf(markup.grab().toImage(), kProbeColour) > 0);
    }

    QImage drawn;
    QString literal;
    QFont font;
    if (where == "header label") {
        FakeUnit unit(*port_);
        unit.ignoreWritten();
        for (qsizetype i = 0; i < kProbe.size(); ++i)
            unit.header[static_cast<std::size_t>(16 + i)] = std::uint8_t(kProbe.at(i).toLatin1());
        window_->MenuReadClick();
        for (int i = 0; i < 30 && window_->exchange().mode() != ExchangeMode::Idle; ++i) {
            window_->Timer1Timer();
            unit.answer();
        }
        auto* label = child<QLabel>("LabelVerze1");
        label->adjustSize();
        drawn = label->grab().toImage();
        literal = kProbe;
        font = label->font();
    } else if (where == "file label") {
        QVERIFY(QDir(folder.path()).mkdir(kProbe));
        literal = QDir(folder.filePath(kProbe)).filePath("set.ign");
        QVERIFY(ParameterFile::save(literal, window_->parameterSet()));
        rig_.dialogs->openName = literal;
        window_->MenuOpenClick();
        auto* label = child<QLabel>("LabelFile2");
        drawn = label->grab().toImage();
        font = label->font();
    } else if (where == "history list") {
        ParameterSet set = window_->parameterSet();
        for (qsizetype i = 0; i < kProbe.size(); ++i) set.setByte(16 + int(i), std::uint8_t(kProbe.at(i).toLatin1()));
        HistoryStore store(folder.filePath("history"));
        QVERIFY(!store.add(HistoryKind::Read, set, 5).isEmpty());
        HistoryWindow list([](const QString&) {}, [](const QString&) {});
        list.reload(store);
        list.show();
        list.table()->clearSelection();
        list.table()->resizeColumnToContents(2);
        QTreeWidgetItem* item = list.table()->topLevelItem(0);
        QVERIFY(item);
        const QRect cell = list.table()->visualItemRect(item).intersected(
            QRect(list.table()->header()->sectionViewportPosition(2), 0, list.table()->columnWidth(2), 10000));
        drawn = list.table()->viewport()->grab(cell).toImage();
        literal = kProbe;
        font = list.table()->font();
    } else if (where == "difference window") {
        DifferenceWindow report;
        ParameterSet other = window_->parameterSet();
        other.setBaseAdvance(other.baseAdvance() == 10 ? 11 : 10);
        report.showReport(window_->parameterSet(), other, kProbe);
        report.summary()->adjustSize();
        drawn = report.summary()->grab().toImage();
        literal = historyText(HistoryText::SideWindow) + QStringLiteral(" \u2194 ") + kProbe;
        font = report.summary()->font();
    } else {
        // A print that cannot write its file names it in the box's first line.
        const QString pdf = QDir(folder.filePath(kProbe)).filePath("p.pdf");
        window_->setPrintTarget(std::make_unique<PdfPrintTarget>(pdf));
        window_->setMessageBoxHandler({});
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            poll.stop();
            auto* text = box->findChild<QLabel*>("qt_msgbox_label");
            if (text) {
                drawn = text->grab().toImage();
                font = text->font();
                literal = text->text();
            }
            box->accept();
        });
        poll.start();
        window_->printWindow();
        QVERIFY(literal.contains(QDir::toNativeSeparators(pdf)));
        QVERIFY(!literal.contains(QLatin1Char('\n')));
    }
    QVERIFY(!drawn.isNull());
    // The picture is not shown, and the glyphs of the literal text are.
    QCOMPARE(pixelsOf(drawn, kProbeColour), 0);
    const qint64 expected = inkOf(plainlyDrawn(literal, font));
    const qint64 ink = inkOf(drawn);
    QVERIFY2(ink > expected * 9 / 10 && ink < expected * 11 / 10,
             qPrintable(QString("%1 drawn pixels, %2 for the plain text").arg(ink).arg(expected)));
}

void TestWindowMends::printoutLeavesLiveExtrasOut() {
    const QColor liveDot(200, 0, 160);
    const QColor highlight(0, 255, 0);
    const QString path = rig_.files->filePath("shown.ign");
    QVERIFY(ParameterFile::save(path, window_->parameterSet()));
    rig_.dialogs->openName = path;
    window_->MenuOpenClick();
    window_->parameterSet().setBaseAdvance(window_->parameterSet().baseAdvance() == 10 ? 11 : 10);
    window_->refreshWindow();
    auto* file = child<QLabel>("LabelFile2");
    QCOMPARE(file->text(), path + " *");
    TelemetryValues values;
    values.rpm = std::uint16_t(window_->parameterSet().curveRpm(0) * 100);
    // Off the curve, so that the live point leaves the highlighted point in sight.
    values.advance = window_->parameterSet().curveAdvance(0) + 8;
    window_->showTelemetry(values);
    window_->highlightLiveRow(0, false);
    CurveGraph* graph = window_->curveGraph();
    // The part of the client area the graph covers.
    const auto graphIn = [&](const QImage& client) {
        QRect at(graph->mapTo(window_.get(), QPoint(0, 0)), graph->size());
        // The client area starts below the menu bar.
        at.translate(0, client.height() - window_->height());
        return client.copy(at);
    };
    const QImage live = graphIn(grabClientArea(window_.get()));
    QVERIFY(pixelsOf(live, liveDot) > 0);
    QVERIFY(pixelsOf(live, highlight) > 0);

    QImage printedGraph;
    QString printedFile;
    auto target = std::make_unique<FailingPrintTarget>("no printer in this test");
    target->onJob = [&] {
        printedGraph = graphIn(grabClientArea(window_.get()));
        printedFile = file->text();
    };
    window_->setPrintTarget(std::move(target));
    window_->printWindow();
    QVERIFY(!printedGraph.isNull());
    QCOMPARE(pixelsOf(printedGraph, liveDot), 0);
    QCOMPARE(pixelsOf(printedGraph, highlight), 0);
    QCOMPARE(printedFile, path);
    // Back on screen: the marker and the live extras again.
    QCOMPARE(file->text(), path + " *");
    QVERIFY(pixelsOf(graphIn(grabClientArea(window_.get())), liveDot) > 0);
}

void TestWindowMends::topRowHasRoomInEveryLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("English") << int(LanguageId::English);
    QTest::newRow("German") << int(LanguageId::German);
    QTest::newRow("French") << int(LanguageId::French);
    QTest::newRow("Czech") << int(LanguageId::Czech);
}

void TestWindowMends::topRowHasRoomInEveryLanguage() {
    QFETCH(int, language);
    window_->setLanguage(LanguageId(language));
    window_->setConnectionLabelVisible(true);
    window_->resize(823, 805);
    QCoreApplication::processEvents();
    QCOMPARE(window_->width(), 823);
    auto* toolBar = child<QGroupBox>("GroupBoxToolBar");
    auto* warning = child<QLabel>("LabelSpojeni");
    // The whole warning is drawn, and between it and the toolbar 20 pixels are left over
    // beyond the row's own spacing.
    QVERIFY(warning->isVisible());
    QVERIFY(warning->width() >= warning->sizeHint().width());
    QVERIFY(toolBar->width() >= toolBar->sizeHint().width());
    const int spacing = window_->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    const int spare = warning->geometry().left() - toolBar->geometry().right() - 1 - qMax(spacing, 0);
    QVERIFY2(spare >= 20, qPrintable(QString("%1 px to spare").arg(spare)));
}

QTEST_MAIN(TestWindowMends)
#include "tst_ui_mends.moc"
