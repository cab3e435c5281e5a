#include "CommandActions.h"

#include "ProcessState.h"
#include "SaveRestoreActions.h"

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
