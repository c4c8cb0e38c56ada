#include "i18n/WindowTexts.h"

#include <string>
#include <vector>

namespace {

// Rows 43/44 and 80..89 are left empty here and composed from the words below, so each
// word is written once.
constexpr std::array<WindowTextRow, kWindowTextRowCount> kRawRows = {{
    {2,
     "LabelSpojeni",
     TextKind::Caption,
     0,
     {"No connection with PC", "Keine Verbindung zum PC", "Pas de connection acec pc", "Není spojení s PC"}},
    {3, "MenuFile", TextKind::MenuCaption, 0, {"&File", "&Datei", "&Fichier", "&Soubor"}},
    {4, "MenuNew", TextKind::MenuCaption, 0, {"&New", "&Neu", "&Nouveau", "&Nový"}},
    {5, "MenuOpen", TextKind::MenuCaption, 0, {"&Open", "&Öffnen", "&Ouvrir", "&Otevřít"}},
    {6, "MenuSave", TextKind::MenuCaption, 0, {"&Save", "&Speichern", "&Mèmoriser", "&Uložit"}},
    {7, "MenuPrint", TextKind::MenuCaption, 0, {"&Print", "&Drucken", "&Imprimer", "&Tisk"}},
    {8, "MenuExit", TextKind::MenuCaption, 0, {"E&xit", "&Beenden", "&Sortir", "&Konec"}},
    {9, "MenuCom", TextKind::MenuCaption, 0, {"&Com", "&COM-Anschluß", "&Connection com", "&Port"}},
    {10, "MenuDevice", TextKind::MenuCaption, 0, {"&Ignition", "&Zündung", "&Allumage", "&Zapalování"}},
    {11, "MenuRead", TextKind::MenuCaption, 0, {"&Read", "&Lesen", "&Lire", "Čí&st"}},
    {12, "Button1", TextKind::Caption, 0, {"&Read", "&Lesen", "&Lire", "Čís&t"}},
    {13, "MenuVerify", TextKind::MenuCaption, 0, {"&Verify", "&Vergleichen", "&Verifier", "&Verifikace"}},
    {14, "BitBtn2", TextKind::Caption, 0, {"&Verify", "&Vergleichen", "&Verifier", "&Verifikace"}},
    {15, "MenuProgram", TextKind::MenuCaption, 0, {"&Program", "&Programmieren", "&Programer", "&Programovat"}},
    {16, "BitBtn1", TextKind::Caption, 0, {"&Program", "&Programmieren", "&Programer", "P&rogramovat"}},
    {17, "MenuTools", TextKind::MenuCaption, 0, {"Tools", "Werkzeuge", "Outillage", "Pomůcky"}},
    {18, "MenuLanguage", TextKind::MenuCaption, 0, {"&Language", "&Sprache", "&Langue", "&Jazyk"}},
    {19, "MenuEnglish", TextKind::MenuCaption, 0, {"&English", "&Englisch", "&Englais", "&Anglicky"}},
    {20, "MenuGerman", TextKind::MenuCaption, 0, {"&German", "&Deutsch", "&Allemand", "&Německy"}},
    {21, "MenuFrench", TextKind::MenuCaption, 0, {"&French", "&Französisch", "&Francais", "Francouzky"}},
    {22, "MenuCzech", TextKind::MenuCaption, 0, {"&Czech", "&Tschechisch", "&Tchèque", "Če&sky"}},
    {23, "MenuHelp", TextKind::MenuCaption, 0, {"&Help", "&Hilfe", "&Aide", "Nápověda"}},
    {24, "MenuContens", TextKind::MenuCaption, 0, {"&Contents...", "&Inhalt...", "&Contenu", "Obsah"}},
    {25,
     "MenuAbout",
     TextKind::MenuCaption,
     0,
     {"&About...", "&Über Programm...", "&Contenu du programme", "&O programu..."}},
    {26, "CheckBoxIgnAll", TextKind::Caption, 0, {"All", "Alles", "Tout", "Vše"}},
    {27,
     "CheckBoxProgHned",
     TextKind::Caption,
     0,
     {"Programming after change", "Programmierung nach Änderung", "Sovegarde après modification",
      "Programování po změně"}},
    {28, "CheckBoxZakazCteni", TextKind::Caption, 0, {"No Reading", "Lesen Verboten", "Pas axessible", "Zákaz čtení"}},
    {29, "LabelAdvance1", TextKind::Caption, 0, {"Advance [°]", "Vorzündung [°]", "Avance [°]", "Předstih [°]"}},
    {30, "LabelAdvance2", TextKind::Caption, 0, {"Advance [°]", "Vorzündung [°]", "Avance [°]", "Předstih [°]"}},
    {31,
     "LabelOmez1",
     TextKind::Caption,
     0,
     {"Start limiter [rpm]", "Startbegrenzer [rpm]", "Limitateur départ [rpm]", "Startovací omezovač [rpm]"}},
    {32,
     "LabelOmez2",
     TextKind::Caption,
     0,
     {"Limiter [rpm]", "Begrenzer [rpm]", "Limitateur [rpm]", "Omezovač [rpm]"}},
    {33,
     "LabelBaseAdv",
     TextKind::Caption,
     0,
     {"Base advance [°]", "Basis Vorzündung [°]", "Avance de base [°]", "Základní předstih [°]"}},
    {34,
     "LabelPocetBodu",
     TextKind::Caption,
     0,
     {"Number of items", "Anzahl der Stützpunkte", "Nombre de points", "Počet bodů"}},
    {35,
     "ComboBoxPocPalcu",
     TextKind::Item,
     1,
     {"1 ignition per revolution", "1 Zündung pro Umdrehung", "1 ignition per revolution", "1 zápal za otáčku"}},
    {36,
     "ComboBoxPocPalcu",
     TextKind::Item,
     2,
     {"2 ignitions per revolution", "2 Zündungen pro Umdrehung", "2 ignitions per revolution", "2 zápaly za otáčku"}},
    {37,
     "ComboBoxPocPalcu",
     TextKind::Item,
     3,
     {"3 ignitions per revolution", "3 Zündungen pro Umdrehung", "3 ignitions per revolution", "3 zápaly za otáčku"}},
    {38,
     "ComboBoxPocPalcu",
     TextKind::Item,
     4,
     {"1 ignition per 2 revolutions (camshaft)", "1 Zündung pro 2 Umdrehungen (Nockenwelle)",
      "1 ignition per 2 revolutions (camshaft)", "1 zápal za 2 otáčky (vačkový hřídel)"}},
    {39,
     "LabelRetard",
     TextKind::Caption,
     0,
     {"Retard [°]", "Spätzündung [°]", "Retard d´allumage[°]", "Snížení předstihu [°]"}},
    {40,
     "LabelLedRazeni",
     TextKind::Caption,
     0,
     {"Gear Shift Light [rpm]", "Schaltblitz [rpm]", "Témoin de changement de rapport [rpm]",
      "Kontrolka řazení [rpm]"}},
    {41,
     "RadioGroupPolarita",
     TextKind::Caption,
     0,
     {"Polarity of CPS:", "Polarität des CPS:", "Polarité CPS", "Polarita CPS:"}},
    {42,
     "RadioGroupPolarita",
     TextKind::Items,
     0,
     {"Positive\nNegative\nSelfsearch", "Positiv\nNegativ\nAutomatisch", "Positif\nNégatif\nAutomatique",
      "Kladná\nZáporná\nSamohledání"}},
    {43, "RadioGroupInput1", TextKind::Caption, 0, {}},  // composed
    {44, "RadioGroupInput2", TextKind::Caption, 0, {}},  // composed
    {45,
     "RadioGroupInput1",
     TextKind::Items,
     0,
     {"Off\nKill switch\nClutch master\nRetard\nStart Limiter",
      "Aus\nNot Aus\nKupplungsunterbrecher\nSpätzündung\nStartbegrenzer",
      "Off\nInterrupteur de sécurité\npar embeillage\nRetard à l´allumage\nLimitateur départ",
      "Vypnut\nKill switch\nClutch master\nSnížení předstihu\nStartovací omezovač"}},
    {46,
     "RadioGroupInput2",
     TextKind::Items,
     0,
     {"Off\nBlocking\nClutch master\nRetard\nStart Limiter",
      "Aus\nBlockierung\nKupplungsunterbrecher\nSpätzündung\nStartbegrenzer",
      "Off\nBlocage\npar embeillage\nRetard à l´allumage\nLimitateur départ",
      "Vypnut\nBlokování\nClutch master\nSnížení předstihu\nStartovací omezovač"}},
    {47, "LabelFile1", TextKind::Caption, 0, {"File:", "Datei:", "Fichier:", "Soubor:"}},
    {48,
     "GroupBoxRpm",
     TextKind::Caption,
     0,
     {"Tachometer output", "Drehzählerausgang", "Tachometer output", "Výstup pro otáčkoměr"}},
    {49,
     "LabelRpmPulsu",
     TextKind::Caption,
     0,
     {"Pulses per revolution", "Pulse pro Umdrehung", "Pulses per revolution", "Počet pulsů za otáčku"}},
    {50,
     "LabelRpmKorekce",
     TextKind::Caption,
     0,
     {"Correction [%]", "Korrektion [%]", "Correction [%]", "Korekce [%]"}},
    {51,
     "LabelRpm1",
     TextKind::Hint,
     0,
     {"Round per Minute|Speed - Round per Minute", "Umdrehungen pro Minute", "Tours minute",
      "Otáčky za minutu|Rychlost - Otáčky za minutu"}},
    {52,
     "LabelRpm2",
     TextKind::Hint,
     0,
     {"Round per Minute|Speed - Round per Minute", "Umdrehungen pro Minute", "Tours minute",
      "Otáčky za minutu|Rychlost - Otáčky za minutu"}},
    {53,
     "LabelVerze1",
     TextKind::Hint,
     0,
     {"Version of program in ignition", "Programmverion der Zündung", "Variantes de courbe d´avance",
      "Verze programu v zapalování"}},
    {54,
     "LabelVerze2",
     TextKind::Hint,
     0,
     {"Date of program in ignition", "Datum des Programm in der Zündung", "Date de programation de la courbe d´avance",
      "Datum zhotovení programu v zapalování"}},
    {55,
     "LabelVerze3",
     TextKind::Hint,
     0,
     {"Time of program in ignition", "Programmierzeitpunkt der Zündung", "Temp de programation de la courbe d´avance",
      "Čas zhotovení programu v zapalování"}},
    {56,
     "SpeedButton5",
     TextKind::Hint,
     0,
     {"Open file with parametrs", "Kenndatendatei öffnen", "Ouvrir fichier avec paramètres",
      "Otevření souboru s parametry"}},
    {57,
     "MenuOpen",
     TextKind::MenuHint,
     0,
     {"Open file with parametrs", "Kenndatendatei öffnen", "Ouvrir fichier avec paramètres",
      "Otevření souboru s parametry"}},
    {58,
     "SpeedButton6",
     TextKind::Hint,
     0,
     {"Set default parametrs", "neue Kenndatendatei erstellen", "Reprogramation des paramètres initial Dórigine",
      "Nastavení výchozích parametrů"}},
    {59,
     "MenuNew",
     TextKind::MenuHint,
     0,
     {"Set default parametrs", "neue Kenndatendatei erstellen", "Reprogramation des paramètres initial Dórigine",
      "Nastavení výchozích parametrů"}},
    {60,
     "SpeedButton7",
     TextKind::Hint,
     0,
     {"Save parametrs to file", "Kenndaten in Datei speichern", "Sauvegarder les paramètres",
      "Uložení parametrů do souboru"}},
    {61,
     "MenuSave",
     TextKind::MenuHint,
     0,
     {"Save parametrs to file", "Kenndaten in Datei speichern", "Sauvegarder les paramètres",
      "Uložení parametrů do souboru"}},
    {62,
     "SpeedButtonPrint",
     TextKind::Hint,
     0,
     {"Print parametrs", "Kenndaten Drucken", "Imprimer paramètres", "Tisk parametrů"}},
    {63,
     "MenuPrint",
     TextKind::MenuHint,
     0,
     {"Print parametrs", "Kenndaten Drucken", "Imprimer paramètres", "Tisk parametrů"}},
    {64,
     "BitBtn1",
     TextKind::Hint,
     0,
     {"Programing  set parametrs to ignition", "Kenndaten in die Zündung programmieren",
      "Programer les paramètres dans ECU", "Programování nastavených parametrů do zapalování"}},
    {65,
     "MenuProgram",
     TextKind::MenuHint,
     0,
     {"Programing  set parametrs to ignition", "Kenndaten in die Zündung programmieren",
      "Programer les paramètres dans ECU", "Programování nastavených parametrů do zapalování"}},
    {66,
     "BitBtn2",
     TextKind::Hint,
     0,
     {"Compare set parametrs  with parametrs of ignition", "Kenndaten mit Zündungskenndaten vergleichen",
      "Comparer les paramètres de ECU",
      "Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování"}},
    {67,
     "MenuVerify",
     TextKind::MenuHint,
     0,
     {"Compare set parametrs  with parametrs of ignition", "Kenndaten mit Zündungskenndaten vergleichen",
      "Comparer les paramètres de ECU",
      "Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování"}},
    {68,
     "BitBtnAdvMinus",
     TextKind::Hint,
     0,
     {"Take off 1 degree of Advance", "Vorzündung minus 1 Grad", "Retarder de 1 degré l´avance a l´allumage",
      "Zmenšení předstihu o 1 stupeň"}},
    {69,
     "BitBtnAdvPlus",
     TextKind::Hint,
     0,
     {"Add 1 degree of Advance", "Vorzündung plus 1 Grad", "Avance accroître l´avance a l´allumage de 1 degré",
      "Zvětšení předstihu o 1 stupeň"}},
    {70,
     "Button1",
     TextKind::Hint,
     0,
     {"Reading parametrs from ignition", "Kenndaten aus Zündung lesen", "Lire paramètres ECU",
      "Čtení parametrů ze zapalování"}},
    {71,
     "MenuRead",
     TextKind::MenuHint,
     0,
     {"Reading parametrs from ignition", "Kenndaten aus Zündung lesen", "Lire paramètres ECU",
      "Čtení parametrů ze zapalování"}},
    {72,
     "MenuExit",
     TextKind::MenuHint,
     0,
     {"End of program", "Programm beenden", "Sortir du programme", "Ukončení programu"}},
    {73,
     "MenuLanguage",
     TextKind::MenuHint,
     0,
     {"Set English or German or French or Czech ", "wählen sie Englisch, Deutsch, Französisch oder Tschechisch ",
      "installer lange; Englais,Allemand , Francais ou Czech",
      "Nastavení jazyka na angličtinu, němčinu, francozštinu nebo češtinu "}},
    {74,
     "MenuEnglish",
     TextKind::MenuHint,
     0,
     {"Set English menu", "Set English menu", "Set English menu", "Set English menu"}},
    {75, "MenuGerman", TextKind::MenuHint, 0, {"Deutsches Menü", "Deutsches Menü", "Deutsches Menü", "Deutsches Menü"}},
    {76,
     "MenuFrench",
     TextKind::MenuHint,
     0,
     {"Installer en Francais ", "Installer en Francais ", "Installer en Francais ", "Installer en Francais "}},
    {77,
     "MenuCzech",
     TextKind::MenuHint,
     0,
     {"Nastavit české menu", "Nastavit české menu", "Nastavit české menu", "Nastavit české menu"}},
    {78,
     "CheckBoxProgHned",
     TextKind::Hint,
     0,
     {"Programing at once after change", "Programmmieren sofort nach dem änderung",
      "Programation instantanée des modifications", "Programování ihned po změně"}},
    {79,
     "MenuCom",
     TextKind::MenuHint,
     0,
     {"Set number of com", "Com-Anschluß festlegen", "installer nombre de com",
      "Nastavení čísla serivého portu (Com) "}},
    {80, "MenuCom1", TextKind::MenuHint, 0, {}},   // composed
    {81, "MenuCom2", TextKind::MenuHint, 0, {}},   // composed
    {82, "MenuCom3", TextKind::MenuHint, 0, {}},   // composed
    {83, "MenuCom4", TextKind::MenuHint, 0, {}},   // composed
    {84, "MenuCom5", TextKind::MenuHint, 0, {}},   // composed
    {85, "MenuCom6", TextKind::MenuHint, 0, {}},   // composed
    {86, "MenuCom7", TextKind::MenuHint, 0, {}},   // composed
    {87, "MenuCom8", TextKind::MenuHint, 0, {}},   // composed
    {88, "MenuCom9", TextKind::MenuHint, 0, {}},   // composed
    {89, "MenuCom10", TextKind::MenuHint, 0, {}},  // composed
}};

constexpr bool rowsNumberedInOrder() {
    for (std::size_t i = 0; i < kRawRows.size(); ++i) {
        if (kRawRows[i].number != static_cast<int>(i) + 2) return false;
    }
    return true;
}
static_assert(rowsNumberedInOrder(), "window text rows must run 2..89 in order");

constexpr int kFirstInputRow = 43;  // RadioGroupInput1, RadioGroupInput2
constexpr int kInputRowCount = 2;
constexpr int kFirstComHintRow = 80;  // MenuCom1 .. MenuCom10
constexpr int kComPortCount = 10;

constexpr std::array<const char*, kLanguageCount> kInputWord = {"Input", "Eingang", "Entrée", "Vstup"};
constexpr std::array<const char*, kLanguageCount> kComHintPrefix = {"Set com", "Com-Anschluß auswahl", "installer com",
                                                                    "Nastavení komunikace na port com"};

constexpr std::array<const char*, kLanguageCount> kTitlePrefix = {"Programming of ", "Programmierung der ",
                                                                  "Programation de ", "Programování jednotky "};
constexpr std::array<const char*, kLanguageCount> kTitleSuffix = {" unit", " Zündbox", " unité", ""};

// The composed texts live beside the rows that point at them and are never moved.
class ComposedTable {
public:
    ComposedTable() : rows_(kRawRows) {
        for (int n = 0; n < kInputRowCount; ++n) {
            compose(kFirstInputRow + n, kInputWord, n + 1);
        }
        for (int n = 0; n < kComPortCount; ++n) {
            compose(kFirstComHintRow + n, kComHintPrefix, n + 1);
        }
    }

