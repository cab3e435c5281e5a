// The language choice of the real Kavrilon.exe under an English system locale: the locale's choice,
// overridden by a Language value in Options.ini that converts.

#include <windows.h>

#include <gtest/gtest.h>

#include "LanguageChoice.h"

namespace {

TEST(LanguageChoice, EnglishLocaleGivesEnglishUnlessTheOptionsSayGerman) {
    ASSERT_EQ(SystemLocaleLanguageName(), "ENU");
    EXPECT_EQ(LanguageWrittenAfterStart(nullptr), "1");
    EXPECT_EQ(LanguageWrittenAfterStart("*"), "1");
    EXPECT_EQ(LanguageWrittenAfterStart("0"), "0");
    EXPECT_EQ(LanguageWrittenAfterStart("256"), "0");
    EXPECT_EQ(LanguageWrittenAfterStart("255"), "1");
    EXPECT_EQ(LanguageWrittenAfterStart("-1"), "1");
    EXPECT_EQ(LanguageWrittenAfterStart("Deutsch"), "1");
}

} // namespace
