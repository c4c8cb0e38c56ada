#include "i18n/RangeTexts.h"

#include <array>

namespace {

// In LanguageId order; "%1" stands for the keys.
constexpr std::array<const char*, kLanguageCount> kOutOfRangeNotice = {
    "The file holds values outside the allowed range. They were set to the nearest allowed value: %1",
    "Die Datei enthält Werte außerhalb des zulässigen Bereichs. Sie wurden auf den nächsten zulässigen Wert "
    "gesetzt: %1",
    "Le fichier contient des valeurs hors des limites autorisées. Elles ont été ramenées à la valeur autorisée "
    "la plus proche : %1",
    "Soubor obsahuje hodnoty mimo povolený rozsah. Byly nastaveny na nejbližší povolenou hodnotu: %1",
};

}  // namespace

QString outOfRangeNotice(LanguageId language, const QStringList& keys) {
    const auto column = static_cast<std::size_t>(languageIndex(language));
    return QString::fromUtf8(kOutOfRangeNotice[column]).arg(keys.join(QStringLiteral(", ")));
}
