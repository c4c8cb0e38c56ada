#include "i18n/SessionTexts.h"

#include <array>

namespace {

using Row = std::array<const char*, kLanguageCount>;  // English, German, French, Czech

// In the order of SessionText.
constexpr std::array<Row, 2> kTexts = {{
    {"Save changes?", "Änderungen speichern?", "Enregistrer les modifications ?", "Uložit změny?"},
    {"Another velmor window is already working with the settings in %1.\n"
     "Use that window, or close it and start velmor again.",
     "Ein anderes velmor-Fenster arbeitet bereits mit den Einstellungen in %1.\n"
     "Verwenden Sie dieses Fenster, oder schließen Sie es und starten Sie velmor erneut.",
     "Une autre fenêtre de velmor utilise déjà les réglages de %1.\n"
     "Utilisez cette fenêtre, ou fermez-la et relancez velmor.",
     "S nastavením ve složce %1 už pracuje jiné okno programu velmor.\n"
     "Použijte to okno, nebo ho zavřete a spusťte velmor znovu."},
}};

}  // namespace

QString sessionText(SessionText text, LanguageId language) {
    const auto row = static_cast<std::size_t>(text);
    return QString::fromUtf8(kTexts[row][static_cast<std::size_t>(languageIndex(language))]);
}
