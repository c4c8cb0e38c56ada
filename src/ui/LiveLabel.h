#pragma once

#include <QHash>
#include <QLabel>

#include "ui/PatternGlyphs.h"

// A line of the live panel. Its text changes with nearly every telemetry frame, and each new
// text makes the layout ask the label for its size again, which for a QLabel means laying the
// text out. A live line's size follows its pattern, not its digits: texts that differ only
// in their digits share one size, measured for the widest digits, so a new number costs a
// lookup and the column keeps its width while the numbers run.
//
// It also paints its own background, as plain as the window's behind it, so that a new text
// repaints the line alone and not the panel and window beneath it as well, and draws its
// plain text from glyphs kept for the text's pattern (see PatternGlyphs), as QLabel would
// have drawn it. On the screen a new number repaints only the digits that changed: the rest
// of the last drawing is still in the window's backing store, unless the label, its window,
// its colours or its font changed since, which it then draws whole again.
class LiveLabel : public QLabel {
public:
    explicit LiveLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Hints {
        QSize size;
        QSize minimum;
    };
    // What the sizes are measured with besides the text and the font.
    struct Setting {
        QMargins contents;
        int margin = 0;
        int indent = 0;
        bool wordWrap = false;
        int alignment = 0;
        bool operator==(const Setting&) const = default;
    };
    // The last drawing by the label's own text path, and where it went.
    struct Drawn {
        const QPaintDevice* target = nullptr;
        bool onScreen = false;  // into the window's backing store
        QSize targetSize;
        qreal ratio = 0;
        QPoint inWindow;
        QSize size;
        QRgb background = 0;
        QRgb foreground = 0;
        QFont font;
        QString text;
        bool sameAs(const Drawn& o) const {
            return target == o.target && targetSize == o.targetSize && ratio == o.ratio && inWindow == o.inWindow &&
                   size == o.size && background == o.background && foreground == o.foreground && font == o.font;
        }
    };
    const Hints& hints() const;
    QBrush shownBehind() const;
    std::optional<PatternGlyphs::Line> plainLine();

    mutable QHash<QString, Hints> byPattern_;
    mutable Setting measuredWith_;
    mutable QChar widestDigit_;  // null: not known for the font
    PatternGlyphs glyphs_;
    Drawn drawn_;
};
