#include "TextRules.h"

#include <gtest/gtest.h>

namespace {

TEST(TextRules, CaseMarksCapitaliseInUpperAndVanishInKeep) {
    EXPECT_EQ(ApplyCaseMarksFor("Resume from #standb&y", CaseUpper, false), "Resume from Standb&y");
    EXPECT_EQ(ApplyCaseMarksFor("Resume from #standb&y", CaseKeep, false), "Resume from standb&y");
    EXPECT_EQ(ApplyCaseMarksFor("Auto #restore #after", CaseUpper, true), "Auto Restore After");
    EXPECT_EQ(ApplyCaseMarksFor("no marks at all", CaseUpper, false), "no marks at all");
    EXPECT_EQ(ApplyCaseMarksFor("", CaseUpper, false), "");
}

TEST(TextRules, CaseMarksOnSpecialCharacters) {
    // Two marks in a row yield one "#"; a mark at the very end stays.
    EXPECT_EQ(ApplyCaseMarksFor("a##b", CaseUpper, false), "a#b");
    EXPECT_EQ(ApplyCaseMarksFor("a###b", CaseUpper, false), "a#B");
    EXPECT_EQ(ApplyCaseMarksFor("end#", CaseUpper, false), "end#");
    EXPECT_EQ(ApplyCaseMarksFor("#", CaseKeep, false), "#");
    // A mark on "&" drops the mark and leaves the accelerator, in either mode.
    EXPECT_EQ(ApplyCaseMarksFor("Transparent #&confirmations", CaseUpper, false),
              "Transparent &confirmations");
    EXPECT_EQ(ApplyCaseMarksFor("Transparent #&confirmations", CaseKeep, false),
              "Transparent &confirmations");
    EXPECT_EQ(ApplyCaseMarksFor("Save at &#logoff", CaseUpper, false), "Save at &Logoff");
    // Only ASCII letters change case: an umlaut (Windows-1252 0xFC) and digits stay.
    EXPECT_EQ(ApplyCaseMarksFor("#\xFC"
                                "ber #9",
                                CaseUpper, false),
              "\xFC"
              "ber 9");
}

TEST(TextRules, AutoModeFollowsTheWindowsFamily) {
    EXPECT_EQ(ApplyCaseMarksFor("Restore &from #file...", CaseAuto, false), "Restore &from File...");
    EXPECT_EQ(ApplyCaseMarksFor("Restore &from #file...", CaseAuto, true), "Restore &from file...");
    // Captions use Upper, which capitalises on every version.
    EXPECT_EQ(ApplyCaseMarksFor("&Save #layout", CaseUpper, true), "&Save Layout");
}

TEST(TextRules, StripAcceleratorsRemovesEveryAmpersand) {
    EXPECT_EQ(StripAccelerators("&Save Layout"), "Save Layout");
    EXPECT_EQ(StripAccelerators("Tom && Jerry"), "Tom  Jerry");
    EXPECT_EQ(StripAccelerators("&&"), "");
    EXPECT_EQ(StripAccelerators("plain"), "plain");
}

TEST(TextRules, FormatFirstFillsOnlyTheFirstPlaceholder) {
    EXPECT_EQ(FormatFirst("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(FormatFirst("Shell-&Erweiterung %s", "deinstallieren"), "Shell-&Erweiterung deinstallieren");
    EXPECT_EQ(FormatFirst("%s and %s", "one"), "one and %s");
    EXPECT_EQ(FormatFirst("%s", ""), "");
    // The argument is not scanned again.
    EXPECT_EQ(FormatFirst("a %s b %s", "%s"), "a %s b %s");
}

} // namespace
