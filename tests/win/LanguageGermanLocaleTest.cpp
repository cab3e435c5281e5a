// The language choice of the real Kavrilon.exe under a German system locale (these tests run with
// LC_ALL=de_DE.UTF-8, which Wine turns into the locale of the processes it starts).

#include <windows.h>

#include <gtest/gtest.h>

#include "LanguageChoice.h"

namespace {

TEST(LanguageChoiceGermanLocale, GermanLocaleGivesGermanUnlessTheOptionsSayEnglish) {
    ASSERT_EQ(SystemLocaleLanguageName(), "DEU");
    EXPECT_EQ(LanguageWrittenAfterStart(nullptr), "0");
    EXPECT_EQ(LanguageWrittenAfterStart("*"), "0");
    EXPECT_EQ(LanguageWrittenAfterStart("1"), "1");
    EXPECT_EQ(LanguageWrittenAfterStart("255"), "1");
    EXPECT_EQ(LanguageWrittenAfterStart("-1"), "1");
    EXPECT_EQ(LanguageWrittenAfterStart("0"), "0");
}

} // namespace
