#include "ui/TelemetryLogFeature.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "i18n/LogTexts.h"
#include "ui/LogViewer.h"
#include "ui/TFormHlav.h"

namespace {

// A red dot, the sign of recording everywhere.
QIcon recordIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 0, 0), 2));
    p.setBrush(QColor(220, 20, 20));
    p.drawEllipse(QRectF(6, 6, 20, 20));
    return QIcon(pixmap);
}

QString duration(qint64 ms) {
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

TelemetryLogFeature::TelemetryLogFeature(TFormHlav& window, QMenu* tools) : QObject(&window), window_(window) {
    setObjectName("TelemetryLogFeature");
    record_ = new QAction(&window_);
    record_->setObjectName("MenuRecordLog");
    record_->setCheckable(true);
    record_->setIcon(recordIcon());
    open_ = new QAction(&window_);
    open_->setObjectName("MenuOpenLog");
    if (tools) {
        tools->addSeparator();
        tools->addAction(record_);
        tools->addAction(open_);
    }
    window_.addAction(record_);
    window_.addAction(open_);
    // triggered, not toggled: a recording stopped by an error unticks the item without
    // starting anything.
    connect(record_, &QAction::triggered, this, [this](bool on) { setRecording(on); });
    connect(open_, &QAction::triggered, this, [this] { openLog(); });

    // The button sits in the status bar, whose row has room to spare; the top row keeps its
    // room for the connection warning in every language.
    button_ = new QToolButton(&window_);
    button_->setObjectName("SpeedButtonRecord");
    button_->setDefaultAction(record_);
    button_->setAutoRaise(true);
    button_->setIconSize(QSize(16, 16));
    button_->setFocusPolicy(Qt::NoFocus);
    window_.statusBar()->addPermanentWidget(button_);
    indication_ = new QLabel(&window_);
    indication_->setObjectName("LabelRecording");
    indication_->setTextFormat(Qt::PlainText);
    indication_->hide();
    window_.statusBar()->addPermanentWidget(indication_);

    timer_ = new QTimer(this);
    timer_->setInterval(250);
    connect(timer_, &QTimer::timeout, this, &TelemetryLogFeature::tick);
    applyTexts();
}

TelemetryLogFeature::~TelemetryLogFeature() { recorder_.stop(); }

LogViewer* TelemetryLogFeature::viewer() const { return viewer_.data(); }

QString TelemetryLogFeature::folder() const { return folder_.isEmpty() ? TelemetryLog::defaultFolder() : folder_; }

void TelemetryLogFeature::frame(const TelemetryValues& values) {
    if (!recorder_.recording()) return;
    if (!recorder_.record(values, findLiveRow(values.rpm, window_.parameterSet()))) stopWithError();
}

void TelemetryLogFeature::setRecording(bool on) {
    if (on == recorder_.recording()) {
        record_->setChecked(on);
        return;
    }
    if (!on) {
        timer_->stop();
        const bool ok = recorder_.stop();
        record_->setChecked(false);
        showIndication();
        if (!ok) stopWithError();
        return;
    }
    const QDateTime start = QDateTime::currentDateTime();
    // Two recordings in one second get a number each rather than one overwriting the other.
    const QString path = TelemetryLog::freePath(folder(), start);
    if (!recorder_.start(path, TelemetryLog::preamble(start, window_.parameterSet()))) {
        record_->setChecked(false);
        window_.showMessageBox(
            logText(LogText::RecordNotStarted).arg(QDir::toNativeSeparators(path), recorder_.errorString()));
        return;
    }
    record_->setChecked(true);
    timer_->start();
    showIndication();
}

void TelemetryLogFeature::tick() {
    if (!recorder_.recording()) return;
    if (!recorder_.tick()) {
        stopWithError();
        return;
    }
    showIndication();
}

void TelemetryLogFeature::stopWithError() {
    timer_->stop();
    record_->setChecked(false);
    showIndication();
    window_.showMessageBox(
        logText(LogText::RecordStopped).arg(recorder_.errorString(), QDir::toNativeSeparators(recorder_.path())));
}

void TelemetryLogFeature::showIndication() {
    if (!recorder_.recording()) {
        indication_->hide();
        return;
    }
    const QString text = logText(LogText::Recording).arg(duration(recorder_.elapsedMs()));
    if (indication_->text() != text) indication_->setText(text);
    indication_->show();
}

void TelemetryLogFeature::openLog(const QString& given) {
    QString path = given;
    if (path.isEmpty()) {
        if (chooser_) {
            path = chooser_();
        } else {
            QDir().mkpath(folder());
            path = QFileDialog::getOpenFileName(&window_, QString(), folder(), logText(LogText::LogFilter));
        }
    }
    if (path.isEmpty()) return;
    if (!viewer_) {
        viewer_ = new LogViewer([this] { return window_.parameterSet(); },
                                [this](const QString& text) { window_.showMessageBox(text); }, &window_);
    }
    if (!viewer_->open(path)) return;
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
}

void TelemetryLogFeature::applyTexts() {
    record_->setText(logText(LogText::MenuRecordLog));
    record_->setStatusTip(logText(LogText::HintRecordLog));
    record_->setToolTip(logText(LogText::HintRecordLog));
    open_->setText(logText(LogText::MenuOpenLog));
    open_->setStatusTip(logText(LogText::HintOpenLog));
    showIndication();
    if (viewer_) viewer_->applyTexts();
}
