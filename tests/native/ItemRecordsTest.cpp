#include "ItemRecords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBufferAddress = 0x7A5B3C1D;

uint32_t ReadLE32(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

void WriteLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A record as the shell's process gives it back: filled with a marker so that any byte the
// decoder reads beyond the text shows up.
std::vector<uint8_t> BuiltRecord(TRecordKind kind) {
    std::vector<uint8_t> record(SharedBufferSize, 0xEE);
    BuildItemRecord(kind, kBufferAddress, record.data());
    return record;
}

void PutWideText(std::vector<uint8_t>& record, const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        record[2 * i] = static_cast<uint8_t>(text[i]);
        record[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
}

std::string Convert(const std::u16string& text) {
    std::vector<uint16_t> units(text.begin(), text.end());
    units.push_back(0);
    return WideCaptionToUtf8(units.data(), units.size());
}

struct ExpectedLayout {
    TRecordKind Kind;
    const char* Name;
    size_t Size, Point, Item, TextPtr, TextMax;
    uint32_t Capacity;
};

// Offsets of the three records as the shell's list view expects them: text area at 0, POINT,
// then LVITEM (mask +0, iItem +4, iSubItem +8, state +12, stateMask +16, then pszText and
// cchTextMax, which move to +24 and +32 in the 64-bit structure because pszText is 8-aligned).
const ExpectedLayout kLayouts[] = {
    {TRecordKind::Ansi, "ANSI", 276, 232, 240, 240 + 20, 240 + 24, 232},
    {TRecordKind::Wide32, "wide, 32-bit shell", 564, 520, 528, 528 + 20, 528 + 24, 260},
    {TRecordKind::Wide64, "wide, 64-bit shell", 572, 520, 528, 528 + 24, 528 + 32, 260},
};

TEST(ItemRecords, RecordKindFollowsPlatformAndShellBitness) {
    EXPECT_EQ(RecordKindFor(false, false), TRecordKind::Ansi);
    EXPECT_EQ(RecordKindFor(false, true), TRecordKind::Ansi);
    EXPECT_EQ(RecordKindFor(true, false), TRecordKind::Wide32);
    EXPECT_EQ(RecordKindFor(true, true), TRecordKind::Wide64);
}

TEST(ItemRecords, EveryRecordHasItsExactBytes) {
    for (const ExpectedLayout& expected : kLayouts) {
        SCOPED_TRACE(expected.Name);
        const TRecordLayout layout = RecordLayoutOf(expected.Kind);
        EXPECT_EQ(layout.Size, expected.Size);
        EXPECT_EQ(layout.PointOffset, expected.Point);
        EXPECT_EQ(layout.ItemOffset, expected.Item);
        EXPECT_EQ(layout.ItemOffset + layout.SubItemOffset, expected.Item + 8);
        EXPECT_EQ(layout.ItemOffset + layout.TextPtrOffset, expected.TextPtr);
        EXPECT_EQ(layout.ItemOffset + layout.TextMaxOffset, expected.TextMax);
        EXPECT_EQ(layout.TextCapacity, expected.Capacity);
        EXPECT_LE(layout.Size, SharedBufferSize);

        const std::vector<uint8_t> record = BuiltRecord(expected.Kind);
        EXPECT_EQ(ReadLE32(record, expected.TextPtr), kBufferAddress);
        EXPECT_EQ(ReadLE32(record, expected.TextMax), expected.Capacity);
        // Everything else within the record is zero (text, POINT, mask, iItem, iSubItem, state,
        // padding, the upper half of the 64-bit pointer, iImage, lParam) and nothing beyond it
        // is written.
        for (size_t i = 0; i < SharedBufferSize; ++i) {
            if (i >= expected.TextPtr && i < expected.TextPtr + 4) {
                continue;
            }
            if (i >= expected.TextMax && i < expected.TextMax + 4) {
                continue;
            }
            const uint8_t wanted = i < expected.Size ? 0x00 : 0xEE;
            ASSERT_EQ(record[i], wanted) << "byte " << i;
        }
    }
}

TEST(ItemRecords, DecodeTakesCaptionAndSignedPosition) {
    for (const ExpectedLayout& expected : kLayouts) {
        SCOPED_TRACE(expected.Name);
        std::vector<uint8_t> record = BuiltRecord(expected.Kind);
        if (expected.Kind == TRecordKind::Ansi) {
            std::memcpy(record.data(), "Papierkorb\0rest", 15);
        } else {
            PutWideText(record, u"Gr\u00fc\u00dfe\0rest");
        }
        WriteLE32(record, expected.Point, static_cast<uint32_t>(-1200));
        WriteLE32(record, expected.Point + 4, 70000);
        const TRecordContent content = DecodeItemRecord(expected.Kind, record.data());
        EXPECT_EQ(content.Caption, expected.Kind == TRecordKind::Ansi ? "Papierkorb"
                                                                      : "Gr\xC3\xBC\xC3\x9F"
                                                                        "e");
        EXPECT_EQ(content.X, -1200);
        EXPECT_EQ(content.Y, 70000);
    }
}

TEST(ItemRecords, AnsiCaptionNeverExceedsItsArea) {
    std::vector<uint8_t> record = BuiltRecord(TRecordKind::Ansi);
    std::memset(record.data(), 'A', 232); // no NUL in the text area at all
    EXPECT_EQ(DecodeItemRecord(TRecordKind::Ansi, record.data()).Caption, std::string(231, 'A'));
    record[231] = 0;
    record[100] = 0;
    EXPECT_EQ(DecodeItemRecord(TRecordKind::Ansi, record.data()).Caption, std::string(100, 'A'));
}

TEST(ItemRecords, EachCodeUnitIsEncodedByItself) {
    EXPECT_EQ(Convert(u"Recycle Bin"), "Recycle Bin");
    // The boundaries of the one-, two- and three-byte forms.
    EXPECT_EQ(Convert(u"\u007f\u0080"), "\x7F\xC2\x80");
    EXPECT_EQ(Convert(u"\u07ff\u0800"), "\xDF\xBF\xE0\xA0\x80");
    EXPECT_EQ(Convert(u"\uffff"), "\xEF\xBF\xBF");
    // A surrogate pair (U+1F3B5) becomes two three-byte sequences, not one four-byte sequence,
    // and a lone surrogate is encoded the same way.
    EXPECT_EQ(Convert(u"\U0001F3B5"), "\xED\xA0\xBC\xED\xBE\xB5");
    EXPECT_EQ(Convert(u"a\xDC00z"), "a\xED\xB0\x80z");
    // The same units always give the same bytes, so captions match on a second read.
    EXPECT_EQ(Convert(u"x\U00010000y"), Convert(u"x\U00010000y"));
    EXPECT_EQ(Convert(u""), "");
}

TEST(ItemRecords, ConversionStopsAtNulOrAreaEnd) {
    const uint16_t withNul[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(WideCaptionToUtf8(withNul, 4), "ab");
    const uint16_t noNul[] = {'a', 'b', 'c'};
    EXPECT_EQ(WideCaptionToUtf8(noNul, 2), "ab");

    // A text area without NUL (260 units) is taken whole, never read beyond.
    std::vector<uint8_t> record = BuiltRecord(TRecordKind::Wide32);
    PutWideText(record, std::u16string(260, u'q'));
    EXPECT_EQ(DecodeItemRecord(TRecordKind::Wide32, record.data()).Caption, std::string(260, 'q'));
}

TEST(ItemRecords, LongCaptionsAreCutBetweenCharacters) {
    // 259 units, as the list view leaves of a 260-unit caption: one byte each fits whole.
    EXPECT_EQ(Convert(std::u16string(259, u'L')), std::string(259, 'L'));
    // Two bytes each: 518 bytes fit.
    EXPECT_EQ(Convert(std::u16string(259, u'\u00e4')).size(), 518u);
    // Three bytes each: 173 characters make 519 bytes, the 174th would need 522.
    const std::string cjk = Convert(std::u16string(259, u'\u4e2d'));
    EXPECT_EQ(cjk.size(), MaxWideCaptionBytes);
    EXPECT_EQ(cjk.substr(516), "\xE4\xB8\xAD");
    // 517 bytes, then a three-byte character that does not fit: the conversion ends there, also
    // for a following character that would fit.
    const std::u16string tight = u"a" + std::u16string(258, u'\u00e4') + u"\u4e2db";
    const std::string cut = Convert(tight);
    EXPECT_EQ(cut.size(), 517u);
    EXPECT_EQ(cut.back(), '\xA4');
    // A surrogate pair whose second half no longer fits loses that half only (each unit stands
    // alone), still ending on a whole three-byte sequence.
    const std::u16string pair = std::u16string(172, u'\u4e2d') + u"\U0001F3B5";
    const std::string paired = Convert(pair);
    EXPECT_EQ(paired.size(), 519u);
    EXPECT_EQ(paired.substr(513), "\xE4\xB8\xAD\xED\xA0\xBC");
}

} // namespace
