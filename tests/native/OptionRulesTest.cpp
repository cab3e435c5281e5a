#include "OptionRules.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionRules, NumbersStoreTheirLowByteAndOtherTextsChangeNothing) {
    struct Case {
        const char* Text;
        uint8_t Before;
        bool Converted;
        uint8_t After;
    };
    const Case cases[] = {
        {"1", 0, true, 1},   {"0", 1, true, 0},    {"7", 1, true, 7},     {"300", 1, true, 44},
        {"256", 1, true, 0}, {"-1", 0, true, 255}, {"$FF", 0, true, 255}, {"0x03", 0, true, 3},
        {" 1", 0, true, 1},  {"yes", 1, false, 1}, {"*", 0, false, 0},    {"", 1, false, 1},
        {"1 ", 0, false, 0},
    };
    for (const Case& c : cases) {
        uint8_t value = c.Before;
        EXPECT_EQ(ApplyOptionText(c.Text, value), c.Converted) << '"' << c.Text << '"';
        EXPECT_EQ(value, c.After) << '"' << c.Text << '"';
    }
}

TEST(OptionRules, LanguageIsGermanOnlyForZeroAndEnglishForEverythingButOne) {
    const struct {
        const char* Text;
        uint8_t Expected;
    } cases[] = {{"0", 0}, {"1", 1}, {"7", 1}, {"300", 1}, {"254", 1}, {"255", 1}, {"-1", 1}, {"256", 0}};
    for (const auto& c : cases) {
        uint8_t language = 1;
        ApplyOptionText(c.Text, language);
        EXPECT_EQ(NormalizeLanguage(language), c.Expected) << "Language=" << c.Text;
    }
}

} // namespace

TEST(OptionRules, TheAutoRestoreDelayStaysWithinTenSeconds) {
    const struct {
        uint32_t Stored;
        uint32_t Expected;
    } cases[] = {{0, 0},           {200, 200},          {10000, 10000},
                 {10001, 10000},   {600000, 10000},     {0xFFFFFFFBu /* -5 */, 0},
                 {0x80000000u, 0}, {0x7FFFFFFFu, 10000}};
    for (const auto& c : cases) {
        EXPECT_EQ(ClampAutoRestoreDelay(c.Stored), c.Expected) << c.Stored;
    }
}
