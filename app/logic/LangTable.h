#pragma once
// The program's numbered bilingual texts and the language choice. Includes no Windows header.
//
// Texts are 8-bit strings in the Windows-1252 code page (the program uses the ANSI functions), so
// the German letters beyond ASCII are written as octal escapes in the source.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "LanguageRules.h"

// Element 0 is the German text, element 1 the English text.
using TLangArray = std::array<const char*, 2>;

struct TLangItem {
    int32_t Id;
    TLangArray Texts;
};

inline constexpr int LangTableSize = 45;
// Searched from the first row; ids are unique.
// German texts: \374 is u-umlaut, \344 a-umlaut, \366 o-umlaut, \337 sharp s (Windows-1252).
// English texts carry "#" marks before letters that are capitalised in title case.
inline constexpr TLangItem LangTable[LangTableSize] = {
    {1000, {"&Programmstart", "St&art"}},
    {1017, {"R\374c&kkehr aus Standby", "Resume from #standb&y"}},
    {1001, {"&Aufl\366sungswechsel", "Resolution #c&hange"}},
    {1022, {"E&xplorer-Neustart", "E&xplorer #restart"}},
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
    {1023, {"Neue Icons ein&ordnen", "Place #new &#icons"}},
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

// Language identifiers for message boxes, indexed by the language: German (Germany), English (US).
inline constexpr uint16_t MessageLangIds[2] = {0x0407, 0x0409};

// The text of the row with `id` in `language` (0 German, 1 English), marks and accelerators still
// in it; empty for an unknown id or language.
std::string LangTextFor(int32_t id, uint8_t language);

// A count in words: the text of `singularId` when `count` is 1, else of the row after it (the
// plural), with its "%s" replaced by the count in decimal.
std::string LangCountTextFor(int32_t singularId, uint64_t count, uint8_t language);
