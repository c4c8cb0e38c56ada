#include "ui/Printout.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMainWindow>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "i18n/MessageTexts.h"

namespace {

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

}  // namespace

QSize printScale(int imageW, int imageH, int pageW, int pageH) {
    if (imageW <= 0 || imageH <= 0 || pageW <= 0 || pageH <= 0) return {0, 0};
    const qint64 widthAtFullHeight = qint64(imageW) * pageH / imageH;
    if (widthAtFullHeight < pageW) return {int(widthAtFullHeight), pageH};
    return {pageW, int(qint64(imageH) * pageW / imageW)};
}

QString longTimePattern(const QLocale& locale) {
    // The long format of some systems ends in a time-zone name ("18:07:07 UTC"); the stamp
    // keeps the rest of it: hours, minutes, seconds and, where the system uses it, AM/PM.
    const QString pattern = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            continue;
        }
        kept += c;
    }
    kept = kept.trimmed();
    // A zone taken from the middle leaves its blanks behind.
    while (kept.contains(QStringLiteral("  "))) kept.replace(QStringLiteral("  "), QStringLiteral(" "));
    return kept;
}

QString printStampText(const MessageTexts& texts, const QDateTime& when, const QLocale& locale) {
    return texts.printStamp + locale.toString(when.date(), QLocale::ShortFormat) + QStringLiteral("    ") +
           locale.toString(when.time(), longTimePattern(locale));
}

SystemPrintTarget::SystemPrintTarget() = default;
SystemPrintTarget::~SystemPrintTarget() = default;

QPrinter* SystemPrintTarget::printer(QString* error) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        setError(error, QCoreApplication::translate("Printout", "No default printer is installed."));
        return nullptr;
    }
    printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // The page as the printer is set up, orientation included.
    printer_->setDocName(QStringLiteral("velmor"));
    return printer_.get();
}

PdfPrintTarget::PdfPrintTarget(const QString& filePath)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(filePath);
    printer_->setDocName(QStringLiteral("velmor"));
    printer_->setPageSize(QPageSize(QPageSize::A4));
    printer_->setPageOrientation(QPageLayout::Portrait);
}

PdfPrintTarget::~PdfPrintTarget() = default;

QPrinter* PdfPrintTarget::printer(QString*) { return printer_.get(); }

bool printImage(const QImage& image, PrintTarget& target, QString* error) {
    if (image.isNull()) {
        setError(error, QCoreApplication::translate("Printout", "There is nothing to print."));
        return false;
    }
    QPrinter* printer = target.printer(error);
    if (!printer) return false;

    QPainter painter;
    if (!painter.begin(printer)) {
        if (printer->outputFormat() == QPrinter::PdfFormat) {
            setError(error, QCoreApplication::translate("Printout", "Cannot write the file %1.")
                                .arg(QFileInfo(printer->outputFileName()).absoluteFilePath()));
        } else {
            setError(error, QCoreApplication::translate("Printout", "The printer %1 cannot start the print job.")
                                .arg(printer->printerName()));
        }
        return false;
    }
    // The painter's origin is the top-left of the printable area; width and height are its
    // size in device pixels.
    const QSize printed = printScale(image.width(), image.height(), printer->width(), printer->height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), printed), image);
    const bool ended = painter.end();
    if (!ended || printer->printerState() == QPrinter::Error) {
        setError(error, QCoreApplication::translate("Printout", "The print job failed on %1.")
                            .arg(printer->outputFormat() == QPrinter::PdfFormat ? printer->outputFileName()
                                                                                : printer->printerName()));
        return false;
    }
    return true;
}

QImage grabClientArea(QWidget* window) {
    if (!window) return {};
    QRect area = window->rect();
    // The menu bar belongs to the frame, not to what is printed.
    if (const auto* main = qobject_cast<QMainWindow*>(window)) {
        const QWidget* menu = main->menuWidget();
        if (menu && menu->isVisible()) area.setTop(menu->geometry().bottom() + 1);
    }
    return window->grab(area).toImage();
}
