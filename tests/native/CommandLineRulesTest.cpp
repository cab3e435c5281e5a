#include "CommandLineRules.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The commands named here, not read from the table, so that a wrong verb in the table shows.
const char* ShortName(TCommand command) {
    switch (command) {
    case TCommand::OwnerWindow:
        return "H";
    case TCommand::RestorePrimary:
        return "R";
    case TCommand::SavePrimary:
        return "S";
    case TCommand::RestoreFromNamedFile:
        return "RF";
    case TCommand::SaveToNamedFile:
        return "SF";
    case TCommand::RestoreFromFile:
        return "RFX";
    case TCommand::SaveToFile:
        return "SFX";
    case TCommand::Options:
        return "O";
    case TCommand::DeleteBackups:
        return "X";
    case TCommand::RestoreBackup:
        return "RB";
    case TCommand::Preview:
        return "PREVIEW";
    default:
        return "?";
    }
}

std::string Describe(const std::vector<TVerbCall>& calls) {
    std::ostringstream text;
    for (const TVerbCall& call : calls) {
        text << ShortName(call.Command);
        if (call.Command == TCommand::OwnerWindow || call.Command == TCommand::RestoreFromNamedFile ||
            call.Command == TCommand::SaveToNamedFile || call.Command == TCommand::RestoreBackup ||
            call.Command == TCommand::Preview) {
            text << "(" << call.Argument << ")";
        }
        text << ";";
    }
    return text.str();
}

std::string Walk(const std::vector<std::string>& raw) {
    return Describe(WalkVerbs(MakeCommandArguments(raw)));
}

TEST(CommandLineRules, NormalizeUpperCasesAsciiAndDropsOnePrefix) {
    EXPECT_EQ(NormalizeArgument("/rb"), "RB");
    EXPECT_EQ(NormalizeArgument("-RB"), "RB");
    EXPECT_EQ(NormalizeArgument("\\Rb"), "RB");
    EXPECT_EQ(NormalizeArgument("rb"), "RB");
    EXPECT_EQ(NormalizeArgument("--S"), "-S");
    EXPECT_EQ(NormalizeArgument("//s"), "/S");
    EXPECT_EQ(NormalizeArgument("/"), "");
    EXPECT_EQ(NormalizeArgument(""), "");
    EXPECT_EQ(NormalizeArgument("20080101120000r"), "20080101120000R");
    // Letters beyond ASCII (here Windows-1252 bytes) and other characters stay as they are.
    EXPECT_EQ(NormalizeArgument("/\xFC"
                                "ber-\xE4"
                                "z"),
              "\xFC"
              "BER-\xE4"
              "Z");
    EXPECT_EQ(NormalizeArgument("c:\\my layouts\\a.kvl"), "C:\\MY LAYOUTS\\A.KVL");
}

TEST(CommandLineRules, SwitchesAreWholeNormalisedWords) {
    EXPECT_EQ(SwitchOf(NormalizeArgument("/tray")), TSwitch::Tray);
    EXPECT_EQ(SwitchOf(NormalizeArgument("-Dlg")), TSwitch::Dlg);
    EXPECT_EQ(SwitchOf(NormalizeArgument("nosplash")), TSwitch::NoSplash);
    EXPECT_EQ(SwitchOf(NormalizeArgument("\\PORT")), TSwitch::Port);
    EXPECT_EQ(SwitchOf(NormalizeArgument("--tray")), TSwitch::None);
    EXPECT_EQ(SwitchOf(NormalizeArgument("/ports")), TSwitch::None);
    EXPECT_EQ(SwitchOf(NormalizeArgument("/s")), TSwitch::None);
}

TEST(CommandLineRules, VerbsWithoutArgumentsInAnySpelling) {
    EXPECT_EQ(Walk({"/s", "-SP", "r", "\\rp"}), "S;S;R;R;");
    EXPECT_EQ(Walk({"/rfx", "/sfx", "/o", "/x"}), "RFX;SFX;O;X;");
    EXPECT_EQ(Walk({"--S", "SS", "/dlg", "tray", "/h1", "hello"}), "");
}

TEST(CommandLineRules, FileVerbsTakeTheNextArgumentAsTyped) {
    EXPECT_EQ(Walk({"RF", "a.kvl", "RFX"}), "RF(a.kvl);RFX;");
    EXPECT_EQ(Walk({"/rf", "C:\\Layouts\\My.kvl"}), "RF(C:\\Layouts\\My.kvl);");
    EXPECT_EQ(Walk({"/sf", "/s"}), "SF(/s);");
    EXPECT_EQ(Walk({"/rf", "/dlg", "/s"}), "RF(/dlg);S;");
    // As the last argument: an empty file name (the file dialog asks).
    EXPECT_EQ(Walk({"/s", "/rf"}), "S;RF();");
    EXPECT_EQ(Walk({"sf"}), "SF();");
}

TEST(CommandLineRules, HandleVerbConsumesTheNextArgumentOrNothing) {
    EXPECT_EQ(Walk({"/h", "12345", "/dlg", "/s"}), "H(12345);S;");
    EXPECT_EQ(Walk({"/h", "/s"}), "H(S);");
    EXPECT_EQ(Walk({"/s", "/h"}), "S;");
    EXPECT_EQ(Walk({"/h", "/h", "/r"}), "H(H);R;");
}

TEST(CommandLineRules, RestoreBackupTakesTheNextArgumentNormalised) {
    EXPECT_EQ(Walk({"rb", "20080101120000r"}), "RB(20080101120000R);");
    EXPECT_EQ(Walk({"RB", "2008"}), "RB(2008);");
    EXPECT_EQ(Walk({"/rb", "/20080101120000S"}), "RB(20080101120000S);");
    EXPECT_EQ(Walk({"/rb"}), "RB();");
    EXPECT_EQ(Walk({"/rb", "/r", "/s"}), "RB(R);S;");
}

TEST(CommandLineRules, PreviewTakesTheNextArgumentAsTypedUnlessItIsAVerbOrASwitch) {
    EXPECT_EQ(Walk({"/preview", "C:\\Layouts\\My.kvl"}), "PREVIEW(C:\\Layouts\\My.kvl);");
    EXPECT_EQ(Walk({"/Preview", "20080101120000r"}), "PREVIEW(20080101120000r);");
    EXPECT_EQ(Walk({"/preview"}), "PREVIEW();");
    EXPECT_EQ(Walk({"/preview", "/dlg"}), "PREVIEW();");
    EXPECT_EQ(Walk({"/preview", "/s"}), "PREVIEW();S;");
}

} // namespace
