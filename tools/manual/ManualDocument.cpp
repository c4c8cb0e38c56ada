#include "ManualDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace {

// The pages are laid out at this resolution. Lengths in text formats (margins, paddings,
// picture sizes) are in pixels of 1/96 inch, which the layout scales to the device.
constexpr int kDpi = 300;
constexpr qreal kFormatPerDevice = 96.0 / kDpi;
constexpr qreal pt(qreal points) { return points * 96.0 / 72.0; }          // to format units
constexpr qreal mmToDevice(qreal mm) { return mm / 25.4 * kDpi; }          // to device units
constexpr qreal mmToFormat(qreal mm) { return mm / 25.4 * 96.0; }          // to format units
constexpr qreal kLeftMm = 22, kRightMm = 20, kTopMm = 20, kBottomMm = 24;  // page margins
constexpr qreal kFooterMm = 12;                                            // footer baseline from the bottom
// A picture leaves room for its caption and a line or two on its page.
constexpr qreal kPictureMaxHeight = 0.78;
// A code block up to this many lines is kept on one page.
constexpr int kCodeKeptLines = 20;
// A paragraph up to this many lines is not left with one line alone at a page's foot or head.
constexpr int kParagraphKeptLines = 8;
// How much larger than on the screen a picture may be shown.
constexpr qreal kMaxEnlarge = 1.3;

const QString kFont = QStringLiteral("DejaVu Sans");
const QString kMonoFont = QStringLiteral("DejaVu Sans Mono");
const QColor kHeadingColour(0x1d, 0x3a, 0x5c);
const QColor kRuleColour(0x9a, 0xa5, 0xb1);
const QColor kHeaderCellColour(0xe6, 0xec, 0xf2);
const QColor kCodeColour(0xf1, 0xf3, 0xf5);
const QColor kGrey(0x5f, 0x67, 0x70);

constexpr QChar kObject = QChar::ObjectReplacementCharacter;

bool isPictureBlock(const QTextBlock& block) {
    const QString text = block.text().trimmed();
    return text.size() == 1 && text[0] == kObject;
}

bool isCodeBlock(const QTextBlock& block) {
    if (!block.isValid()) return false;
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(QTextFormat::BlockCodeFence) || format.hasProperty(QTextFormat::BlockCodeLanguage) ||
           format.nonBreakableLines();
}

// Applies change to the character format of every fragment of a block.
template <typename Change>
void eachFragment(const QTextBlock& block, Change change) {
    struct Piece {
        int start, end;
        QTextCharFormat format;
    };
    QList<Piece> pieces;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.isValid())
            pieces.append({fragment.position(), fragment.position() + fragment.length(), fragment.charFormat()});
    }
    QTextCursor cursor(block);
    for (Piece& piece : pieces) {
        if (piece.format.isImageFormat()) continue;
        change(piece.format);
        cursor.setPosition(piece.start);
        cursor.setPosition(piece.end, QTextCursor::KeepAnchor);
        cursor.setCharFormat(piece.format);
    }
}

void setFont(QTextCharFormat& format, const QString& family, qreal points, bool bold) {
    format.clearProperty(QTextFormat::FontSizeAdjustment);
    format.setFontFamilies({family});
    format.setFontPointSize(points);
    if (bold) format.setFontWeight(QFont::Bold);
}

// A block of its own just before the block at cursor, with the given formats and text. The
// cursor stays at the start of what was there, so blocks inserted one after another come
// in their order.
void insertBefore(QTextCursor& cursor, const QTextBlockFormat& blockFormat, const QTextCharFormat& charFormat,
                  const QString& text) {
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.insertBlock(cursor.blockFormat(), cursor.blockCharFormat());
    QTextCursor inserted(cursor);
    inserted.movePosition(QTextCursor::PreviousBlock);
    inserted.setBlockFormat(blockFormat);
    inserted.setBlockCharFormat(charFormat);
    inserted.insertText(text, charFormat);
}

QList<QTextTable*> tablesIn(QTextFrame* frame) {
    QList<QTextTable*> tables;
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) tables.append(table);
        tables.append(tablesIn(child));
    }
    return tables;
}

}  // namespace

QString ManualDocument::contentsHeading(const QString& language) {
    if (language == QLatin1String("de")) return QStringLiteral("Inhalt");
    if (language == QLatin1String("fr")) return QStringLiteral("Table des matières");
    if (language == QLatin1String("cz")) return QStringLiteral("Obsah");
    return QStringLiteral("Contents");
}

