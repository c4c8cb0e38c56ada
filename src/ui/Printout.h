#pragma once

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QSize>
#include <QString>
#include <memory>

struct MessageTexts;
class QPrinter;
class QWidget;

// The printed size of an image placed on a page: the width that keeps the aspect at full
// page height if that fits the page width, otherwise the full page width. Integer
// arithmetic with the product before the division; empty sizes give an empty result.
QSize printScale(int imageW, int imageH, int pageW, int pageH);

// The locale's long time format without a time-zone name.
QString longTimePattern(const QLocale& locale);

// printStamp, the date in the system's short format, four blanks, the time in the
// system's long format (without a time-zone name).
QString printStampText(const MessageTexts& texts, const QDateTime& when, const QLocale& locale = QLocale::system());

// Where a print job goes. printer() hands out the configured printer for one job, or
// nullptr with a reason.
class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    virtual QPrinter* printer(QString* error) = 0;
};

// The system's default printer.
class SystemPrintTarget : public PrintTarget {
public:
    SystemPrintTarget();
    ~SystemPrintTarget() override;
    QPrinter* printer(QString* error) override;

private:
    std::unique_ptr<QPrinter> printer_;
};

// A PDF file on A4 portrait, for previews and tests.
class PdfPrintTarget : public PrintTarget {
public:
    explicit PdfPrintTarget(const QString& filePath);
    ~PdfPrintTarget() override;
    QPrinter* printer(QString* error) override;

private:
    std::unique_ptr<QPrinter> printer_;
};

// One job, one page: the image at the top-left of the page's printable area, scaled with
// printScale. Returns false with the error text when the job cannot be started or fails.
bool printImage(const QImage& image, PrintTarget& target, QString* error);

// The window's client area as currently drawn: everything below the menu bar.
QImage grabClientArea(QWidget* window);
