#include "i18n/GraphTexts.h"

#include <array>

namespace {

using Row = std::array<const char*, kLanguageCount>;  // English, German, French, Czech

// In the order of GraphText.
constexpr std::array<Row, 12> kTexts = {{
    {"Engine speed [rpm]", "Drehzahl [U/min]", "Régime [tr/min]", "Otáčky [ot/min]"},
    {"Advance [°]", "Vorzündung [°]", "Avance [°]", "Předstih [°]"},
    {"Base", "Grund", "Base", "Základ"},
    {"Limiter", "Begrenzer", "Limiteur", "Omezovač"},
    {"Start limiter", "Startbegrenzer", "Limiteur départ", "Startovací omezovač"},
    {"Shift light", "Schaltblitz", "Voyant de passage", "Řadicí světlo"},
    {"Point %1: %2 rpm, %3°", "Punkt %1: %2 U/min, %3°", "Point %1 : %2 tr/min, %3°", "Bod %1: %2 ot/min, %3°"},
    {"Drag a point of the curve to change its advance and RPM",
     "Einen Kurvenpunkt ziehen, um Vorzündung und Drehzahl zu ändern",
     "Faites glisser un point de la courbe pour changer son avance et son régime",
     "Tažením bodu křivky změníte jeho předstih a otáčky"},
    {"&Undo", "&Rückgängig", "&Annuler", "&Zpět"},
    {"Undo the last change of the parameters", "Letzte Änderung der Parameter rückgängig machen",
     "Annuler la dernière modification des paramètres", "Vrátit poslední změnu parametrů"},
    {"&Redo", "&Wiederherstellen", "&Rétablir", "Z&novu"},
    {"Redo the change just undone", "Rückgängig gemachte Änderung wiederherstellen", "Rétablir la modification annulée",
     "Znovu provést vrácenou změnu"},
}};

}  // namespace

QString graphText(GraphText text, LanguageId language) {
    const auto row = static_cast<std::size_t>(text);
    return QString::fromUtf8(kTexts[row][static_cast<std::size_t>(languageIndex(language))]);
}
