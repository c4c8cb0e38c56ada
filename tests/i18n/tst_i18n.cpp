#include <QtTest>
#include <map>
#include <utility>
#include <vector>

#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "i18n/WindowTexts.h"

namespace {

// Written out here rather than taken from the library, so a slip in either side shows.
QString MessageTexts::*memberByName(const QString& entry) {
    static const std::map<QString, QString MessageTexts::*> members = {
        {"manualFile", &MessageTexts::manualFile},
        {"programError", &MessageTexts::programError},
        {"verifyError", &MessageTexts::verifyError},
        {"readError", &MessageTexts::readError},
        {"programPrefix", &MessageTexts::programPrefix},
        {"versionMismatch", &MessageTexts::versionMismatch},
        {"verifyPrefix", &MessageTexts::verifyPrefix},
        {"readPrefix", &MessageTexts::readPrefix},
        {"advanceWord", &MessageTexts::advanceWord},
        {"programCountPrefix", &MessageTexts::programCountPrefix},
        {"blockingPrefix", &MessageTexts::blockingPrefix},
        {"yesWord", &MessageTexts::yesWord},
        {"noWord", &MessageTexts::noWord},
        {"polarityPrefix", &MessageTexts::polarityPrefix},
        {"positiveWord", &MessageTexts::positiveWord},
        {"negativeWord", &MessageTexts::negativeWord},
        {"portOpenError", &MessageTexts::portOpenError},
        {"fileOpenError", &MessageTexts::fileOpenError},
        {"defaultQuestion", &MessageTexts::defaultQuestion},
        {"retardPrefix", &MessageTexts::retardPrefix},
        {"startLimiterPrefix", &MessageTexts::startLimiterPrefix},
        {"fileVersionMismatch", &MessageTexts::fileVersionMismatch},
        {"printStamp", &MessageTexts::printStamp},
        {"pickupPrefix", &MessageTexts::pickupPrefix},
        {"pickupRunning", &MessageTexts::pickupRunning},
        {"pickupNoSignal", &MessageTexts::pickupNoSignal},
        {"noReadingNotice", &MessageTexts::noReadingNotice},
        {"manualOpenError", &MessageTexts::manualOpenError},
    };
    const auto found = members.find(entry);
    return found == members.end() ? nullptr : found->second;
}

using PlaceholderCall = std::pair<PlaceholderLabel, QString>;

struct Recorder {
    std::vector<PlaceholderCall> calls;
    PlaceholderHook hook(bool disconnected) {
        return {[disconnected] { return disconnected; },
                [this](PlaceholderLabel label, const QString& text) { calls.emplace_back(label, text); }};
    }
};

}  // namespace

class TestI18n : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void currentLanguage_data();
    void currentLanguage();
    void languageFromArgument_data();
    void languageFromArgument();

    void messageTexts_data();
    void messageTexts();
    void messageTableShape();
    void composedMessages_data();
    void composedMessages();
    void rebuildReplacesEveryEntry();

    void placeholders_data();
    void placeholders();
    void placeholdersFollowTheirEntry();
    void noPlaceholdersWhileConnected();
    void placeholdersStopWhenConnectionReturns();

    void windowTextTable_data();
    void windowTextTable();
    void windowTitle_data();
    void windowTitle();
    void composedWindowTexts();
    void findWindowText();
    void fixedWindowTexts();
    void keyingEntries();
    void splitHint_data();
    void splitHint();
};

void TestI18n::initTestCase() {
    // Nothing in this process has chosen a language yet.
    QCOMPARE(::currentLanguage(), LanguageId::English);
}

void TestI18n::cleanup() { setCurrentLanguage(LanguageId::English); }

void TestI18n::currentLanguage_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("expected");
    QTest::newRow("English") << 0 << 0;
    QTest::newRow("German") << 1 << 1;
    QTest::newRow("French") << 2 << 2;
    QTest::newRow("Czech") << 3 << 3;
    QTest::newRow("4 reads as English") << 4 << 0;
    QTest::newRow("7 reads as English") << 7 << 0;
    QTest::newRow("255 reads as English") << 255 << 0;
}

void TestI18n::currentLanguage() {
    QFETCH(int, set);
    QFETCH(int, expected);
    setCurrentLanguage(LanguageId::Czech);
    setCurrentLanguage(static_cast<LanguageId>(set));
    QCOMPARE(static_cast<int>(::currentLanguage()), expected);
    QCOMPARE(languageIndex(static_cast<LanguageId>(set)), expected);
}

void TestI18n::languageFromArgument_data() {
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<int>("expected");  // -1: no language
    QTest::newRow("ENGLISH") << QByteArray("ENGLISH") << 0;
    QTest::newRow("DEUTSCH") << QByteArray("DEUTSCH") << 1;
    QTest::newRow("FRANCE") << QByteArray("FRANCE") << 2;
    QTest::newRow("CESKY") << QByteArray("CESKY") << 3;
    QTest::newRow("lower case") << QByteArray("france") << -1;
    QTest::newRow("mixed case") << QByteArray("Deutsch") << -1;
    QTest::newRow("trailing blank") << QByteArray("CESKY ") << -1;
    QTest::newRow("prefix") << QByteArray("ENGL") << -1;
    QTest::newRow("GERMAN") << QByteArray("GERMAN") << -1;
    QTest::newRow("empty") << QByteArray("") << -1;
}

void TestI18n::languageFromArgument() {
    QFETCH(QByteArray, word);
    QFETCH(int, expected);
    const std::optional<LanguageId> language =
        ::languageFromArgument(std::string_view(word.constData(), static_cast<std::size_t>(word.size())));
    QCOMPARE(language.has_value(), expected >= 0);
    if (language) QCOMPARE(static_cast<int>(*language), expected);
}

