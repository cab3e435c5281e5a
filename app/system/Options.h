#pragma once
// The options of the main program (ProgramOptions, ProcessState.h) and their file "Options.ini" in
// the data folder; the table of options and the file's reader and writer are shared with the shell
// extension (OptionTable.h, OptionsFile.h).

// Reads Options.ini into ProgramOptions; keys that are missing or not numbers leave their option as
// it is. Without SetLayeredWindowAttributes the option Transparency is off.
void ReadOptions();

// Writes the thirteen byte options and both paths; creates the data folder first unless portable.
void WriteOptions();

// Defaults, the language of the locale, then Options.ini.
void InitDefaults();
