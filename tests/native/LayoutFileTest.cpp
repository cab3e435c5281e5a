#include "LayoutFile.h"

#include "ExitCodes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string Bom = "\xEF\xBB\xBF";
const std::string Header = Bom + "Kavrilon 8.2\r\n# 1280x1024\r\n# 20081124093015\r\n";

struct TEntry {
    int32_t X;
    int32_t Y;
    std::string Caption;
};

// The content of the last reading of a test; Read and ReadFile return its code.
TLayoutContent Last;

int32_t Read(std::string_view bytes) {
    Last = ReadLayoutBytes(bytes);
    return Last.Code;
}

int32_t ReadFile(const std::string& path) {
    Last = ReadLayoutFile(path);
    return Last.Code;
}

std::vector<TEntry> Entries() {
    std::vector<TEntry> entries;
    for (const TItemProp& item : Last.Entries) {
        entries.push_back({item.X, item.Y, item.Caption});
    }
    return entries;
}

bool operator==(const TEntry& a, const TEntry& b) {
    return a.X == b.X && a.Y == b.Y && a.Caption == b.Caption;
}

void PrintTo(const TEntry& e, std::ostream* out) {
    *out << "{" << e.X << ", " << e.Y << ", \"" << e.Caption << "\"}";
}

class LayoutReader : public ::testing::Test {
protected:
    void SetUp() override {
        Last.Entries.assign(3, TItemProp{"stale", 1, 1, true});
        Last.Grid = true;
    }
};

TEST_F(LayoutReader, TheExampleFileReadsCompletely) {
    EXPECT_EQ(Read(Header + "# Grid\r\n17 2 My Computer\r\n17 78 Recycle Bin\r\n"), 0);
    EXPECT_TRUE(Last.Grid);
    EXPECT_EQ(Entries(), (std::vector<TEntry>{{17, 2, "My Computer"}, {17, 78, "Recycle Bin"}}));
    for (const TItemProp& item : Last.Entries) {
        EXPECT_FALSE(item.Matched);
    }
}

TEST_F(LayoutReader, FirstLineMustStartWithTheCaseSensitiveSignature) {
    // Only the header: complete, with an empty table and no grid.
    EXPECT_EQ(Read(Header), 0);
    EXPECT_TRUE(Last.Entries.empty());
    EXPECT_FALSE(Last.Grid);
    // Without byte-order mark, with anything after the signature, or with the signature alone.
    EXPECT_EQ(Read("KavrilonX"), 0);
    EXPECT_EQ(Read(Bom + "Kavrilon"), 0);
    EXPECT_EQ(Read("Kavrilon whatever\n5 6 A\n"), 0);
    EXPECT_EQ(Entries(), (std::vector<TEntry>{{5, 6, "A"}}));

    EXPECT_EQ(Read(""), 1);
    EXPECT_EQ(Read("kavrilon 8.2\r\n1 2 A\r\n"), 2);
    EXPECT_TRUE(Last.Entries.empty()) << "a refused file gives no entries";
    EXPECT_EQ(Read("KAVRILON 8.2\r\n"), 2);
    EXPECT_EQ(Read("Kavril\r\n"), 2);
    EXPECT_EQ(Read(Bom + "Kavrilo"), 2);
    EXPECT_EQ(Read(Bom), 2);
    EXPECT_EQ(Read("\n"), 2);
    // The mark only counts at the very start, and only as a whole.
    EXPECT_EQ(Read(" Kavrilon"), 2);
    EXPECT_EQ(Read("\xEF\xBBKavrilon"), 2);
    EXPECT_EQ(Read("# Kavrilon\r\nKavrilon\r\n"), 2);
    EXPECT_TRUE(Last.Entries.empty());
}

TEST_F(LayoutReader, CommentsEmptyLinesAndTheGridLine) {
    EXPECT_EQ(Read(Header + "\r\n# note\r\n1 2 A\r\n\r\n#\r\n3 4 B\r\n# Grid\r\n\r\n"), 0);
    EXPECT_EQ(Entries(), (std::vector<TEntry>{{1, 2, "A"}, {3, 4, "B"}}));
    EXPECT_TRUE(Last.Grid) << "a grid line after the entries counts too";

    for (const char* notGrid :
         {"# Grid \r\n", "#Grid\r\n", "# grid\r\n", " # Grid\r\n1 2 A\r\n", "# Grids\r\n"}) {
        Last.Grid = true;
        const int32_t code = Read(Header + notGrid);
        EXPECT_FALSE(Last.Grid) << notGrid;
        // A line starting with a blank is an entry line without X.
        EXPECT_EQ(code, notGrid[0] == ' ' ? 3 : 0) << notGrid;
    }
    // The grid line is looked for after line 1 only.
    EXPECT_EQ(Read("Kavrilon # Grid\r\n"), 0);
    EXPECT_FALSE(Last.Grid);
}

