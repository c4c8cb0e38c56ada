#include "ui/PortAssist.h"

#include <QAction>

#include "i18n/PortTexts.h"
#include "link/PortDiagnosis.h"

PortAssist::PortAssist(SerialLink& link, DeviceExchange& exchange, ExchangeView& view,
                       std::function<void(int)> selectPort)
    : link_(link),
      exchange_(exchange),
      view_(view),
      selectPort_(std::move(selectPort)),
      watch_(link),
      finder_(link, [] { return makeSystemPortBackend(); }) {
    finder_.onTrying = [this](const UnitFinder::Candidate& c) {
        show(portText(PortText::FindingOn).arg(c.name), ExchangeView::MessageColour::Normal);
    };
    finder_.onFinished = [this](const UnitFinder::Candidate* found) {
        if (found == nullptr) {
            // Back to the port that was in use; its failure was reported when it was chosen.
            link_.openPortQuietly();
            show(portText(PortText::NoneAnswered), ExchangeView::MessageColour::Red);
            return;
        }
        const UnitFinder::Candidate c = *found;
        selectPort_(c.portNumber);
        show(portText(PortText::FoundOn).arg(c.name).arg(c.portNumber), ExchangeView::MessageColour::Normal);
    };
}

void PortAssist::onTick() {
    // No reopening behind the search's back: it has closed the port on purpose.
    if (finder_.running()) {
        finder_.onTick();
    } else {
        watch_.onTick();
    }
}

void PortAssist::findUnit() {
    if (finder_.running()) {
        finder_.cancel();
        link_.openPortQuietly();
        show(portText(PortText::FindCancelled), ExchangeView::MessageColour::Normal);
        return;
    }
    if (!finder_.start()) show(portText(PortText::NoneAnswered), ExchangeView::MessageColour::Red);
}

void PortAssist::cancelQuietly() { finder_.cancel(); }

void PortAssist::show(const QString& text, ExchangeView::MessageColour colour) {
    view_.setGaugeVisible(false);
    view_.showMessage(text, colour);
    exchange_.setMessageCountdown(ExchangeTiming::kMessageLifetime);
}

void PortAssist::refreshComMenu(const std::array<QAction*, PortMapping::kPorts>& items, LanguageId language) const {
    const PortMapping::Assignments all = link_.mapping().assign();
    for (int n = 1; n <= PortMapping::kPorts; ++n) {
        QAction* item = items[static_cast<std::size_t>(n - 1)];
        // The captions are the same in every language; what follows the tab is the menu's
        // second column, beside the caption.
        const QString caption = item->text().section(QLatin1Char('\t'), 0, 0);
        // The device's words may hold '&', which a menu would take for an access key.
        QString suffix = PortDiagnosis::itemSuffix(all[static_cast<std::size_t>(n - 1)], language);
        suffix.replace(QLatin1Char('&'), QStringLiteral("&&"));
        item->setText(caption + QLatin1Char('\t') + suffix);
    }
}

void PortAssist::applyTexts(QAction* findItem, LanguageId language) const {
    findItem->setText(portText(PortText::FindUnitCaption, language));
    findItem->setStatusTip(portText(PortText::FindUnitHint, language));
}

QString PortAssist::openFailureText(const QString& firstLine, LanguageId language) const {
    return firstLine + QLatin1Char('\n') +
           PortDiagnosis::reason(link_.lastOpenFailure(), link_.mapping().lister().devices(), language);
}
