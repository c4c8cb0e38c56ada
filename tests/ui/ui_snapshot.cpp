// Renders the operator window to PNG files for a visual check:
//   ui_snapshot <output-dir>
// Run under a real or virtual X server (xvfb-run); QT_SCALE_FACTOR=2 gives the doubled look.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <memory>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "TempConfig.h"
#include "link/Telemetry.h"
#include "ui/TFormHlav.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    // The operator's own settings are neither read nor written.
    TempConfig config;
    auto port = std::make_unique<FakePort>();
    TFormHlav window(std::move(port));
    window.serialLink().mapping().setExplicit(1, "fake");
    window.setFileDialogs(std::make_unique<FakeDialogs>());
    window.FormCreate();
    window.timer1()->stop();
    window.show();
    QApplication::processEvents();

    auto save = [&](const QString& name) {
        // Text changes relayout in posted steps; let them all settle before grabbing.
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
        window.grab().save(QDir(dir).filePath(name));
        qInfo("%s: %d x %d", qPrintable(name), window.width(), window.height());
    };
    save("window-start.png");

    // A connected unit with some live values, a coloured row and a message.
    TelemetryValues values;
    values.rpm = 4230;
    values.supplyMillivolts = 13800;
    values.programmingCount = 17;
    values.advance = 24;
    values.advanceMax = 30;
    values.pickupSignal = true;
    values.polarityOk = true;
    values.retardActive = true;
    values.rpmGauge = 28;
    values.rpmWarning = true;
    values.rpmColour = LiveColour::Yellow;
    values.pickupColour = LiveColour::Green;
    values.retardColour = LiveColour::Aqua;
    window.setConnectionLabelVisible(false);
    window.showTelemetry(values);
    window.highlightLiveRow(3, false);
    window.parameterSet().setInput1Function(3);
    window.parameterSet().setInput2Function(2);
    window.parameterSet().setCurvePointCount(12);
    window.refreshWindow();
    window.showMessage(window.messageTexts().programError, ExchangeView::MessageColour::Red);
    window.setGauge(1);
    window.setGaugeVisible(true);
    window.setFileLabel("/home/operator/sets/track-day.ign");
    // Both automatic options ticked: they show red.
    window.findChild<QCheckBox*>("CheckBoxProgHned")->setChecked(true);
    window.parameterSet().setNoReading(1);
    window.refreshWindow();
    save("window-live.png");

    window.setLanguage(LanguageId::Czech);
    save("window-czech.png");
    window.setLanguage(LanguageId::French);
    save("window-french.png");
    window.setLanguage(LanguageId::German);
    save("window-german.png");

    window.setPrintView(true);
    window.updateLayout();
    save("window-print.png");
    window.setPrintView(false);
    window.updateLayout();
    window.setTestMode(true);
    save("window-testmode.png");
    window.setTestMode(false);

    // The printout of the German window as a PDF page.
    window.setConnectionLabelVisible(true);
    window.setPrintTarget(std::make_unique<PdfPrintTarget>(QDir(dir).filePath("printout.pdf")));
    window.printWindow();
    save("window-after-print.png");
    return 0;
}
