#include "NumberConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

struct Accepted {
    const char* Text;
    int64_t Expected;
};

TEST(NumberConversion, AcceptsDecimalHexadecimalSignsAndLeadingBlanks) {
    const Accepted cases[] = {
        {"0", 0},       {"17", 17},    {"-5", -5},   {"+12", 12},  {"007", 7},
        {"$10", 16},    {"0x20", 32},  {"0X1f", 31}, {"$ff", 255}, {"-$10", -16},
        {"+0x7F", 127}, {"   42", 42}, {" -3", -3},  {"$0", 0},    {"0x0", 0},
    };
    for (const Accepted& c : cases) {
        int64_t value = -999;
        EXPECT_TRUE(TryParseInt64(c.Text, value)) << c.Text;
        EXPECT_EQ(value, c.Expected) << c.Text;
    }
}

TEST(NumberConversion, RejectsAnythingThatIsNotEntirelyANumberAndLeavesTheValue) {
    const char* rejected[] = {"",    " ",   "+",    "-",    "$",   "0x",  "1a",  "12 ", "1.5", "--1",
                              "+-1", "$-1", "0x$1", "$0x1", "x10", "1 2", "\t1", "yes", "*",   "$g"};
    for (const char* text : rejected) {
        int64_t value = 1234;
        EXPECT_FALSE(TryParseInt64(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 1234) << '"' << text << '"';
    }
}

TEST(NumberConversion, FailsBeyondTheSigned64BitRange) {
    int64_t value = 0;
    EXPECT_TRUE(TryParseInt64("9223372036854775807", value));
    EXPECT_EQ(value, std::numeric_limits<int64_t>::max());
    EXPECT_TRUE(TryParseInt64("-9223372036854775808", value));
    EXPECT_EQ(value, std::numeric_limits<int64_t>::min());
    EXPECT_TRUE(TryParseInt64("$7FFFFFFFFFFFFFFF", value));
    EXPECT_EQ(value, std::numeric_limits<int64_t>::max());
    EXPECT_TRUE(TryParseInt64("-$8000000000000000", value));
    EXPECT_EQ(value, std::numeric_limits<int64_t>::min());

    value = 5;
    EXPECT_FALSE(TryParseInt64("9223372036854775808", value));
    EXPECT_FALSE(TryParseInt64("-9223372036854775809", value));
    EXPECT_FALSE(TryParseInt64("$8000000000000000", value));
    EXPECT_FALSE(TryParseInt64("0xFFFFFFFFFFFFFFFF", value));
    EXPECT_FALSE(TryParseInt64("99999999999999999999999", value));
    EXPECT_EQ(value, 5);
}

TEST(NumberConversion, NarrowingKeepsTheLowBits) {
    int64_t value = 0;
    ASSERT_TRUE(TryParseInt64("4294967301", value)); // 2^32 + 5
    EXPECT_EQ(LowInt32(value), 5);
    ASSERT_TRUE(TryParseInt64("4294967295", value));
    EXPECT_EQ(LowInt32(value), -1);
    ASSERT_TRUE(TryParseInt64("-2147483649", value));
    EXPECT_EQ(LowInt32(value), 2147483647);

    EXPECT_EQ(LowByte(256), 0);
    EXPECT_EQ(LowByte(300), 44);
    EXPECT_EQ(LowByte(-1), 255);
}

} // namespace
