#include "ui/LogViewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "i18n/LogTexts.h"
#include "ui/CurveGraph.h"

namespace {

const QColor kRpmColour(0, 90, 200);
const QColor kAdvanceColour(210, 40, 20);
const QColor kCursorColour(0, 150, 0);
const QColor kGridColour(220, 220, 220);
constexpr double kMinSpanMs = 200;
// The shown span is at most this many times the whole log: zooming out further shows nothing new.
constexpr double kMaxSpanTimes = 4;
// The span keeps at least this many steps of the times' resolution (near 1e12 ms a double
// still tells 0.1 us apart), so that zooming in ends while neighbouring times are told apart.
constexpr double kMinSpanSteps = 1 << 16;
// No axis gets more ticks than this, whatever its range: a plot is a few hundred pixels.
constexpr int kMaxTicks = 200;

// A tick step of 1, 2 or 5 times a power of ten that leaves at least minPx between ticks.
double tickStep(double range, double lengthPx, double minPx) {
    if (!(range > 0) || !(lengthPx > 0) || !std::isfinite(range)) return 1;
    const double raw = range * minPx / lengthPx;
    if (!(raw > 0) || !std::isfinite(raw)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10 * power;
}

// The ticks from first up to high, step apart and at most kMaxTicks; each is computed from
// its index, so a step too small to change the value still ends.
template <typename Draw>
void forEachTick(double first, double high, double step, Draw draw) {
    if (!std::isfinite(first) || !std::isfinite(high) || !(step > 0) || !std::isfinite(step)) return;
    for (int i = 0; i < kMaxTicks; ++i) {
        const double value = first + i * step;
        if (!(value <= high)) break;
        draw(value);
    }
}

QString number(double value, int decimals) { return QString::number(value, 'f', decimals); }

}  // namespace

// ---------------------------------------------------------------------------------------

LogTimePlot::LogTimePlot(QWidget* parent) : QWidget(parent) {
    setObjectName("LogTimePlot");
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LogTimePlot::setLog(const TelemetryLogData* log) {
    log_ = log;
    cursor_.reset();
    rpmMax_ = 1000;
    advanceMin_ = 0;
    advanceMax_ = 10;
    if (log_) {
        // The parser lets only numbers the columns can hold through; a value beyond them (a
        // log made elsewhere) does not stretch the axes and is drawn at the plot's edge.
        const TelemetryLog::ColumnRange rpm = TelemetryLog::columnRange(TelemetryLog::Rpm);
        for (double v : log_->values[TelemetryLog::Rpm]) {
            if (v <= rpm.high) rpmMax_ = std::max(rpmMax_, v);
        }
        for (int column : {TelemetryLog::Advance, TelemetryLog::AdvanceMax}) {
            const TelemetryLog::ColumnRange range = TelemetryLog::columnRange(column);
            for (double v : log_->values[static_cast<std::size_t>(column)]) {
                if (!(v >= range.low && v <= range.high)) continue;
                advanceMin_ = std::min(advanceMin_, v);
                advanceMax_ = std::max(advanceMax_, v);
            }
        }
        // Room above the highest value, so a line at the limiter or the bound stays visible.
        rpmMax_ = std::floor(rpmMax_ / 1000) * 1000 + 1000;
        advanceMax_ = std::floor(advanceMax_ / 10) * 10 + 10;
        advanceMin_ = std::floor(advanceMin_ / 10) * 10;
    }
    showAll();
}

std::pair<double, double> LogTimePlot::wholeLog() const {
    const int rows = log_ ? log_->rowCount() : 0;
    double first = rows > 0 ? log_->timeAt(0) : 0;
    double last = rows > 0 ? log_->timeAt(rows - 1) : 0;
    if (!std::isfinite(first) || !std::isfinite(last) || last < first) first = last = 0;
    return {std::min(first, 0.0), std::max(last, kMinSpanMs)};
}

double LogTimePlot::minSpan() const {
    const auto [first, last] = wholeLog();
    const double far = std::max(std::abs(first), std::abs(last));
    const double resolution = std::nextafter(far, std::numeric_limits<double>::infinity()) - far;
    return std::max(kMinSpanMs, resolution * kMinSpanSteps);
}

double LogTimePlot::maxSpan() const {
    const auto [first, last] = wholeLog();
    // Kept a good way below the largest double, so that the span's ends stay finite too.
    constexpr double kLargest = std::numeric_limits<double>::max() / 8;
    return std::clamp((last - first) * kMaxSpanTimes, std::min(minSpan(), kLargest), kLargest);
}

void LogTimePlot::showAll() {
    const auto [first, last] = wholeLog();
    setSpan(first, last);
}

void LogTimePlot::setSpan(double fromMs, double toMs) {
    // The span between the finest the times allow and a few times the whole log, its middle
    // within the log: the view never leaves the log for good, and every time on it maps to
    // a finite x.
    if (!std::isfinite(fromMs) || !std::isfinite(toMs)) return;
    const auto [first, last] = wholeLog();
    const double span = std::clamp(toMs - fromMs, minSpan(), maxSpan());
    const double middle = std::clamp(fromMs / 2 + toMs / 2, first, last);
    from_ = middle - span / 2;
    to_ = middle + span / 2;
    update();
}

void LogTimePlot::zoom(double factor, double x) {
    const double at = timeAtX(x);
    setSpan(at - (at - from_) * factor, at + (to_ - at) * factor);
}

void LogTimePlot::setCursorTime(double ms) {
    cursor_ = ms;
    update();
    emit cursorMoved(ms);
}

QRectF LogTimePlot::plotRect() const {
    const QFontMetricsF metrics(font());
    const double side = metrics.horizontalAdvance(QStringLiteral("00000")) + 14;
    const double line = metrics.height();
    return QRectF(side, line * 1.6, std::max(10.0, width() - 2 * side), std::max(10.0, height() - line * 3.9));
}

double LogTimePlot::xForTime(double ms) const {
    const QRectF plot = plotRect();
    return plot.left() + (ms - from_) / (to_ - from_) * plot.width();
}

double LogTimePlot::timeAtX(double x) const {
    const QRectF plot = plotRect();
    return from_ + (x - plot.left()) / plot.width() * (to_ - from_);
}

void LogTimePlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QRectF plot = plotRect();
    const QFontMetricsF metrics(font());
    // The plot's rectangle once: it measures the font.
    const auto xAt = [&plot, this](double ms) { return plot.left() + (ms - from_) / (to_ - from_) * plot.width(); };
    const auto yRpm = [&](double rpm) { return plot.bottom() - rpm / rpmMax_ * plot.height(); };
    const auto yAdvance = [&](double a) {
        return plot.bottom() - (a - advanceMin_) / (advanceMax_ - advanceMin_) * plot.height();
    };

    // Grid and ticks: time below, RPM on the left, advance on the right.
    p.setPen(palette().text().color());
    const double timeStep =
        tickStep(to_ - from_, plot.width(), metrics.horizontalAdvance(QStringLiteral("0000.0")) + 16);
    const int timeDecimals = timeStep >= 1000 ? 0 : timeStep >= 100 ? 1 : 2;
    forEachTick(std::ceil(from_ / timeStep) * timeStep, to_, timeStep, [&](double t) {
        const double x = xAt(t);
        p.setPen(kGridColour);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(palette().text().color());
        const QString label = number(t / 1000, timeDecimals);
        p.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2, plot.bottom() + metrics.ascent() + 3), label);
    });
    const double rpmStep = tickStep(rpmMax_, plot.height(), metrics.height() * 1.8);
    forEachTick(0, rpmMax_ + 0.5, rpmStep, [&](double r) {
        const double y = yRpm(r);
        p.setPen(kGridColour);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(kRpmColour);
        const QString label = QString::number(r, 'f', 0);
        p.drawText(QPointF(plot.left() - 5 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2 - 1), label);
    });
    const double advanceStep = tickStep(advanceMax_ - advanceMin_, plot.height(), metrics.height() * 1.8);
    p.setPen(kAdvanceColour);
    forEachTick(advanceMin_, advanceMax_ + 0.01, advanceStep, [&](double a) {
        p.drawText(QPointF(plot.right() + 5, yAdvance(a) + metrics.ascent() / 2 - 1), QString::number(a, 'f', 0));
    });
    p.setPen(kRpmColour);
    p.drawText(QPointF(2, metrics.ascent() + 2), logText(LogText::AxisRpm));
    p.setPen(kAdvanceColour);
    const QString advanceTitle = logText(LogText::AxisAdvance);
    p.drawText(QPointF(width() - 2 - metrics.horizontalAdvance(advanceTitle), metrics.ascent() + 2), advanceTitle);
    p.setPen(palette().text().color());
    const QString timeTitle = logText(LogText::AxisTime);
    p.drawText(QPointF(plot.center().x() - metrics.horizontalAdvance(timeTitle) / 2, height() - 3), timeTitle);
    p.drawRect(plot);

    if (log_ && log_->rowCount() > 0) {
        // Only the rows in the span (and one either side), folded to one vertical stroke of
        // minimum and maximum per pixel column: a redraw costs the plot's width, not the log's length.
        const auto& times = log_->values[TelemetryLog::TimeMs];
        const auto first = std::lower_bound(times.begin(), times.end(), from_);
        const auto last = std::upper_bound(first, times.end(), to_);
        const std::size_t begin = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, first - times.begin() - 1));
        const std::size_t end = std::min(times.size(), static_cast<std::size_t>(last - times.begin()) + 1);
        p.save();
        p.setClipRect(plot.adjusted(0, -2, 0, 2));
        const bool sparse = end - begin < 2 * static_cast<std::size_t>(plot.width());
        p.setRenderHint(QPainter::Antialiasing, sparse);
        // The lines are cut where they leave the plot: a row far outside the span lies
        // millions of pixels away, beyond what an int or the rasteriser holds.
        const double left = plot.left() - 2;
        const double right = plot.right() + 2;
        const auto drawSeries = [&](int column, const QColor& colour, auto yFor) {
            const auto& values = log_->values[static_cast<std::size_t>(column)];
            QPolygonF path;
            path.reserve(static_cast<qsizetype>(
                std::min<std::size_t>(end - begin, 4 * static_cast<std::size_t>(plot.width()) + 8)));
            bool open = false;
            int columnX = 0;
            double low = 0, high = 0, lastY = 0, lastX = 0;
            const auto closeColumn = [&] {
                if (open && low != high) {
                    path << QPointF(lastX, low);
                    path << QPointF(lastX, high);
                    path << QPointF(lastX, lastY);
                }
            };
            // x lies between left and right.
            const auto add = [&](double x, double y) {
                const int px = static_cast<int>(std::floor(x));
                if (open && px == columnX) {
                    low = std::min(low, y);
                    high = std::max(high, y);
                } else {
                    closeColumn();
                    path << QPointF(x, y);
                    open = true;
                    columnX = px;
                    low = high = y;
                }
                lastX = x;
                lastY = y;
            };
            std::optional<QPointF> previous;
            for (std::size_t i = begin; i < end; ++i) {
                const double v = values[i];
                const double x = xAt(times[i]);
                if (!std::isfinite(v) || !std::isfinite(x)) continue;
                const double y = std::clamp(yFor(v), plot.top() - 2, plot.bottom() + 2);
                const QPointF point(x, y);
                const bool inside = x >= left && x <= right;
                if (!previous || previous->x() == x) {
                    if (inside) add(x, y);
                } else {
                    // The part of the line from the previous row to this one between left and right.
                    const QPointF from = *previous;
                    const double dx = x - from.x();
                    const double ta = (left - from.x()) / dx;
                    const double tb = (right - from.x()) / dx;
                    const double enter = std::max(0.0, std::min(ta, tb));
                    const double leave = std::min(1.0, std::max(ta, tb));
                    const auto at = [&](double t) {
                        return QPointF(std::clamp(from.x() + t * dx, left, right), from.y() + t * (y - from.y()));
                    };
                    if (enter <= leave) {
                        if (enter > 0) add(at(enter).x(), at(enter).y());
                        if (inside) {
                            add(x, y);
                        } else {
                            add(at(leave).x(), at(leave).y());
                        }
                    }
                }
                previous = point;
            }
            closeColumn();
            // A thin cosmetic pen where the rows are dense: a wide one would be stroked as an
            // outline of thousands of crossing segments.
            QPen pen(colour, sparse ? 1.5 : 1.0);
            pen.setCosmetic(true);
            p.setPen(pen);
            p.drawPolyline(path);
        };
        drawSeries(TelemetryLog::Rpm, kRpmColour, yRpm);
        drawSeries(TelemetryLog::Advance, kAdvanceColour, yAdvance);
        p.restore();
    }
    if (cursor_ && *cursor_ >= from_ && *cursor_ <= to_) {
        p.setPen(QPen(kCursorColour, 1, Qt::DashLine));
        const double x = xAt(*cursor_);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
}

