#include "LangTable.h"

#include "TextRules.h"

// German texts: \374 is u-umlaut, \344 a-umlaut, \366 o-umlaut, \337 sharp s (Windows-1252).
// English texts carry "#" marks before letters that are capitalised in title case.
const TLangItem LangTable[LangTableSize] = {
    {1000, {"&Programmstart", "St&art"}},
    {1017, {"R\374c&kkehr aus Standby", "Resume from #standb&y"}},
    {1001, {"&Aufl\366sungswechsel", "Resolution #c&hange"}},
    {1005, {"&Sichern", "&Saving"}},
    {1004, {"&Restaurieren", "&Restoring"}},
    {1018, {"Restaurieren aus &Datei", "Restoring from &#file"}},
    {1002, {"A&utostart", "Start with &#windows"}},
    {1008, {"&Meldung nach erfolgtem Sichern", "&Notification after #saving"}},
    {1019, {"Sichern beim A&bmelden", "Save at &#logoff"}},
    {1020, {"Kein Sp&lash Screen", "No S&plash #screen"}},
    {1007, {"Shell-&Erweiterung %s", "%s #shell &#extension"}},
    {500, {"installieren", "Install"}},
    {501, {"deinstallieren", "Uninstall"}},
    {1003, {"Spuren ent&fernen", "Remo&ve #traces"}},
    {1009, {"Automatisch restaurieren nach", "Auto #restore #after"}},
    {1010, {"Sicherheitsabfrage vor", "Confirmation #before"}},
    {1011, {"Zus\344tzlich", "Additional"}},
    {1012, {"Sprache", "Language"}},
    {1016, {"Vista: Icongr\366\337e n. Restaurieren", "Vista: Icon #size after #restoration"}},
    {1013, {"&Info", "A&bout"}},
    {1015, {"Im System-&Tray starten", "Start in #system &#tray"}},
    {2, {"Abbrechen", "Cancel"}},
    {1014, {"R\374ckg\344ngig &nach Restaurieren", "&Undo after #restore"}},
    {1021, {"Transparente Abfra&gen", "Transparent #&confirmations"}},
    {4000, {"Layout &sichern", "&Save #layout"}},
    {4001, {"Layout &restaurieren", "&Restore #layout"}},
    {3000, {"Hauptlayout &sichern", "&Save Primary #layout"}},
    {3001, {"Hauptlayout &restaurieren", "&Restore Primary #layout"}},
    {3009, {"&In Datei sichern...", "Save &to #file..."}},
    {3010, {"&Aus Datei restaurieren...", "Restore &from #file..."}},
    {3002, {"&Optionen", "&Options"}},
    {3003, {"I&nfo", "&About"}},
    {3007, {"&Backuparchiv", "&Backup #archive"}},
    {3008, {"Alle Backups &l\366schen", "&Delete all #backups"}},
    {3004, {"Kavrilon b&eenden", "E&xit Kavrilon"}},
    {5100, {"%s Icon w\374rde verschoben", "%s icon would move"}},
    {5101, {"%s Icons w\374rden verschoben", "%s icons would move"}},
    {5102, {"%s ist nicht auf dem Desktop", "%s is not on the desktop"}},
    {5103, {"%s sind nicht auf dem Desktop", "%s are not on the desktop"}},
    {5104, {"%s ist nicht im Layout", "%s is not in the layout"}},
    {5105, {"%s sind nicht im Layout", "%s are not in the layout"}},
    {5106, {"%s Icon im Layout", "%s icon in the layout"}},
    {5107, {"%s Icons im Layout", "%s icons in the layout"}},
};

std::string LangTextFor(int32_t id, uint8_t language) {
    for (const TLangItem& item : LangTable) {
        if (item.Id == id) {
            return PickLanguage(item.Texts[0], item.Texts[1], language);
        }
    }
    return {};
}

std::string LangCountTextFor(int32_t singularId, uint64_t count, uint8_t language) {
    return FormatFirst(LangTextFor(count == 1 ? singularId : singularId + 1, language),
                       std::to_string(count));
}
