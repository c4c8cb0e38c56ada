#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

#include "i18n/Language.h"

class QFrame;
class QLabel;

// The About window: the program's description in the current language, the logo, the
// maker's contact lines and the build stamps. Created once, hidden, after the main window
// and shown modally on demand; it keeps its position between showings.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kOuterSize{347, 434};
    static constexpr QSize kLogoSize{313, 49};
    static constexpr int kContactLineCount = 9;
    static constexpr int kContactLineStep = 25;

    explicit TFormAbout(QWidget* parent = nullptr);

    // Shows the window modally; returns when it is closed.
    int showAbout();

    // The build stamps: "Mmm d yyyy" with single blanks, and "hh:mm:ss". The executable
    // hands in the stamps of its own build before the window is made.
    static void setBuildStamps(const QString& date, const QString& time);
    static QString buildDateStamp();
    static QString buildTimeStamp();
    // The compiler writes a single-digit day as a blank and the digit ("Dec  8 2026");
    // the stamp separates its three parts by one blank.
    static QString dateStampFrom(const char* compilerDate);

    // The description for a language; French shows the English text.
    static QString description(LanguageId language);

    // The maker lines, top to bottom, and the window title (our own brand line).
    static QString contactLine(int index);
    static QString brandTitle();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormActivate();
    void fitOuterSize();
    void centreOnScreen();
    void placeControls();

    QLabel* LabelAbout = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* contactLabels[kContactLineCount] = {};
    QFrame* Bevel1 = nullptr;
    QLabel* LabelDate = nullptr;
    QLabel* LabelTime = nullptr;
    QLabel* LabelExit = nullptr;
};
