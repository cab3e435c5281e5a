// The registration utility's command line: how parameters are split and which first parameters
// name an operation.

#include <gtest/gtest.h>

#include "RegUtilArgs.h"

namespace {

TEST(RegUtilArgs, SplitsParametersByTheClassicStartUpRule) {
    const struct {
        const char* CommandLine;
        const char* First;
        const char* Second;
    } cases[] = {
        {"KVRegShellEx.exe", "", ""},
        {"KVRegShellEx.exe r", "r", ""},
        {"\"C:\\Program Files\\K\\KVRegShellEx.exe\" u", "u", ""},
        {"KVRegShellEx.exe   r x y", "r", "x"},
        {"KVRegShellEx.exe\tr\x01x", "r", "x"},     // control characters separate too
        {"KVRegShellEx.exe \"r\"", "r", ""},        // quotes are removed
        {"KVRegShellEx.exe \"\"r", "r", ""},        // a leading empty pair is skipped
        {"KVRegShellEx.exe \"\" r", "r", ""},       // also as a parameter of its own
        {"KVRegShellEx.exe \"r u\" x", "r u", "x"}, // quotes group blanks
        {"KVRegShellEx.exe a\"b c\"d e", "ab cd", "e"},
        {"KVRegShellEx.exe \"r", "r", ""}, // an unclosed quote ends with the text
        {"KVRegShellEx.exe ru", "ru", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.CommandLine);
        EXPECT_EQ(CommandLineParameter(c.CommandLine, 1), c.First);
        EXPECT_EQ(CommandLineParameter(c.CommandLine, 2), c.Second);
    }
    EXPECT_EQ(CommandLineParameter("\"C:\\Apps\\KVRegShellEx.exe\" r", 0), "C:\\Apps\\KVRegShellEx.exe");
}

TEST(RegUtilArgs, OnlyTheExactLowerCaseLettersNameAnOperation) {
    EXPECT_EQ(OperationOfParameter("r"), RegUtilRegister);
    EXPECT_EQ(OperationOfParameter("u"), RegUtilUnregister);
    for (const char* other : {"", "R", "U", "/r", "-u", "ru", "r ", "reg"}) {
        EXPECT_EQ(OperationOfParameter(other), RegUtilNothing) << other;
    }
}

} // namespace
