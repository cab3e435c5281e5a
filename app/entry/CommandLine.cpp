#include "CommandLine.h"

#include <windows.h>

#include "CommandActions.h"
#include "CommandLineRules.h"
#include "DataFolder.h"
#include "LayoutPreviewCommand.h"
#include "NumberConversion.h"
#include "Options.h"
#include "ProcessState.h"
#include "RunAction.h"
#include "SaveRestoreActions.h"

namespace {

// `namedFile` is the file the last RF or SF verb named; RFX and SFX use it too.
void Perform(const TVerbCall& call, std::string& namedFile) {
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
        RunAction(RestorePrimaryUnlessPortable);
        break;
    case TCommand::SavePrimary:
        RunAction(SavePrimaryAction);
        break;
    case TCommand::RestoreFromNamedFile:
        namedFile = call.Argument;
        RunAction([&namedFile] { RestoreAction(RestoreKindFile, namedFile); });
        break;
    case TCommand::SaveToNamedFile:
        namedFile = call.Argument;
        RunAction([&namedFile] { SaveLayout(SaveKindFile, namedFile); });
        break;
    case TCommand::RestoreFromFile:
        RunAction([&namedFile] { RestoreAction(RestoreKindFile, namedFile); });
        break;
    case TCommand::SaveToFile:
        RunAction([&namedFile] { SaveLayout(SaveKindFile, namedFile); });
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
        if (IsValidBackupId(call.Argument)) {
            RunAction([&call] { RestoreAction(RestoreKindBackup, call.Argument); });
        }
        break;
    case TCommand::Preview:
        ShowLayoutPreviewCommand(call.Argument);
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
    std::string namedFile;
    for (const TVerbCall& call : WalkVerbs(arguments)) {
        Perform(call, namedFile);
    }
    if (TrayRequested) {
        CommandLineMode = false;
    }
}
