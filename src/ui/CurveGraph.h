#pragma once

#include <QPixmap>
#include <QWidget>
#include <optional>

#include "i18n/Language.h"
#include "ui/CurveGeometry.h"
#include "ui/DotSprite.h"

// The advance curve as a graph: advance against RPM for the used points, the base
// advance, the limiters and the shift light, the highlighted live row and the engine's
// live operating point. A used point can be dragged; the graph only reports where to,
// the window applies it as it applies a typed value.
//
// Everything but the highlight and the live point is drawn into a cached picture that is
// redrawn only when the set, the size or the texts change; a moving highlight or live point
// repaints only the small areas it leaves and enters.
class CurveGraph : public QWidget {
    Q_OBJECT

public:
    explicit CurveGraph(QWidget* parent = nullptr);

    // Each repaints only when what it shows changes.
    void showSet(const ParameterSet& set);
    void showLive(int rpm, int advance);
    void hideLive();
    void showHighlight(int row);  // -1: none
    void setLanguage(LanguageId language);
    // The printed graph: the set only, without the highlight and the live point.
    void setPrintView(bool on);

    // The picture's layout at the current size, as painted.
    CurveGeometry curveGeometry() const;
    bool dragging() const { return dragIndex_ >= 0; }
    // How often the cached picture was redrawn (for measuring).
    int pictureRedraws() const { return pictureRedraws_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void pointDragged(int index, int rpmCode, int advance);  // while the button is held
    void pointDropped(int index);                            // the button was released

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void measure() const;
    CurveGeometry computeGeometry() const;
    void invalidatePicture();
    void redrawPicture();
    QRect liveDotRect(const std::optional<QPointF>& centre) const;
    QRect highlightRect(const CurveGeometry& g) const;
    static QRect highlightClip(const CurveGeometry& g);
    void repaintMoved(const QRect& before, const QRect& after);
    void setLive(const CurveLive& live);
    void showDragTip(const QPoint& globalPos);

    ParameterSet set_;
    CurveLive live_;
    LanguageId language_ = LanguageId::English;
    QPixmap picture_;
    DotSprite highlightDot_;
    DotSprite liveDot_;
    bool pictureValid_ = false;
    bool printView_ = false;
    int pictureRedraws_ = 0;
    int dragIndex_ = -1;
    std::optional<CurveRanges> dragRanges_;
    // The plot rectangle and the room of a tick label, for the current size and font.
    struct Measures {
        bool valid = false;
        QSize size;
        QRectF plot;
        double rpmTickPx = 0;
        double advanceTickPx = 0;
    };
    mutable Measures measured_;
};