    const std::array<WindowTextRow, kWindowTextRowCount>& rows() const { return rows_; }

private:
    // head + " " + number; appended piecewise (GCC 12 at -O3 reports a false -Wrestrict on
    // operator+ of a literal and a temporary string).
    void compose(int number, const std::array<const char*, kLanguageCount>& head, int suffix) {
        auto& texts = storage_[used_++];
        WindowTextRow& row = rows_[static_cast<std::size_t>(number - 2)];
        for (std::size_t l = 0; l < texts.size(); ++l) {
            texts[l].assign(head[l]);
            texts[l].push_back(' ');
            texts[l].append(std::to_string(suffix));
            row.text[l] = texts[l].c_str();
        }
    }

    std::array<WindowTextRow, kWindowTextRowCount> rows_;
    std::array<std::array<std::string, kLanguageCount>, kInputRowCount + kComPortCount> storage_;
    std::size_t used_ = 0;
};

constexpr std::array<FixedText, 14> kPlainFixedTexts = {{
    {"LabelRpm1", TextKind::Caption, "RPM"},
    {"LabelRpm2", TextKind::Caption, "RPM"},
    {"LabelClutch1", TextKind::Caption, "Clutch master time [ms]"},
    {"LabelClutch2", TextKind::Caption, "Clutch master pause [ms]"},
    {"BitBtnAdvMinus", TextKind::Caption, "-"},
    {"BitBtnAdvPlus", TextKind::Caption, "+"},
    {"AdvanceMinus", TextKind::MenuCaption, "Advance -"},
    {"AdvanceMinus", TextKind::MenuHint, "Curve A minus|Take off 1 degree of curve A"},
    {"AdvancePlus", TextKind::MenuCaption, "Advance +"},
    {"AdvancePlus", TextKind::MenuHint, "Curve A plus|Add 1 degree of curve A"},
    {"MenuHelp", TextKind::MenuHint, "Not available jet"},
    {"ComboBoxPocPalcu", TextKind::Hint, "Type of keying"},
    {"ComboBoxBike", TextKind::Hint, "Type of keying"},
    {"ComboBoxBike", TextKind::Items, nullptr},  // the keying list, joined below
}};

class FixedTable {
public:
    FixedTable() {
        for (std::size_t i = 0; i < kKeyingEntries.size(); ++i) {
            if (i > 0) keying_ += '\n';
            keying_ += kKeyingEntries[i];
        }
        for (int n = 1; n <= kComPortCount; ++n) {
            // "Com &1" .. "Com &9", then "Com 1&0": the accelerator is always the last digit.
            const std::string number = std::to_string(n);
            comCaptions_[static_cast<std::size_t>(n - 1)] =
                "Com " + number.substr(0, number.size() - 1) + "&" + number.back();
            comTargets_[static_cast<std::size_t>(n - 1)] = "MenuCom" + number;
        }
        for (const FixedText& text : kPlainFixedTexts) {
            texts_.push_back(text.text ? text : FixedText{text.target, text.kind, keying_.c_str()});
        }
        for (std::size_t i = 0; i < comCaptions_.size(); ++i) {
            texts_.push_back({comTargets_[i].c_str(), TextKind::MenuCaption, comCaptions_[i].c_str()});
        }
    }

