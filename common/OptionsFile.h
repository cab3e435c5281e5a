#pragma once
// Reading and writing the options file "Options.ini" (section "Opt") through the profile functions,
// by the table of options. Shared by the main program and the shell extension.

#include <cstdint>
#include <string>

#include "OptionTable.h"

// Reads every option of the table and both folders from `file` into `options`; keys that are
// missing or not numbers leave their option as it is (a missing folder reads as empty).
void LoadOptions(const std::string& file, TOptions& options);

// Reads the one byte option of `row` the same way.
void LoadOption(const std::string& file, const TOptionRow& row, TOptions& options);

// Writes every option of the table, then both folders, in the table's order.
void StoreOptions(const std::string& file, const TOptions& options);

// DelayAutoRest in milliseconds: 200 when missing, kept between 0 and 10000.
uint32_t LoadAutoRestoreDelay(const std::string& file);

// Whether NoShellExIcon is exactly "1".
bool LoadMenuIconHidden(const std::string& file);