void LogTimePlot::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0) zoom(std::pow(0.8, steps), event->position().x());
    event->accept();
}

void LogTimePlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressAt_ = event->position();
    pressFrom_ = from_;
    dragged_ = false;
}

void LogTimePlot::mouseMoveEvent(QMouseEvent* event) {
    if (!pressAt_) return;
    const double dx = event->position().x() - pressAt_->x();
    if (!dragged_ && std::abs(dx) < 4) return;
    dragged_ = true;
    const double span = to_ - from_;
    const double from = pressFrom_ - dx / plotRect().width() * span;
    setSpan(from, from + span);
}

void LogTimePlot::mouseReleaseEvent(QMouseEvent* event) {
    if (pressAt_ && !dragged_) setCursorTime(timeAtX(event->position().x()));
    pressAt_.reset();
}

void LogTimePlot::mouseDoubleClickEvent(QMouseEvent*) { showAll(); }

// ---------------------------------------------------------------------------------------

// Drawn over the graph, which paints the set; takes the mouse so the set cannot be dragged here.
class LogCurveView::Points : public QWidget {
public:
    Points(CurveGraph* graph, QWidget* parent) : QWidget(parent), graph_(graph) {}
    const TelemetryLogData* log = nullptr;
    int cursorRow = -1;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!log) return;
        QPainter p(this);
        const CurveGeometry g = graph_->curveGeometry();
        const auto& rpm = log->values[TelemetryLog::Rpm];
        const auto& advance = log->values[TelemetryLog::Advance];
        const auto at = [&](std::size_t i) {
            return QPointF(std::clamp(g.xForRpm(rpm[i]), g.plot.left(), g.plot.right()),
                           std::clamp(g.yForAdvance(advance[i]), g.plot.top(), g.plot.bottom()));
        };
        p.setPen(Qt::NoPen);
        QColor dot = kRpmColour;
        dot.setAlpha(110);
        p.setBrush(dot);
        // Points on the same pixel are drawn once: an hour at one speed is one dot.
        QImage seen(size(), QImage::Format_Mono);
        seen.fill(0);
        for (std::size_t i = 0; i < rpm.size(); ++i) {
            if (!std::isfinite(rpm[i]) || !std::isfinite(advance[i]) || rpm[i] <= 0) continue;
            const QPointF point = at(i);
            const int x = static_cast<int>(point.x());
            const int y = static_cast<int>(point.y());
            if (!seen.rect().contains(x, y) || seen.pixelIndex(x, y)) continue;
            seen.setPixel(x, y, 1);
            p.drawEllipse(point, 2.5, 2.5);
        }
        const std::size_t row = static_cast<std::size_t>(cursorRow);
        if (cursorRow >= 0 && cursorRow < log->rowCount() && std::isfinite(rpm[row]) && std::isfinite(advance[row])) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kCursorColour, 2));
            p.drawEllipse(at(row), 6, 6);
        }
    }