void TestI18n::messageTexts_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1 manualFile en") << 1 << "manualFile" << 0 << QString("manual_velmor_en.pdf");
    QTest::newRow("1 manualFile de") << 1 << "manualFile" << 1 << QString("manual_velmor_de.pdf");
    QTest::newRow("1 manualFile fr") << 1 << "manualFile" << 2 << QString("manual_velmor_fr.pdf");
    QTest::newRow("1 manualFile cs") << 1 << "manualFile" << 3 << QString("manual_velmor_cz.pdf");
    QTest::newRow("2 programError en") << 2 << "programError" << 0 << QString("Program error!");
    QTest::newRow("2 programError de") << 2 << "programError" << 1 << QString("Programmierfehler!");
    QTest::newRow("2 programError fr") << 2 << "programError" << 2 << QString("Erreur de programmation!");
    QTest::newRow("2 programError cs") << 2 << "programError" << 3 << QString("Chyba programování");
    QTest::newRow("3 verifyError en") << 3 << "verifyError" << 0 << QString("Verify error!");
    QTest::newRow("3 verifyError de") << 3 << "verifyError" << 1 << QString("Vergleichsfehler");
    QTest::newRow("3 verifyError fr") << 3 << "verifyError" << 2 << QString("Verifier erreur!");
    QTest::newRow("3 verifyError cs") << 3 << "verifyError" << 3 << QString("Chyba verifikace!");
    QTest::newRow("4 readError en") << 4 << "readError" << 0 << QString("Read error!");
    QTest::newRow("4 readError de") << 4 << "readError" << 1 << QString("Lesefehler");
    QTest::newRow("4 readError fr") << 4 << "readError" << 2 << QString("Lire erreur!");
    QTest::newRow("4 readError cs") << 4 << "readError" << 3 << QString("Chyba čtení!");
    QTest::newRow("5 programPrefix en") << 5 << "programPrefix" << 0 << QString("Program device:");
    QTest::newRow("5 programPrefix de") << 5 << "programPrefix" << 1 << QString("Programmieren:");
    QTest::newRow("5 programPrefix fr") << 5 << "programPrefix" << 2 << QString("Programmer:");
    QTest::newRow("5 programPrefix cs") << 5 << "programPrefix" << 3 << QString("Programování:");
    QTest::newRow("6 versionMismatch en")
        << 6 << "versionMismatch" << 0 << QString("Unmatched version of PC and Ignition programs!");
    QTest::newRow("6 versionMismatch de")
        << 6 << "versionMismatch" << 1 << QString("PC-Programm ist mit der Zündung nicht kompatiebel!");
    QTest::newRow("6 versionMismatch fr")
        << 6 << "versionMismatch" << 2 << QString("Programme du boitier d´alumage non compatible avec programme PC!");
    QTest::newRow("6 versionMismatch cs")
        << 6 << "versionMismatch" << 3 << QString("Neshodné verze proramu v PC a zapalování!");
    QTest::newRow("7 verifyPrefix en") << 7 << "verifyPrefix" << 0 << QString("Verify:");
    QTest::newRow("7 verifyPrefix de") << 7 << "verifyPrefix" << 1 << QString("Vergleichen:");
    QTest::newRow("7 verifyPrefix fr") << 7 << "verifyPrefix" << 2 << QString("Vérifier");
    QTest::newRow("7 verifyPrefix cs") << 7 << "verifyPrefix" << 3 << QString("Verifikace:");
    QTest::newRow("8 readPrefix en") << 8 << "readPrefix" << 0 << QString("Read:");
    QTest::newRow("8 readPrefix de") << 8 << "readPrefix" << 1 << QString("Lesen:");
    QTest::newRow("8 readPrefix fr") << 8 << "readPrefix" << 2 << QString("Lire");
    QTest::newRow("8 readPrefix cs") << 8 << "readPrefix" << 3 << QString("Čtení:");
    QTest::newRow("9 advanceWord en") << 9 << "advanceWord" << 0 << QString("Advance");
    QTest::newRow("9 advanceWord de") << 9 << "advanceWord" << 1 << QString("Vorzündung");
    QTest::newRow("9 advanceWord fr") << 9 << "advanceWord" << 2 << QString("Avance");
    QTest::newRow("9 advanceWord cs") << 9 << "advanceWord" << 3 << QString("Předstih");
    QTest::newRow("10 programCountPrefix en") << 10 << "programCountPrefix" << 0 << QString("Number of Programing= ");
    QTest::newRow("10 programCountPrefix de") << 10 << "programCountPrefix" << 1 << QString("Programmierungsanzahl= ");
    QTest::newRow("10 programCountPrefix fr")
        << 10 << "programCountPrefix" << 2 << QString("Nombre de programmations= ");
    QTest::newRow("10 programCountPrefix cs") << 10 << "programCountPrefix" << 3 << QString("Počet programování= ");
    QTest::newRow("11 blockingPrefix en") << 11 << "blockingPrefix" << 0 << QString("Blocking - ");
    QTest::newRow("11 blockingPrefix de") << 11 << "blockingPrefix" << 1 << QString("Blockierung - ");
    QTest::newRow("11 blockingPrefix fr") << 11 << "blockingPrefix" << 2 << QString("Blocage - ");
    QTest::newRow("11 blockingPrefix cs") << 11 << "blockingPrefix" << 3 << QString("Blokování - ");
    QTest::newRow("12 yesWord en") << 12 << "yesWord" << 0 << QString("YES");
    QTest::newRow("12 yesWord de") << 12 << "yesWord" << 1 << QString("JA");
    QTest::newRow("12 yesWord fr") << 12 << "yesWord" << 2 << QString("Oui");
    QTest::newRow("12 yesWord cs") << 12 << "yesWord" << 3 << QString("ANO");
    QTest::newRow("13 noWord en") << 13 << "noWord" << 0 << QString("NO");
    QTest::newRow("13 noWord de") << 13 << "noWord" << 1 << QString("NEIN");
    QTest::newRow("13 noWord fr") << 13 << "noWord" << 2 << QString("Non");
    QTest::newRow("13 noWord cs") << 13 << "noWord" << 3 << QString("NE");
    QTest::newRow("14 polarityPrefix en") << 14 << "polarityPrefix" << 0 << QString("Polarity of CKPS - ");
    QTest::newRow("14 polarityPrefix de") << 14 << "polarityPrefix" << 1 << QString("Polarität des CKPS - ");
    QTest::newRow("14 polarityPrefix fr") << 14 << "polarityPrefix" << 2 << QString("Polarité CKPS - ");
    QTest::newRow("14 polarityPrefix cs") << 14 << "polarityPrefix" << 3 << QString("Polarita CKPS - ");
    QTest::newRow("15 positiveWord en") << 15 << "positiveWord" << 0 << QString("Positive");
    QTest::newRow("15 positiveWord de") << 15 << "positiveWord" << 1 << QString("Positiv");
    QTest::newRow("15 positiveWord fr") << 15 << "positiveWord" << 2 << QString("Positif");
    QTest::newRow("15 positiveWord cs") << 15 << "positiveWord" << 3 << QString("Kladná");
    QTest::newRow("16 negativeWord en") << 16 << "negativeWord" << 0 << QString("Negative");
    QTest::newRow("16 negativeWord de") << 16 << "negativeWord" << 1 << QString("Negativ");
    QTest::newRow("16 negativeWord fr") << 16 << "negativeWord" << 2 << QString("Négatif");
    QTest::newRow("16 negativeWord cs") << 16 << "negativeWord" << 3 << QString("Záporná");
    QTest::newRow("17 portOpenError en") << 17 << "portOpenError" << 0 << QString("Com opening error!");
    QTest::newRow("17 portOpenError de") << 17 << "portOpenError" << 1 << QString("Falscher COM-Anschlußes!");
    QTest::newRow("17 portOpenError fr") << 17 << "portOpenError" << 2 << QString("Erreur connections PC!");
    QTest::newRow("17 portOpenError cs") << 17 << "portOpenError" << 3 << QString("Chyba při otevírání portu Com!");
    QTest::newRow("18 fileOpenError en") << 18 << "fileOpenError" << 0 << QString("Open file error!");
    QTest::newRow("18 fileOpenError de") << 18 << "fileOpenError" << 1 << QString("Fehler beim öffnen der Datei!");
    QTest::newRow("18 fileOpenError fr") << 18 << "fileOpenError" << 2 << QString("Erreur ouvertur fichier!");
    QTest::newRow("18 fileOpenError cs") << 18 << "fileOpenError" << 3 << QString("Chyba při otevírání souboru!");
    QTest::newRow("19 defaultQuestion en") << 19 << "defaultQuestion" << 0 << QString("Do you want default setting?");
    QTest::newRow("19 defaultQuestion de")
        << 19 << "defaultQuestion" << 1 << QString("Wollen Sie Standardeinstellungen öffnen?");
    QTest::newRow("19 defaultQuestion fr")
        << 19 << "defaultQuestion" << 2 << QString("Voulez vous la programation de base?");
    QTest::newRow("19 defaultQuestion cs")
        << 19 << "defaultQuestion" << 3 << QString("Chcete nastavit základní hodnoty?");
    QTest::newRow("20 retardPrefix en") << 20 << "retardPrefix" << 0 << QString("Retard - ");
    QTest::newRow("20 retardPrefix de") << 20 << "retardPrefix" << 1 << QString("Spätzündung - ");
    QTest::newRow("20 retardPrefix fr") << 20 << "retardPrefix" << 2 << QString("Retard - ");
    QTest::newRow("20 retardPrefix cs") << 20 << "retardPrefix" << 3 << QString("Snížení předstihu - ");
    QTest::newRow("21 startLimiterPrefix en") << 21 << "startLimiterPrefix" << 0 << QString("Start limiter - ");
    QTest::newRow("21 startLimiterPrefix de") << 21 << "startLimiterPrefix" << 1 << QString("Start Begrenzer - ");
    QTest::newRow("21 startLimiterPrefix fr") << 21 << "startLimiterPrefix" << 2 << QString("Limitateur départ - ");
    QTest::newRow("21 startLimiterPrefix cs") << 21 << "startLimiterPrefix" << 3 << QString("Startovací omezovač - ");
    QTest::newRow("22 fileVersionMismatch en")
        << 22 << "fileVersionMismatch" << 0 << QString("Unmatched version of *.ign file!");
    QTest::newRow("22 fileVersionMismatch de")
        << 22 << "fileVersionMismatch" << 1 << QString("Datendatei *.ign ist nicht kompatiebel!");
    QTest::newRow("22 fileVersionMismatch fr")
        << 22 << "fileVersionMismatch" << 2 << QString("Programme du fichier non compatible avec programme PC!");
    QTest::newRow("22 fileVersionMismatch cs")
        << 22 << "fileVersionMismatch" << 3 << QString("Neshodná verze souboru *.ign!");
    QTest::newRow("23 printStamp en") << 23 << "printStamp" << 0 << QString("Date and time of printing:  ");
    QTest::newRow("23 printStamp de") << 23 << "printStamp" << 1 << QString("Zeitpunkt des Ausdruckes   ");
    QTest::newRow("23 printStamp fr") << 23 << "printStamp" << 2 << QString("Date et heur de l´imprimé:   ");
    QTest::newRow("23 printStamp cs") << 23 << "printStamp" << 3 << QString("Datum a čas tisku:  ");
    QTest::newRow("24 pickupPrefix en") << 24 << "pickupPrefix" << 0 << QString("Pick-up (CKPS)");
    QTest::newRow("24 pickupPrefix de") << 24 << "pickupPrefix" << 1 << QString("Geber(CKPS)");
    QTest::newRow("24 pickupPrefix fr") << 24 << "pickupPrefix" << 2 << QString("capteur(CKPS)");
    QTest::newRow("24 pickupPrefix cs") << 24 << "pickupPrefix" << 3 << QString("Snímač (CKPS)");
    QTest::newRow("25 pickupRunning en") << 25 << "pickupRunning" << 0 << QString(" is running");
    QTest::newRow("25 pickupRunning de") << 25 << "pickupRunning" << 1 << QString(" läuft");
    QTest::newRow("25 pickupRunning fr") << 25 << "pickupRunning" << 2 << QString(" fonctionne");
    QTest::newRow("25 pickupRunning cs") << 25 << "pickupRunning" << 3 << QString(" pracuje");
    QTest::newRow("26 pickupNoSignal en") << 26 << "pickupNoSignal" << 0 << QString(" no signal");
    QTest::newRow("26 pickupNoSignal de") << 26 << "pickupNoSignal" << 1 << QString(" kein Signal");
    QTest::newRow("26 pickupNoSignal fr") << 26 << "pickupNoSignal" << 2 << QString(" pas de signal");
    QTest::newRow("26 pickupNoSignal cs") << 26 << "pickupNoSignal" << 3 << QString(" bez signálu");
    QTest::newRow("27 noReadingNotice en") << 27 << "noReadingNotice" << 0 << QString("No reading!");
    QTest::newRow("27 noReadingNotice de") << 27 << "noReadingNotice" << 1 << QString("Lesen verboten!");
    QTest::newRow("27 noReadingNotice fr") << 27 << "noReadingNotice" << 2 << QString("Pas axessible!");
    QTest::newRow("27 noReadingNotice cs") << 27 << "noReadingNotice" << 3 << QString("Zákaz čtení!");
    QTest::newRow("28 manualOpenError en")
        << 28 << "manualOpenError" << 0 << QString("Error by opening file manual_velmor_en.pdf !");
    QTest::newRow("28 manualOpenError de")
        << 28 << "manualOpenError" << 1 << QString("Fehler beim öffnen der Datei manual_velmor_de.pdf !");
    QTest::newRow("28 manualOpenError fr")
        << 28 << "manualOpenError" << 2 << QString("Erreur à l´ouvertur du Fichier manual_velmor_fr.pdf !");
    QTest::newRow("28 manualOpenError cs")
        << 28 << "manualOpenError" << 3 << QString("Chyba při otevírání souboru manual_velmor_cz.pdf !");
}

