#include "ActionProcedures.h"

#include "Actions.h"
#include "RunMode.h"

void RestorePrimaryUnlessPortable() {
    if (!PortableMode) {
        RestoreAction(RestoreKindPrimary, {});
    }
}

void SaveToFileAction() {
    SaveLayout(SaveKindFile);
}

void RestoreFromFileAction() {
    RestoreAction(RestoreKindFile, {});
}
