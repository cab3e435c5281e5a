#include "ItemRecords.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr TRecordLayout AnsiLayout = {
    276, // Size
    232, // TextBytes
    232, // TextCapacity
    232, // PointOffset
    240, // ItemOffset
    36,  // ItemSize: mask, iItem, iSubItem, state, stateMask, pszText, cchTextMax, iImage, lParam
    8,   // SubItemOffset
    20,  // TextPtrOffset
    4,   // TextPtrSize
    24,  // TextMaxOffset
};

constexpr TRecordLayout Wide32Layout = {
    564, // Size
    520, // TextBytes: 260 UTF-16 code units
    260, // TextCapacity
    520, // PointOffset
    528, // ItemOffset
    36,  // ItemSize
    8,   // SubItemOffset
    20,  // TextPtrOffset
    4,   // TextPtrSize
    24,  // TextMaxOffset
};

constexpr TRecordLayout Wide64Layout = {
    572, // Size
    520, // TextBytes
    260, // TextCapacity
    520, // PointOffset
    528, // ItemOffset
    44,  // ItemSize: up to the first half of lParam; 4 bytes of padding precede pszText
    8,   // SubItemOffset
    24,  // TextPtrOffset
    8,   // TextPtrSize
    32,  // TextMaxOffset
};

static_assert(AnsiLayout.ItemOffset + AnsiLayout.ItemSize == AnsiLayout.Size);
static_assert(Wide32Layout.ItemOffset + Wide32Layout.ItemSize == Wide32Layout.Size);
static_assert(Wide64Layout.ItemOffset + Wide64Layout.ItemSize == Wide64Layout.Size);
static_assert(Wide64Layout.Size <= SharedBufferSize);

void PutUInt32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t GetUInt32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

int32_t GetInt32(const uint8_t* at) {
    return static_cast<int32_t>(GetUInt32(at));
}

// Appends the bytes of one code unit when they fit; false when they do not.
bool AppendUnit(std::string& text, uint16_t unit) {
    char bytes[3];
    size_t length;
    if (unit < 0x80) {
        bytes[0] = static_cast<char>(unit);
        length = 1;
    } else if (unit < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (unit >> 6));
        bytes[1] = static_cast<char>(0x80 | (unit & 0x3F));
        length = 2;
    } else {
        bytes[0] = static_cast<char>(0xE0 | (unit >> 12));
        bytes[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (unit & 0x3F));
        length = 3;
    }
    if (text.size() + length > MaxWideCaptionBytes) {
        return false;
    }
    text.append(bytes, length);
    return true;
}

} // namespace

TRecordKind RecordKindFor(bool isNTPlatform, bool shellIs64Bit) {
    if (!isNTPlatform) {
        return TRecordKind::Ansi;
    }
    return shellIs64Bit ? TRecordKind::Wide64 : TRecordKind::Wide32;
}

TRecordLayout RecordLayoutOf(TRecordKind kind) {
    switch (kind) {
    case TRecordKind::Ansi:
        return AnsiLayout;
    case TRecordKind::Wide32:
        return Wide32Layout;
    case TRecordKind::Wide64:
        break;
    }
    return Wide64Layout;
}

void BuildItemRecord(TRecordKind kind, uint32_t sharedBuffer, uint8_t* record) {
    const TRecordLayout layout = RecordLayoutOf(kind);
    std::memset(record, 0, layout.Size);
    uint8_t* item = record + layout.ItemOffset;
    // iSubItem stays 0 (the caption itself); the upper half of a 64-bit pszText stays 0 too.
    PutUInt32(item + layout.TextPtrOffset, sharedBuffer);
    PutUInt32(item + layout.TextMaxOffset, layout.TextCapacity);
}

TRecordContent DecodeItemRecord(TRecordKind kind, const uint8_t* record) {
    const TRecordLayout layout = RecordLayoutOf(kind);
    TRecordContent content;
    if (kind == TRecordKind::Ansi) {
        // The list view ends the text with a NUL inside the area; a record without one still
        // gives no more than the area can hold with its NUL.
        const char* text = reinterpret_cast<const char*>(record);
        content.Caption.assign(text, std::find(text, text + MaxAnsiCaptionBytes, '\0'));
    } else {
        uint16_t units[260];
        static_assert(sizeof(units) == Wide32Layout.TextBytes);
        for (size_t i = 0; i < layout.TextCapacity; ++i) {
            units[i] = static_cast<uint16_t>(record[2 * i] | record[2 * i + 1] << 8);
        }
        content.Caption = WideCaptionToUtf8(units, layout.TextCapacity);
    }
    content.X = GetInt32(record + layout.PointOffset);
    content.Y = GetInt32(record + layout.PointOffset + 4);
    return content;
}

std::string WideCaptionToUtf8(const uint16_t* units, size_t count) {
    std::string text;
    for (size_t i = 0; i < count && units[i] != 0; ++i) {
        if (!AppendUnit(text, units[i])) {
            break;
        }
    }
    return text;
}
