#include "ActionProcedures.h"

#include "Actions.h"
#include "ProcessState.h"
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

void RestoreSelectedBackupAction() {
    RestoreAction(RestoreKindBackup, SelectedBackupId);
}
