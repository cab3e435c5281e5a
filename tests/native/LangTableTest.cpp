#include "LangTable.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

TEST(LangTable, HoldsTheRowsInTheirOrderWithUniqueIds) {
    const std::vector<int32_t> expected = {
        1000, 1017, 1001, 1022, 1005, 1004, 1018, 1002, 1008, 1019, 1020, 1007, 500,  501,  1003,
        1009, 1010, 1011, 1012, 1016, 1013, 1015, 2,    1014, 1021, 1023, 4000, 4001, 3000, 3001,
        3009, 3010, 3002, 3003, 3007, 3008, 3004, 5100, 5101, 5102, 5103, 5104, 5105, 5106, 5107};
    std::vector<int32_t> ids;
    std::set<int32_t> unique;
    for (const TLangItem& item : LangTable) {
        ids.push_back(item.Id);
        unique.insert(item.Id);
        EXPECT_NE(item.Texts[0], nullptr);
        EXPECT_NE(item.Texts[1], nullptr);
    }
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(unique.size(), ids.size());
}

TEST(LangTable, GermanTextsAreWindows1252Bytes) {
    EXPECT_EQ(LangTextFor(1017, 0), "R\xFC"
                                    "c&kkehr aus Standby");
    EXPECT_EQ(LangTextFor(1001, 0), "&Aufl\xF6"
                                    "sungswechsel");
    EXPECT_EQ(LangTextFor(1011, 0), "Zus\xE4"
                                    "tzlich");
    EXPECT_EQ(LangTextFor(1016, 0), "Vista: Icongr\xF6\xDF"
                                    "e n. Restaurieren");
    EXPECT_EQ(LangTextFor(1014, 0), "R\xFC"
                                    "ckg\xE4"
                                    "ngig &nach Restaurieren");
    EXPECT_EQ(LangTextFor(3008, 0), "Alle Backups &l\xF6"
                                    "schen");
    // No German text carries a capitalisation mark.
    for (const TLangItem& item : LangTable) {
        EXPECT_EQ(std::string(item.Texts[0]).find('#'), std::string::npos) << item.Id;
    }
}

TEST(LangTable, LookupByIdAndLanguage) {
    EXPECT_EQ(LangTextFor(4000, 0), "Layout &sichern");
    EXPECT_EQ(LangTextFor(4000, 1), "&Save #layout");
    EXPECT_EQ(LangTextFor(2, 1), "Cancel");
    EXPECT_EQ(LangTextFor(3004, 1), "E&xit Kavrilon");
    // Unknown ids (no row) and unknown languages give the empty text.
    EXPECT_EQ(LangTextFor(1006, 1), "");
    EXPECT_EQ(LangTextFor(0, 0), "");
    EXPECT_EQ(LangTextFor(4000, 2), "");
    EXPECT_EQ(PickLanguage("ja", "yes", 0), "ja");
    EXPECT_EQ(PickLanguage("ja", "yes", 1), "yes");
    EXPECT_EQ(PickLanguage("ja", "yes", 7), "");
}

TEST(LangTable, CountsTakeTheSingularRowForOneOnly) {
    EXPECT_EQ(LangCountTextFor(5100, 1, 1), "1 icon would move");
    EXPECT_EQ(LangCountTextFor(5100, 0, 1), "0 icons would move");
    EXPECT_EQ(LangCountTextFor(5104, 21, 0), "21 sind nicht im Layout");
    EXPECT_EQ(LangCountTextFor(5104, 1, 0), "1 ist nicht im Layout");
}

TEST(LangTable, GermanIsChosenForLanguageNamesStartingWithDe) {
    for (const char* name : {"DEU", "DES", "DEA", "DEL", "DEC", "deu", "De"}) {
        EXPECT_EQ(LanguageFromLocaleName(name), 0) << name;
    }
    for (const char* name : {"ENU", "FRA", "D", "", "ADE", "NLD"}) {
        EXPECT_EQ(LanguageFromLocaleName(name), 1) << name;
    }
}

} // namespace
