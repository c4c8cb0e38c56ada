// What the window paints for a polling tool at rest draws exactly what it drew before: the
// RPM gauge's kept drawings against the bar's own, the graph's highlight and live dot, drawn
// over its picture, against a graph drawn afresh, and the live column, laid out again only
// when a line's size changes, its lines painting their own background, against an ordinary
// column of ordinary labels, and the curve boxes' copied panels against the style's own.
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <functional>

#include "model/ParameterSet.h"
#include "ui/CachedPanelStyle.h"
#include "ui/CurveGraph.h"
#include "ui/DotSprite.h"
#include "ui/LiveGauge.h"
#include "ui/LiveLabel.h"
#include "ui/SteadyColumnLayout.h"

namespace {

QImage rendered(QWidget& widget, qreal ratio) {
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

QImage onScreen(QWidget& widget) { return widget.screen()->grabWindow(widget.winId()).toImage(); }

// A graph shown on its own, with the set, a highlighted row and a live point (rpm < 0: none).
void show(CurveGraph& graph, int row, int rpm, int advance) {
    graph.setGeometry(0, 0, 300, 240);
    ParameterSet set;
    set.setDefaults();
    set.setCurvePointCount(6);  // 1000 to 6000 rpm, all at 10°
    graph.showSet(set);
    graph.showHighlight(row);
    if (rpm >= 0) {
        graph.showLive(rpm, advance);
    } else {
        graph.hideLive();
    }
    graph.show();
    QVERIFY(QTest::qWaitForWindowExposed(&graph));
}

}  // namespace

class TestIdle : public QObject {
    Q_OBJECT

private slots:
    void gaugeDrawsAsTheBar_data();
    void gaugeDrawsAsTheBar();
    void gaugeShowsAsTheBarInAPanel();
    void dotDrawsAsACircle_data();
    void dotDrawsAsACircle();
    void dotsShowInAWindow();
    void graphRepaintsWhatMoved_data();
    void graphRepaintsWhatMoved();
    void liveTextDrawsAsALabel_data();
    void liveTextDrawsAsALabel();
    void liveTextShowsAsALabelOnScreen();
    void editPanelDrawsAsTheStyle_data();
    void editPanelDrawsAsTheStyle();
    void liveColumnLaysOutAsAColumn_data();
    void liveColumnLaysOutAsAColumn();
};

void TestIdle::gaugeDrawsAsTheBar_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<qreal>("ratio");
    for (const qreal ratio : {1.0, 2.0}) {
        for (const int value : {0, 1, 37, 99, 100}) {
            QTest::addRow("%d at %g", value, ratio) << value << ratio;
        }
    }
}

void TestIdle::gaugeDrawsAsTheBar() {
    QFETCH(int, value);
    QFETCH(qreal, ratio);
    LiveGauge gauge;
    QProgressBar bar;
    for (QProgressBar* b : {static_cast<QProgressBar*>(&gauge), &bar}) {
        b->setRange(0, 100);
        b->setTextVisible(false);
        b->resize(250, 14);
        b->setValue(value);
    }
    const QImage expected = rendered(bar, ratio);
    // Drawn once, then shown from what was kept.
    QCOMPARE(rendered(gauge, ratio), expected);
    QCOMPARE(rendered(gauge, ratio), expected);
    // And it follows the value.
    gauge.showValue(value == 50 ? 51 : 50);
    QVERIFY(rendered(gauge, ratio) != expected);
    // Once moved, the other values are drawn ahead, as the bar draws them.
    QCoreApplication::processEvents();
    for (const int other : {(value + 13) % 101, (value + 77) % 101}) {
        gauge.showValue(other);
        bar.setValue(other);
        QCOMPARE(rendered(gauge, ratio), rendered(bar, ratio));
    }
}

void TestIdle::gaugeShowsAsTheBarInAPanel() {
    // On screen, in a framed panel as in the window, where nothing is painted beneath the
    // gauge once it shows a kept drawing: the bar's corners show the panel's background.
    QFrame gaugePanel;
    QFrame barPanel;
    auto* gauge = new LiveGauge(&gaugePanel);
    auto* bar = new QProgressBar(&barPanel);
    for (QFrame* panel : {&gaugePanel, &barPanel}) {
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Raised);
        panel->setGeometry(0, 0, 280, 40);
        QProgressBar* b = panel == &gaugePanel ? gauge : bar;
        b->setRange(0, 100);
        b->setTextVisible(false);
        b->setGeometry(10, 12, 250, 14);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
    }
    for (const int value : {20, 64, 3, 100, 0, 41}) {
        gauge->showValue(value);
        bar->setValue(value);
        QTest::qWait(20);
        QCOMPARE(onScreen(gaugePanel), onScreen(barPanel));
    }
}

