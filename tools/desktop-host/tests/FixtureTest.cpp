// Native tests of the desktop host's platform-independent parts: the fixture format, the
// command line and the text conversions the captions go through.
#include <gtest/gtest.h>

#include "Fixture.h"
#include "HostArgs.h"
#include "Text.h"

using namespace kvhost;

namespace {

Fixture Parse(const std::string& text) {
    FixtureResult result = ParseFixture(text);
    EXPECT_TRUE(result.fixture.has_value()) << result.error;
    return result.fixture.value_or(Fixture());
}

std::string ParseError(const std::string& text) {
    FixtureResult result = ParseFixture(text);
    EXPECT_FALSE(result.fixture.has_value()) << "accepted: " << text;
    return result.error;
}

TEST(Fixture, ItemCaptionIsTheRestOfTheLine) {
    const Fixture fixture = Parse("item 10 20 My Computer\n"
                                  "item -5 +7   two  leading blanks \r\n"
                                  "item 0 0\n"
                                  "item 1 1 \n"
                                  "item 2147483647 -2147483648 x\n"
                                  "item 3 3 Twin\n"
                                  "item 4 4 Twin");
    ASSERT_EQ(fixture.items.size(), 7u);
    EXPECT_EQ(fixture.items[0].caption, u"My Computer");
    EXPECT_EQ(fixture.items[0].x, 10);
    EXPECT_EQ(fixture.items[0].y, 20);
    EXPECT_EQ(fixture.items[1].caption, u"  two  leading blanks ");
    EXPECT_EQ(fixture.items[1].x, -5);
    EXPECT_EQ(fixture.items[1].y, 7);
    EXPECT_EQ(fixture.items[2].caption, u"");
    EXPECT_EQ(fixture.items[3].caption, u"");
    EXPECT_EQ(fixture.items[4].x, 2147483647);
    EXPECT_EQ(fixture.items[4].y, -2147483647 - 1);
    EXPECT_EQ(fixture.items[5].caption, fixture.items[6].caption);
}

TEST(Fixture, CaptionsBecomeUtf16WithSurrogatePairs) {
    const Fixture fixture = Parse("item 0 0 \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xB5\n");
    ASSERT_EQ(fixture.items.size(), 1u);
    EXPECT_EQ(fixture.items[0].caption, (std::u16string{0x00E4, 0x20AC, 0xD83C, 0xDFB5}));

    const std::string long260(260, 'a');
    EXPECT_EQ(Parse("item 0 0 " + long260).items[0].caption.size(), 260u);
}

TEST(Fixture, OptionsAndDefaults) {
    const Fixture plain = Parse("");
    EXPECT_FALSE(plain.autoArrange || plain.snapToGrid || plain.worker || plain.noView || plain.noListView);
    EXPECT_EQ(plain.workerClass, "WorkerW");
    EXPECT_FALSE(plain.viewRect.has_value());

    const Fixture options =
        Parse("# a comment\n\nauto-arrange\nsnap-to-grid\nnolistview\nview-rect 10 -20 300 400\n");
    EXPECT_TRUE(options.autoArrange);
    EXPECT_TRUE(options.snapToGrid);
    EXPECT_TRUE(options.noListView);
    ASSERT_TRUE(options.viewRect.has_value());
    EXPECT_EQ(options.viewRect->x, 10);
    EXPECT_EQ(options.viewRect->y, -20);
    EXPECT_EQ(options.viewRect->width, 300);
    EXPECT_EQ(options.viewRect->height, 400);

    EXPECT_TRUE(Parse("worker\n").worker);
    const Fixture lower = Parse("worker-class workerw\n");
    EXPECT_TRUE(lower.worker);
    EXPECT_EQ(lower.workerClass, "workerw");
    EXPECT_TRUE(Parse("noview").noView);
}

TEST(Fixture, CountGeneratesIconsOnAGrid) {
    const Fixture fixture = Parse("item 1 2 First\ncount 1000\n");
    ASSERT_EQ(fixture.items.size(), 1001u);
    EXPECT_EQ(fixture.items[1].caption, u"Icon 0");
    EXPECT_EQ(fixture.items[1].x, 10);
    EXPECT_EQ(fixture.items[1].y, 10);
    EXPECT_EQ(fixture.items[16].caption, u"Icon 15"); // first of the second row
    EXPECT_EQ(fixture.items[16].x, 10);
    EXPECT_EQ(fixture.items[16].y, 90);
    EXPECT_EQ(fixture.items[1000].caption, u"Icon 999");
    EXPECT_EQ(fixture.items[1000].x, 10 + 9 * 80);
    EXPECT_EQ(fixture.items[1000].y, 10 + 66 * 80);
    EXPECT_TRUE(Parse("count 0").items.empty());
}

TEST(Fixture, MistakesAreRejectedWithTheirLine) {
    EXPECT_EQ(ParseError("item 1 2 ok\nitem x 2 bad\n"), "line 2: item needs two integer coordinates");
    EXPECT_NE(ParseError("item 1\n").find("line 1"), std::string::npos);
    ParseError("item 1 2147483648 too far\n");
    ParseError("item 1 2 \xC3\n");         // truncated sequence
    ParseError("item 1 2 \xC0\xAF\n");     // overlong
    ParseError("item 1 2 \xED\xA0\x80\n"); // encoded surrogate
    ParseError("count -1\n");
    ParseError("count 100001\n");
    ParseError("count 5 extra\n");
    ParseError("worker-class\n");
    ParseError("worker-class two words\n");
    ParseError("view-rect 0 0 0 10\n");
    ParseError("view-rect 0 0 10\n");
    EXPECT_NE(ParseError("auto-arrange now\n").find("unexpected text"), std::string::npos);
    EXPECT_NE(ParseError("Item 1 2 x\n").find("unknown directive 'Item'"), std::string::npos);
    ParseError("noview\nworker\n");
    ParseError("noview\nnolistview\n");
}

TEST(HostArgs, ParsesOptionsAndRejectsMistakes) {
    HostArgsResult result = ParseHostArgs({"--fixture", "C:\\t\\f.txt", "--ready-event", "ev",
                                           "--control-title", "ctl", "--error-file", "C:\\t\\e.txt"});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.args.fixturePath, "C:\\t\\f.txt");
    EXPECT_EQ(result.args.readyEvent, "ev");
    EXPECT_EQ(result.args.controlTitle, "ctl");
    EXPECT_EQ(result.args.errorFile, "C:\\t\\e.txt");
    EXPECT_FALSE(result.args.shellMode);

