#include "ui/TFormAbout.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "ui/Artwork.h"

namespace {

// The stamps of the build that made the executable, handed in by it before the window is
// made; empty where no build stamp was given (a test without one).
QString& storedDate() {
    static QString date;
    return date;
}
QString& storedTime() {
    static QString time;
    return time;
}

// The maker is our own invention: the domains are reserved example domains and the
// numbers come from the range kept free for fiction.
const char* const kContactLines[TFormAbout::kContactLineCount] = {
    "Ing. Dana Veselkova",      "Velmor Example Works Ltd.",     "Sample Road 12",
    "000 00 Exampleton",        "Tel.:  +1 202 555 0101",        "Fax:  +1 202 555 0102",
    "Mobile:  +1 202 555 0103", "E-mail:  ignition@example.com", "www.example.org",
};

const char* const kBrandTitle = "VELMORAN ignition units  \u00b7  Velmor Example Works";

// Layout of the client area, top to bottom.
constexpr int kDescTop = 6;
constexpr int kDescHeight = 44;
constexpr int kLogoTop = 54;
constexpr int kContactTop = 110;
constexpr int kContactHeight = 22;
constexpr int kRuleGap = 6;
constexpr int kSideMargin = 10;
constexpr int kStampHeight = 18;
constexpr int kExitSize = 40;

QFont sansFont(int pixelSize) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, int pixelSize, Qt::Alignment align) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(sansFont(pixelSize));
    label->setAlignment(align);
    return label;
}

}  // namespace

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TFormAbout"));
    setWindowTitle(brandTitle());
    setModal(true);

    QPalette pal = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Window, Qt::black);
        pal.setColor(group, QPalette::WindowText, Qt::white);
    }
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(sansFont(16));

    LabelAbout = makeLabel(this, "LabelAbout", 16, Qt::AlignCenter);
    LabelAbout->setWordWrap(true);
    LabelAbout->setText(description(currentLanguage()));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(velmorLogo(kLogoSize, devicePixelRatioF()));

    for (int i = 0; i < kContactLineCount; ++i) {
        const QByteArray name = "LabelContact" + QByteArray::number(i + 1);
        contactLabels[i] = makeLabel(this, name.constData(), 16, Qt::AlignCenter);
        contactLabels[i]->setText(contactLine(i));
    }

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::NoFrame);
    Bevel1->setAutoFillBackground(true);
    QPalette rule = Bevel1->palette();
    rule.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    Bevel1->setPalette(rule);

    LabelDate = makeLabel(this, "LabelDate", 13, Qt::AlignLeft | Qt::AlignVCenter);
    LabelTime = makeLabel(this, "LabelTime", 13, Qt::AlignLeft | Qt::AlignVCenter);
    LabelDate->setText(buildDateStamp());
    LabelTime->setText(buildTimeStamp());

    LabelExit = makeLabel(this, "LabelExit", 23, Qt::AlignCenter);
    LabelExit->setText(QStringLiteral("OK"));
    LabelExit->setCursor(Qt::PointingHandCursor);
    LabelExit->installEventFilter(this);

    setFixedSize(kOuterSize);
    placeControls();
    centreOnScreen();
}

int TFormAbout::showAbout() { return exec(); }

QString TFormAbout::dateStampFrom(const char* compilerDate) { return QString::fromLatin1(compilerDate).simplified(); }

void TFormAbout::setBuildStamps(const QString& date, const QString& time) {
    storedDate() = date.simplified();
    storedTime() = time;
}

QString TFormAbout::buildDateStamp() { return storedDate(); }

QString TFormAbout::buildTimeStamp() { return storedTime(); }

QString TFormAbout::description(LanguageId language) {
    switch (language) {
        case LanguageId::German:
            return QStringLiteral("Program für die Adjustierung der Zündung");
        case LanguageId::Czech:
            return QStringLiteral("Program pro nastavování zapalování");
        case LanguageId::English:
        case LanguageId::French:
            break;
    }
    return QStringLiteral("Programm for setting of ignition");
}

QString TFormAbout::contactLine(int index) {
    if (index < 0 || index >= kContactLineCount) return {};
    return QString::fromUtf8(kContactLines[index]);
}

QString TFormAbout::brandTitle() { return QString::fromUtf8(kBrandTitle); }

void TFormAbout::FormActivate() {
    // A value outside the four languages leaves the text as it is.
    switch (const LanguageId language = currentLanguage()) {
        case LanguageId::English:
        case LanguageId::German:
        case LanguageId::French:
        case LanguageId::Czech:
            LabelAbout->setText(description(language));
            break;
    }
}

bool TFormAbout::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        fitOuterSize();
        FormActivate();
    }
    return QDialog::event(e);
}

void TFormAbout::showEvent(QShowEvent* e) {
    fitOuterSize();
    // The screen may have another pixel ratio than at creation.
    Image1->setPixmap(velmorLogo(kLogoSize, devicePixelRatioF()));
    FormActivate();
    QDialog::showEvent(e);
}

void TFormAbout::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    placeControls();
}

void TFormAbout::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(e);  // Escape rejects, which closes as well
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* e) {
    if (watched == LabelExit && e->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(e);
        // Like a button: only a release over the label counts.
        if (me->button() == Qt::LeftButton && LabelExit->rect().contains(me->position().toPoint())) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

// The outer size is fixed; the client area is what the platform's frame leaves of it.
void TFormAbout::fitOuterSize() {
    const QWindow* handle = windowHandle();
    if (!handle) return;
    const QMargins frame = handle->frameMargins();
    const QSize client(kOuterSize.width() - frame.left() - frame.right(),
                       kOuterSize.height() - frame.top() - frame.bottom());
    if (client != size() && client.isValid()) setFixedSize(client);
}

void TFormAbout::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    // Integer halves, rounded toward zero.
    move(area.left() + area.width() / 2 - kOuterSize.width() / 2,
         area.top() + area.height() / 2 - kOuterSize.height() / 2);
}

void TFormAbout::placeControls() {
    const int w = width();
    const int h = height();
    LabelAbout->setGeometry(kSideMargin, kDescTop, w - 2 * kSideMargin, kDescHeight);
    Image1->setGeometry((w - kLogoSize.width()) / 2, kLogoTop, kLogoSize.width(), kLogoSize.height());
    for (int i = 0; i < kContactLineCount; ++i) {
        contactLabels[i]->setGeometry(0, kContactTop + i * kContactLineStep, w, kContactHeight);
    }
    const int ruleTop = kContactTop + (kContactLineCount - 1) * kContactLineStep + kContactHeight + kRuleGap;
    Bevel1->setGeometry(kSideMargin, ruleTop, w - 2 * kSideMargin, 1);
    LabelDate->setGeometry(kSideMargin + 6, ruleTop + 8, 160, kStampHeight);
    LabelTime->setGeometry(kSideMargin + 6, ruleTop + 8 + kStampHeight, 160, kStampHeight);
    LabelExit->setGeometry(w - kSideMargin - kExitSize - 8, h - kSideMargin - kExitSize, kExitSize + 8, kExitSize);
}