ManualDocument::ManualDocument(QString language, QString version)
    : language_(std::move(language)), version_(std::move(version)) {
    layoutDevice_ = std::make_unique<QPdfWriter>(&nowhere_);
    layoutDevice_->setResolution(kDpi);
    layoutDevice_->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    const QSizeF page = QPageSize(QPageSize::A4).sizePixels(kDpi);
    textSize_ = QSizeF(page.width() - mmToDevice(kLeftMm + kRightMm), page.height() - mmToDevice(kTopMm + kBottomMm));

    QFont font(kFont);
    font.setPointSizeF(10);
    // No ligatures: with them "configuration" is extracted, searched and copied from the PDF
    // with one "ﬁ" character in place of "fi".
    font.setStyleStrategy(QFont::PreferNoShaping);
    doc_.setDefaultFont(font);
    doc_.setDocumentMargin(0);
    doc_.documentLayout()->setPaintDevice(layoutDevice_.get());
}

ManualDocument::~ManualDocument() = default;

bool ManualDocument::fail(const QString& why) {
    if (error_.isEmpty()) error_ = why;
    return false;
}

bool ManualDocument::load(const QString& markdownPath, const QString& pictureFolder) {
    QFile file(markdownPath);
    if (!file.open(QIODevice::ReadOnly)) return fail(QStringLiteral("cannot read ") + markdownPath);
    QString text = QString::fromUtf8(file.readAll());
    // The one "# " line is the title; it goes on the title block, not into the chapters.
    QStringList lines = text.split(QLatin1Char('\n'));
    const qsizetype titleLine = lines.indexOf(QRegularExpression(QStringLiteral("^# .*")));
    if (titleLine < 0) return fail(markdownPath + QStringLiteral(": no \"# \" title line"));
    title_ = lines[titleLine].mid(2).trimmed();
    lines.remove(titleLine);
    text = lines.join(QLatin1Char('\n'));

    doc_.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    doc_.setMetaInformation(QTextDocument::DocumentTitle, title_);
    if (doc_.isEmpty()) return fail(markdownPath + QStringLiteral(": nothing but the title"));
    doc_.setUndoRedoEnabled(false);
    // One edit block: the layout runs once at its end rather than after every change.
    QTextCursor edits(&doc_);
    edits.beginEditBlock();
    styleBlocks();
    styleTables();
    if (!placePictures(pictureFolder)) {
        edits.endEditBlock();
        return false;
    }
    insertTitle();
    insertContents();
    edits.endEditBlock();
    doc_.setPageSize(textSize_);
    paginate();
    return true;
}

void ManualDocument::styleBlocks() {
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        const int level = format.headingLevel();
        QTextCursor cursor(block);
        if (level == 1 || level == 2) {
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            format.setTopMargin(0);
            format.setBottomMargin(pt(12));
            cursor.setBlockFormat(format);
            eachFragment(block, [](QTextCharFormat& f) {
                setFont(f, kFont, 18, true);
                f.setForeground(kHeadingColour);
            });
        } else if (level >= 3) {
            format.setTopMargin(pt(level == 3 ? 12 : 8));
            format.setBottomMargin(pt(4));
            cursor.setBlockFormat(format);
            eachFragment(block, [level](QTextCharFormat& f) {
                setFont(f, kFont, level == 3 ? 12.5 : 10.5, true);
                f.setForeground(kHeadingColour);
            });
        } else if (isCodeBlock(block)) {
            // One grey box for the lines of a block, a little apart from the text around it.
            format.setTopMargin(isCodeBlock(block.previous()) ? 0 : pt(2));
            format.setBottomMargin(isCodeBlock(block.next()) ? 0 : pt(7));
            format.setLeftMargin(pt(6));
            format.setBackground(kCodeColour);
            cursor.setBlockFormat(format);
            eachFragment(block, [](QTextCharFormat& f) { setFont(f, kMonoFont, 8.5, false); });
        } else {
            const bool inTable = QTextCursor(block).currentTable() != nullptr;
            format.setTopMargin(0);
            format.setBottomMargin(inTable ? 0 : pt(5));
            format.setLineHeight(inTable ? 100 : 112, QTextBlockFormat::ProportionalHeight);
            cursor.setBlockFormat(format);
            eachFragment(block, [inTable](QTextCharFormat& f) {
                const bool code = f.fontFixedPitch() || f.fontFamilies().toStringList().contains("monospace");
                const qreal size = inTable ? 9 : 10;
                if (code) {
                    setFont(f, kMonoFont, size * 0.92, false);
                    f.setBackground(kCodeColour);
                } else if (inTable) {
                    f.clearProperty(QTextFormat::FontSizeAdjustment);
                    f.setFontPointSize(size);
                }
            });
        }
    }
}

