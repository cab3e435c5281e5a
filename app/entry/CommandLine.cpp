#include "CommandLine.h"

#include <windows.h>

#include "ActionProcedures.h"
#include "Actions.h"
#include "CommandLineRules.h"
#include "DataFolder.h"
#include "NumberConversion.h"
#include "Options.h"
#include "ProcessState.h"
#include "RunAction.h"
#include "RunMode.h"

namespace {

void Perform(const TVerbCall& call) {
    switch (call.Command) {
    case TCommand::OwnerWindow: {
        // A handle that does not convert leaves the owner window as it was.
        int64_t handle = 0;
        if (TryParseInt64(call.Argument, handle)) {
            OwnerWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(handle)));
        }
        break;
    }
    case TCommand::RestorePrimary:
        SelectedBackupId.clear();
        RunAction(RestorePrimaryUnlessPortable);
        break;
    case TCommand::SavePrimary:
        RunAction(SavePrimaryAction);
        break;
    case TCommand::RestoreFromNamedFile:
        CommandLineFile = call.Argument;
        RunAction(RestoreFromFileAction);
        break;
    case TCommand::SaveToNamedFile:
        CommandLineFile = call.Argument;
        RunAction(SaveToFileAction);
        break;
    case TCommand::RestoreFromFile:
        RunAction(RestoreFromFileAction);
        break;
    case TCommand::SaveToFile:
        RunAction(SaveToFileAction);
        break;
    case TCommand::Options:
        OptionsFromCommandLine = true;
        RunAction(ShowOptionsDialog);
        break;
    case TCommand::DeleteBackups:
        MessagesAllowed = true;
        RunAction(DeleteAllBackupsAction);
        break;
    case TCommand::RestoreBackup:
        SelectedBackupId = call.Argument;
        if (IsValidBackupId(SelectedBackupId)) {
            RunAction(RestoreSelectedBackupAction);
        }
        break;
    case TCommand::BackupArchive:
    case TCommand::About:
    case TCommand::Exit:
        break; // items of the tray menu only: no verb names them
    }
}

} // namespace

void RunCommandLinePhase(const std::vector<std::string>& rawArguments) {
    const std::vector<TCommandArgument> arguments = MakeCommandArguments(rawArguments);
    CommandLineMode = true;

    size_t verbCount = arguments.size();
    for (const TCommandArgument& argument : arguments) {
        switch (SwitchOf(argument.Normalized)) {
        case TSwitch::Tray:
            TrayRequested = true;
            SplashSuppressed = true;
            break;
        case TSwitch::Dlg:
            MessagesAllowed = true;
            break;
        case TSwitch::NoSplash:
            SplashSuppressed = true;
            break;
        case TSwitch::Port:
            PortableMode = true;
            ChoosePortableDataFolder();
            break;
        case TSwitch::None:
            continue;
        }
        --verbCount;
    }

    if (!DataFolderAvailable()) {
        TrayRequested = false;
        return;
    }
    InitDefaults();
    WriteOptions();

    if (verbCount == 0) {
        CommandLineMode = false;
        return;
    }
    for (const TVerbCall& call : WalkVerbs(arguments)) {
        Perform(call);
    }
    if (TrayRequested) {
        CommandLineMode = false;
    }
}
