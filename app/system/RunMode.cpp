
#include "ProcessState.h"

#include "ExitCodes.h"

bool CommandLineMode = false;
bool MessagesAllowed = false;
bool TrayRequested = false;
bool PortableMode = false;
bool SplashSuppressed = false;
HWND OwnerWindow = nullptr;
bool OptionsFromCommandLine = false;
HWND TrayWindow = nullptr;
bool SavingAtLogoff = false;
int32_t ExitCode = ExitSuccess;
