#include "ExitCodes.h"

int32_t ExitCode = ExitSuccess;
