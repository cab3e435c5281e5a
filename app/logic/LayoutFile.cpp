#include "LayoutFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "NumberConversion.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view Signature = "Kavrilon";
constexpr std::string_view SignatureLine = "Kavrilon 8.2";
constexpr std::string_view GridLine = "# Grid";
constexpr std::string_view LineEnd = "\r\n";

// Hands out the lines of a file's bytes: a line ends at LF, and every CR is dropped wherever it
// stands, so files with LF ends read the same as files with CR LF ends. A last line without LF
// counts; nothing follows the last LF.
class TLineReader {
public:
    explicit TLineReader(std::string_view bytes) : bytes_(bytes) {}

    bool AtEnd() const { return pos_ >= bytes_.size(); }

    void Restart() { pos_ = 0; }

    // Precondition: !AtEnd().
    std::string Next() {
        std::string line;
        while (pos_ < bytes_.size()) {
            const char c = bytes_[pos_++];
            if (c == '\n') {
                break;
            }
            if (c != '\r') {
                line.push_back(c);
            }
        }
        return line;
    }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

bool IsEntryLine(const std::string& line) {
    return !line.empty() && line[0] != '#';
}

// Cuts the text before the first blank off `rest` (together with that blank) and converts it.
// Without a blank the text is empty and fails, as does anything that is not entirely a number.
bool TakeNumber(std::string_view& rest, int32_t& value) {
    const size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) {
        return false;
    }
    int64_t number = 0;
    if (!TryParseInt64(rest.substr(0, blank), number)) {
        return false;
    }
    value = LowInt32(number);
    rest.remove_prefix(blank + 1);
    return true;
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

// Reads up to `limit` bytes from the current position; false when a read fails.
bool ReadBytes(std::FILE* file, size_t limit, std::string& bytes) {
    bytes.clear();
    char buffer[16384];
    while (bytes.size() < limit) {
        const size_t wanted = std::min(sizeof buffer, limit - bytes.size());
        const size_t count = std::fread(buffer, 1, wanted, file);
        bytes.append(buffer, count);
        if (count < wanted) {
            return std::ferror(file) == 0;
        }
    }
    return true;
}

// The size of an open file; false when it cannot be told. A file beyond the range of `long` (2 GB)
// cannot be told and is refused with the rest of the files that are too large.
bool FileSize(std::FILE* file, uint64_t& size) {
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return false;
    }
    const long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        return false;
    }
    size = static_cast<uint64_t>(end);
    return true;
}

// The first line as the reader sees it: up to the first LF, every CR dropped.
std::string FirstLineOf(std::string_view bytes) {
    TLineReader reader(bytes);
    return reader.AtEnd() ? std::string() : reader.Next();
}

} // namespace

int32_t LayoutSignatureCode(std::string_view start) {
    if (start.empty()) {
        return LayoutFileEmpty;
    }
    const std::string firstLine = FirstLineOf(start.substr(0, LayoutSignatureBytes));
    std::string_view first = firstLine;
    if (first.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        first.remove_prefix(ByteOrderMark.size());
    }
    return first.substr(0, Signature.size()) == Signature ? LayoutReadComplete : LayoutWrongSignature;
}

TLayoutContent ReadLayoutBytes(std::string_view bytes) {
    TLayoutContent layout;
    layout.Code = LayoutSignatureCode(bytes);
    if (layout.Code != LayoutReadComplete) {
        return layout;
    }
    TLineReader reader(bytes);
    reader.Next();

    // First pass: the grid flag and the number of entry lines.
    size_t count = 0;
    while (!reader.AtEnd()) {
        const std::string line = reader.Next();
        if (IsEntryLine(line)) {
            ++count;
        } else if (line == GridLine) {
            layout.Grid = true;
        }
    }
    layout.Entries.assign(count, TItemProp{});

    // Second pass: the entries. A bad number leaves the entries before it and empty ones after.
    reader.Restart();
    reader.Next();
    size_t stored = 0;
    while (!reader.AtEnd() && stored < count) {
        const std::string line = reader.Next();
        if (!IsEntryLine(line)) {
            continue;
        }
        std::string_view rest = line;
        TItemProp& entry = layout.Entries[stored];
        if (!TakeNumber(rest, entry.X) || !TakeNumber(rest, entry.Y)) {
            entry.X = 0;
            entry.Y = 0;
            layout.Code = LayoutBadNumber;
            return layout;
        }
        entry.Caption.assign(rest);
        entry.Matched = false;
        ++stored;
    }
    return layout;
}

TLayoutContent ReadLayoutFile(const std::string& path) {
    TLayoutContent unreadable;
    unreadable.Code = LayoutReadError;
    TFilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return unreadable;
    }
    // The signature is checked on the first bytes, before anything else is read: a file that is
    // no layout is refused however large it is.
    std::string bytes;
    if (!ReadBytes(file.get(), LayoutSignatureBytes, bytes)) {
        return unreadable;
    }
    const int32_t signature = LayoutSignatureCode(bytes);
    if (signature != LayoutReadComplete) {
        TLayoutContent refused;
        refused.Code = signature;
        return refused;
    }
    uint64_t size = 0;
    if (!FileSize(file.get(), size) || size > MaxLayoutFileBytes) {
        return unreadable;
    }
    try {
        if (!ReadBytes(file.get(), static_cast<size_t>(size) + 1, bytes)) {
            return unreadable;
        }
        return ReadLayoutBytes(bytes);
    } catch (const std::bad_alloc&) {
        // Not enough memory for the file or its entries: as unreadable as a failed read.
        return unreadable;
    }
}

bool TakeLayoutEntry(std::vector<TItemProp>& entries, std::string_view caption, TLayoutPoint& point) {
    for (TItemProp& entry : entries) {
        if (!entry.Matched && entry.Caption == caption) {
            entry.Matched = true;
            point.X = entry.X;
            point.Y = entry.Y;
            return true;
        }
    }
    return false;
}

std::string LayoutHeaderLines(std::string_view resolutionKey, std::string_view timeStamp) {
    std::string text;
    text.append(ByteOrderMark).append(SignatureLine).append(LineEnd);
    text.append("# ").append(resolutionKey).append(LineEnd);
    text.append("# ").append(timeStamp).append(LineEnd);
    return text;
}

std::string LayoutGridLine() {
    return std::string(GridLine).append(LineEnd);
}

std::string LayoutEntryLine(int32_t x, int32_t y, std::string_view caption) {
    std::string text = std::to_string(x);
    text.push_back(' ');
    text.append(std::to_string(y));
    text.push_back(' ');
    for (const char c : caption) {
        text.push_back(c == '\r' || c == '\n' ? ' ' : c);
    }
    text.append(LineEnd);
    return text;
}
