#pragma once
// The transfer records through which one desktop icon's caption and position are read from the
// shell's process, byte for byte, and the conversion of the caption that comes back. Includes no
// Windows header.
//
// A record lies at the start of the shared buffer in the shell's process: the text area at offset
// 0, a POINT that LVM_GETITEMPOSITION fills, and the list-view item structure of the shell's
// bitness whose pszText points back at the text area. Numbers are little-endian; every byte that
// is not named is zero.

#include <cstddef>
#include <cstdint>
#include <string>

// Size of the buffer that is shared with the shell's process; every record fits in it.
inline constexpr uint32_t SharedBufferSize = 1024;

enum class TRecordKind {
    Ansi,   // Windows 9x: LVITEMA, 8-bit text
    Wide32, // NT family, 32-bit shell: LVITEMW in 32-bit layout
    Wide64, // NT family, 64-bit shell: the first 44 bytes of LVITEMW in 64-bit layout
};

struct TRecordLayout {
    uint32_t Size;          // bytes written to and read from the shell's process
    uint32_t TextBytes;     // size of the text area at offset 0
    uint32_t TextCapacity;  // cchTextMax: bytes (ANSI) or UTF-16 code units (wide)
    uint32_t PointOffset;   // POINT x at +0, y at +4
    uint32_t ItemOffset;    // the list-view item structure
    uint32_t ItemSize;      // bytes of it that belong to the record
    uint32_t SubItemOffset; // iSubItem, relative to ItemOffset
    uint32_t TextPtrOffset; // pszText, relative to ItemOffset
    uint32_t TextPtrSize;   // 4 or 8 bytes; the upper 4 of 8 stay zero
    uint32_t TextMaxOffset; // cchTextMax, relative to ItemOffset
};

// The record kind for the platform and the shell's bitness.
TRecordKind RecordKindFor(bool isNTPlatform, bool shellIs64Bit);

TRecordLayout RecordLayoutOf(TRecordKind kind);

// Fills the first RecordLayoutOf(kind).Size bytes of `record`: all zero, except iSubItem = 0,
// pszText = `sharedBuffer` (the text area's address in the shell's process) and cchTextMax.
void BuildItemRecord(TRecordKind kind, uint32_t sharedBuffer, uint8_t* record);

// Caption and position of a record that came back from the shell's process.
struct TRecordContent {
    std::string Caption;
    int32_t X = 0;
    int32_t Y = 0;
};
TRecordContent DecodeItemRecord(TRecordKind kind, const uint8_t* record);

// Longest caption the wide records give, in bytes: the destination holds 520 bytes with the NUL.
inline constexpr size_t MaxWideCaptionBytes = 519;
// Longest caption the ANSI record gives: the 232-byte text area less its NUL.
inline constexpr size_t MaxAnsiCaptionBytes = 231;

// Converts UTF-16 code units (up to the first NUL or `count`) to 8-bit text. Every code unit is
// encoded by itself in one, two or three bytes, so a surrogate pair gives two three-byte
// sequences; the same units always give the same bytes. A unit whose bytes would take the text
// beyond MaxWideCaptionBytes ends the conversion, so no character is ever cut.
std::string WideCaptionToUtf8(const uint16_t* units, size_t count);
