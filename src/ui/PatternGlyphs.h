#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QString>
#include <array>
#include <optional>

class QPaintDevice;

// The glyphs of short one-line texts that keep their pattern and change their digits, as
// the live values do. Laying a text out shapes it, which costs far more than drawing it; here
// each pattern (the text with its digits as 0) is laid out once, and a text of that pattern
// is its pattern's glyphs with the digits' glyphs put in. That holds where a digit is one
// glyph and all digits are equally wide, as in the fonts of a desktop; texts of any other
// kind (another script, a fallback font, ligatures) are not kept, and get no glyphs here.
class PatternGlyphs {
public:
    struct Line {
        QGlyphRun glyphs;  // from the line's top left corner
        double width = 0;
        double height = 0;
    };

    // For the font as resolved on the device.
    void setFont(const QFont& font, const QPaintDevice* device);
    std::optional<Line> line(const QString& text);

private:
    struct Pattern {
        bool usable = false;
        Line line;
        QList<int> digitAt;  // glyph positions of the digits
    };
    Pattern layOut(const QString& pattern) const;

    QFont font_;
    const QPaintDevice* device_ = nullptr;
    bool fontKnown_ = false;
    bool digitsUsable_ = false;
    std::array<quint32, 10> digitGlyphs_{};
    QHash<QString, Pattern> patterns_;
};