TEST_F(LayoutReader, NumbersTakeSignsHexadecimalAndTheLow32Bits) {
    EXPECT_EQ(Read(Header + "-5 -3 Folder\r\n$10 0x20 A\r\n+7 0X1f B\r\n"
                            "4294967296 -4294967297 C\r\n$FFFFFFFF 2147483648 D\r\n"
                            "9223372036854775807 -9223372036854775808 E\r\n"),
              0);
    EXPECT_EQ(Entries(), (std::vector<TEntry>{{-5, -3, "Folder"},
                                              {16, 32, "A"},
                                              {7, 31, "B"},
                                              {0, -1, "C"},
                                              {-1, INT32_MIN, "D"},
                                              {-1, 0, "E"}}));
}

TEST_F(LayoutReader, CaptionsKeepEveryBlank) {
    EXPECT_EQ(Read(Header + "1 2 New  Folder \r\n3 4  lead\r\n5 6 \r\n7 8   \r\n"), 0);
    EXPECT_EQ(Entries(),
              (std::vector<TEntry>{{1, 2, "New  Folder "}, {3, 4, " lead"}, {5, 6, ""}, {7, 8, "  "}}));
}

TEST_F(LayoutReader, ABadNumberKeepsTheEntriesBeforeItAndLeavesTheRestEmpty) {
    const char* badLines[] = {
        "1a 2 A",                   // not a number
        "10 20",                    // no second blank: no caption part
        "10",                       // no blank at all
        " 10 20 A",                 // empty X
        "10  20 A",                 // empty Y
        "1.5 2 A",                  // no decimals
        "10 20A B",                 // Y runs into the caption
        "92233720368547758080 1 A", // beyond 64 bits
        "1 0x A",                   // prefix without digits
    };
    for (const char* bad : badLines) {
        Last.Entries.clear();
        EXPECT_EQ(Read(Header + "1 2 A\r\n# c\r\n" + bad + "\r\n3 4 B\r\n5 6 C\r\n"), 3) << bad;
        ASSERT_EQ(Last.Entries.size(), 4u) << bad;
        EXPECT_EQ(Entries(), (std::vector<TEntry>{{1, 2, "A"}, {0, 0, ""}, {0, 0, ""}, {0, 0, ""}})) << bad;
    }
}

TEST_F(LayoutReader, LineEndsLfOnlyAndStrayCarriageReturns) {
    const std::string lfOnly = "Kavrilon 8.2\n# k\n# Grid\n1 2 A b\n3 4 C";
    EXPECT_EQ(Read(lfOnly), 0);
    const std::vector<TEntry> expected = {{1, 2, "A b"}, {3, 4, "C"}};
    EXPECT_EQ(Entries(), expected);
    EXPECT_TRUE(Last.Grid);

    // Every CR is dropped, wherever it stands; CR alone does not end a line.
    EXPECT_EQ(Read("Kavri\rlon 8.2\r\r\n# Gr\rid\r\n1\r 2 A\r b\r\n3 4 C\r"), 0);
    EXPECT_EQ(Entries(), expected);
    EXPECT_TRUE(Last.Grid);
    EXPECT_EQ(Read("Kavrilon\r1 2 A\r3 4 B\r"), 0);
    EXPECT_EQ(Entries(), (std::vector<TEntry>{}));
}

