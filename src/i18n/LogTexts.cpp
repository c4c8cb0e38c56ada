#include "i18n/LogTexts.h"

namespace {

using T = LogText;

constexpr std::array<LogTextRow, kLogTextCount> kTable = {{
    {T::MenuRecordLog, {"Record lo&g", "Protokoll &aufzeichnen", "&Enregistrer le journal", "Z&aznamenávat data"}},
    {T::HintRecordLog,
     {"Write every telemetry frame of the unit into a log file",
      "Jedes Telemetriebild der Zündung in eine Protokolldatei schreiben",
      "Écrire chaque trame de télémesure du boîtier dans un fichier journal",
      "Zapisovat každý rámec telemetrie zapalování do souboru záznamu"}},
    {T::MenuOpenLog, {"&Open log...", "Protokoll ö&ffnen...", "&Ouvrir un journal...", "&Otevřít záznam..."}},
    {T::HintOpenLog,
     {"Show a recorded log beside the curve", "Ein aufgezeichnetes Protokoll neben der Kurve anzeigen",
      "Afficher un journal enregistré à côté de la courbe", "Zobrazit zaznamenaná data vedle křivky"}},
    {T::Recording, {"● Recording %1", "● Aufzeichnung %1", "● Enregistrement %1", "● Záznam %1"}},
    {T::RecordStopped,
     {"Recording stopped: the log could not be written (%1). What was recorded until then is kept in %2.",
      "Aufzeichnung beendet: Das Protokoll konnte nicht geschrieben werden (%1). Das bis dahin Aufgezeichnete "
      "bleibt in %2 erhalten.",
      "Enregistrement arrêté : le journal n'a pas pu être écrit (%1). Ce qui a été enregistré jusque-là est "
      "conservé dans %2.",
      "Záznam byl zastaven: soubor se nepodařilo zapsat (%1). Dosud zaznamenaná data zůstávají v %2."}},
    {T::RecordNotStarted,
     {"The log %1 cannot be created: %2", "Das Protokoll %1 kann nicht angelegt werden: %2",
      "Impossible de créer le journal %1 : %2", "Soubor záznamu %1 nelze vytvořit: %2"}},
    {T::OpenError,
     {"The log %1 cannot be opened: %2", "Das Protokoll %1 kann nicht geöffnet werden: %2",
      "Impossible d'ouvrir le journal %1 : %2", "Soubor záznamu %1 nelze otevřít: %2"}},
    {T::ViewerTitle, {"Log %1", "Protokoll %1", "Journal %1", "Záznam %1"}},
    {T::TabTime, {"Over time", "Über der Zeit", "En fonction du temps", "V čase"}},
    {T::TabCurve,
     {"Advance against RPM", "Vorzündung über der Drehzahl", "Avance en fonction du régime", "Předstih podle otáček"}},
    {T::AxisTime, {"Time [s]", "Zeit [s]", "Temps [s]", "Čas [s]"}},
    {T::AxisRpm, {"RPM [1/min]", "Drehzahl [1/min]", "Régime [tr/min]", "Otáčky [1/min]"}},
    {T::AxisAdvance, {"Advance [°]", "Vorzündung [°]", "Avance [°]", "Předstih [°]"}},
    {T::OverWindowSet,
     {"Over the &window's current set", "Über den aktuellen Kenndaten des &Fensters",
      "Sur les paramètres actuels de la &fenêtre", "Nad aktuálními parametry &okna"}},
    {T::CopyPicture, {"&Copy picture", "Bild &kopieren", "&Copier l'image", "&Kopírovat obrázek"}},
    {T::SavePicture, {"&Save as PNG...", "Als PNG &speichern...", "&Enregistrer en PNG...", "&Uložit jako PNG..."}},
    {T::Close, {"Close", "Schließen", "Fermer", "Zavřít"}},
    {T::SaveError,
     {"The picture could not be saved to %1.", "Das Bild konnte nicht unter %1 gespeichert werden.",
      "Impossible d'enregistrer l'image dans %1.", "Obrázek se nepodařilo uložit do %1."}},
    {T::CutOff,
     {"The log ends in an incomplete line (the recording was interrupted); that line is left out.",
      "Das Protokoll endet mit einer unvollständigen Zeile (die Aufzeichnung wurde unterbrochen); sie wird "
      "ausgelassen.",
      "Le journal se termine par une ligne incomplète (l'enregistrement a été interrompu) ; elle est ignorée.",
      "Záznam končí neúplným řádkem (záznam byl přerušen); ten je vynechán."}},
    {T::ViewerHint,
     {"Wheel: zoom   Drag: move   Click: cursor   Double-click: whole log",
      "Mausrad: Zoom   Ziehen: verschieben   Klick: Cursor   Doppelklick: ganzes Protokoll",
      "Molette : zoom   Glisser : déplacer   Clic : curseur   Double-clic : tout le journal",
      "Kolečko: zvětšení   Tažení: posun   Klepnutí: kurzor   Dvojklik: celý záznam"}},
    {T::LogFilter,
     {"Telemetry logs (*.csv)", "Telemetrieprotokolle (*.csv)", "Journaux de télémesure (*.csv)",
      "Záznamy telemetrie (*.csv)"}},
    {T::PictureFilter, {"PNG pictures (*.png)", "PNG-Bilder (*.png)", "Images PNG (*.png)", "Obrázky PNG (*.png)"}},
    {T::ColumnTime, {"Time", "Zeit", "Temps", "Čas"}},
    {T::ColumnRpm, {"RPM", "Drehzahl", "Régime", "Otáčky"}},
    {T::ColumnAdvance, {"Advance", "Vorzündung", "Avance", "Předstih"}},
    {T::ColumnAdvanceMax, {"Max. advance", "Max. Vorzündung", "Avance max.", "Max. předstih"}},
    {T::ColumnSupply, {"Supply", "Spannung", "Tension", "Napětí"}},
    {T::ColumnPickup, {"Pick-up", "Geber", "Capteur", "Snímač"}},
    {T::ColumnKillSwitch, {"Kill switch", "Notaus", "Coupe-circuit", "Vypínač"}},
    {T::ColumnRetard, {"Retard", "Spätzündung", "Retard", "Snížení předstihu"}},
    {T::ColumnBlocking, {"Blocking", "Blockierung", "Blocage", "Blokování"}},
    {T::ColumnStartLimiter, {"Start limiter", "Startbegrenzer", "Limiteur départ", "Startovací omezovač"}},
    {T::ColumnClutchMaster, {"Clutch master", "Kupplungsgeber", "Embrayage", "Spojka"}},
    {T::ColumnPolarity, {"Polarity", "Polarität", "Polarité", "Polarita"}},
    {T::ColumnLiveRow, {"Curve row", "Kurvenzeile", "Ligne de courbe", "Řádek křivky"}},
    {T::ColumnProgrammings, {"Programmings", "Programmierungen", "Programmations", "Počet programování"}},
    {T::NotAPlainFile,
     {"it is not a plain file", "es ist keine gewöhnliche Datei", "ce n'est pas un fichier ordinaire",
      "nejde o běžný soubor"}},
    {T::TooLarge,
     {"the file is larger than %1 MB, the most the viewer reads (about 30 hours of telemetry)",
      "die Datei ist größer als %1 MB, mehr als die Anzeige liest (etwa 30 Stunden Telemetrie)",
      "le fichier dépasse %1 Mo, la taille maximale que la visionneuse lit (environ 30 heures de télémesure)",
      "soubor je větší než %1 MB, což je nejvíc, co prohlížeč načte (asi 30 hodin telemetrie)"}},
    {T::NoHeader,
     {"it has no column header of a telemetry log", "es fehlt die Spaltenüberschrift eines Telemetrieprotokolls",
      "l'en-tête de colonnes d'un journal de télémesure est absent", "chybí záhlaví sloupců záznamu telemetrie"}},
    {T::LeftOut,
     {"Rows left out because they cannot be read (a cell that is no number or lies outside its range): %1",
      "Ausgelassene unlesbare Zeilen (eine Zelle ohne Zahl oder außerhalb ihres Bereichs): %1",
      "Lignes ignorées car illisibles (une cellule sans nombre ou hors de sa plage) : %1",
      "Vynechané nečitelné řádky (buňka bez čísla nebo mimo svůj rozsah): %1"}},
}};

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<std::size_t>(kTable[i].id) != i) return false;
    }
    return true;
}
static_assert(inIdOrder(), "rows are looked up by their id");

}  // namespace

const std::array<LogTextRow, kLogTextCount>& logTextTable() { return kTable; }

QString logText(LogText id, LanguageId language) {
    const LogTextRow& row = kTable[static_cast<std::size_t>(id)];
    return QString::fromUtf8(row.text[static_cast<std::size_t>(languageIndex(language))]);
}