private:
    CurveGraph* graph_;
};

LogCurveView::LogCurveView(QWidget* parent) : QWidget(parent) {
    setObjectName("LogCurveView");
    graph_ = new CurveGraph(this);
    graph_->setObjectName("LogCurveGraph");
    points_ = new Points(graph_, this);
    points_->setObjectName("LogCurvePoints");
}

void LogCurveView::setLog(const TelemetryLogData* log) {
    points_->log = log;
    points_->cursorRow = -1;
    points_->update();
}

void LogCurveView::showSet(const ParameterSet& set) {
    graph_->showSet(set);
    points_->update();
}

void LogCurveView::setCursorRow(int row) {
    points_->cursorRow = row;
    points_->update();
}

void LogCurveView::resizeEvent(QResizeEvent*) {
    graph_->setGeometry(rect());
    points_->setGeometry(rect());
    points_->raise();
}

// ---------------------------------------------------------------------------------------

LogViewer::LogViewer(std::function<ParameterSet()> windowSet, std::function<void(const QString&)> message,
                     QWidget* parent)
    : QWidget(parent, Qt::Window), windowSet_(std::move(windowSet)), message_(std::move(message)) {
    setObjectName("LogViewer");
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    timePlot_ = new LogTimePlot(tabs_);
    curveView_ = new LogCurveView(tabs_);
    tabs_->addTab(timePlot_, QString());
    tabs_->addTab(curveView_, QString());
    layout->addWidget(tabs_, 1);
    readout_ = new QLabel(this);
    readout_->setObjectName("LogReadout");
    // The readout shows the log's own cells.
    readout_->setTextFormat(Qt::PlainText);
    readout_->setWordWrap(true);
    readout_->setTextFormat(Qt::PlainText);
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout_->setMinimumHeight(readout_->fontMetrics().height() * 2 + 4);
    layout->addWidget(readout_);
    note_ = new QLabel(this);
    note_->setObjectName("LogNote");
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    note_->setTextFormat(Qt::PlainText);
    note_->hide();
    layout->addWidget(note_);
    auto* buttons = new QHBoxLayout;
    overWindowSet_ = new QCheckBox(this);
    overWindowSet_->setObjectName("LogOverWindowSet");
    copy_ = new QPushButton(this);
    copy_->setObjectName("LogCopyPicture");
    save_ = new QPushButton(this);
    save_->setObjectName("LogSavePicture");
    close_ = new QPushButton(this);
    close_->setObjectName("LogClose");
    buttons->addWidget(overWindowSet_);
    buttons->addStretch(1);
    buttons->addWidget(copy_);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(timePlot_, &LogTimePlot::cursorMoved, this, [this](double ms) {
        cursorRow_ = log_.rowNear(ms);
        curveView_->setCursorRow(cursorRow_);
        readout_->setText(cursorReadout());
    });
    connect(overWindowSet_, &QCheckBox::toggled, this, [this] { showSet(); });
    connect(copy_, &QPushButton::clicked, this, &LogViewer::copyPicture);
    connect(save_, &QPushButton::clicked, this, &LogViewer::chooseSavePath);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    resize(820, 560);
    applyTexts();
}