TEST(LayoutLookup, EachEntryIsGivenOutOnceInFileOrder) {
    ASSERT_EQ(Read(Header + "1 1 Doc\r\n2 2 doc\r\n3 3 Doc\r\n4 4 Doc \r\n5 5 \r\n"), 0);
    TLayoutPoint point;
    ASSERT_TRUE(TakeLayoutEntry(Last.Entries, "Doc", point));
    EXPECT_EQ(point.X, 1);
    EXPECT_EQ(point.Y, 1);
    ASSERT_TRUE(TakeLayoutEntry(Last.Entries, "Doc", point));
    EXPECT_EQ(point.X, 3);
    EXPECT_TRUE(Last.Entries[0].Matched);
    EXPECT_FALSE(Last.Entries[1].Matched);
    EXPECT_TRUE(Last.Entries[2].Matched);

    // Used up: no more "Doc"; case and length must match exactly; the point stays as it was.
    point = {-7, -8};
    EXPECT_FALSE(TakeLayoutEntry(Last.Entries, "Doc", point));
    EXPECT_FALSE(TakeLayoutEntry(Last.Entries, "DOC", point));
    EXPECT_FALSE(TakeLayoutEntry(Last.Entries, "Do", point));
    EXPECT_EQ(point.X, -7);
    EXPECT_EQ(point.Y, -8);

    ASSERT_TRUE(TakeLayoutEntry(Last.Entries, "Doc ", point));
    EXPECT_EQ(point.X, 4);
    ASSERT_TRUE(TakeLayoutEntry(Last.Entries, "doc", point));
    EXPECT_EQ(point.X, 2);
    ASSERT_TRUE(TakeLayoutEntry(Last.Entries, "", point));
    EXPECT_EQ(point.X, 5);
    EXPECT_FALSE(TakeLayoutEntry(Last.Entries, "", point));
}

TEST(LayoutWriter, WritesTheHeaderAndEntryLinesTheReaderExpects) {
    EXPECT_EQ(LayoutHeaderLines("1280x1024", "20081124093015"), Header);
    EXPECT_EQ(LayoutGridLine(), "# Grid\r\n");
    EXPECT_EQ(LayoutEntryLine(17, 2, "My Computer"), "17 2 My Computer\r\n");
    EXPECT_EQ(LayoutEntryLine(-1280, INT32_MIN, " a  b "), "-1280 -2147483648  a  b \r\n");
    EXPECT_EQ(LayoutEntryLine(0, 0, ""), "0 0 \r\n");
    // A line break in a caption must not break the file.
    EXPECT_EQ(LayoutEntryLine(1, 2, "two\r\nlines\n"), "1 2 two  lines \r\n");

    const std::vector<TEntry> written = {{-5, 3, "#hash"}, {0, 0, ""}, {7, -9, "x y "}, {1, 1, "\xC3\xA4"}};
    std::string text = LayoutHeaderLines("800x600", "20090307090503") + LayoutGridLine();
    for (const TEntry& e : written) {
        text += LayoutEntryLine(e.X, e.Y, e.Caption);
    }
    ASSERT_EQ(Read(text), 0);
    EXPECT_TRUE(Last.Grid);
    EXPECT_EQ(Entries(), written);
}

class LayoutFileAccess : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kv-layout-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const char* name, const std::string& bytes) {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::filesystem::path folder_;
};

TEST_F(LayoutFileAccess, ReadsFilesAndReportsUnreadablePathsWithCodeFour) {
    EXPECT_EQ(ReadFile(Write("a.kvl", Header + "# Grid\r\n17 2 My Computer\r\n")), 0);
    EXPECT_EQ(Entries(), (std::vector<TEntry>{{17, 2, "My Computer"}}));
    EXPECT_TRUE(Last.Grid);
    EXPECT_EQ(ReadFile(Write("empty.kvl", "")), 1);
    EXPECT_EQ(ReadFile(Write("lower.kvl", "kavrilon\r\n")), 2);
    EXPECT_EQ(ReadFile(Write("bad.kvl", Header + "1a 2 A\r\n")), 3);
    EXPECT_EQ(ReadFile((folder_ / "missing.kvl").string()), 4);
    EXPECT_EQ(ReadFile(folder_.string()), 4) << "a folder is no readable file";
}

TEST_F(LayoutFileAccess, HugeFilesAreRefusedAndTheSignatureIsCheckedFirst) {
    // Sparse files: their size costs no disk space.
    const std::string huge = Write("huge.kvl", Header);
    std::filesystem::resize_file(huge, MaxLayoutFileBytes + 1);
    EXPECT_EQ(ReadFile(huge), 4);
    const std::string foreign = Write("foreign.kvl", "MZ not a layout\r\n");
    std::filesystem::resize_file(foreign, MaxLayoutFileBytes * 4);
    EXPECT_EQ(ReadFile(foreign), 2);
    const std::string largest = Write("largest.kvl", Header + "5 6 A\r\n#");
    std::filesystem::resize_file(largest, MaxLayoutFileBytes);
    EXPECT_EQ(ReadFile(largest), 0);
    EXPECT_EQ(Entries(), (std::vector<TEntry>{{5, 6, "A"}}));
}

} // namespace
