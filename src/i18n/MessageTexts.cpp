#include "i18n/MessageTexts.h"

#include <optional>

namespace {

// Rows in the order the rebuild fills them; kMembers below follows the same order.
constexpr std::array<MessageTextRow, 27> kMessageTable = {{
    {"manualFile", {"manual_velmor_en.pdf", "manual_velmor_de.pdf", "manual_velmor_fr.pdf", "manual_velmor_cz.pdf"}},
    {"programError", {"Program error!", "Programmierfehler!", "Erreur de programmation!", "Chyba programování"}},
    {"verifyError", {"Verify error!", "Vergleichsfehler", "Verifier erreur!", "Chyba verifikace!"}},
    {"readError", {"Read error!", "Lesefehler", "Lire erreur!", "Chyba čtení!"}},
    {"programPrefix", {"Program device:", "Programmieren:", "Programmer:", "Programování:"}},
    {"versionMismatch",
     {"Unmatched version of PC and Ignition programs!", "PC-Programm ist mit der Zündung nicht kompatiebel!",
      "Programme du boitier d´alumage non compatible avec programme PC!", "Neshodné verze proramu v PC a zapalování!"}},
    {"verifyPrefix", {"Verify:", "Vergleichen:", "Vérifier", "Verifikace:"}},
    {"readPrefix", {"Read:", "Lesen:", "Lire", "Čtení:"}},
    {"advanceWord", {"Advance", "Vorzündung", "Avance", "Předstih"}},
    {"programCountPrefix",
     {"Number of Programing= ", "Programmierungsanzahl= ", "Nombre de programmations= ", "Počet programování= "}},
    {"blockingPrefix", {"Blocking - ", "Blockierung - ", "Blocage - ", "Blokování - "}},
    {"yesWord", {"YES", "JA", "Oui", "ANO"}},
    {"noWord", {"NO", "NEIN", "Non", "NE"}},
    {"polarityPrefix", {"Polarity of CKPS - ", "Polarität des CKPS - ", "Polarité CKPS - ", "Polarita CKPS - "}},
    {"positiveWord", {"Positive", "Positiv", "Positif", "Kladná"}},
    {"negativeWord", {"Negative", "Negativ", "Négatif", "Záporná"}},
    {"portOpenError",
     {"Com opening error!", "Falscher COM-Anschlußes!", "Erreur connections PC!", "Chyba při otevírání portu Com!"}},
    {"fileOpenError",
     {"Open file error!", "Fehler beim öffnen der Datei!", "Erreur ouvertur fichier!", "Chyba při otevírání souboru!"}},
    {"defaultQuestion",
     {"Do you want default setting?", "Wollen Sie Standardeinstellungen öffnen?",
      "Voulez vous la programation de base?", "Chcete nastavit základní hodnoty?"}},
    {"retardPrefix", {"Retard - ", "Spätzündung - ", "Retard - ", "Snížení předstihu - "}},
    {"startLimiterPrefix",
     {"Start limiter - ", "Start Begrenzer - ", "Limitateur départ - ", "Startovací omezovač - "}},
    {"fileVersionMismatch",
     {"Unmatched version of *.ign file!", "Datendatei *.ign ist nicht kompatiebel!",
      "Programme du fichier non compatible avec programme PC!", "Neshodná verze souboru *.ign!"}},
    {"printStamp",
     {"Date and time of printing:  ", "Zeitpunkt des Ausdruckes   ",
      "Date et heur de l´imprimé:   ", "Datum a čas tisku:  "}},
    {"pickupPrefix", {"Pick-up (CKPS)", "Geber(CKPS)", "capteur(CKPS)", "Snímač (CKPS)"}},
    {"pickupRunning", {" is running", " läuft", " fonctionne", " pracuje"}},
    {"pickupNoSignal", {" no signal", " kein Signal", " pas de signal", " bez signálu"}},
    {"noReadingNotice", {"No reading!", "Lesen verboten!", "Pas axessible!", "Zákaz čtení!"}},
}};

constexpr std::array<QString MessageTexts::*, 27> kMembers = {
    &MessageTexts::manualFile,
    &MessageTexts::programError,
    &MessageTexts::verifyError,
    &MessageTexts::readError,
    &MessageTexts::programPrefix,
    &MessageTexts::versionMismatch,
    &MessageTexts::verifyPrefix,
    &MessageTexts::readPrefix,
    &MessageTexts::advanceWord,
    &MessageTexts::programCountPrefix,
    &MessageTexts::blockingPrefix,
    &MessageTexts::yesWord,
    &MessageTexts::noWord,
    &MessageTexts::polarityPrefix,
    &MessageTexts::positiveWord,
    &MessageTexts::negativeWord,
    &MessageTexts::portOpenError,
    &MessageTexts::fileOpenError,
    &MessageTexts::defaultQuestion,
    &MessageTexts::retardPrefix,
    &MessageTexts::startLimiterPrefix,
    &MessageTexts::fileVersionMismatch,
    &MessageTexts::printStamp,
    &MessageTexts::pickupPrefix,
    &MessageTexts::pickupRunning,
    &MessageTexts::pickupNoSignal,
    &MessageTexts::noReadingNotice,
};

constexpr std::array<const char*, kLanguageCount> kManualOpenErrorPrefix = {
    "Error by opening file ", "Fehler beim öffnen der Datei ", "Erreur à l´ouvertur du Fichier ",
    "Chyba při otevírání souboru "};

// A live-value label that shows "fresh entry + tail" while the unit is not connected.
struct Placeholder {
    PlaceholderLabel label;
    const char* tail;
};

// Indexed like the table: the placeholder set right after that entry is filled, if any.
std::optional<Placeholder> placeholderAfter(std::size_t index) {
    switch (index + 1) {
        case 9:
            return Placeholder{PlaceholderLabel::LabelAdvance, "--- [°]"};
        case 10:
            return Placeholder{PlaceholderLabel::LabelPocetProgramovani, "---"};
        case 11:
            return Placeholder{PlaceholderLabel::LabelBlocking, "---"};
        case 14:
            return Placeholder{PlaceholderLabel::LabelPolaritaMer, " ---"};
        case 20:
            return Placeholder{PlaceholderLabel::LabelMonRetard, "---"};
        case 21:
            return Placeholder{PlaceholderLabel::LabelMonOmez1, "---"};
        case 24:
            return Placeholder{PlaceholderLabel::LabelSnimac, " ---"};
        default:
            return std::nullopt;
    }
}

}  // namespace

const std::array<MessageTextRow, 27>& messageTextTable() { return kMessageTable; }

const char* manualOpenErrorPrefix(LanguageId language) {
    return kManualOpenErrorPrefix[static_cast<std::size_t>(languageIndex(language))];
}

void buildMessageTexts(MessageTexts& texts, const PlaceholderHook& hook) {
    const LanguageId language = currentLanguage();
    const auto column = static_cast<std::size_t>(languageIndex(language));

    for (std::size_t i = 0; i < kMessageTable.size(); ++i) {
        QString& entry = texts.*kMembers[i];
        entry = QString::fromUtf8(kMessageTable[i].text[column]);

        const std::optional<Placeholder> placeholder = placeholderAfter(i);
        // The connection label is asked each time: the hook reflects the window as it is now.
        if (placeholder && hook.setPlaceholder && hook.disconnected && hook.disconnected()) {
            hook.setPlaceholder(placeholder->label, entry + QString::fromUtf8(placeholder->tail));
        }
    }

    texts.manualOpenError =
        QString::fromUtf8(manualOpenErrorPrefix(language)) + texts.manualFile + QStringLiteral(" !");
    texts.verifyOk = texts.verifyPrefix + QStringLiteral(" OK");
}