    std::span<const FixedText> texts() const { return texts_; }

private:
    std::string keying_;
    std::array<std::string, kComPortCount> comCaptions_;
    std::array<std::string, kComPortCount> comTargets_;
    std::vector<FixedText> texts_;
};

QStringList splitItems(const char* text) { return QString::fromUtf8(text).split(QLatin1Char('\n')); }

}  // namespace

QString WindowTextRow::textFor(LanguageId language) const {
    return QString::fromUtf8(text[static_cast<std::size_t>(languageIndex(language))]);
}

QStringList WindowTextRow::itemsFor(LanguageId language) const {
    if (kind != TextKind::Items) return {textFor(language)};
    return splitItems(text[static_cast<std::size_t>(languageIndex(language))]);
}

QStringList FixedText::items() const {
    if (kind != TextKind::Items) return {QString::fromUtf8(text)};
    return splitItems(text);
}

const std::array<WindowTextRow, kWindowTextRowCount>& windowTextTable() {
    static const ComposedTable table;
    return table.rows();
}

const WindowTextRow* findWindowText(std::string_view target, TextKind kind, int item) {
    for (const WindowTextRow& row : windowTextTable()) {
        if (row.kind == kind && row.item == item && target == row.target) return &row;
    }
    return nullptr;
}

QString windowTitle(LanguageId language) {
    const auto l = static_cast<std::size_t>(languageIndex(language));
    return QString::fromUtf8(kTitlePrefix[l]) + QLatin1String(kProductName) + QString::fromUtf8(kTitleSuffix[l]);
}

std::span<const FixedText> fixedWindowTexts() {
    static const FixedTable table;
    return table.texts();
}

HintParts splitHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0) return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}
