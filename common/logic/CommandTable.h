#pragma once
// The commands of Kavrilon in one table: for each, the command-line verb that names it, the id of its
// tray menu item and the offset of its item in the shell extension's menu. The command line, the tray
// window and the shell extension all look commands up here. Windows-free.

#include <string_view>

#include "KavrilonNames.h"

enum class TCommand {
    OwnerWindow,          // the owner window of messages (command line only)
    SavePrimary,          // save the primary layout of the current resolution
    RestorePrimary,       // restore it
    SaveToNamedFile,      // save to the file that the command line names
    RestoreFromNamedFile, // restore from the file that the command line names
    SaveToFile,           // save to the file named before, or ask for one
    RestoreFromFile,      // restore from the file named before, or ask for one
    Options,              // the options dialog
    DeleteBackups,        // delete all backups of the current resolution
    RestoreBackup,        // restore one backup of the archive
    Preview,              // show the picture of a layout file, a backup or the primary layout
    BackupArchive,        // the tray's archive submenu item, which runs nothing itself
    About,                // the about screen
    Exit,                 // end the tray application
};

// What a verb takes from the command line after it.
enum class TVerbArgument {
    None,
    AsTyped,    // the next argument as typed (a file name); empty when the verb comes last
    Normalized, // the next argument normalised (a backup id); empty when the verb comes last
    Required,   // the next argument normalised; when the verb comes last it does nothing
    Optional,   // the next argument as typed unless it is a verb or a switch itself; else empty
};

struct TCommandRecord {
    TCommand Command;
    // The verb's spellings as a user types them, the first one also what the shell extension passes;
    // empty when the command has no verb or no second spelling.
    std::string_view Verb;
    std::string_view OtherVerb;
    TVerbArgument Argument;
    // The ids TrayId to TrayId + TrayIdCount - 1 in the tray menu, and the offsets ShellExtOffset to
    // ShellExtOffset + ShellExtOffsetCount - 1 in the shell extension's menu: one for a plain item,
    // one a listed backup for RestoreBackup (the backup at index n has the first one + n); a count of
    // 0 means the menu has no such item.
    unsigned TrayId;
    unsigned TrayIdCount;
    unsigned ShellExtOffset;
    unsigned ShellExtOffsetCount;
};

// The tray ids live in KavrilonNames.h because the menu resource and the tests use their values.
inline constexpr unsigned BackupTrayIdCount = BackupCommandLast - BackupCommandBase + 1;
// clang-format off
inline constexpr TCommandRecord CommandTable[] = {
    // command                          verb     other   argument                    tray id                 ids  offset  offsets
    {TCommand::OwnerWindow,             "/h",    "",     TVerbArgument::Required,    0,                      0,   0,      0},
    {TCommand::SavePrimary,             "/s",    "/sp",  TVerbArgument::None,        CommandSavePrimary,     1,   0,      1},
    {TCommand::RestorePrimary,          "/r",    "/rp",  TVerbArgument::None,        CommandRestorePrimary,  1,   2,      1},
    {TCommand::SaveToNamedFile,         "/sf",   "",     TVerbArgument::AsTyped,     0,                      0,   0,      0},
    {TCommand::RestoreFromNamedFile,    "/rf",   "",     TVerbArgument::AsTyped,     0,                      0,   0,      0},
    {TCommand::SaveToFile,              "/sfx",  "",     TVerbArgument::None,        CommandSaveToFile,      1,   1,      1},
    {TCommand::RestoreFromFile,         "/rfx",  "",     TVerbArgument::None,        CommandRestoreFromFile, 1,   3,      1},
    {TCommand::Options,                 "/o",    "",     TVerbArgument::None,        CommandOptions,         1,   4,      1},
    {TCommand::DeleteBackups,           "/x",    "",     TVerbArgument::None,        CommandDeleteBackups,   1,   5,      1},
    {TCommand::RestoreBackup,           "/rb",   "",     TVerbArgument::Normalized,  BackupCommandBase,      BackupTrayIdCount, 6, 10},
    {TCommand::Preview,                 "/preview", "",  TVerbArgument::Optional,    0,                      0,   0,      0},
    {TCommand::BackupArchive,           "",      "",     TVerbArgument::None,        CommandBackupArchive,   1,   0,      0},
    {TCommand::About,                   "",      "",     TVerbArgument::None,        CommandAbout,           1,   0,      0},
    {TCommand::Exit,                    "",      "",     TVerbArgument::None,        CommandExit,            1,   0,      0},
};
// clang-format on

// The record of a command; every command has one.
constexpr const TCommandRecord& CommandRecord(TCommand command) {
    for (const TCommandRecord& record : CommandTable) {
        if (record.Command == command) {
            return record;
        }
    }
    return CommandTable[0]; // not reached: the table test checks that every command has a record
}

// The command whose tray ids hold `id`, or nullptr.
constexpr const TCommandRecord* CommandOfTrayId(unsigned id) {
    for (const TCommandRecord& record : CommandTable) {
        if (id >= record.TrayId && id - record.TrayId < record.TrayIdCount) {
            return &record;
        }
    }
    return nullptr;
}

// The command whose shell extension offsets hold `offset`, or nullptr.
constexpr const TCommandRecord* CommandOfShellExtOffset(unsigned offset) {
    for (const TCommandRecord& record : CommandTable) {
        if (offset >= record.ShellExtOffset && offset - record.ShellExtOffset < record.ShellExtOffsetCount) {
            return &record;
        }
    }
    return nullptr;
}

// The number of offsets the shell extension uses: every command's offsets lie below it.
constexpr unsigned ShellExtOffsetLimit() {
    unsigned limit = 0;
    for (const TCommandRecord& record : CommandTable) {
        if (record.ShellExtOffsetCount != 0 && record.ShellExtOffset + record.ShellExtOffsetCount > limit) {
            limit = record.ShellExtOffset + record.ShellExtOffsetCount;
        }
    }
    return limit;
}
