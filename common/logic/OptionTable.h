#pragma once
// The options of Kavrilon as one record, and the one table of their keys in the options file
// "Options.ini" (section "Opt"), their defaults and the values that mean something. The main
// program keeps one such record for the process; the shell extension reads the language into one.
// Reading and writing go through the table, so the file's keys, their order and the conversion
// live here once. Includes no Windows header.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "OptionRules.h"

inline constexpr const char* OptionsSection = "Opt";

inline constexpr uint8_t LanguageGerman = 0;
inline constexpr uint8_t LanguageEnglish = 1;

// Byte options are 0 or 1 unless noted; hand-edited files may hold other values (see TOutOfRange).
struct TOptions {
    uint8_t RestoreAtStart;
    uint8_t RestoreAtChange;
    uint8_t RestoreAtResume;
    uint8_t QueryRestore;
    uint8_t QueryRestoreFile;
    uint8_t QuerySave;
    uint8_t Transparency;
    uint8_t SaveNotification;
    uint8_t DirectUndo;
    uint8_t Language; // 0 German, 1 English; the main program starts from the system locale's
    uint8_t IconSize; // 0 do not change, 1 classic, 2 medium, 3 large icons (Vista family)
    uint8_t AutoSave;
    uint8_t NoSplash;
    // The tray restores the primary layout once a restarted shell's desktop has filled its icons.
    uint8_t RestoreAtShellRestart;
    // A restore moves the icons its layout does not list out from under the restored ones.
    uint8_t PlaceNewIcons;
    // Folders last chosen in the save and open dialogs, with trailing "\"; empty while none was
    // chosen.
    std::string SavePath;
    std::string RestorePath;
};

// What a number outside [Min, Max] read from the file becomes: kept as read (the users of the
// option treat it as "not 1" or "do not change", and it is written back unchanged), or the default.
enum class TOutOfRange { Kept, Default };

// One byte option: its key, its member, its default and the values it may take.
struct TOptionRow {
    const char* Key;
    uint8_t TOptions::*Member;
    uint8_t Default;
    uint8_t Min;
    uint8_t Max;
    TOutOfRange OutOfRange;
};

// In the order of reading and writing.
inline constexpr TOptionRow OptionTable[] = {
    {"RestoreAtStart", &TOptions::RestoreAtStart, 1, 0, 1, TOutOfRange::Kept},
    {"RestoreAtChange", &TOptions::RestoreAtChange, 1, 0, 1, TOutOfRange::Kept},
    {"RestoreAtResume", &TOptions::RestoreAtResume, 1, 0, 1, TOutOfRange::Kept},
    {"QueryRestore", &TOptions::QueryRestore, 1, 0, 1, TOutOfRange::Kept},
    {"QueryRestoreFile", &TOptions::QueryRestoreFile, 1, 0, 1, TOutOfRange::Kept},
    {"QuerySave", &TOptions::QuerySave, 1, 0, 1, TOutOfRange::Kept},
    {"Transparency", &TOptions::Transparency, 0, 0, 1, TOutOfRange::Kept},
    {"SaveNotification", &TOptions::SaveNotification, 1, 0, 1, TOutOfRange::Kept},
    {"DirectUndo", &TOptions::DirectUndo, 1, 0, 1, TOutOfRange::Kept},
    // Any number but 0 and 1 means English.
    {"Language", &TOptions::Language, LanguageEnglish, 0, 1, TOutOfRange::Default},
    {"IconSize", &TOptions::IconSize, 0, 0, 3, TOutOfRange::Kept},
    {"AutoSave", &TOptions::AutoSave, 0, 0, 1, TOutOfRange::Kept},
    {"NoSplash", &TOptions::NoSplash, 0, 0, 1, TOutOfRange::Kept},
    {"RestoreAtShellRestart", &TOptions::RestoreAtShellRestart, 1, 0, 1, TOutOfRange::Kept},
    {"PlaceNewIcons", &TOptions::PlaceNewIcons, 1, 0, 1, TOutOfRange::Kept},
};

// The two folders, written after the byte options. A missing key or the text "*" reads as empty.
struct TPathOptionRow {
    const char* Key;
    std::string TOptions::*Member;
};
inline constexpr TPathOptionRow PathOptionTable[] = {
    {"SavePath", &TOptions::SavePath},
    {"RestorePath", &TOptions::RestorePath},
};

// Keys that only a hand-edited file sets: read where they are used, never written.
inline constexpr const char* AutoRestoreDelayKey = "DelayAutoRest"; // see ClampAutoRestoreDelay
inline constexpr const char* MenuIconHiddenKey = "NoShellExIcon";   // "1" hides the menu's image

// The row of a byte option.
constexpr const TOptionRow& OptionRowOf(uint8_t TOptions::*member) {
    for (const TOptionRow& row : OptionTable) {
        if (row.Member == member) {
            return row;
        }
    }
    return OptionTable[0]; // not reached for a member of TOptions
}

// Every byte option at its default, both folders empty.
TOptions DefaultOptions();

// Applies the text a profile read returned for the row's key (MissingOptionText when the key is
// missing): a number stores its low byte, any other text leaves the option as it is. A number
// outside the row's range then becomes the default where the row says so.
void ApplyOptionRow(const TOptionRow& row, std::string_view text, TOptions& options);

// Reads every byte option and both folders through `read`, which returns the text of a key of
// section "Opt" or MissingOptionText.
using TOptionTextReader = std::function<std::string(const char* key)>;
void ReadOptionTexts(const TOptionTextReader& read, TOptions& options);

// Hands every key of section "Opt" with its text to `write`, in the file's order: the byte options
// as decimal numbers, then both folders.
using TOptionTextWriter = std::function<void(const char* key, const std::string& text)>;
void WriteOptionTexts(const TOptionTextWriter& write, const TOptions& options);
