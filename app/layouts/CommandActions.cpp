#include "CommandActions.h"

#include "SaveRestoreActions.h"
#include "ProcessState.h"

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
