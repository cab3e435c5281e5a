#include "CommandTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "BackupRules.h"
#include "CommandLineRules.h"

namespace {

constexpr int CommandCount = static_cast<int>(TCommand::Exit) + 1;

// Whether the ranges [firstA, firstA + countA) and [firstB, firstB + countB) share a value.
bool Overlap(unsigned firstA, unsigned countA, unsigned firstB, unsigned countB) {
    return countA != 0 && countB != 0 && firstA < firstB + countB && firstB < firstA + countA;
}

TEST(CommandTable, EveryCommandHasOneRecord) {
    std::set<int> seen;
    for (const TCommandRecord& record : CommandTable) {
        EXPECT_TRUE(seen.insert(static_cast<int>(record.Command)).second) << static_cast<int>(record.Command);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(CommandCount));
    for (int command = 0; command < CommandCount; ++command) {
        EXPECT_EQ(static_cast<int>(CommandRecord(static_cast<TCommand>(command)).Command), command);
    }
}

TEST(CommandTable, VerbsAreUniqueAndNoSwitch) {
    std::set<std::string> words;
    for (const TCommandRecord& record : CommandTable) {
        EXPECT_TRUE(record.OtherVerb.empty() || !record.Verb.empty());
        for (std::string_view spelling : {record.Verb, record.OtherVerb}) {
            if (spelling.empty()) {
                continue;
            }
            const std::string word = NormalizeArgument(spelling);
            EXPECT_FALSE(word.empty()) << spelling;
            EXPECT_TRUE(words.insert(word).second) << spelling;
            EXPECT_EQ(SwitchOf(word), TSwitch::None) << spelling;
            // The walk over the command line finds the command by each of its spellings.
            const std::vector<TVerbCall> calls =
                WalkVerbs(MakeCommandArguments({std::string(spelling), "12345"}));
            ASSERT_EQ(calls.size(), 1u) << spelling;
            EXPECT_EQ(calls[0].Command, record.Command) << spelling;
        }
    }
}

TEST(CommandTable, TrayIdsAndShellExtOffsetsNameOneCommandEach) {
    for (const TCommandRecord& a : CommandTable) {
        for (const TCommandRecord& b : CommandTable) {
            if (&a == &b) {
                continue;
            }
            EXPECT_FALSE(Overlap(a.TrayId, a.TrayIdCount, b.TrayId, b.TrayIdCount))
                << static_cast<int>(a.Command) << " " << static_cast<int>(b.Command);
            EXPECT_FALSE(
                Overlap(a.ShellExtOffset, a.ShellExtOffsetCount, b.ShellExtOffset, b.ShellExtOffsetCount))
                << static_cast<int>(a.Command) << " " << static_cast<int>(b.Command);
        }
        // 0 is the id of menu items that run nothing (the tray's "no backup" item).
        EXPECT_TRUE(a.TrayIdCount == 0 || a.TrayId != 0) << static_cast<int>(a.Command);
        if (a.TrayIdCount != 0) {
            EXPECT_EQ(CommandOfTrayId(a.TrayId), &a);
            EXPECT_EQ(CommandOfTrayId(a.TrayId + a.TrayIdCount - 1), &a);
        }
    }
    // The shell extension hands the shell a range of offsets from 0: every one names a command.
    for (unsigned offset = 0; offset < ShellExtOffsetLimit(); ++offset) {
        EXPECT_NE(CommandOfShellExtOffset(offset), nullptr) << offset;
    }
    EXPECT_EQ(CommandOfShellExtOffset(ShellExtOffsetLimit()), nullptr);
}

TEST(CommandTable, MenuCommandsStartTheMainProgramWithTheirVerb) {
    for (const TCommandRecord& record : CommandTable) {
        if (record.ShellExtOffsetCount == 0) {
            continue;
        }
        // The shell extension starts the main program with the verb; an item of a list (a backup)
        // passes what it lists as the verb's argument, a single item passes nothing after it.
        EXPECT_FALSE(record.Verb.empty()) << static_cast<int>(record.Command);
        if (record.ShellExtOffsetCount == 1) {
            EXPECT_EQ(record.Argument, TVerbArgument::None) << record.Verb;
        } else {
            EXPECT_EQ(record.Argument, TVerbArgument::Normalized) << record.Verb;
        }
    }
    // Both menus can list every backup that the archive keeps.
    const TCommandRecord& backup = CommandRecord(TCommand::RestoreBackup);
    EXPECT_GE(backup.TrayIdCount, BackupsKept);
    EXPECT_GE(backup.ShellExtOffsetCount, BackupsKept);
}

} // namespace