void TestI18n::messageTexts() {
    QFETCH(int, number);
    QFETCH(QString, entry);
    QFETCH(int, language);
    QFETCH(QString, expected);

    setCurrentLanguage(static_cast<LanguageId>(language));
    MessageTexts texts;
    buildMessageTexts(texts);
    QString MessageTexts::*member = memberByName(entry);
    QVERIFY(member != nullptr);
    QCOMPARE(texts.*member, expected);

    if (number <= 27) {
        const MessageTextRow& row = messageTextTable()[static_cast<std::size_t>(number - 1)];
        QCOMPARE(QString::fromUtf8(row.entry), entry);
        QCOMPARE(QString::fromUtf8(row.text[static_cast<std::size_t>(language)]), expected);
    }
}

void TestI18n::messageTableShape() {
    // Every row names a distinct entry of the record, and every text is there.
    QSet<QString> seen;
    for (const MessageTextRow& row : messageTextTable()) {
        const QString entry = QString::fromUtf8(row.entry);
        QVERIFY2(memberByName(entry) != nullptr, qPrintable(entry));
        QVERIFY2(!seen.contains(entry), qPrintable(entry));
        seen.insert(entry);
        for (const char* text : row.text) {
            QVERIFY(text != nullptr);
            QVERIFY(text[0] != '\0');
        }
    }
    QCOMPARE(seen.size(), 27);
    QVERIFY(!seen.contains("manualOpenError"));
}

void TestI18n::composedMessages_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("manualOpenError");
    QTest::addColumn<QString>("verifyOk");
    QTest::newRow("English") << 0 << QString("Error by opening file ")
                             << QString("Error by opening file manual_velmor_en.pdf !") << QString("Verify: OK");
    QTest::newRow("German") << 1 << QString("Fehler beim öffnen der Datei ")
                            << QString("Fehler beim öffnen der Datei manual_velmor_de.pdf !")
                            << QString("Vergleichen: OK");
    QTest::newRow("French") << 2 << QString("Erreur à l´ouvertur du Fichier ")
                            << QString("Erreur à l´ouvertur du Fichier manual_velmor_fr.pdf !")
                            << QString("Vérifier OK");
    QTest::newRow("Czech") << 3 << QString("Chyba při otevírání souboru ")
                           << QString("Chyba při otevírání souboru manual_velmor_cz.pdf !")
                           << QString("Verifikace: OK");
}

void TestI18n::composedMessages() {
    QFETCH(int, language);
    QFETCH(QString, prefix);
    QFETCH(QString, manualOpenError);
    QFETCH(QString, verifyOk);

    setCurrentLanguage(static_cast<LanguageId>(language));
    MessageTexts texts;
    buildMessageTexts(texts);
    QCOMPARE(QString::fromUtf8(manualOpenErrorPrefix(static_cast<LanguageId>(language))), prefix);
    QCOMPARE(texts.manualOpenError, manualOpenError);
    QCOMPARE(texts.verifyOk, verifyOk);
}

void TestI18n::rebuildReplacesEveryEntry() {
    MessageTexts texts;
    setCurrentLanguage(LanguageId::Czech);
    buildMessageTexts(texts);
    QCOMPARE(texts.verifyError, QString("Chyba verifikace!"));

    setCurrentLanguage(LanguageId::French);
    buildMessageTexts(texts);
    MessageTexts fresh;
    buildMessageTexts(fresh);
    for (const MessageTextRow& row : messageTextTable()) {
        QString MessageTexts::*member = memberByName(QString::fromUtf8(row.entry));
        QCOMPARE(texts.*member, fresh.*member);
        QCOMPARE(texts.*member, QString::fromUtf8(row.text[2]));
    }
    QCOMPARE(texts.manualOpenError, QString("Erreur à l´ouvertur du Fichier manual_velmor_fr.pdf !"));
    QCOMPARE(texts.verifyOk, QString("Vérifier OK"));
}

void TestI18n::placeholders_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("expected");  // in the order of the calls
    QTest::newRow("English") << 0 << QStringList{"Advance--- [°]",    "Number of Programing= ---",
                                                 "Blocking - ---",    "Polarity of CKPS -  ---",
                                                 "Retard - ---",      "Start limiter - ---",
                                                 "Pick-up (CKPS) ---"};
    QTest::newRow("German") << 1 << QStringList{"Vorzündung--- [°]", "Programmierungsanzahl= ---",
                                                "Blockierung - ---", "Polarität des CKPS -  ---",
                                                "Spätzündung - ---", "Start Begrenzer - ---",
                                                "Geber(CKPS) ---"};
    QTest::newRow("French") << 2 << QStringList{"Avance--- [°]",    "Nombre de programmations= ---",
                                                "Blocage - ---",    "Polarité CKPS -  ---",
                                                "Retard - ---",     "Limitateur départ - ---",
                                                "capteur(CKPS) ---"};
    QTest::newRow("Czech") << 3 << QStringList{"Předstih--- [°]",         "Počet programování= ---",
                                               "Blokování - ---",         "Polarita CKPS -  ---",
                                               "Snížení předstihu - ---", "Startovací omezovač - ---",
                                               "Snímač (CKPS) ---"};
}

