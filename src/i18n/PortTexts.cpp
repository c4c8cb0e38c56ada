#include "i18n/PortTexts.h"

#include <array>

namespace {

using Row = std::array<const char*, kLanguageCount>;

// English, German, French, Czech.
constexpr std::array<Row, 15> kTexts = {{
    {"Nothing is connected as COM%1.", "Als COM%1 ist nichts angeschlossen.", "Rien n'est branché en COM%1.",
     "Jako COM%1 není nic připojeno."},
    {"%1 does not exist.", "%1 ist nicht vorhanden.", "%1 n'existe pas.", "%1 neexistuje."},
    {"Serial devices present: %1.", "Vorhandene serielle Geräte: %1.", "Périphériques série présents : %1.",
     "Přítomná sériová zařízení: %1."},
    {"No serial device is present.", "Es ist kein serielles Gerät vorhanden.",
     "Aucun périphérique série n'est présent.", "Není přítomno žádné sériové zařízení."},
    {"%1: access denied; the device belongs to the group \"%2\". To fix it: sudo usermod -aG %2 $USER, then log "
     "out and log in again.",
     "%1: Zugriff verweigert; das Gerät gehört der Gruppe „%2“. Abhilfe: sudo usermod -aG %2 $USER, danach ab- "
     "und wieder anmelden.",
     "%1 : accès refusé ; le périphérique appartient au groupe « %2 ». Pour y remédier : sudo usermod -aG %2 "
     "$USER, puis fermez la session et reconnectez-vous.",
     "%1: přístup odepřen; zařízení patří skupině „%2“. Náprava: sudo usermod -aG %2 $USER, potom se odhlaste a "
     "znovu přihlaste."},
    {"%1 is in use by another program (%2).", "%1 wird von einem anderen Programm benutzt (%2).",
     "%1 est utilisé par un autre programme (%2).", "%1 používá jiný program (%2)."},
    {"%1 is in use by another program.", "%1 wird von einem anderen Programm benutzt.",
     "%1 est utilisé par un autre programme.", "%1 používá jiný program."},
    {"%1 cannot be opened: %2", "%1 lässt sich nicht öffnen: %2", "Impossible d'ouvrir %1 : %2",
     "%1 nelze otevřít: %2"},
    {"nothing connected", "nichts angeschlossen", "rien de branché", "nic nepřipojeno"},
    {"&Find unit", "&Zündbox suchen", "&Rechercher le boîtier", "&Najít jednotku"},
    {"Try each serial device for the unit", "Alle seriellen Geräte nach der Zündbox absuchen",
     "Essayer chaque périphérique série pour trouver le boîtier",
     "Vyzkoušet všechna sériová zařízení a najít jednotku"},
    {"Find unit: %1 ...", "Zündbox suchen: %1 ...", "Recherche du boîtier : %1 ...", "Hledání jednotky: %1 ..."},
    {"Unit found on %1 (COM%2)", "Zündbox gefunden an %1 (COM%2)", "Boîtier trouvé sur %1 (COM%2)",
     "Jednotka nalezena na %1 (COM%2)"},
    {"No unit answered.", "Keine Zündbox hat geantwortet.", "Aucun boîtier n'a répondu.",
     "Žádná jednotka neodpověděla."},
    {"Search cancelled.", "Suche abgebrochen.", "Recherche annulée.", "Hledání zrušeno."},
}};

}  // namespace

QString portText(PortText text, LanguageId language) {
    const auto row = static_cast<std::size_t>(text);
    return QString::fromUtf8(kTexts[row][static_cast<std::size_t>(languageIndex(language))]);
}