void ManualDocument::styleTables() {
    for (QTextTable* table : tablesIn(doc_.rootFrame())) {
        QTextTableFormat format = table->format();
        format.setBorder(1);  // thinner ones are not drawn at all
        format.setBorderBrush(kRuleColour);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(pt(3.5));
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setTopMargin(pt(3));
        format.setBottomMargin(pt(8));
        format.setHeaderRowCount(1);  // repeated on the next page of a long table
        table->setFormat(format);
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(0, column);
            QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
            cellFormat.setBackground(kHeaderCellColour);
            cell.setFormat(cellFormat);
            for (auto it = cell.begin(); !it.atEnd(); ++it) {
                if (it.currentBlock().isValid())
                    eachFragment(it.currentBlock(), [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
            }
        }
    }
}

bool ManualDocument::placePictures(const QString& pictureFolder) {
    const qreal maxWidth = textSize_.width() * kFormatPerDevice;
    const qreal maxHeight = textSize_.height() * kFormatPerDevice * kPictureMaxHeight;
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        QString caption;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat picture = fragment.charFormat().toImageFormat();
            const QString name = picture.name();
            const QString path = QDir(pictureFolder).filePath(name);
            const QImage image(path);
            if (image.isNull()) return fail(QStringLiteral("picture ") + name + QStringLiteral(" not found: ") + path);
            doc_.addResource(QTextDocument::ImageResource, QUrl(name), image);
            // As wide as the text, unless that would make it too tall for a page or enlarge a
            // small picture (a widget alone) beyond what its pixels carry.
            const qreal aspect = qreal(image.height()) / image.width();
            const qreal dotsPer96 = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() * 0.0254 / 96.0 : 1.0;
            qreal width = std::min(maxWidth, image.width() / dotsPer96 * kMaxEnlarge);
            if (width * aspect > maxHeight) width = maxHeight / aspect;
            picture.setWidth(std::floor(width));
            picture.setHeight(std::floor(width * aspect));
            QTextCursor cursor(&doc_);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
            caption = picture.property(QTextFormat::ImageAltText).toString();
        }
        if (!isPictureBlock(block)) continue;
        QTextBlockFormat format = block.blockFormat();
        format.setAlignment(Qt::AlignHCenter);
        format.setTopMargin(pt(4));
        format.setBottomMargin(pt(2));
        format.setLineHeight(100, QTextBlockFormat::SingleHeight);
        QTextCursor cursor(block);
        cursor.setBlockFormat(format);
        if (caption.isEmpty()) continue;
        // The caption under the picture, where the Markdown source has only the alt text.
        QTextBlockFormat captionFormat;
        captionFormat.setAlignment(Qt::AlignHCenter);
        captionFormat.setBottomMargin(pt(10));
        QTextCharFormat captionText;
        setFont(captionText, kFont, 9, false);
        captionText.setFontItalic(true);
        captionText.setForeground(kGrey);
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertBlock(captionFormat, captionText);
        cursor.insertText(caption, captionText);
        block = cursor.block();
    }
    return true;
}

void ManualDocument::insertTitle() {
    QTextCursor cursor(&doc_);
    cursor.movePosition(QTextCursor::Start);
    QTextCharFormat titleText;
    setFont(titleText, kFont, 26, true);
    titleText.setForeground(kHeadingColour);
    // A block's top margin at the top of a page is dropped: an empty line of fixed height
    // brings the title down the page.
    QTextBlockFormat spaceFormat;
    spaceFormat.setLineHeight(mmToFormat(50), QTextBlockFormat::FixedHeight);
    insertBefore(cursor, spaceFormat, titleText, QString());

    QTextBlockFormat titleFormat;
    titleFormat.setBottomMargin(pt(6));
    insertBefore(cursor, titleFormat, titleText, title_);

    QTextBlockFormat versionFormat;
    versionFormat.setBottomMargin(mmToFormat(25));
    QTextCharFormat versionText;
    setFont(versionText, kFont, 12, false);
    versionText.setForeground(kGrey);
    const QString word = language_ == QLatin1String("cz") ? QStringLiteral("Verze") : QStringLiteral("Version");
    insertBefore(cursor, versionFormat, versionText, QStringLiteral("velmor · %1 %2").arg(word, version_));
}

