#pragma once
// The layout file format (".kvl"): its reader, the content it returns, the caption lookup, and the
// text of the lines the capture writes. This unit is the one place that knows the
// format. Includes no Windows header.
//
// A layout file is a sequence of 8-bit lines, written with CR LF ends:
//   EF BB BF "Kavrilon 8.2"        identification (the reader checks only "Kavrilon")
//   "# " resolution key            comment, for example # 1280x1024 (the key of the display
//                                  configuration: BackupStore.h)
//   "# " time stamp                comment, for example # 20081124093015
//   "# Display " monitors          optional: the display configuration of the capture, written
//                                  for every configuration but one monitor at 96 DPI
//                                  (DisplayConfigLine in common/logic/DisplayConfig.h)
//   "# Grid"                       optional: align-to-grid was on at capture time
//   X " " Y " " caption            one line per desktop icon, in the list view's item order
// X and Y are signed decimal virtual-screen coordinates; the caption is everything after the
// second blank, blanks included, neither quoted nor escaped.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ItemProp.h"

// Result codes of ReadLayoutFile. Callers show 1 to 3 as a corrupt file and 4 as an I/O error.
inline constexpr int32_t LayoutReadComplete = 0;
inline constexpr int32_t LayoutFileEmpty = 1;
inline constexpr int32_t LayoutWrongSignature = 2;
inline constexpr int32_t LayoutBadNumber = 3;
inline constexpr int32_t LayoutReadError = 4;

// A layout file as the reader returns it. Entries and Grid count only after a complete read (code
// 0): after code 3 Entries holds the entries before the bad line and empty ones after it.
struct TLayoutContent {
    int32_t Code = LayoutReadComplete; // one of the codes above
    std::vector<TItemProp> Entries;    // in file order; Matched is false after reading
    bool Grid = false;                 // the file has a line exactly equal to "# Grid"
};

// Layout files larger than this are refused as unreadable (code 4) without being read: a desktop
// of ten thousand icons with long captions takes well under a megabyte.
inline constexpr uint64_t MaxLayoutFileBytes = 16u * 1024 * 1024;
// The bytes at the start of a file in which the signature must stand.
inline constexpr size_t LayoutSignatureBytes = 4096;

// Reads a layout file and returns its content with one of the codes above. The signature is checked on the
// first bytes before the rest is read; a file larger than MaxLayoutFileBytes, and a file that does not fit in
// memory, give code 4. The caller decides what a code means for the exit code (code 4: ExitLayoutFileError).
// The path is an 8-bit path as the program uses them everywhere.
TLayoutContent ReadLayoutFile(const std::string& path);

// The same reading over the bytes of a file, without any file access; never returns code 4.
TLayoutContent ReadLayoutBytes(std::string_view bytes);

// Code 1, 2 or 0 for the start of a file: empty, no signature in its first line (looked for within
// the first LayoutSignatureBytes bytes), or a signature.
int32_t LayoutSignatureCode(std::string_view start);

// A stored position.
struct TLayoutPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

// Gives out the first entry of `entries` not yet given out whose caption equals `caption` byte for
// byte: marks it Matched, stores its position in `point` and returns true. Without such an entry
// returns false and leaves `point` alone. So the k-th icon bearing a caption receives the k-th entry
// with it.
bool TakeLayoutEntry(std::vector<TItemProp>& entries, std::string_view caption, TLayoutPoint& point);

// Writing side. Every line comes with its CR LF end.

// The three header lines: byte-order mark and signature with version, "# " + resolution key,
// "# " + time stamp.
std::string LayoutHeaderLines(std::string_view resolutionKey, std::string_view timeStamp);

// The line that marks a layout captured with align-to-grid on; it follows the header lines.
std::string LayoutGridLine();

// One entry line: X, a blank, Y, a blank, the caption. A caption cannot hold a line break; should
// one ever come with CR or LF, each is written as a blank, so that the file stays readable.
std::string LayoutEntryLine(int32_t x, int32_t y, std::string_view caption);
