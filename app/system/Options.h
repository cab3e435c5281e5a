#pragma once
// The options of the main program and their file "Options.ini" (section "Opt") in the data folder.

#include <cstdint>
#include <string>

// Byte options (0 or 1 unless noted; hand-edited files may hold other values).
extern uint8_t RestoreAtStart;
extern uint8_t RestoreAtChange;
extern uint8_t RestoreAtResume;
extern uint8_t QueryRestore;
extern uint8_t QueryRestoreFile;
extern uint8_t QuerySave;
extern uint8_t Transparency;
extern uint8_t SaveNotification;
extern uint8_t DirectUndo;
extern uint8_t IconSize; // 0 do not change, 1 classic, 2 medium, 3 large icons (Vista family)
extern uint8_t AutoSave;
extern uint8_t NoSplash;
// The language option is LanguageIndex (Language.h).

// Folders last chosen in the save and open dialogs, with trailing "\"; empty while none was chosen.
extern std::string SavePath;
extern std::string RestorePath;

// Whether the autostart value exists (and the program is not portable). Derived, not stored.
extern bool AutostartState;

// One row of the option table: the key in Options.ini and the byte that holds its value.
struct TKVOption {
    const char* Key;
    uint8_t* Value;
    uint8_t Default;
};

inline constexpr int OptionCount = 13;
// In the order of reading and writing.
extern const TKVOption OptionTable[OptionCount];

inline constexpr const char* OptionsSection = "Opt";

// Puts every option of the table and both paths back to its default (the language is left alone).
void SetOptionDefaults();

// Reads Options.ini into the option variables; keys that are missing or not numbers leave their
// variable as it is.
void ReadOptions();

// Writes the thirteen byte options and both paths; creates the data folder first unless portable.
void WriteOptions();

// Defaults, language, then Options.ini.
void InitDefaults();