void TestI18n::placeholders() {
    QFETCH(int, language);
    QFETCH(QStringList, expected);

    setCurrentLanguage(static_cast<LanguageId>(language));
    Recorder recorder;
    MessageTexts texts;
    buildMessageTexts(texts, recorder.hook(true));

    const std::vector<PlaceholderLabel> labels = {
        PlaceholderLabel::LabelAdvance,     PlaceholderLabel::LabelPocetProgramovani, PlaceholderLabel::LabelBlocking,
        PlaceholderLabel::LabelPolaritaMer, PlaceholderLabel::LabelMonRetard,         PlaceholderLabel::LabelMonOmez1,
        PlaceholderLabel::LabelSnimac};
    QCOMPARE(recorder.calls.size(), labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i) {
        QCOMPARE(recorder.calls[i].first, labels[i]);
        QCOMPARE(recorder.calls[i].second, expected[static_cast<qsizetype>(i)]);
    }
}

void TestI18n::placeholdersFollowTheirEntry() {
    // Each placeholder is handed over right after its own entry is filled: the entry is
    // already in the new language, the next one still in the old.
    MessageTexts texts;
    buildMessageTexts(texts);  // English
    setCurrentLanguage(LanguageId::German);

    std::vector<std::pair<QString, QString>> seen;  // (own entry, next entry) at each call
    PlaceholderHook hook;
    hook.disconnected = [] { return true; };
    hook.setPlaceholder = [&](PlaceholderLabel label, const QString&) {
        switch (label) {
            case PlaceholderLabel::LabelAdvance:
                seen.emplace_back(texts.advanceWord, texts.programCountPrefix);
                break;
            case PlaceholderLabel::LabelPocetProgramovani:
                seen.emplace_back(texts.programCountPrefix, texts.blockingPrefix);
                break;
            case PlaceholderLabel::LabelBlocking:
                seen.emplace_back(texts.blockingPrefix, texts.yesWord);
                break;
            case PlaceholderLabel::LabelPolaritaMer:
                seen.emplace_back(texts.polarityPrefix, texts.positiveWord);
                break;
            case PlaceholderLabel::LabelMonRetard:
                seen.emplace_back(texts.retardPrefix, texts.startLimiterPrefix);
                break;
            case PlaceholderLabel::LabelMonOmez1:
                seen.emplace_back(texts.startLimiterPrefix, texts.fileVersionMismatch);
                break;
            case PlaceholderLabel::LabelSnimac:
                seen.emplace_back(texts.pickupPrefix, texts.pickupRunning);
                break;
        }
    };
    buildMessageTexts(texts, hook);

    const std::vector<std::pair<QString, QString>> expected = {
        {"Vorzündung", "Number of Programing= "},
        {"Programmierungsanzahl= ", "Blocking - "},
        {"Blockierung - ", "YES"},
        {"Polarität des CKPS - ", "Positive"},
        {"Spätzündung - ", "Start limiter - "},
        {"Start Begrenzer - ", "Unmatched version of *.ign file!"},
        {"Geber(CKPS)", " is running"},
    };
    QCOMPARE(seen.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(seen[i].first, expected[i].first);
        QCOMPARE(seen[i].second, expected[i].second);
    }
    QCOMPARE(texts.manualOpenError, QString("Fehler beim öffnen der Datei manual_velmor_de.pdf !"));
}

void TestI18n::noPlaceholdersWhileConnected() {
    setCurrentLanguage(LanguageId::German);

    Recorder connected;
    MessageTexts texts;
    buildMessageTexts(texts, connected.hook(false));
    QVERIFY(connected.calls.empty());
    QCOMPARE(texts.blockingPrefix, QString("Blockierung - "));

    // No way to ask about the connection: nothing is set either.
    Recorder unasked;
    PlaceholderHook withoutQuestion = unasked.hook(true);
    withoutQuestion.disconnected = nullptr;
    buildMessageTexts(texts, withoutQuestion);
    QVERIFY(unasked.calls.empty());

    // Nowhere to send the placeholders: the rebuild still fills every entry.
    PlaceholderHook withoutTarget;
    int asked = 0;
    withoutTarget.disconnected = [&asked] {
        ++asked;
        return true;
    };
    setCurrentLanguage(LanguageId::Czech);
    buildMessageTexts(texts, withoutTarget);
    QCOMPARE(texts.pickupPrefix, QString("Snímač (CKPS)"));
    QCOMPARE(texts.manualOpenError, QString("Chyba při otevírání souboru manual_velmor_cz.pdf !"));
}

void TestI18n::placeholdersStopWhenConnectionReturns() {
    // The connection label is looked at for each placeholder, not once per rebuild.
    setCurrentLanguage(LanguageId::English);
    int asked = 0;
    std::vector<PlaceholderLabel> set;
    PlaceholderHook hook;
    hook.disconnected = [&asked] { return ++asked <= 3; };
    hook.setPlaceholder = [&set](PlaceholderLabel label, const QString&) { set.push_back(label); };
    MessageTexts texts;
    buildMessageTexts(texts, hook);
    QCOMPARE(asked, 7);
    const std::vector<PlaceholderLabel> expected = {
        PlaceholderLabel::LabelAdvance, PlaceholderLabel::LabelPocetProgramovani, PlaceholderLabel::LabelBlocking};
    QCOMPARE(set, expected);
}

