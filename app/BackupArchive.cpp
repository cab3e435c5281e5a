#include "Actions.h"

// The backup archive is not built yet: nothing is deleted.
void DeleteAllBackupsAction() {}
