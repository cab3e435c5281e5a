#include "Actions.h"

// The options dialog is not built yet: nothing is shown.
void ShowOptionsDialog() {}