void ManualDocument::insertContents() {
    QTextBlock firstChapter;
    QStringList titles;
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 2) continue;
        if (!firstChapter.isValid()) firstChapter = block;
        titles << block.text();
    }
    if (!firstChapter.isValid()) return;
    QTextCursor cursor(firstChapter);
    insertBefore(cursor, firstChapter.blockFormat(), firstChapter.begin().fragment().charFormat(),
                 contentsHeading(language_));

    // One row a chapter: its title and, once the pages are known, its page.
    cursor.movePosition(QTextCursor::PreviousBlock);
    cursor.movePosition(QTextCursor::EndOfBlock);
    QTextTableFormat format;
    format.setBorder(0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    format.setCellSpacing(0);
    format.setCellPadding(pt(2.5));
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints(
        {QTextLength(QTextLength::PercentageLength, 90), QTextLength(QTextLength::PercentageLength, 10)});
    QTextTable* table = cursor.insertTable(int(titles.size()), 2, format);
    contentsTable_ = table->firstPosition();
    QTextCharFormat entry;
    setFont(entry, kFont, 10.5, false);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    for (int row = 0; row < titles.size(); ++row) {
        QTextCursor cell = table->cellAt(row, 0).firstCursorPosition();
        cell.insertText(titles[row], entry);
        cell = table->cellAt(row, 1).firstCursorPosition();
        cell.setBlockFormat(right);
        cell.insertText(QStringLiteral("0"), entry);
    }
}

int ManualDocument::pageOf(qreal y) const { return int(std::floor((y + 0.5) / textSize_.height())) + 1; }

qreal ManualDocument::firstLineTop(const QTextBlock& block) const {
    const QRectF rect = doc_.documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    if (layout == nullptr || layout->lineCount() == 0) return rect.top();
    return rect.top() + layout->lineAt(0).y();
}

qreal ManualDocument::lastLineBottom(const QTextBlock& block) const {
    const QRectF rect = doc_.documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    if (layout == nullptr || layout->lineCount() == 0) return rect.top();
    const QTextLine line = layout->lineAt(layout->lineCount() - 1);
    return rect.top() + line.y() + line.height();
}

void ManualDocument::relayout() {
    // The layout after an edit is incremental, and sometimes leaves blocks after a table
    // without lines; the whole document laid out again (a few ten milliseconds) has them all.
    doc_.markContentsDirty(0, doc_.characterCount());
    doc_.documentLayout()->documentSize();
}

// Moves to the next page the first thing that should not be parted at the foot of a page:
// a section heading or a picture from what follows it, a short code block from itself, a
// line from itself (the layout leaves a line of a code block across the foot now and then),
// a short paragraph from its last or first line.
// The headings just above go along. False when there is nothing to move.
bool ManualDocument::settlePageBreak() {
    const auto breakBefore = [](QTextBlock block) {
        // A heading that opens a page already stays, and so does what follows it.
        while (block.previous().isValid() && block.previous().blockFormat().headingLevel() >= 2 &&
               !(block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
            block = block.previous();
        QTextBlockFormat format = block.blockFormat();
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) return false;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(block).setBlockFormat(format);
        return true;
    };
    // A table whose last row ends at the very foot of a page has its bottom margin run over
    // into the next: that page then shows the repeated header alone and what follows goes a
    // page further. Such a table does without the margin and the repeated header.
    for (QTextTable* table : tablesIn(doc_.rootFrame())) {
        QTextTableFormat format = table->format();
        if (format.bottomMargin() == 0 || table->rows() < 2) continue;
        const QTextBlock lastRow = table->cellAt(table->rows() - 1, 0).firstCursorPosition().block();
        const qreal bottom = doc_.documentLayout()->frameBoundingRect(table).bottom();
        if (pageOf(bottom - 1) == pageOf(lastLineBottom(lastRow) - 1)) continue;
        format.setBottomMargin(0);
        format.setHeaderRowCount(0);
        table->setFormat(format);
        return true;
    }
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        if (QTextCursor(block).currentTable() != nullptr) continue;
        const int page = pageOf(firstLineTop(block));
        if (block.blockFormat().headingLevel() >= 3 || isPictureBlock(block)) {
            const QTextBlock next = block.next();
            if (next.isValid() && pageOf(firstLineTop(next)) != page && breakBefore(block)) return true;
        }
        if (isCodeBlock(block) && !isCodeBlock(block.previous())) {
            QTextBlock end = block;
            for (int lines = 1; isCodeBlock(end.next()) && lines <= kCodeKeptLines; ++lines) end = end.next();
            if (!isCodeBlock(end.next()) && pageOf(lastLineBottom(end) - 1) != page && breakBefore(block)) return true;
        }
        const QTextLayout* layout = block.layout();
        const int lines = layout ? layout->lineCount() : 0;
        if (lines == 1 && pageOf(lastLineBottom(block) - 1) != page && breakBefore(block)) return true;
        // A short paragraph parted with one line alone on either page goes over whole.
        if (lines >= 2 && lines <= kParagraphKeptLines) {
            const qreal top = doc_.documentLayout()->blockBoundingRect(block).top();
            int first = 0;
            while (first < lines && pageOf(top + layout->lineAt(first).y()) == page) ++first;
            if ((first == 1 || first == lines - 1) && breakBefore(block)) return true;
        }
    }
    return false;
}

