#include "LangTable.h"

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
};

std::string LangTextFor(int32_t id, uint8_t language) {
    for (const TLangItem& item : LangTable) {
        if (item.Id == id) {
            return PickLanguage(item.Texts[0], item.Texts[1], language);
        }
    }
    return {};
}
