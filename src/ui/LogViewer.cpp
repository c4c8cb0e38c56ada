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

// A tick step of 1, 2 or 5 times a power of ten that leaves at least minPx between ticks.
double tickStep(double range, double lengthPx, double minPx) {
    if (range <= 0 || lengthPx <= 0) return 1;
    const double raw = range * minPx / lengthPx;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10 * power;
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
        for (double v : log_->values[TelemetryLog::Rpm]) rpmMax_ = std::max(rpmMax_, v);
        for (int column : {TelemetryLog::Advance, TelemetryLog::AdvanceMax}) {
            for (double v : log_->values[static_cast<std::size_t>(column)]) {
                if (std::isnan(v)) continue;
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

void LogTimePlot::showAll() {
    const int rows = log_ ? log_->rowCount() : 0;
    const double last = rows > 0 ? log_->timeAt(rows - 1) : 0;
    setSpan(0, std::max(last, kMinSpanMs));
}

void LogTimePlot::setSpan(double fromMs, double toMs) {
    if (toMs - fromMs < kMinSpanMs) {
        const double middle = (fromMs + toMs) / 2;
        fromMs = middle - kMinSpanMs / 2;
        toMs = middle + kMinSpanMs / 2;
    }
    from_ = fromMs;
    to_ = toMs;
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
    for (double t = std::ceil(from_ / timeStep) * timeStep; t <= to_; t += timeStep) {
        const double x = xAt(t);
        p.setPen(kGridColour);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(palette().text().color());
        const QString label = number(t / 1000, timeDecimals);
        p.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2, plot.bottom() + metrics.ascent() + 3), label);
    }
    const double rpmStep = tickStep(rpmMax_, plot.height(), metrics.height() * 1.8);
    for (double r = 0; r <= rpmMax_ + 0.5; r += rpmStep) {
        const double y = yRpm(r);
        p.setPen(kGridColour);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(kRpmColour);
        const QString label = QString::number(r, 'f', 0);
        p.drawText(QPointF(plot.left() - 5 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2 - 1), label);
    }
    const double advanceStep = tickStep(advanceMax_ - advanceMin_, plot.height(), metrics.height() * 1.8);
    p.setPen(kAdvanceColour);
    for (double a = advanceMin_; a <= advanceMax_ + 0.01; a += advanceStep) {
        p.drawText(QPointF(plot.right() + 5, yAdvance(a) + metrics.ascent() / 2 - 1), QString::number(a, 'f', 0));
    }
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
        const auto last = std::upper_bound(times.begin(), times.end(), to_);
        const std::size_t begin = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, first - times.begin() - 1));
        const std::size_t end = std::min(times.size(), static_cast<std::size_t>(last - times.begin()) + 1);
        p.save();
        p.setClipRect(plot.adjusted(0, -2, 0, 2));
        const bool sparse = end - begin < 2 * static_cast<std::size_t>(plot.width());
        p.setRenderHint(QPainter::Antialiasing, sparse);
        const auto drawSeries = [&](int column, const QColor& colour, auto yFor) {
            const auto& values = log_->values[static_cast<std::size_t>(column)];
            QPolygonF path;
            path.reserve(static_cast<qsizetype>(
                std::min<std::size_t>(end - begin, 4 * static_cast<std::size_t>(plot.width()) + 8)));
            bool open = false;
            int columnX = std::numeric_limits<int>::min();
            double low = 0, high = 0, lastY = 0, lastX = 0;
            const auto closeColumn = [&] {
                if (open && low != high) {
                    path << QPointF(lastX, low);
                    path << QPointF(lastX, high);
                    path << QPointF(lastX, lastY);
                }
            };
            for (std::size_t i = begin; i < end; ++i) {
                const double v = values[i];
                if (std::isnan(v)) continue;
                const double x = xAt(times[i]);
                const double y = yFor(v);
                const int px = static_cast<int>(std::floor(x));
                if (open && px == columnX) {
                    low = std::min(low, y);
                    high = std::max(high, y);
                } else {
                    closeColumn();
                    if (open) {
                        path << QPointF(x, y);
                    } else {
                        path << QPointF(x, y);
                        open = true;
                    }
                    columnX = px;
                    low = high = y;
                }
                lastX = x;
                lastY = y;
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
            if (std::isnan(rpm[i]) || std::isnan(advance[i]) || rpm[i] <= 0) continue;
            const QPointF point = at(i);
            const int x = static_cast<int>(point.x());
            const int y = static_cast<int>(point.y());
            if (!seen.rect().contains(x, y) || seen.pixelIndex(x, y)) continue;
            seen.setPixel(x, y, 1);
            p.drawEllipse(point, 2.5, 2.5);
        }
        if (cursorRow >= 0 && cursorRow < log->rowCount()) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kCursorColour, 2));
            p.drawEllipse(at(static_cast<std::size_t>(cursorRow)), 6, 6);
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
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout_->setMinimumHeight(readout_->fontMetrics().height() * 2 + 4);
    layout->addWidget(readout_);
    note_ = new QLabel(this);
    note_->setObjectName("LogNote");
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
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
    note_->setText(logText(LogText::CutOff));
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
    note_->setVisible(log_.cutOff);
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