void TestI18n::windowTextTable_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("english");
    QTest::addColumn<QStringList>("german");
    QTest::addColumn<QStringList>("french");
    QTest::addColumn<QStringList>("czech");
    QTest::newRow("2") << 2 << "LabelSpojeni" << int(TextKind::Caption) << 0 << QStringList{"No connection with PC"}
                       << QStringList{"Keine Verbindung zum PC"} << QStringList{"Pas de connection acec pc"}
                       << QStringList{"Není spojení s PC"};
    QTest::newRow("3") << 3 << "MenuFile" << int(TextKind::MenuCaption) << 0 << QStringList{"&File"}
                       << QStringList{"&Datei"} << QStringList{"&Fichier"} << QStringList{"&Soubor"};
    QTest::newRow("4") << 4 << "MenuNew" << int(TextKind::MenuCaption) << 0 << QStringList{"&New"}
                       << QStringList{"&Neu"} << QStringList{"&Nouveau"} << QStringList{"&Nový"};
    QTest::newRow("5") << 5 << "MenuOpen" << int(TextKind::MenuCaption) << 0 << QStringList{"&Open"}
                       << QStringList{"&Öffnen"} << QStringList{"&Ouvrir"} << QStringList{"&Otevřít"};
    QTest::newRow("6") << 6 << "MenuSave" << int(TextKind::MenuCaption) << 0 << QStringList{"&Save"}
                       << QStringList{"&Speichern"} << QStringList{"&Mèmoriser"} << QStringList{"&Uložit"};
    QTest::newRow("7") << 7 << "MenuPrint" << int(TextKind::MenuCaption) << 0 << QStringList{"&Print"}
                       << QStringList{"&Drucken"} << QStringList{"&Imprimer"} << QStringList{"&Tisk"};
    QTest::newRow("8") << 8 << "MenuExit" << int(TextKind::MenuCaption) << 0 << QStringList{"E&xit"}
                       << QStringList{"&Beenden"} << QStringList{"&Sortir"} << QStringList{"&Konec"};
    QTest::newRow("9") << 9 << "MenuCom" << int(TextKind::MenuCaption) << 0 << QStringList{"&Com"}
                       << QStringList{"&COM-Anschluß"} << QStringList{"&Connection com"} << QStringList{"&Port"};
    QTest::newRow("10") << 10 << "MenuDevice" << int(TextKind::MenuCaption) << 0 << QStringList{"&Ignition"}
                        << QStringList{"&Zündung"} << QStringList{"&Allumage"} << QStringList{"&Zapalování"};
    QTest::newRow("11") << 11 << "MenuRead" << int(TextKind::MenuCaption) << 0 << QStringList{"&Read"}
                        << QStringList{"&Lesen"} << QStringList{"&Lire"} << QStringList{"Čí&st"};
    QTest::newRow("12") << 12 << "Button1" << int(TextKind::Caption) << 0 << QStringList{"&Read"}
                        << QStringList{"&Lesen"} << QStringList{"&Lire"} << QStringList{"Čís&t"};
    QTest::newRow("13") << 13 << "MenuVerify" << int(TextKind::MenuCaption) << 0 << QStringList{"&Verify"}
                        << QStringList{"&Vergleichen"} << QStringList{"&Verifier"} << QStringList{"&Verifikace"};
    QTest::newRow("14") << 14 << "BitBtn2" << int(TextKind::Caption) << 0 << QStringList{"&Verify"}
                        << QStringList{"&Vergleichen"} << QStringList{"&Verifier"} << QStringList{"&Verifikace"};
    QTest::newRow("15") << 15 << "MenuProgram" << int(TextKind::MenuCaption) << 0 << QStringList{"&Program"}
                        << QStringList{"&Programmieren"} << QStringList{"&Programer"} << QStringList{"&Programovat"};
    QTest::newRow("16") << 16 << "BitBtn1" << int(TextKind::Caption) << 0 << QStringList{"&Program"}
                        << QStringList{"&Programmieren"} << QStringList{"&Programer"} << QStringList{"P&rogramovat"};
    QTest::newRow("17") << 17 << "MenuTools" << int(TextKind::MenuCaption) << 0 << QStringList{"Tools"}
                        << QStringList{"Werkzeuge"} << QStringList{"Outillage"} << QStringList{"Pomůcky"};
    QTest::newRow("18") << 18 << "MenuLanguage" << int(TextKind::MenuCaption) << 0 << QStringList{"&Language"}
                        << QStringList{"&Sprache"} << QStringList{"&Langue"} << QStringList{"&Jazyk"};
    QTest::newRow("19") << 19 << "MenuEnglish" << int(TextKind::MenuCaption) << 0 << QStringList{"&English"}
                        << QStringList{"&Englisch"} << QStringList{"&Englais"} << QStringList{"&Anglicky"};
    QTest::newRow("20") << 20 << "MenuGerman" << int(TextKind::MenuCaption) << 0 << QStringList{"&German"}
                        << QStringList{"&Deutsch"} << QStringList{"&Allemand"} << QStringList{"&Německy"};
    QTest::newRow("21") << 21 << "MenuFrench" << int(TextKind::MenuCaption) << 0 << QStringList{"&French"}
                        << QStringList{"&Französisch"} << QStringList{"&Francais"} << QStringList{"Francouzky"};
    QTest::newRow("22") << 22 << "MenuCzech" << int(TextKind::MenuCaption) << 0 << QStringList{"&Czech"}
                        << QStringList{"&Tschechisch"} << QStringList{"&Tchèque"} << QStringList{"Če&sky"};
    QTest::newRow("23") << 23 << "MenuHelp" << int(TextKind::MenuCaption) << 0 << QStringList{"&Help"}
                        << QStringList{"&Hilfe"} << QStringList{"&Aide"} << QStringList{"Nápověda"};
    QTest::newRow("24") << 24 << "MenuContens" << int(TextKind::MenuCaption) << 0 << QStringList{"&Contents..."}
                        << QStringList{"&Inhalt..."} << QStringList{"&Contenu"} << QStringList{"Obsah"};
    QTest::newRow("25") << 25 << "MenuAbout" << int(TextKind::MenuCaption) << 0 << QStringList{"&About..."}
                        << QStringList{"&Über Programm..."} << QStringList{"&Contenu du programme"}
                        << QStringList{"&O programu..."};
    QTest::newRow("26") << 26 << "CheckBoxIgnAll" << int(TextKind::Caption) << 0 << QStringList{"All"}
                        << QStringList{"Alles"} << QStringList{"Tout"} << QStringList{"Vše"};
    QTest::newRow("27") << 27 << "CheckBoxProgHned" << int(TextKind::Caption) << 0
                        << QStringList{"Programming after change"} << QStringList{"Programmierung nach Änderung"}
                        << QStringList{"Sovegarde après modification"} << QStringList{"Programování po změně"};
    QTest::newRow("28") << 28 << "CheckBoxZakazCteni" << int(TextKind::Caption) << 0 << QStringList{"No Reading"}
                        << QStringList{"Lesen Verboten"} << QStringList{"Pas axessible"} << QStringList{"Zákaz čtení"};
    QTest::newRow("29") << 29 << "LabelAdvance1" << int(TextKind::Caption) << 0 << QStringList{"Advance [°]"}
                        << QStringList{"Vorzündung [°]"} << QStringList{"Avance [°]"} << QStringList{"Předstih [°]"};
    QTest::newRow("30") << 30 << "LabelAdvance2" << int(TextKind::Caption) << 0 << QStringList{"Advance [°]"}
                        << QStringList{"Vorzündung [°]"} << QStringList{"Avance [°]"} << QStringList{"Předstih [°]"};
    QTest::newRow("31") << 31 << "LabelOmez1" << int(TextKind::Caption) << 0 << QStringList{"Start limiter [rpm]"}
                        << QStringList{"Startbegrenzer [rpm]"} << QStringList{"Limitateur départ [rpm]"}
                        << QStringList{"Startovací omezovač [rpm]"};
    QTest::newRow("32") << 32 << "LabelOmez2" << int(TextKind::Caption) << 0 << QStringList{"Limiter [rpm]"}
                        << QStringList{"Begrenzer [rpm]"} << QStringList{"Limitateur [rpm]"}
                        << QStringList{"Omezovač [rpm]"};
    QTest::newRow("33") << 33 << "LabelBaseAdv" << int(TextKind::Caption) << 0 << QStringList{"Base advance [°]"}
                        << QStringList{"Basis Vorzündung [°]"} << QStringList{"Avance de base [°]"}
                        << QStringList{"Základní předstih [°]"};
    QTest::newRow("34") << 34 << "LabelPocetBodu" << int(TextKind::Caption) << 0 << QStringList{"Number of items"}
                        << QStringList{"Anzahl der Stützpunkte"} << QStringList{"Nombre de points"}
                        << QStringList{"Počet bodů"};
    QTest::newRow("35") << 35 << "ComboBoxPocPalcu" << int(TextKind::Item) << 1
                        << QStringList{"1 ignition per revolution"} << QStringList{"1 Zündung pro Umdrehung"}
                        << QStringList{"1 ignition per revolution"} << QStringList{"1 zápal za otáčku"};
    QTest::newRow("36") << 36 << "ComboBoxPocPalcu" << int(TextKind::Item) << 2
                        << QStringList{"2 ignitions per revolution"} << QStringList{"2 Zündungen pro Umdrehung"}
                        << QStringList{"2 ignitions per revolution"} << QStringList{"2 zápaly za otáčku"};
    QTest::newRow("37") << 37 << "ComboBoxPocPalcu" << int(TextKind::Item) << 3
                        << QStringList{"3 ignitions per revolution"} << QStringList{"3 Zündungen pro Umdrehung"}
                        << QStringList{"3 ignitions per revolution"} << QStringList{"3 zápaly za otáčku"};
    QTest::newRow("38") << 38 << "ComboBoxPocPalcu" << int(TextKind::Item) << 4
                        << QStringList{"1 ignition per 2 revolutions (camshaft)"}
                        << QStringList{"1 Zündung pro 2 Umdrehungen (Nockenwelle)"}
                        << QStringList{"1 ignition per 2 revolutions (camshaft)"}
                        << QStringList{"1 zápal za 2 otáčky (vačkový hřídel)"};
    QTest::newRow("39") << 39 << "LabelRetard" << int(TextKind::Caption) << 0 << QStringList{"Retard [°]"}
                        << QStringList{"Spätzündung [°]"} << QStringList{"Retard d´allumage[°]"}
                        << QStringList{"Snížení předstihu [°]"};
    QTest::newRow("40") << 40 << "LabelLedRazeni" << int(TextKind::Caption) << 0
                        << QStringList{"Gear Shift Light [rpm]"} << QStringList{"Schaltblitz [rpm]"}
                        << QStringList{"Témoin de changement de rapport [rpm]"}
                        << QStringList{"Kontrolka řazení [rpm]"};
    QTest::newRow("41") << 41 << "RadioGroupPolarita" << int(TextKind::Caption) << 0 << QStringList{"Polarity of CPS:"}
                        << QStringList{"Polarität des CPS:"} << QStringList{"Polarité CPS"}
                        << QStringList{"Polarita CPS:"};
    QTest::newRow("42") << 42 << "RadioGroupPolarita" << int(TextKind::Items) << 0
                        << QStringList{"Positive", "Negative", "Selfsearch"}
                        << QStringList{"Positiv", "Negativ", "Automatisch"}
                        << QStringList{"Positif", "Négatif", "Automatique"}
                        << QStringList{"Kladná", "Záporná", "Samohledání"};
    QTest::newRow("43") << 43 << "RadioGroupInput1" << int(TextKind::Caption) << 0 << QStringList{"Input 1"}
                        << QStringList{"Eingang 1"} << QStringList{"Entrée 1"} << QStringList{"Vstup 1"};
    QTest::newRow("44") << 44 << "RadioGroupInput2" << int(TextKind::Caption) << 0 << QStringList{"Input 2"}
                        << QStringList{"Eingang 2"} << QStringList{"Entrée 2"} << QStringList{"Vstup 2"};
    QTest::newRow("45") << 45 << "RadioGroupInput1" << int(TextKind::Items) << 0
                        << QStringList{"Off", "Kill switch", "Clutch master", "Retard", "Start Limiter"}
                        << QStringList{"Aus", "Not Aus", "Kupplungsunterbrecher", "Spätzündung", "Startbegrenzer"}
                        << QStringList{"Off", "Interrupteur de sécurité", "par embeillage", "Retard à l´allumage",
                                       "Limitateur départ"}
                        << QStringList{"Vypnut", "Kill switch", "Clutch master", "Snížení předstihu",
                                       "Startovací omezovač"};
    QTest::newRow("46") << 46 << "RadioGroupInput2" << int(TextKind::Items) << 0
                        << QStringList{"Off", "Blocking", "Clutch master", "Retard", "Start Limiter"}
                        << QStringList{"Aus", "Blockierung", "Kupplungsunterbrecher", "Spätzündung", "Startbegrenzer"}
                        << QStringList{"Off", "Blocage", "par embeillage", "Retard à l´allumage", "Limitateur départ"}
                        << QStringList{"Vypnut", "Blokování", "Clutch master", "Snížení předstihu",
                                       "Startovací omezovač"};
    QTest::newRow("47") << 47 << "LabelFile1" << int(TextKind::Caption) << 0 << QStringList{"File:"}
                        << QStringList{"Datei:"} << QStringList{"Fichier:"} << QStringList{"Soubor:"};
    QTest::newRow("48") << 48 << "GroupBoxRpm" << int(TextKind::Caption) << 0 << QStringList{"Tachometer output"}
                        << QStringList{"Drehzählerausgang"} << QStringList{"Tachometer output"}
                        << QStringList{"Výstup pro otáčkoměr"};
    QTest::newRow("49") << 49 << "LabelRpmPulsu" << int(TextKind::Caption) << 0 << QStringList{"Pulses per revolution"}
                        << QStringList{"Pulse pro Umdrehung"} << QStringList{"Pulses per revolution"}
                        << QStringList{"Počet pulsů za otáčku"};
    QTest::newRow("50") << 50 << "LabelRpmKorekce" << int(TextKind::Caption) << 0 << QStringList{"Correction [%]"}
                        << QStringList{"Korrektion [%]"} << QStringList{"Correction [%]"} << QStringList{"Korekce [%]"};
    QTest::newRow("51") << 51 << "LabelRpm1" << int(TextKind::Hint) << 0
                        << QStringList{"Round per Minute|Speed - Round per Minute"}
                        << QStringList{"Umdrehungen pro Minute"} << QStringList{"Tours minute"}
                        << QStringList{"Otáčky za minutu|Rychlost - Otáčky za minutu"};
    QTest::newRow("52") << 52 << "LabelRpm2" << int(TextKind::Hint) << 0
                        << QStringList{"Round per Minute|Speed - Round per Minute"}
                        << QStringList{"Umdrehungen pro Minute"} << QStringList{"Tours minute"}
                        << QStringList{"Otáčky za minutu|Rychlost - Otáčky za minutu"};
    QTest::newRow("53") << 53 << "LabelVerze1" << int(TextKind::Hint) << 0
                        << QStringList{"Version of program in ignition"} << QStringList{"Programmverion der Zündung"}
                        << QStringList{"Variantes de courbe d´avance"} << QStringList{"Verze programu v zapalování"};
    QTest::newRow("54") << 54 << "LabelVerze2" << int(TextKind::Hint) << 0 << QStringList{"Date of program in ignition"}
                        << QStringList{"Datum des Programm in der Zündung"}
                        << QStringList{"Date de programation de la courbe d´avance"}
                        << QStringList{"Datum zhotovení programu v zapalování"};
    QTest::newRow("55") << 55 << "LabelVerze3" << int(TextKind::Hint) << 0 << QStringList{"Time of program in ignition"}
                        << QStringList{"Programmierzeitpunkt der Zündung"}
                        << QStringList{"Temp de programation de la courbe d´avance"}
                        << QStringList{"Čas zhotovení programu v zapalování"};
    QTest::newRow("56") << 56 << "SpeedButton5" << int(TextKind::Hint) << 0 << QStringList{"Open file with parametrs"}
                        << QStringList{"Kenndatendatei öffnen"} << QStringList{"Ouvrir fichier avec paramètres"}
                        << QStringList{"Otevření souboru s parametry"};
    QTest::newRow("57") << 57 << "MenuOpen" << int(TextKind::MenuHint) << 0 << QStringList{"Open file with parametrs"}
                        << QStringList{"Kenndatendatei öffnen"} << QStringList{"Ouvrir fichier avec paramètres"}
                        << QStringList{"Otevření souboru s parametry"};
    QTest::newRow("58") << 58 << "SpeedButton6" << int(TextKind::Hint) << 0 << QStringList{"Set default parametrs"}
                        << QStringList{"neue Kenndatendatei erstellen"}
                        << QStringList{"Reprogramation des paramètres initial Dórigine"}
                        << QStringList{"Nastavení výchozích parametrů"};
    QTest::newRow("59") << 59 << "MenuNew" << int(TextKind::MenuHint) << 0 << QStringList{"Set default parametrs"}
                        << QStringList{"neue Kenndatendatei erstellen"}
                        << QStringList{"Reprogramation des paramètres initial Dórigine"}
                        << QStringList{"Nastavení výchozích parametrů"};
    QTest::newRow("60") << 60 << "SpeedButton7" << int(TextKind::Hint) << 0 << QStringList{"Save parametrs to file"}
                        << QStringList{"Kenndaten in Datei speichern"} << QStringList{"Sauvegarder les paramètres"}
                        << QStringList{"Uložení parametrů do souboru"};
    QTest::newRow("61") << 61 << "MenuSave" << int(TextKind::MenuHint) << 0 << QStringList{"Save parametrs to file"}
                        << QStringList{"Kenndaten in Datei speichern"} << QStringList{"Sauvegarder les paramètres"}
                        << QStringList{"Uložení parametrů do souboru"};
    QTest::newRow("62") << 62 << "SpeedButtonPrint" << int(TextKind::Hint) << 0 << QStringList{"Print parametrs"}
                        << QStringList{"Kenndaten Drucken"} << QStringList{"Imprimer paramètres"}
                        << QStringList{"Tisk parametrů"};
    QTest::newRow("63") << 63 << "MenuPrint" << int(TextKind::MenuHint) << 0 << QStringList{"Print parametrs"}
                        << QStringList{"Kenndaten Drucken"} << QStringList{"Imprimer paramètres"}
                        << QStringList{"Tisk parametrů"};
    QTest::newRow("64") << 64 << "BitBtn1" << int(TextKind::Hint) << 0
                        << QStringList{"Programing  set parametrs to ignition"}
                        << QStringList{"Kenndaten in die Zündung programmieren"}
                        << QStringList{"Programer les paramètres dans ECU"}
                        << QStringList{"Programování nastavených parametrů do zapalování"};
    QTest::newRow("65") << 65 << "MenuProgram" << int(TextKind::MenuHint) << 0
                        << QStringList{"Programing  set parametrs to ignition"}
                        << QStringList{"Kenndaten in die Zündung programmieren"}
                        << QStringList{"Programer les paramètres dans ECU"}
                        << QStringList{"Programování nastavených parametrů do zapalování"};
    QTest::newRow("66") << 66 << "BitBtn2" << int(TextKind::Hint) << 0
                        << QStringList{"Compare set parametrs  with parametrs of ignition"}
                        << QStringList{"Kenndaten mit Zündungskenndaten vergleichen"}
                        << QStringList{"Comparer les paramètres de ECU"}
                        << QStringList{
                               "Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování"};
    QTest::newRow("67") << 67 << "MenuVerify" << int(TextKind::MenuHint) << 0
                        << QStringList{"Compare set parametrs  with parametrs of ignition"}
                        << QStringList{"Kenndaten mit Zündungskenndaten vergleichen"}
                        << QStringList{"Comparer les paramètres de ECU"}
                        << QStringList{
                               "Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování"};
    QTest::newRow("68") << 68 << "BitBtnAdvMinus" << int(TextKind::Hint) << 0
                        << QStringList{"Take off 1 degree of Advance"} << QStringList{"Vorzündung minus 1 Grad"}
                        << QStringList{"Retarder de 1 degré l´avance a l´allumage"}
                        << QStringList{"Zmenšení předstihu o 1 stupeň"};
    QTest::newRow("69") << 69 << "BitBtnAdvPlus" << int(TextKind::Hint) << 0 << QStringList{"Add 1 degree of Advance"}
                        << QStringList{"Vorzündung plus 1 Grad"}
                        << QStringList{"Avance accroître l´avance a l´allumage de 1 degré"}
                        << QStringList{"Zvětšení předstihu o 1 stupeň"};
    QTest::newRow("70") << 70 << "Button1" << int(TextKind::Hint) << 0 << QStringList{"Reading parametrs from ignition"}
                        << QStringList{"Kenndaten aus Zündung lesen"} << QStringList{"Lire paramètres ECU"}
                        << QStringList{"Čtení parametrů ze zapalování"};
    QTest::newRow("71") << 71 << "MenuRead" << int(TextKind::MenuHint) << 0
                        << QStringList{"Reading parametrs from ignition"} << QStringList{"Kenndaten aus Zündung lesen"}
                        << QStringList{"Lire paramètres ECU"} << QStringList{"Čtení parametrů ze zapalování"};
    QTest::newRow("72") << 72 << "MenuExit" << int(TextKind::MenuHint) << 0 << QStringList{"End of program"}
                        << QStringList{"Programm beenden"} << QStringList{"Sortir du programme"}
                        << QStringList{"Ukončení programu"};
    QTest::newRow("73") << 73 << "MenuLanguage" << int(TextKind::MenuHint) << 0
                        << QStringList{"Set English or German or French or Czech "}
                        << QStringList{"wählen sie Englisch, Deutsch, Französisch oder Tschechisch "}
                        << QStringList{"installer lange; Englais,Allemand , Francais ou Czech"}
                        << QStringList{"Nastavení jazyka na angličtinu, němčinu, francozštinu nebo češtinu "};
    QTest::newRow("74") << 74 << "MenuEnglish" << int(TextKind::MenuHint) << 0 << QStringList{"Set English menu"}
                        << QStringList{"Set English menu"} << QStringList{"Set English menu"}
                        << QStringList{"Set English menu"};
    QTest::newRow("75") << 75 << "MenuGerman" << int(TextKind::MenuHint) << 0 << QStringList{"Deutsches Menü"}
                        << QStringList{"Deutsches Menü"} << QStringList{"Deutsches Menü"}
                        << QStringList{"Deutsches Menü"};
    QTest::newRow("76") << 76 << "MenuFrench" << int(TextKind::MenuHint) << 0 << QStringList{"Installer en Francais "}
                        << QStringList{"Installer en Francais "} << QStringList{"Installer en Francais "}
                        << QStringList{"Installer en Francais "};
    QTest::newRow("77") << 77 << "MenuCzech" << int(TextKind::MenuHint) << 0 << QStringList{"Nastavit české menu"}
                        << QStringList{"Nastavit české menu"} << QStringList{"Nastavit české menu"}
                        << QStringList{"Nastavit české menu"};
    QTest::newRow("78") << 78 << "CheckBoxProgHned" << int(TextKind::Hint) << 0
                        << QStringList{"Programing at once after change"}
                        << QStringList{"Programmmieren sofort nach dem änderung"}
                        << QStringList{"Programation instantanée des modifications"}
                        << QStringList{"Programování ihned po změně"};
    QTest::newRow("79") << 79 << "MenuCom" << int(TextKind::MenuHint) << 0 << QStringList{"Set number of com"}
                        << QStringList{"Com-Anschluß festlegen"} << QStringList{"installer nombre de com"}
                        << QStringList{"Nastavení čísla serivého portu (Com) "};
    QTest::newRow("80") << 80 << "MenuCom1" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 1"}
                        << QStringList{"Com-Anschluß auswahl 1"} << QStringList{"installer com 1"}
                        << QStringList{"Nastavení komunikace na port com 1"};
    QTest::newRow("81") << 81 << "MenuCom2" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 2"}
                        << QStringList{"Com-Anschluß auswahl 2"} << QStringList{"installer com 2"}
                        << QStringList{"Nastavení komunikace na port com 2"};
    QTest::newRow("82") << 82 << "MenuCom3" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 3"}
                        << QStringList{"Com-Anschluß auswahl 3"} << QStringList{"installer com 3"}
                        << QStringList{"Nastavení komunikace na port com 3"};
    QTest::newRow("83") << 83 << "MenuCom4" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 4"}
                        << QStringList{"Com-Anschluß auswahl 4"} << QStringList{"installer com 4"}
                        << QStringList{"Nastavení komunikace na port com 4"};
    QTest::newRow("84") << 84 << "MenuCom5" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 5"}
                        << QStringList{"Com-Anschluß auswahl 5"} << QStringList{"installer com 5"}
                        << QStringList{"Nastavení komunikace na port com 5"};
    QTest::newRow("85") << 85 << "MenuCom6" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 6"}
                        << QStringList{"Com-Anschluß auswahl 6"} << QStringList{"installer com 6"}
                        << QStringList{"Nastavení komunikace na port com 6"};
    QTest::newRow("86") << 86 << "MenuCom7" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 7"}
                        << QStringList{"Com-Anschluß auswahl 7"} << QStringList{"installer com 7"}
                        << QStringList{"Nastavení komunikace na port com 7"};
    QTest::newRow("87") << 87 << "MenuCom8" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 8"}
                        << QStringList{"Com-Anschluß auswahl 8"} << QStringList{"installer com 8"}
                        << QStringList{"Nastavení komunikace na port com 8"};
    QTest::newRow("88") << 88 << "MenuCom9" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 9"}
                        << QStringList{"Com-Anschluß auswahl 9"} << QStringList{"installer com 9"}
                        << QStringList{"Nastavení komunikace na port com 9"};
    QTest::newRow("89") << 89 << "MenuCom10" << int(TextKind::MenuHint) << 0 << QStringList{"Set com 10"}
                        << QStringList{"Com-Anschluß auswahl 10"} << QStringList{"installer com 10"}
                        << QStringList{"Nastavení komunikace na port com 10"};
}

