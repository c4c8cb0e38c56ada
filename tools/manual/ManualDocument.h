#pragma once

#include <QBuffer>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QTextDocument>
#include <memory>

class QPdfWriter;
class QTextBlock;

// One language's operator's manual, from its Markdown source to an A4 PDF: a title block
// and the introduction on the first page, the table of contents on the next, every "## "
// chapter on a new page, pictures scaled to the text width with their caption under them,
// tables ruled, page numbers in the footer.
class ManualDocument {
public:
    struct Chapter {
        QString title;
        int page = 0;  // of the PDF, from 1
    };

    // language: en, de, fr or cz (the contents' heading); version: shown under the title.
    ManualDocument(QString language, QString version);
    ~ManualDocument();
    ManualDocument(const ManualDocument&) = delete;
    ManualDocument& operator=(const ManualDocument&) = delete;

    // Reads the source; bare picture names are taken from pictureFolder. False with error()
    // set when the file cannot be read, has no title, or names a picture that is not there.
    bool load(const QString& markdownPath, const QString& pictureFolder);
    // Lays the pages out and writes them; the file appears only when it is complete.
    bool write(const QString& pdfPath);

    const QString& error() const { return error_; }
    const QString& title() const { return title_; }
    const QList<Chapter>& chapters() const { return chapters_; }
    int pageCount() const { return pageCount_; }

    // The heading of the table of contents in a language.
    static QString contentsHeading(const QString& language);

private:
    bool fail(const QString& why);
    void styleBlocks();
    void styleTables();
    bool placePictures(const QString& pictureFolder);
    void insertTitle();
    void insertContents();
    void paginate();
    void relayout();
    bool settlePageBreak();
    QList<Chapter> chapterPages() const;
    void fillContents();
    int pageOf(qreal y) const;
    qreal firstLineTop(const QTextBlock& block) const;
    qreal lastLineBottom(const QTextBlock& block) const;
    void paintPages(QPdfWriter& pdf);

    QString language_;
    QString version_;
    QString title_;
    QString error_;
    QTextDocument doc_;
    QBuffer nowhere_;                           // the layout device writes nothing
    std::unique_ptr<QPdfWriter> layoutDevice_;  // the metrics the pages are laid out with
    QSizeF textSize_;                           // of one page's text area, in device units
    QList<Chapter> chapters_;
    int pageCount_ = 0;
    int contentsTable_ = -1;  // position of the contents table in the document
};
