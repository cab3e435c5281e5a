#include "RunMode.h"

#include "ProcessState.h"

bool CommandLineMode = false;
bool MessagesAllowed = false;
bool TrayRequested = false;
bool PortableMode = false;
bool SplashSuppressed = false;
HWND OwnerWindow = nullptr;
std::string CommandLineFile;
std::string SelectedBackupId;
bool OptionsFromCommandLine = false;
HWND TrayWindow = nullptr;
bool SavingAtLogoff = false;