void TestI18n::windowTextTable() {
    QFETCH(int, number);
    QFETCH(QString, target);
    QFETCH(int, kind);
    QFETCH(int, item);
    QFETCH(QStringList, english);
    QFETCH(QStringList, german);
    QFETCH(QStringList, french);
    QFETCH(QStringList, czech);

    const auto& table = ::windowTextTable();
    QCOMPARE(table.size(), std::size_t{88});
    const WindowTextRow& row = table[static_cast<std::size_t>(number - 2)];
    QCOMPARE(row.number, number);
    QCOMPARE(QString::fromUtf8(row.target), target);
    QCOMPARE(static_cast<int>(row.kind), kind);
    QCOMPARE(row.item, item);

    const std::array<QStringList, kLanguageCount> expected = {english, german, french, czech};
    for (int l = 0; l < kLanguageCount; ++l) {
        const auto language = static_cast<LanguageId>(l);
        const QStringList& texts = expected[static_cast<std::size_t>(l)];
        QCOMPARE(row.itemsFor(language), texts);
        QCOMPARE(row.textFor(language), texts.join(QLatin1Char('\n')));
    }
    // A language outside the four reads the English column.
    QCOMPARE(row.textFor(static_cast<LanguageId>(9)), english.join(QLatin1Char('\n')));
}

