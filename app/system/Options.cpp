#include "Options.h"

#include "DataFolder.h"
#include "OptionsFile.h"
#include "Paths.h"
#include "ProcessState.h"
#include "SystemLanguage.h"

TOptions ProgramOptions = DefaultOptions();

void ReadOptions() {
    LoadOptions(OptionsFilePath(), ProgramOptions);
    if (SetLayeredWindowAttributesPtr == nullptr) {
        ProgramOptions.Transparency = 0;
    }
}

void WriteOptions() {
    if (!PortableMode && !CreateFolderChain(DataFolder)) {
        return;
    }
    StoreOptions(OptionsFilePath(), ProgramOptions);
}

void InitDefaults() {
    ProgramOptions = DefaultOptions();
    // A Language key that converts overrides the locale's choice; without one the locale decides.
    ProgramOptions.Language = LanguageFromLocale();
    ReadOptions();
}
