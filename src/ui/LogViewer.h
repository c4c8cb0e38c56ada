#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

#include "files/TelemetryLog.h"

class CurveGraph;
class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

// RPM (left axis) and advance (right axis) of a log against time. The wheel zooms about the
// pointer, a drag moves the shown span, a click puts the cursor, a double click shows all.
class LogTimePlot : public QWidget {
    Q_OBJECT

public:
    explicit LogTimePlot(QWidget* parent = nullptr);

    void setLog(const TelemetryLogData* log);
    // The shown span in milliseconds of the log.
    void setSpan(double fromMs, double toMs);
    double spanFrom() const { return from_; }
    double spanTo() const { return to_; }
    void showAll();
    // Zooms by factor (below 1: in) about the time at x.
    void zoom(double factor, double x);
    void setCursorTime(double ms);
    std::optional<double> cursorTime() const { return cursor_; }

    QRectF plotRect() const;
    double xForTime(double ms) const;
    double timeAtX(double x) const;

    QSize sizeHint() const override { return {720, 320}; }
    QSize minimumSizeHint() const override { return {320, 180}; }

signals:
    void cursorMoved(double ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The times from the log's start (or 0) to its end (at least kMinSpanMs).
    std::pair<double, double> wholeLog() const;
    double minSpan() const;
    double maxSpan() const;

    const TelemetryLogData* log_ = nullptr;
    double from_ = 0;
    double to_ = 1000;
    double rpmMax_ = 1000;
    double advanceMin_ = 0;
    double advanceMax_ = 10;
    std::optional<double> cursor_;
    std::optional<QPointF> pressAt_;
    double pressFrom_ = 0;
    bool dragged_ = false;
};

// The log's operating points (advance against RPM) drawn over a curve graph of a set.
class LogCurveView : public QWidget {
    Q_OBJECT

public:
    explicit LogCurveView(QWidget* parent = nullptr);
    void setLog(const TelemetryLogData* log);
    void showSet(const ParameterSet& set);
    void setCursorRow(int row);
    CurveGraph* graph() const { return graph_; }

    QSize sizeHint() const override { return {720, 320}; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Points;
    CurveGraph* graph_ = nullptr;
    Points* points_ = nullptr;
};

// The log viewer: the two views, the cursor's readout of every column, and the picture's
// export to the clipboard and to a PNG file.
class LogViewer : public QWidget {
    Q_OBJECT

public:
    // windowSet: the main window's current set, asked for when the check box is ticked.
    // message: how errors reach the operator (the window's message box).
    LogViewer(std::function<ParameterSet()> windowSet, std::function<void(const QString&)> message,
              QWidget* parent = nullptr);

    // False, with the message shown, when the file is no log.
    bool open(const QString& path);
    const TelemetryLogData& log() const { return log_; }

    void setCursorTime(double ms);
    // Every column at the cursor, "name = value" with units.
    QString cursorReadout() const;
    void setOverWindowSet(bool on);
    void showCurveTab(bool curve);

    // The picture of the view shown.
    QPixmap picture() const;
    void copyPicture() const;
    bool savePicture(const QString& path);

    LogTimePlot* timePlot() const { return timePlot_; }
    LogCurveView* curveView() const { return curveView_; }
    QLabel* readout() const { return readout_; }
    // The notes on what of the file was left out; hidden when nothing was.
    QLabel* note() const { return note_; }

    void applyTexts();

private:
    void chooseSavePath();
    void showSet();

    std::function<ParameterSet()> windowSet_;
    std::function<void(const QString&)> message_;
    TelemetryLogData log_;
    int cursorRow_ = -1;
    QTabWidget* tabs_ = nullptr;
    LogTimePlot* timePlot_ = nullptr;
    LogCurveView* curveView_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* note_ = nullptr;
    QCheckBox* overWindowSet_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
};