void TestI18n::windowTitle_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    QTest::newRow("English") << 0 << QString("Programming of VELMORAN unit");
    QTest::newRow("German") << 1 << QString("Programmierung der VELMORAN Zündbox");
    QTest::newRow("French") << 2 << QString("Programation de VELMORAN unité");
    QTest::newRow("Czech") << 3 << QString("Programování jednotky VELMORAN");
}

void TestI18n::windowTitle() {
    QFETCH(int, language);
    QFETCH(QString, title);
    QCOMPARE(::windowTitle(static_cast<LanguageId>(language)), title);
}

void TestI18n::composedWindowTexts() {
    const WindowTextRow* com3 = ::findWindowText("MenuCom3", TextKind::MenuHint);
    QVERIFY(com3 != nullptr);
    QCOMPARE(com3->textFor(LanguageId::Czech), QString("Nastavení komunikace na port com 3"));

    const std::array<const char*, kLanguageCount> comPrefix = {"Set com ", "Com-Anschluß auswahl ", "installer com ",
                                                               "Nastavení komunikace na port com "};
    const std::array<const char*, kLanguageCount> inputWord = {"Input ", "Eingang ", "Entrée ", "Vstup "};
    for (int l = 0; l < kLanguageCount; ++l) {
        const auto language = static_cast<LanguageId>(l);
        for (int n = 1; n <= 10; ++n) {
            const WindowTextRow* row =
                ::findWindowText(QStringLiteral("MenuCom%1").arg(n).toStdString(), TextKind::MenuHint);
            QVERIFY(row != nullptr);
            QCOMPARE(row->number, 79 + n);
            QCOMPARE(row->textFor(language),
                     QString::fromUtf8(comPrefix[static_cast<std::size_t>(l)]) + QString::number(n));
        }
        for (int n = 1; n <= 2; ++n) {
            const WindowTextRow* row =
                ::findWindowText(QStringLiteral("RadioGroupInput%1").arg(n).toStdString(), TextKind::Caption);
            QVERIFY(row != nullptr);
            QCOMPARE(row->number, 42 + n);
            QCOMPARE(row->textFor(language),
                     QString::fromUtf8(inputWord[static_cast<std::size_t>(l)]) + QString::number(n));
        }
    }
    // The composed texts stay put: asking again hands out the same storage.
    QVERIFY(&::windowTextTable()[80] == com3);
    QVERIFY(::findWindowText("MenuCom3", TextKind::MenuHint)->text[3] == com3->text[3]);
}