void TestIdle::dotDrawsAsACircle_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<qreal>("scale");  // of the painter; not 1: drawn as on a printer
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<QPointF>("drawnAt");  // where the circle is expected, in logical pixels
    QTest::newRow("on a pixel corner") << 1.0 << 1.0 << QPointF(20, 17) << QPointF(20, 17);
    QTest::newRow("between, to the nearest corner") << 1.0 << 1.0 << QPointF(20.3, 16.6) << QPointF(20, 17);
    QTest::newRow("ratio 2, on a device corner") << 2.0 << 1.0 << QPointF(20.5, 17) << QPointF(20.5, 17);
    QTest::newRow("ratio 2, between") << 2.0 << 1.0 << QPointF(20.4, 17.2) << QPointF(20.5, 17);
    QTest::newRow("ratio 1.5") << 1.5 << 1.0 << QPointF(20.1, 17.1) << QPointF(20, 17.3333333);
    QTest::newRow("scaled painter, exactly there") << 1.0 << 3.0 << QPointF(10.3, 8.6) << QPointF(10.3, 8.6);
}

void TestIdle::dotDrawsAsACircle() {
    QFETCH(qreal, ratio);
    QFETCH(qreal, scale);
    QFETCH(QPointF, centre);
    QFETCH(QPointF, drawnAt);
    auto canvas = [ratio] {
        QImage image(QSize(60, 50) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(QColor(240, 240, 240));
        return image;
    };
    DotSprite dot(5, QColor(200, 0, 160), Qt::white, 1.5);
    auto drawnByDot = [&] {
        QImage image = canvas();
        QPainter p(&image);
        p.scale(scale, scale);
        dot.draw(p, centre);
        return image;
    };
    const QImage sprite = drawnByDot();
    QCOMPARE(drawnByDot(), sprite);  // the second from what was kept
    QImage circle = canvas();
    {
        QPainter p(&circle);
        p.scale(scale, scale);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(QColor(200, 0, 160));
        p.drawEllipse(drawnAt, 5, 5);
    }
    // A copied drawing blends its edge in one step rather than two: a shade apart at most.
    int worst = 0;
    for (int y = 0; y < circle.height(); ++y) {
        for (int x = 0; x < circle.width(); ++x) {
            const QColor a = sprite.pixelColor(x, y);
            const QColor b = circle.pixelColor(x, y);
            worst = std::max(
                {worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
        }
    }
    QVERIFY2(worst <= 3, qPrintable(QString("differs by %1").arg(worst)));
}

void TestIdle::dotsShowInAWindow() {
    // The graph away from its window's corner, as in the main window: the highlight and the
    // live point show where they are, whatever lies between the graph and the window.
    QWidget window;
    window.resize(420, 330);
    auto* graph = new CurveGraph(&window);
    ParameterSet set;
    set.setDefaults();
    set.setCurvePointCount(6);
    graph->showSet(set);
    graph->setGeometry(47, 31, 300, 240);
    graph->showHighlight(2);
    graph->showLive(4500, 26);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const CurveGeometry g = graph->curveGeometry();
    QVERIFY(g.live.has_value());
    const QImage shown = onScreen(window);
    const auto at = [&](const QPointF& p) { return shown.pixelColor(graph->mapTo(&window, p.toPoint())); };
    QCOMPARE(at(*g.live), QColor(200, 0, 160));
    QCOMPARE(at(g.points[2]), QColor(0, 255, 0));
}

void TestIdle::graphRepaintsWhatMoved_data() {
    QTest::addColumn<int>("rowFrom");
    QTest::addColumn<int>("rowTo");
    QTest::addColumn<int>("rpmFrom");  // < 0: no live point
    QTest::addColumn<int>("rpmTo");
    QTest::newRow("highlight appears") << -1 << 1 << -1 << -1;
    QTest::newRow("highlight moves") << 0 << 3 << -1 << -1;
    QTest::newRow("highlight goes") << 2 << -1 << -1 << -1;
    QTest::newRow("live point moves across the plot") << 1 << 1 << 1200 << 5800;
    QTest::newRow("live point moves with the highlight") << 0 << 2 << 1500 << 4500;
    QTest::newRow("live point appears") << 1 << 1 << -1 << 3000;
    QTest::newRow("live point goes") << 1 << 1 << 3000 << -1;
}

void TestIdle::graphRepaintsWhatMoved() {
    QFETCH(int, rowFrom);
    QFETCH(int, rowTo);
    QFETCH(int, rpmFrom);
    QFETCH(int, rpmTo);
    auto advance = [](int rpm) { return 8 + rpm / 250; };
    CurveGraph moved;
    show(moved, rowFrom, rpmFrom, advance(rpmFrom));
    const QImage before = onScreen(moved);
    moved.showHighlight(rowTo);
    if (rpmTo >= 0) {
        moved.showLive(rpmTo, advance(rpmTo));
    } else {
        moved.hideLive();
    }
    // Painted with the next frame.
    QVERIFY(QTest::qWaitFor([&] { return onScreen(moved) != before; }, 2000));
    const QImage after = onScreen(moved);

    CurveGraph fresh;
    show(fresh, rowTo, rpmTo, advance(rpmTo));
    // Inside the widget's frame, which is not repainted for a moving point.
    const QRect inside = QRect(QPoint(0, 0), after.size()).adjusted(2, 2, -2, -2);
    QCOMPARE(after.copy(inside), onScreen(fresh).copy(inside));
}

void TestIdle::liveTextDrawsAsALabel_data() {
    QTest::addColumn<QStringList>("texts");  // shown one after the other
    QTest::addColumn<qreal>("ratio");
    for (const qreal ratio : {1.0, 2.0}) {
        QTest::addRow("numbers at %g", ratio) << QStringList{"RPM = 4230 ", "RPM = 11985 ", "RPM = 7 "} << ratio;
        QTest::addRow("decimals at %g", ratio) << QStringList{"U = 13.8 [V]", "U =  9.4 [V]"} << ratio;
        QTest::addRow("accents and degrees at %g", ratio)
            << QStringList{"Předstih = 12 [°] /max 31 [°]", "Avance = -3 [°]"} << ratio;
        QTest::addRow("other scripts' digits at %g", ratio) << QStringList{"RPM = ٤٢٣٠", "RPM = 4230"} << ratio;
        QTest::addRow("no digits, a shortcut sign, nothing at %g", ratio)
            << QStringList{"Kill switch - NE", "Clutch & master", QString()} << ratio;
    }
}

void TestIdle::liveTextDrawsAsALabel() {
    QFETCH(QStringList, texts);
    QFETCH(qreal, ratio);
    QLabel plain;
    LiveLabel live;
    for (QLabel* label : {&plain, static_cast<QLabel*>(&live)}) {
        label->setContentsMargins(4, 1, 4, 1);
        label->resize(260, 22);
    }
    for (const QString& text : texts) {
        plain.setText(text);
        live.setText(text);
        QCOMPARE(rendered(live, ratio), rendered(plain, ratio));
    }
}

void TestIdle::liveTextShowsAsALabelOnScreen() {
    // On screen a new number repaints only its changed digits: what shows is still the whole
    // text, through new digits, new patterns, a new colour and a new size.
    QWidget plainWindow;
    QWidget liveWindow;
    auto* plain = new QLabel(&plainWindow);
    auto* live = new LiveLabel(&liveWindow);
    for (QLabel* label : {plain, static_cast<QLabel*>(live)}) {
        label->setContentsMargins(4, 1, 4, 1);
        label->setGeometry(5, 5, 260, 22);
        label->window()->resize(280, 40);
        label->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(label->window()));
    }
    const auto step = [&](const std::function<void(QLabel*)>& change) {
        change(plain);
        change(live);
        QTest::qWait(20);
        return onScreen(liveWindow) == onScreen(plainWindow);
    };
    const auto show = [](const char* text) { return [text](QLabel* l) { l->setText(text); }; };
    QVERIFY(step(show("RPM = 4230 ")));
    QVERIFY(step(show("RPM = 4239 ")));
    QVERIFY(step(show("RPM = 1888 ")));
    QVERIFY(step(show("RPM = 11985 ")));
    QVERIFY(step(show("Advance = 25 [°] /max 40 [°]")));
    QVERIFY(step(show("Advance = 26 [°] /max 40 [°]")));
    QVERIFY(step([](QLabel* l) {
        QPalette yellow = l->palette();
        yellow.setColor(QPalette::Window, Qt::yellow);
        l->setPalette(yellow);
        l->setAutoFillBackground(true);
    }));
    QVERIFY(step(show("Advance = 31 [°] /max 40 [°]")));
    QVERIFY(step([](QLabel* l) { l->setGeometry(9, 8, 240, 24); }));
    QVERIFY(step(show("Advance = 30 [°] /max 40 [°]")));
    QVERIFY(step([](QLabel* l) { l->update(); }));
    QVERIFY(step(show("U = 13.8 [V]")));
    QVERIFY(step(show("U = 12.9 [V]")));
}

void TestIdle::editPanelDrawsAsTheStyle_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QPoint>("offset");  // where the box is drawn in the picture
    QTest::addRow("at 1") << 1.0 << QPoint(0, 0);
    QTest::addRow("at 2") << 2.0 << QPoint(0, 0);
    QTest::addRow("at 1.5, on a device pixel") << 1.5 << QPoint(2, 4);
    QTest::addRow("at 1.5, between device pixels") << 1.5 << QPoint(1, 3);
}

void TestIdle::editPanelDrawsAsTheStyle() {
    QFETCH(qreal, ratio);
    QFETCH(QPoint, offset);
    CachedPanelStyle panels;
    QLineEdit plain("4200");
    QLineEdit copied("4200");
    copied.setStyle(&panels);
    const auto picture = [&](QLineEdit& edit) {
        QImage image(QSize(70, 30) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        edit.render(&image, offset);
        return image;
    };
    // The same box shown again after others: each is the style's own picture, not a kept one.
    const QColor green(0, 255, 0);
    const std::array<std::pair<QColor, bool>, 5> shown = {
        {{QColor(), true}, {green, true}, {QColor(), true}, {green, false}, {green, true}}};
    for (const auto& [colour, enabled] : shown) {
        for (QLineEdit* edit : {&plain, &copied}) {
            QPalette palette;
            if (colour.isValid()) palette.setColor(QPalette::Base, colour);
            edit->setPalette(palette);
            edit->setEnabled(enabled);
            edit->resize(58, 22);
        }
        QCOMPARE(picture(copied), picture(plain));
    }
}

void TestIdle::liveColumnLaysOutAsAColumn_data() {
    QTest::addColumn<QString>("text");  // for the second line; empty: the line is hidden
    QTest::addColumn<bool>("filled");   // the lines show a colour of their own
    for (const bool filled : {true, false}) {
        const char* how = filled ? "coloured" : "plain";
        QTest::addRow("same width, %s", how) << "RPM = 4310" << filled;
        QTest::addRow("other digits, %s", how) << "RPM = 9899" << filled;
        QTest::addRow("wider, %s", how) << "RPM = 14310 and a little more" << filled;
        QTest::addRow("wider than the column, %s", how)
            << "RPM = 14310 and a good deal more than the column holds" << filled;
        QTest::addRow("shorter, %s", how) << "RPM" << filled;
        QTest::addRow("hidden, %s", how) << QString() << filled;
    }
}

void TestIdle::liveColumnLaysOutAsAColumn() {
    QFETCH(QString, text);
    QFETCH(bool, filled);
    // Ordinary labels in an ordinary column against the live panel's lines in its column.
    QWidget plain;
    QWidget steady;
    new QVBoxLayout(&plain);
    new SteadyColumnLayout(&steady);
    QList<QLabel*> changed;
    for (QWidget* column : {&plain, &steady}) {
        for (const char* start : {"U = 13.8 [V]", "RPM = 4230", "Kill switch - NO"}) {
            QLabel* label = column == &plain ? new QLabel(column) : new LiveLabel(column);
            label->setText(start);
            label->setAutoFillBackground(filled);  // shows the label's extent
            label->setBackgroundRole(QPalette::Highlight);
            column->layout()->addWidget(label);
        }
        changed.append(static_cast<QLabel*>(column->layout()->itemAt(1)->widget()));
        column->setGeometry(0, 0, 200, 100);
        column->show();
        QVERIFY(QTest::qWaitForWindowExposed(column));
    }
    const QImage before = steady.grab().toImage();
    for (QLabel* label : changed) {
        if (text.isEmpty()) {
            label->hide();
        } else {
            label->setText(text);
        }
    }
    QVERIFY(QTest::qWaitFor([&] { return steady.grab().toImage() != before; }, 2000));
    QApplication::processEvents();
    QCOMPARE(steady.size(), plain.size());
    QCOMPARE(steady.grab().toImage(), plain.grab().toImage());
}

QTEST_MAIN(TestIdle)
#include "tst_ui_idle.moc"