QList<ManualDocument::Chapter> ManualDocument::chapterPages() const {
    QList<Chapter> chapters;
    bool contents = contentsTable_ >= 0;  // the first level-2 heading is the contents' own
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 2) continue;
        if (contents) {
            contents = false;
            continue;
        }
        chapters.append({block.text(), pageOf(firstLineTop(block))});
    }
    return chapters;
}

void ManualDocument::fillContents() {
    if (contentsTable_ < 0) return;
    QTextCursor at(&doc_);
    at.setPosition(contentsTable_);
    QTextTable* table = at.currentTable();
    if (table == nullptr) return;
    for (int row = 0; row < table->rows() && row < chapters_.size(); ++row) {
        const QTextTableCell cell = table->cellAt(row, 1);
        QTextCursor cursor = cell.firstCursorPosition();
        cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        const QTextCharFormat format = cursor.charFormat();
        cursor.insertText(QString::number(chapters_[row].page), format);
    }
}

void ManualDocument::paginate() {
    // One break at a time, from the front: each moves everything after it.
    relayout();
    for (int pass = 0; pass < 500 && settlePageBreak(); ++pass) relayout();
    // The numbers take no more room than their placeholders, so filling them in moves
    // nothing; a second look makes sure.
    for (int pass = 0; pass < 3; ++pass) {
        chapters_ = chapterPages();
        fillContents();
        relayout();
        const QList<Chapter> again = chapterPages();
        bool same = again.size() == chapters_.size();
        for (qsizetype i = 0; same && i < again.size(); ++i) same = again[i].page == chapters_[i].page;
        if (same) break;
    }
    pageCount_ = doc_.pageCount();
}

bool ManualDocument::write(const QString& pdfPath) {
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly)) return fail(QStringLiteral("cannot write ") + pdfPath);
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(kDpi);
        pdf.setPageLayout(layoutDevice_->pageLayout());
        pdf.setTitle(title_);
        pdf.setCreator(QStringLiteral("velmor-manual-pdf (velmor ") + version_ + QLatin1Char(')'));
        paintPages(pdf);
    }
    if (!file.commit()) return fail(QStringLiteral("cannot write ") + pdfPath);
    return true;
}

void ManualDocument::paintPages(QPdfWriter& pdf) {
    QPainter painter(&pdf);
    const QSizeF page = QPageSize(QPageSize::A4).sizePixels(kDpi);
    const qreal left = mmToDevice(kLeftMm);
    const qreal top = mmToDevice(kTopMm);
    const qreal footer = page.height() - mmToDevice(kFooterMm);
    QFont footerFont(kFont);
    footerFont.setPointSizeF(8);
    footerFont.setStyleStrategy(QFont::PreferNoShaping);
    for (int index = 0; index < pageCount_; ++index) {
        if (index > 0) pdf.newPage();
        painter.save();
        painter.translate(left, top - index * textSize_.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, index * textSize_.height(), textSize_.width(), textSize_.height());
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(context.clip);
        doc_.documentLayout()->draw(&painter, context);
        painter.restore();
        if (index == 0) continue;  // the title page has no footer
        // A thin rule, the title on the left, "page / pages" on the right.
        painter.setPen(QPen(kRuleColour, mmToDevice(0.2)));
        const qreal rule = footer - mmToDevice(4.5);
        painter.drawLine(QPointF(left, rule), QPointF(left + textSize_.width(), rule));
        painter.setFont(footerFont);
        painter.setPen(kGrey);
        const QRectF band(left, rule, textSize_.width(), footer - rule + mmToDevice(1));
        painter.drawText(band, Qt::AlignLeft | Qt::AlignBottom, title_);
        painter.drawText(band, Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("%1 / %2").arg(index + 1).arg(pageCount_));
    }
}