void TestI18n::findWindowText() {
    const WindowTextRow* lobe3 = ::findWindowText("ComboBoxPocPalcu", TextKind::Item, 3);
    QVERIFY(lobe3 != nullptr);
    QCOMPARE(lobe3->number, 37);
    QCOMPARE(lobe3->textFor(LanguageId::Czech), QString("3 zápaly za otáčku"));

    // The same control has a menu caption and a menu hint; the kind picks the row.
    QCOMPARE(::findWindowText("MenuOpen", TextKind::MenuCaption)->number, 5);
    QCOMPARE(::findWindowText("MenuOpen", TextKind::MenuHint)->number, 57);
    QCOMPARE(::findWindowText("MenuOpen", TextKind::Caption), nullptr);
    QCOMPARE(::findWindowText("ComboBoxPocPalcu", TextKind::Item, 5), nullptr);
    QCOMPARE(::findWindowText("MenuCom11", TextKind::MenuHint), nullptr);
    QCOMPARE(::findWindowText("MenuCom", TextKind::MenuHint)->number, 79);

    // The two French Help captions are two rows, each shown exactly.
    QCOMPARE(::findWindowText("MenuContens", TextKind::MenuCaption)->textFor(LanguageId::French), QString("&Contenu"));
    QCOMPARE(::findWindowText("MenuAbout", TextKind::MenuCaption)->textFor(LanguageId::French),
             QString("&Contenu du programme"));
}

void TestI18n::fixedWindowTexts() {
    struct Expected {
        QString target;
        TextKind kind;
        QStringList items;
    };
    const std::vector<Expected> expected = {
        {"LabelRpm1", TextKind::Caption, {"RPM"}},
        {"LabelRpm2", TextKind::Caption, {"RPM"}},
        {"LabelClutch1", TextKind::Caption, {"Clutch master time [ms]"}},
        {"LabelClutch2", TextKind::Caption, {"Clutch master pause [ms]"}},
        {"BitBtnAdvMinus", TextKind::Caption, {"-"}},
        {"BitBtnAdvPlus", TextKind::Caption, {"+"}},
        {"MenuCom1", TextKind::MenuCaption, {"Com &1"}},
        {"MenuCom2", TextKind::MenuCaption, {"Com &2"}},
        {"MenuCom3", TextKind::MenuCaption, {"Com &3"}},
        {"MenuCom4", TextKind::MenuCaption, {"Com &4"}},
        {"MenuCom5", TextKind::MenuCaption, {"Com &5"}},
        {"MenuCom6", TextKind::MenuCaption, {"Com &6"}},
        {"MenuCom7", TextKind::MenuCaption, {"Com &7"}},
        {"MenuCom8", TextKind::MenuCaption, {"Com &8"}},
        {"MenuCom9", TextKind::MenuCaption, {"Com &9"}},
        {"MenuCom10", TextKind::MenuCaption, {"Com 1&0"}},
        {"AdvanceMinus", TextKind::MenuCaption, {"Advance -"}},
        {"AdvanceMinus", TextKind::MenuHint, {"Curve A minus|Take off 1 degree of curve A"}},
        {"AdvancePlus", TextKind::MenuCaption, {"Advance +"}},
        {"AdvancePlus", TextKind::MenuHint, {"Curve A plus|Add 1 degree of curve A"}},
        {"MenuHelp", TextKind::MenuHint, {"Not available jet"}},
        {"ComboBoxPocPalcu", TextKind::Hint, {"Type of keying"}},
        {"ComboBoxBike", TextKind::Hint, {"Type of keying"}},
        {"ComboBoxBike",
         TextKind::Items,
         {"Standard", "Honda CBF250", "Kawasaki KLR 600 older model", "Yamaha XT 600 older model"}},
    };

    const std::span<const FixedText> fixed = ::fixedWindowTexts();
    QCOMPARE(fixed.size(), expected.size());
    for (const Expected& want : expected) {
        int matches = 0;
        for (const FixedText& have : fixed) {
            if (QString::fromUtf8(have.target) != want.target || have.kind != want.kind) continue;
            ++matches;
            QCOMPARE(have.items(), want.items);
        }
        QVERIFY2(matches == 1, qPrintable(want.target));
    }
    // No fixed text is also a language-dependent row.
    for (const FixedText& have : fixed) {
        QVERIFY2(::findWindowText(have.target, have.kind) == nullptr, have.target);
    }
}

void TestI18n::keyingEntries() {
    const QStringList expected = {"Standard", "Honda CBF250", "Kawasaki KLR 600 older model",
                                  "Yamaha XT 600 older model"};
    QCOMPARE(kKeyingEntries.size(), std::size_t{4});
    for (std::size_t i = 0; i < kKeyingEntries.size(); ++i) {
        QCOMPARE(QString::fromUtf8(kKeyingEntries[i]), expected[static_cast<qsizetype>(i)]);
    }
}

void TestI18n::splitHint_data() {
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("statusTip");
    QTest::newRow("short|long") << QString("Round per Minute|Speed - Round per Minute") << QString("Round per Minute")
                                << QString("Speed - Round per Minute");
    QTest::newRow("no bar") << QString("Umdrehungen pro Minute") << QString("Umdrehungen pro Minute")
                            << QString("Umdrehungen pro Minute");
    QTest::newRow("trailing blank kept") << QString("Installer en Francais ") << QString("Installer en Francais ")
                                         << QString("Installer en Francais ");
    QTest::newRow("second bar belongs to the long part") << QString("a|b|c") << QString("a") << QString("b|c");
    QTest::newRow("empty") << QString() << QString() << QString();
}

void TestI18n::splitHint() {
    QFETCH(QString, hint);
    QFETCH(QString, toolTip);
    QFETCH(QString, statusTip);
    const HintParts parts = ::splitHint(hint);
    QCOMPARE(parts.toolTip, toolTip);
    QCOMPARE(parts.statusTip, statusTip);
}

QTEST_GUILESS_MAIN(TestI18n)
#include "tst_i18n.moc"