    result = ParseHostArgs({"--shell"});
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.args.shellMode);
    EXPECT_EQ(result.args.controlTitle, kDefaultControlTitle);

    EXPECT_FALSE(ParseHostArgs({"--shell", "--fixture", "f"}).ok);
    EXPECT_FALSE(ParseHostArgs({"--fixture"}).ok);
    EXPECT_FALSE(ParseHostArgs({"--fixture", ""}).ok);
    EXPECT_FALSE(ParseHostArgs({"--verbose"}).ok);
}

TEST(Text, Utf16RoundTripsThroughUtf8AndHex) {
    const std::u16string samples[] = {u"", u"Plain", u"Gr\u00fc\u00dfe \u20ac",
                                      u"\U0001F3B5 \U00010000 \U0010FFFF"};
    for (const std::u16string& sample : samples) {
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(sample)), sample);
        EXPECT_EQ(HexToUtf16(Utf16ToHex(sample)), sample);
    }
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F3B5"), "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(Utf16ToHex(u"A\u00e4\U0001F3B5"), "004100e4d83cdfb5");
    // An unpaired surrogate survives as its own three-byte form instead of vanishing.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xED\xA0\x80x");
    EXPECT_FALSE(HexToUtf16("041").has_value());
    EXPECT_FALSE(HexToUtf16("00g1").has_value());
    EXPECT_FALSE(Utf8ToUtf16("\xF4\x90\x80\x80").has_value()); // above U+10FFFF
    EXPECT_FALSE(Utf8ToUtf16("\x80").has_value());
}

} // namespace
