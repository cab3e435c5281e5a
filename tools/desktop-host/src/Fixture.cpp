#include "Fixture.h"

#include "Text.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace kvhost {
namespace {

// Splits off the next blank-separated word of `rest`; `rest` keeps what follows the one blank
// after the word.
std::string NextWord(std::string& rest) {
    const size_t blank = rest.find(' ');
    std::string word = rest.substr(0, blank);
    rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
    return word;
}

bool ParseInt32(const std::string& word, int32_t& value) {
    if (word.empty())
        return false;
    size_t i = (word[0] == '-' || word[0] == '+') ? 1 : 0;
    if (i == word.size())
        return false;
    for (size_t k = i; k < word.size(); ++k) {
        if (word[k] < '0' || word[k] > '9')
            return false;
    }
    errno = 0;
    const long long parsed = std::strtoll(word.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < std::numeric_limits<int32_t>::min() ||
        parsed > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

} // namespace

FixtureResult ParseFixture(const std::string& text) {
    Fixture fixture;
    size_t lineStart = 0;
    unsigned lineNumber = 0;
    auto fail = [&lineNumber](const std::string& what) {
        return FixtureResult{std::nullopt, "line " + std::to_string(lineNumber) + ": " + what};
    };

    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        std::string line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;

        std::string rest = line;
        const std::string directive = NextWord(rest);
        if (directive == "item") {
            FixtureItem item;
            if (!ParseInt32(NextWord(rest), item.x) || !ParseInt32(NextWord(rest), item.y))
                return fail("item needs two integer coordinates");
            std::optional<std::u16string> caption = Utf8ToUtf16(rest);
            if (!caption)
                return fail("caption is not valid UTF-8");
            item.caption = std::move(*caption);
            fixture.items.push_back(std::move(item));
        } else if (directive == "count") {
            int32_t count = 0;
            if (!ParseInt32(NextWord(rest), count) || count < 0 ||
                static_cast<uint32_t>(count) > kMaxGeneratedItems || !rest.empty())
                return fail("count needs a number from 0 to " + std::to_string(kMaxGeneratedItems));
            for (int32_t i = 0; i < count; ++i) {
                const std::string caption = "Icon " + std::to_string(i);
                fixture.items.push_back(FixtureItem{std::u16string(caption.begin(), caption.end()),
                                                    10 + (i % 15) * 80, 10 + (i / 15) * 80});
            }
        } else if (directive == "worker-class") {
            if (rest.empty() || rest.find(' ') != std::string::npos || rest.size() > 255)
                return fail("worker-class needs one class name");
            fixture.worker = true;
            fixture.workerClass = rest;
        } else if (directive == "view-rect") {
            ViewRect rect;
            if (!ParseInt32(NextWord(rest), rect.x) || !ParseInt32(NextWord(rest), rect.y) ||
                !ParseInt32(NextWord(rest), rect.width) || !ParseInt32(NextWord(rest), rect.height) ||
                !rest.empty() || rect.width <= 0 || rect.height <= 0)
                return fail("view-rect needs x, y, a positive width and a positive height");
            fixture.viewRect = rect;
        } else {
            bool* flag = directive == "auto-arrange"   ? &fixture.autoArrange
                         : directive == "snap-to-grid" ? &fixture.snapToGrid
                         : directive == "worker"       ? &fixture.worker
                         : directive == "noview"       ? &fixture.noView
                         : directive == "nolistview"   ? &fixture.noListView
                         : directive == "folder-view"  ? &fixture.folderView
                                                       : nullptr;
            if (flag == nullptr)
                return fail("unknown directive '" + directive + "'");
            if (line.size() != directive.size())
                return fail("unexpected text after '" + directive + "'");
            *flag = true;
        }
    }

    if (fixture.noView && (fixture.worker || fixture.noListView || fixture.viewRect))
        return FixtureResult{std::nullopt, "noview cannot be combined with worker, nolistview or view-rect"};
    if (fixture.folderView && (fixture.noView || fixture.noListView))
        return FixtureResult{std::nullopt, "folder-view needs a view with a list view"};
    return FixtureResult{std::move(fixture), std::string()};
}

} // namespace kvhost
