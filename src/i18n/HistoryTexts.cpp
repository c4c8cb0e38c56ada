#include "i18n/HistoryTexts.h"

namespace {

using T = HistoryText;

constexpr std::array<HistoryTextRow, kHistoryTextCount> kTable = {{
    {T::MenuHistory, {"&History...", "&Verlauf...", "&Historique...", "&Historie..."}},
    {T::MenuCompareFile,
     {"Compare with &file...", "Mit &Datei vergleichen...", "Comparer avec un &fichier...",
      "Porovnat se &souborem..."}},
    {T::MenuCompareUnit,
     {"&Compare with unit", "Mit &Zündung vergleichen", "Comparer avec le &boîtier", "&Porovnat se zapalováním"}},
    {T::MenuBackup,
     {"&Backup before programming", "&Sicherung vor dem Programmieren", "&Sauvegarde avant programmation",
      "Zá&loha před programováním"}},
    {T::HintHistory,
     {"Sets read from and programmed into units", "Aus Zündungen gelesene und programmierte Kenndaten",
      "Paramètres lus et programmés dans les boîtiers", "Parametry přečtené ze zapalování a naprogramované do něj"}},
    {T::HintCompareFile,
     {"Show what differs between the window and a parameter file",
      "Unterschiede zwischen dem Fenster und einer Kenndatendatei anzeigen",
      "Afficher les différences entre la fenêtre et un fichier de paramètres",
      "Zobrazit rozdíly mezi oknem a souborem s parametry"}},
    {T::HintCompareUnit,
     {"Read the unit and show what differs from the window, without changing the window",
      "Zündung lesen und die Unterschiede zum Fenster anzeigen, ohne das Fenster zu ändern",
      "Lire le boîtier et afficher les différences avec la fenêtre, sans modifier la fenêtre",
      "Přečíst zapalování a zobrazit rozdíly oproti oknu, okno se nezmění"}},
    {T::HintBackup,
     {"Read and keep the unit's set before programming it",
      "Kenndaten der Zündung vor dem Programmieren lesen und sichern",
      "Lire et conserver les paramètres du boîtier avant de le programmer",
      "Před programováním přečíst a uschovat parametry zapalování"}},
    {T::HistoryTitle, {"History", "Verlauf", "Historique", "Historie"}},
    {T::ColumnDate, {"Date", "Datum", "Date", "Datum"}},
    {T::ColumnKind, {"Kind", "Art", "Type", "Druh"}},
    {T::ColumnUnit, {"Unit", "Zündung", "Boîtier", "Zapalování"}},
    {T::ColumnFirmware, {"Firmware", "Firmware", "Micrologiciel", "Firmware"}},
    {T::ColumnProgrammings, {"Programmings", "Programmierungen", "Programmations", "Počet programování"}},
    {T::KindRead, {"read", "gelesen", "lu", "přečteno"}},
    {T::KindProgrammed, {"programmed", "programmiert", "programmé", "naprogramováno"}},
    {T::KindBackup, {"backup", "Sicherung", "sauvegarde", "záloha"}},
    {T::ButtonOpen, {"&Open", "&Öffnen", "&Ouvrir", "&Otevřít"}},
    {T::ButtonCompare,
     {"&Compare with window", "Mit &Fenster vergleichen", "&Comparer avec la fenêtre", "&Porovnat s oknem"}},
    {T::ButtonClose, {"Close", "Schließen", "Fermer", "Zavřít"}},
    {T::DifferenceTitle, {"Differences", "Unterschiede", "Différences", "Rozdíly"}},
    {T::ColumnField, {"Value", "Wert", "Valeur", "Hodnota"}},
    {T::SideWindow, {"Window", "Fenster", "Fenêtre", "Okno"}},
    {T::SideUnit, {"Unit", "Zündung", "Boîtier", "Zapalování"}},
    {T::NoDifferences,
     {"The two sets are the same.", "Die beiden Kenndaten sind gleich.", "Les deux jeux de paramètres sont identiques.",
      "Obě sady parametrů jsou stejné."}},
    {T::FieldPoint, {"Point %1", "Punkt %1", "Point %1", "Bod %1"}},
    {T::FieldSpare, {"Spare byte %1", "Reservebyte %1", "Octet de réserve %1", "Rezervní bajt %1"}},
    {T::FieldLobes,
     {"Ignitions per revolution", "Zündungen pro Umdrehung", "Allumages par tour", "Počet zápalů za otáčku"}},
    {T::NoBackupNote,
     {" (no backup: the unit refuses reading)", " (keine Sicherung: Lesen verboten)",
      " (pas de sauvegarde : lecture interdite)", " (bez zálohy: zákaz čtení)"}},
    {T::HistoryWriteError,
     {"The set could not be kept in the history (disk full or folder not writable):",
      "Die Kenndaten konnten nicht im Verlauf gesichert werden (Datenträger voll oder Ordner schreibgeschützt):",
      "Impossible de conserver les paramètres dans l'historique (disque plein ou dossier protégé) :",
      "Parametry se nepodařilo uložit do historie (plný disk nebo složka bez práva zápisu):"}},
}};

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if (kTable[i].id != static_cast<HistoryText>(i)) return false;
    return true;
}
static_assert(inIdOrder(), "rows are looked up by their id");

}  // namespace

const std::array<HistoryTextRow, kHistoryTextCount>& historyTextTable() { return kTable; }

QString historyText(HistoryText id, LanguageId language) {
    const HistoryTextRow& row = kTable[static_cast<std::size_t>(id)];
    return QString::fromUtf8(row.text[static_cast<std::size_t>(languageIndex(language))]);
}
