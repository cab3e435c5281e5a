#include "LayoutFile.h"

#include <cstdio>
#include <memory>

#include "ExitCodes.h"
#include "NumberConversion.h"

std::vector<TItemProp> LayoutEntries;
bool LayoutHasGrid = false;

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

// All bytes of a file; false when it cannot be opened or a read fails.
bool ReadAllBytes(const std::string& path, std::string& bytes) {
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    bytes.clear();
    char buffer[16384];
    for (;;) {
        const size_t count = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, count);
        if (count < sizeof buffer) {
            return std::ferror(file.get()) == 0;
        }
    }
}

} // namespace

int32_t ReadLayoutBytes(std::string_view bytes) {
    TLineReader reader(bytes);
    if (reader.AtEnd()) {
        return LayoutFileEmpty;
    }
    const std::string firstLine = reader.Next();
    std::string_view first = firstLine;
    if (first.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        first.remove_prefix(ByteOrderMark.size());
    }
    if (first.substr(0, Signature.size()) != Signature) {
        return LayoutWrongSignature;
    }

    // First pass: the grid flag and the number of entry lines.
    LayoutHasGrid = false;
    size_t count = 0;
    while (!reader.AtEnd()) {
        const std::string line = reader.Next();
        if (IsEntryLine(line)) {
            ++count;
        } else if (line == GridLine) {
            LayoutHasGrid = true;
        }
    }
    LayoutEntries.assign(count, TItemProp{});

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
        TItemProp& entry = LayoutEntries[stored];
        if (!TakeNumber(rest, entry.X) || !TakeNumber(rest, entry.Y)) {
            entry.X = 0;
            entry.Y = 0;
            return LayoutBadNumber;
        }
        entry.Caption.assign(rest);
        entry.Matched = false;
        ++stored;
    }
    return LayoutReadComplete;
}

int32_t ReadLayoutFile(const std::string& path) {
    std::string bytes;
    if (!ReadAllBytes(path, bytes)) {
        ExitCode = ExitLayoutFileError;
        return LayoutReadError;
    }
    return ReadLayoutBytes(bytes);
}

bool FindLayoutEntry(std::string_view caption, TLayoutPoint& point) {
    for (TItemProp& entry : LayoutEntries) {
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
