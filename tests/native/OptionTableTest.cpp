#include "OptionTable.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using TLines = std::vector<std::pair<std::string, std::string>>;

TLines WrittenLines(const TOptions& options) {
    TLines lines;
    WriteOptionTexts([&lines](const char* key, const std::string& text) { lines.emplace_back(key, text); },
                     options);
    return lines;
}

// Reads `options` from a section holding `file`; keys not in it read as missing.
void ReadFrom(const std::map<std::string, std::string>& file, TOptions& options) {
    ReadOptionTexts(
        [&file](const char* key) {
            const auto found = file.find(key);
            return found == file.end() ? std::string(MissingOptionText) : found->second;
        },
        options);
}

TEST(OptionTable, TheDefaultsAreWrittenAsTheFileAlwaysHeldThemInItsOrder) {
    const TLines expected = {
        {"RestoreAtStart", "1"},   {"RestoreAtChange", "1"},
        {"RestoreAtResume", "1"},  {"QueryRestore", "1"},
        {"QueryRestoreFile", "1"}, {"QuerySave", "1"},
        {"Transparency", "0"},     {"SaveNotification", "1"},
        {"DirectUndo", "1"},       {"Language", "1"},
        {"IconSize", "0"},         {"AutoSave", "0"},
        {"NoSplash", "0"},         {"RestoreAtShellRestart", "1"},
        {"PlaceNewIcons", "1"},    {"SavePath", ""},
        {"RestorePath", ""},
    };
    EXPECT_EQ(WrittenLines(DefaultOptions()), expected);
}

TEST(OptionTable, ReadingKeepsWhatDoesNotConvertAndOnlyTheLanguageFallsBackWhenOutOfRange) {
    const struct {
        std::map<std::string, std::string> File;
        uint8_t TOptions::*Member;
        uint8_t Before;
        uint8_t After;
    } cases[] = {
        {{}, &TOptions::QuerySave, 0, 0},
        {{{"QuerySave", "yes"}}, &TOptions::QuerySave, 0, 0},
        {{{"QuerySave", "1"}}, &TOptions::QuerySave, 0, 1},
        {{{"Transparency", "-1"}}, &TOptions::Transparency, 0, 255},
        {{{"IconSize", "259"}}, &TOptions::IconSize, 0, 3},
        {{{"IconSize", "7"}}, &TOptions::IconSize, 0, 7},
        {{{"NoSplash", "$1"}}, &TOptions::NoSplash, 0, 1},
        {{{"Language", "0"}}, &TOptions::Language, 1, 0},
        {{{"Language", "7"}}, &TOptions::Language, 0, 1},
        {{{"Language", "256"}}, &TOptions::Language, 1, 0},
        {{{"Language", "x"}}, &TOptions::Language, 0, 0},
        {{}, &TOptions::Language, 0, 0},
    };
    for (const auto& c : cases) {
        TOptions options = DefaultOptions();
        options.*c.Member = c.Before;
        ReadFrom(c.File, options);
        const std::string key = OptionRowOf(c.Member).Key;
        EXPECT_EQ(options.*c.Member, c.After) << key << " case " << (&c - cases);
        // The reading of one key changes only its own option.
        TOptions others = options;
        others.*c.Member = c.Before;
        TOptions expectedOthers = DefaultOptions();
        expectedOthers.*c.Member = c.Before;
        EXPECT_EQ(WrittenLines(others), WrittenLines(expectedOthers)) << key;
    }
}

TEST(OptionTable, FoldersReadAsWrittenAndEmptyWhenMissingOrStarred) {
    TOptions options = DefaultOptions();
    options.SavePath = "C:\\Old\\";
    options.RestorePath = "C:\\Old\\";
    ReadFrom({{"SavePath", "*"}, {"RestorePath", "C:\\Layouts\\"}}, options);
    EXPECT_EQ(options.SavePath, "");
    EXPECT_EQ(options.RestorePath, "C:\\Layouts\\");
    ReadFrom({}, options);
    EXPECT_EQ(options.RestorePath, "");

    // What is written reads back as the same record.
    options.SavePath = "D:\\Saved layouts\\";
    options.IconSize = 2;
    options.Language = 0;
    std::map<std::string, std::string> file;
    for (const auto& [key, text] : WrittenLines(options)) {
        file[key] = text;
    }
    TOptions readBack = DefaultOptions();
    ReadFrom(file, readBack);
    EXPECT_EQ(WrittenLines(readBack), WrittenLines(options));
}

} // namespace