void LogViewer::applyTexts() {
    tabs_->setTabText(0, logText(LogText::TabTime));
    tabs_->setTabText(1, logText(LogText::TabCurve));
    overWindowSet_->setText(logText(LogText::OverWindowSet));
    copy_->setText(logText(LogText::CopyPicture));
    save_->setText(logText(LogText::SavePicture));
    close_->setText(logText(LogText::Close));
    timePlot_->setToolTip(logText(LogText::ViewerHint));
    QStringList notes;
    if (log_.cutOff) notes << logText(LogText::CutOff);
    if (log_.leftOut > 0) notes << logText(LogText::LeftOut).arg(log_.leftOut);
    note_->setText(notes.join(QLatin1Char('\n')));
    note_->setVisible(!notes.isEmpty());
    setWindowTitle(logText(LogText::ViewerTitle).arg(QFileInfo(log_.path).fileName()));
    if (cursorRow_ >= 0) readout_->setText(cursorReadout());
    timePlot_->update();
}

bool LogViewer::open(const QString& path) {
    TelemetryLogData data;
    QString error;
    if (!readTelemetryLog(path, data, &error)) {
        if (message_) message_(logText(LogText::OpenError).arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    log_ = std::move(data);
    cursorRow_ = -1;
    readout_->clear();
    timePlot_->setLog(&log_);
    curveView_->setLog(&log_);
    showSet();
    applyTexts();
    return true;
}

void LogViewer::showSet() {
    if (overWindowSet_->isChecked() && windowSet_) {
        curveView_->showSet(windowSet_());
    } else {
        curveView_->showSet(log_.set.value_or(ParameterSet{}));
    }
}

void LogViewer::setOverWindowSet(bool on) { overWindowSet_->setChecked(on); }

void LogViewer::showCurveTab(bool curve) { tabs_->setCurrentIndex(curve ? 1 : 0); }

void LogViewer::setCursorTime(double ms) { timePlot_->setCursorTime(ms); }

QString LogViewer::cursorReadout() const {
    if (cursorRow_ < 0) return {};
    const auto cell = [this](int column) {
        return log_.values[static_cast<std::size_t>(column)][static_cast<std::size_t>(cursorRow_)];
    };
    const auto flag = [&](int column) {
        const double v = cell(column);
        return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', 0);
    };
    struct Item {
        LogText name;
        QString value;
    };
    const Item items[] = {
        {LogText::ColumnTime, number(cell(TelemetryLog::TimeMs) / 1000, 3) + " s"},
        {LogText::ColumnRpm, flag(TelemetryLog::Rpm) + " 1/min"},
        {LogText::ColumnAdvance, flag(TelemetryLog::Advance) + "°"},
        {LogText::ColumnAdvanceMax, flag(TelemetryLog::AdvanceMax) + "°"},
        {LogText::ColumnSupply, number(cell(TelemetryLog::Supply), 3) + " V"},
        {LogText::ColumnPickup, flag(TelemetryLog::Pickup)},
        {LogText::ColumnKillSwitch, flag(TelemetryLog::KillSwitch)},
        {LogText::ColumnRetard, flag(TelemetryLog::Retard)},
        {LogText::ColumnBlocking, flag(TelemetryLog::Blocking)},
        {LogText::ColumnStartLimiter, flag(TelemetryLog::StartLimiter)},
        {LogText::ColumnClutchMaster, flag(TelemetryLog::ClutchMaster)},
        {LogText::ColumnPolarity, flag(TelemetryLog::PolarityNegative)},
        {LogText::ColumnLiveRow, flag(TelemetryLog::LiveRowColumn)},
        {LogText::ColumnProgrammings, flag(TelemetryLog::ProgrammingCount)},
    };
    QStringList parts;
    for (const Item& item : items) parts << logText(item.name) + " = " + item.value;
    return parts.join(QStringLiteral("   "));
}

QPixmap LogViewer::picture() const { return tabs_->currentWidget()->grab(); }

void LogViewer::copyPicture() const { QApplication::clipboard()->setPixmap(picture()); }

bool LogViewer::savePicture(const QString& path) {
    QString target = path;
    if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".png");
    if (picture().save(target, "PNG")) return true;
    if (message_) message_(logText(LogText::SaveError).arg(QDir::toNativeSeparators(target)));
    return false;
}

void LogViewer::chooseSavePath() {
    const QString initial = QFileInfo(log_.path).completeBaseName() + QStringLiteral(".png");
    const QString path = QFileDialog::getSaveFileName(this, QString(), QFileInfo(log_.path).dir().filePath(initial),
                                                      logText(LogText::PictureFilter));
    if (!path.isEmpty()) savePicture(path);
}
