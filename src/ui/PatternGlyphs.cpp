#include "ui/PatternGlyphs.h"

#include <QRawFont>
#include <QTextLayout>

namespace {

constexpr int kMostPatterns = 64;

}  // namespace

void PatternGlyphs::setFont(const QFont& font, const QPaintDevice* device) {
    if (fontKnown_ && device == device_ && font == font_ && font.resolveMask() == font_.resolveMask()) {
        return;
    }
    font_ = font;
    device_ = device;
    fontKnown_ = true;
    patterns_.clear();
    // The digits' glyphs, from the font the digits are laid out in.
    const Pattern digits = layOut(QStringLiteral("0123456789"));
    digitsUsable_ = false;
    if (!digits.usable) {
        return;
    }
    const QList<quint32> indexes = digits.line.glyphs.glyphIndexes();
    const QList<QPointF> positions = digits.line.glyphs.positions();
    const QList<QPointF> advances = digits.line.glyphs.rawFont().advancesForGlyphIndexes(indexes);
    for (int d = 0; d < 10; ++d) {
        if (advances[d] != advances[0]) {
            return;  // proportional digits: a new number could move what follows it
        }
        digitGlyphs_[static_cast<std::size_t>(d)] = indexes[d];
    }
    digitsUsable_ = positions.size() == 10;
}

PatternGlyphs::Pattern PatternGlyphs::layOut(const QString& pattern) const {
    Pattern result;
    QTextLayout layout(pattern, font_, const_cast<QPaintDevice*>(device_));
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::ManualWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return result;
    }
    line.setLineWidth(0x01000000);
    line.setPosition(QPointF(0, 0));
    const bool oneLine = !layout.createLine().isValid();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    // One font, one glyph a character, left to right: then glyph i shows character i.
    if (!oneLine || runs.size() != 1 || runs[0].glyphIndexes().size() != pattern.size() || pattern.isRightToLeft()) {
        return result;
    }
    result.line.glyphs = runs[0];
    result.line.width = line.naturalTextWidth();
    result.line.height = line.ascent() + line.descent();
    for (int i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'0') {
            result.digitAt.append(i);
        }
    }
    result.usable = true;
    return result;
}

std::optional<PatternGlyphs::Line> PatternGlyphs::line(const QString& text) {
    if (!fontKnown_ || !digitsUsable_ || text.isEmpty()) {
        return std::nullopt;
    }
    QString pattern = text;
    for (QChar& c : pattern) {
        if (c.isDigit()) {
            if (c.unicode() < u'0' || c.unicode() > u'9') {
                return std::nullopt;  // a digit of another script
            }
            c = u'0';
        }
    }
    auto known = patterns_.constFind(pattern);
    if (known == patterns_.constEnd()) {
        if (patterns_.size() >= kMostPatterns) {
            patterns_.clear();
        }
        known = patterns_.insert(pattern, layOut(pattern));
    }
    if (!known->usable) {
        return std::nullopt;
    }
    Line line = known->line;
    if (!known->digitAt.isEmpty()) {
        QList<quint32> indexes = line.glyphs.glyphIndexes();
        for (const int i : known->digitAt) {
            indexes[i] = digitGlyphs_[static_cast<std::size_t>(text[i].unicode() - u'0')];
        }
        line.glyphs.setGlyphIndexes(indexes);
    }
    return line;
}
