#include "DisplayConfig.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include "BackupRules.h"

namespace {

constexpr std::string_view DisplayLinePrefix = "# Display ";
constexpr std::string_view MonitorSeparator = "; ";
constexpr std::string_view EmptyIdentity = "*";
// Grids with smaller cells are taken as misread: scanning them would take far too long.
constexpr int32_t MinimumCellSize = 8;

int64_t Width(const TDisplayRect& rect) {
    return int64_t{rect.Right} - rect.Left;
}

int64_t Height(const TDisplayRect& rect) {
    return int64_t{rect.Bottom} - rect.Top;
}

auto RectTuple(const TDisplayRect& rect) {
    return std::make_tuple(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

bool RectLess(const TDisplayRect& a, const TDisplayRect& b) {
    return RectTuple(a) < RectTuple(b);
}

// The monitors in the order of the canonical text.
std::vector<TMonitor> SortedMonitors(const TDisplayConfig& config) {
    std::vector<TMonitor> monitors = config.Monitors;
    std::sort(monitors.begin(), monitors.end(), [](const TMonitor& a, const TMonitor& b) {
        return std::tie(a.Identity, a.Rect.Left, a.Rect.Top, a.Rect.Right, a.Rect.Bottom, a.Dpi) <
               std::tie(b.Identity, b.Rect.Left, b.Rect.Top, b.Rect.Right, b.Rect.Bottom, b.Dpi);
    });
    return monitors;
}

std::string HexText(uint32_t value, int digits, bool upper) {
    const char* const table = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        text[static_cast<size_t>(i)] = table[value & 15];
    }
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Cuts the text before the next blank (or the end) off `rest`, together with that blank.
std::string_view TakeField(std::string_view& rest) {
    const size_t blank = rest.find(' ');
    const std::string_view field = rest.substr(0, blank);
    rest.remove_prefix(blank == std::string_view::npos ? rest.size() : blank + 1);
    return field;
}

// A signed decimal number of the 32-bit range: an optional "-" and digits, nothing else.
bool ParseDecimal(std::string_view text, int32_t& value) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) {
        return false;
    }
    int64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + (c - '0');
    }
    number = negative ? -number : number;
    if (number < INT32_MIN || number > INT32_MAX) {
        return false;
    }
    value = static_cast<int32_t>(number);
    return true;
}

bool ParseMonitor(std::string_view text, TMonitor& monitor) {
    int32_t* const numbers[] = {&monitor.Rect.Left,      &monitor.Rect.Top,        &monitor.Rect.Right,
                                &monitor.Rect.Bottom,    &monitor.WorkArea.Left,   &monitor.WorkArea.Top,
                                &monitor.WorkArea.Right, &monitor.WorkArea.Bottom, &monitor.Dpi};
    for (int32_t* number : numbers) {
        if (!ParseDecimal(TakeField(text), *number)) {
            return false;
        }
    }
    const std::string_view primary = TakeField(text);
    if (primary != "P" && primary != "-") {
        return false;
    }
    monitor.Primary = primary == "P";
    const std::string_view identity = TakeField(text);
    return text.empty() && monitor.Dpi > 0 && UnescapeMonitorIdentity(identity, monitor.Identity);
}

// Whether the boxes (cell size) at two positions intersect.
bool BoxesIntersect(TDisplayPoint a, TDisplayPoint b, const TDesktopGrid& grid) {
    const int64_t dx = int64_t{a.X} - b.X;
    const int64_t dy = int64_t{a.Y} - b.Y;
    return (dx < 0 ? -dx : dx) < grid.CellWidth && (dy < 0 ? -dy : dy) < grid.CellHeight;
}

int64_t FloorDiv(int64_t value, int64_t divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// Positions whose boxes are taken, bucketed by cell size, so that a box is checked against the
// boxes of the nine buckets around it only.
class TOccupancy {
public:
    explicit TOccupancy(const TDesktopGrid& grid) : grid_(grid) {}

    void Add(TDisplayPoint position) { buckets_[BucketOf(position)].push_back(position); }

    bool Intersects(TDisplayPoint position) const {
        const auto [column, row] = BucketOf(position);
        for (int64_t c = column - 1; c <= column + 1; ++c) {
            for (int64_t r = row - 1; r <= row + 1; ++r) {
                const auto found = buckets_.find({c, r});
                if (found == buckets_.end()) {
                    continue;
                }
                for (const TDisplayPoint& taken : found->second) {
                    if (BoxesIntersect(position, taken, grid_)) {
                        return true;
                    }
                }
            }
        }
        return false;
    }

private:
    std::pair<int64_t, int64_t> BucketOf(TDisplayPoint position) const {
        return {FloorDiv(position.X, grid_.CellWidth), FloorDiv(position.Y, grid_.CellHeight)};
    }

    TDesktopGrid grid_;
    std::map<std::pair<int64_t, int64_t>, std::vector<TDisplayPoint>> buckets_;
};

int64_t SquaredDistance(int64_t dx, int64_t dy) {
    return dx * dx + dy * dy;
}

// The free cell of the monitor nearest to `position`, scanning down each column from the top-left.
bool NearestFreeCell(const TMonitor& monitor, const TDesktopGrid& grid, const TOccupancy& occupancy,
                     TDisplayPoint position, TDisplayPoint& cell) {
    const TDisplayRect& work =
        Width(monitor.WorkArea) > 0 && Height(monitor.WorkArea) > 0 ? monitor.WorkArea : monitor.Rect;
    bool found = false;
    int64_t best = 0;
    for (int64_t x = int64_t{work.Left} + grid.OffsetX; x + grid.CellWidth <= work.Right;
         x += grid.CellWidth) {
        for (int64_t y = int64_t{work.Top} + grid.OffsetY; y + grid.CellHeight <= work.Bottom;
             y += grid.CellHeight) {
            const TDisplayPoint candidate{static_cast<int32_t>(x), static_cast<int32_t>(y)};
            const int64_t distance = SquaredDistance(x - position.X, y - position.Y);
            if ((!found || distance < best) && !occupancy.Intersects(candidate)) {
                found = true;
                best = distance;
                cell = candidate;
            }
        }
    }
    return found;
}

} // namespace

bool operator==(const TDisplayRect& a, const TDisplayRect& b) {
    return RectTuple(a) == RectTuple(b);
}

TDisplayRect VirtualScreenOf(const TDisplayConfig& config) {
    if (config.Monitors.empty()) {
        return {};
    }
    TDisplayRect bounds = config.Monitors.front().Rect;
    for (const TMonitor& monitor : config.Monitors) {
        bounds.Left = std::min(bounds.Left, monitor.Rect.Left);
        bounds.Top = std::min(bounds.Top, monitor.Rect.Top);
        bounds.Right = std::max(bounds.Right, monitor.Rect.Right);
        bounds.Bottom = std::max(bounds.Bottom, monitor.Rect.Bottom);
    }
    return bounds;
}

bool IsPlainResolutionConfig(const TDisplayConfig& config) {
    return config.Monitors.size() == 1 && config.Monitors.front().Dpi == StandardDpi;
}

std::string CanonicalDisplayText(const TDisplayConfig& config) {
    std::string text;
    for (const TMonitor& monitor : SortedMonitors(config)) {
        text.append(EscapeMonitorIdentity(monitor.Identity)).push_back('\t');
        text.append(std::to_string(monitor.Rect.Left)).push_back(',');
        text.append(std::to_string(monitor.Rect.Top)).push_back(',');
        text.append(std::to_string(monitor.Rect.Right)).push_back(',');
        text.append(std::to_string(monitor.Rect.Bottom)).push_back('\t');
        text.append(std::to_string(monitor.Dpi)).push_back('\n');
    }
    return text;
}

uint32_t Fnv1a32(std::string_view bytes) {
    uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

std::string DisplayConfigKey(const TDisplayConfig& config) {
    const TDisplayRect bounds = VirtualScreenOf(config);
    int64_t screenWidth = 0, screenHeight = 0;
    for (const TMonitor& monitor : config.Monitors) {
        if (monitor.Primary) {
            screenWidth = Width(monitor.Rect);
            screenHeight = Height(monitor.Rect);
        }
    }
    std::string key = ResolutionKeyOf(static_cast<int>(Width(bounds)), static_cast<int>(Height(bounds)),
                                      static_cast<int>(screenWidth), static_cast<int>(screenHeight));
    if (!IsPlainResolutionConfig(config)) {
        key.append("_").append(HexText(Fnv1a32(CanonicalDisplayText(config)), 8, false));
    }
    return key;
}

bool SameArrangement(const TDisplayConfig& a, const TDisplayConfig& b) {
    if (a.Monitors.empty() || a.Monitors.size() != b.Monitors.size()) {
        return false;
    }
    auto rectsOf = [](const TDisplayConfig& config) {
        std::vector<TDisplayRect> rects;
        for (const TMonitor& monitor : config.Monitors) {
            rects.push_back(monitor.Rect);
        }
        std::sort(rects.begin(), rects.end(), RectLess);
        return rects;
    };
    return rectsOf(a) == rectsOf(b);
}

std::string EscapeMonitorIdentity(std::string_view identity) {
    if (identity.empty()) {
        return std::string(EmptyIdentity);
    }
    std::string text;
    for (const char c : identity) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E || c == '%' || c == ';' || c == '*') {
            text.push_back('%');
            text.append(HexText(byte, 2, true));
        } else {
            text.push_back(c);
        }
    }
    return text;
}

bool UnescapeMonitorIdentity(std::string_view text, std::string& identity) {
    if (text == EmptyIdentity) {
        identity.clear();
        return true;
    }
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x21 || byte > 0x7E || text[i] == ';' || text[i] == '*') {
            return false;
        }
        if (text[i] != '%') {
            result.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) {
            return false;
        }
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return false;
        }
        result.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    if (result.empty()) {
        return false;
    }
    identity = std::move(result);
    return true;
}

std::string DisplayConfigLine(const TDisplayConfig& config) {
    std::string line(DisplayLinePrefix);
    bool first = true;
    for (const TMonitor& monitor : SortedMonitors(config)) {
        if (!first) {
            line.append(MonitorSeparator);
        }
        first = false;
        for (const int32_t number : {monitor.Rect.Left, monitor.Rect.Top, monitor.Rect.Right,
                                     monitor.Rect.Bottom, monitor.WorkArea.Left, monitor.WorkArea.Top,
                                     monitor.WorkArea.Right, monitor.WorkArea.Bottom, monitor.Dpi}) {
            line.append(std::to_string(number)).push_back(' ');
        }
        line.append(monitor.Primary ? "P " : "- ").append(EscapeMonitorIdentity(monitor.Identity));
    }
    return line.append("\r\n");
}

bool ParseDisplayConfigLine(std::string_view line, TDisplayConfig& config) {
    while (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.substr(0, DisplayLinePrefix.size()) != DisplayLinePrefix) {
        return false;
    }
    std::string_view rest = line.substr(DisplayLinePrefix.size());
    TDisplayConfig parsed;
    while (true) {
        const size_t separator = rest.find(MonitorSeparator);
        TMonitor monitor;
        if (!ParseMonitor(rest.substr(0, separator), monitor)) {
            return false;
        }
        parsed.Monitors.push_back(std::move(monitor));
        if (separator == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(separator + MonitorSeparator.size());
    }
    config = std::move(parsed);
    return true;
}

bool DisplayConfigOfLayout(std::string_view layoutBytes, TDisplayConfig& config) {
    while (!layoutBytes.empty()) {
        // As the layout reader does: a line ends at LF, and every CR is dropped wherever it stands.
        const size_t end = layoutBytes.find('\n');
        std::string line(layoutBytes.substr(0, end));
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        if (ParseDisplayConfigLine(line, config)) {
            return true;
        }
        layoutBytes.remove_prefix(end == std::string_view::npos ? layoutBytes.size() : end + 1);
    }
    return false;
}

bool PlainLayoutServes(std::string_view layoutBytes, const TDisplayConfig& current) {
    TDisplayConfig recorded;
    if (!DisplayConfigOfLayout(layoutBytes, recorded)) {
        const TDisplayRect bounds = VirtualScreenOf(current);
        TMonitor single;
        single.Rect = {0, 0, static_cast<int32_t>(Width(bounds)), static_cast<int32_t>(Height(bounds))};
        recorded.Monitors = {single};
    }
    return SameArrangement(recorded, current);
}

bool LiesOnSomeMonitor(const TDisplayConfig& config, TDisplayPoint position) {
    for (const TMonitor& monitor : config.Monitors) {
        const TDisplayRect& r = monitor.Rect;
        if (position.X >= r.Left && position.X < r.Right && position.Y >= r.Top && position.Y < r.Bottom) {
            return true;
        }
    }
    return false;
}

int MonitorOfPosition(const TDisplayConfig& config, TDisplayPoint position) {
    int nearest = -1;
    int64_t best = 0;
    for (size_t i = 0; i < config.Monitors.size(); ++i) {
        const TDisplayRect& r = config.Monitors[i].Rect;
        const int64_t dx =
            std::max<int64_t>({int64_t{r.Left} - position.X, 0, int64_t{position.X} - (r.Right - 1)});
        const int64_t dy =
            std::max<int64_t>({int64_t{r.Top} - position.Y, 0, int64_t{position.Y} - (r.Bottom - 1)});
        const int64_t distance = SquaredDistance(dx, dy);
        if (nearest < 0 || distance < best) {
            nearest = static_cast<int>(i);
            best = distance;
        }
    }
    return nearest;
}

TNewIconPlacement PlaceNewIcons(const TDisplayConfig& config, const TDesktopGrid& grid,
                                const std::vector<TDisplayPoint>& restored,
                                const std::vector<TDisplayPoint>& unlisted,
                                const std::vector<TDisplayPoint>& fixed) {
    TNewIconPlacement placement;
    const bool usableGrid = grid.CellWidth >= MinimumCellSize && grid.CellHeight >= MinimumCellSize;
    // Without a usable grid the boxes are those of the smallest usable cell, only to tell overlaps.
    TDesktopGrid boxes = grid;
    boxes.CellWidth = std::max(grid.CellWidth, MinimumCellSize);
    boxes.CellHeight = std::max(grid.CellHeight, MinimumCellSize);

    TOccupancy restoredBoxes(boxes);
    for (const TDisplayPoint& position : restored) {
        restoredBoxes.Add(position);
    }
    std::vector<bool> covered(unlisted.size());
    TOccupancy taken = restoredBoxes;
    for (const TDisplayPoint& position : fixed) {
        taken.Add(position);
    }
    for (size_t i = 0; i < unlisted.size(); ++i) {
        covered[i] = restoredBoxes.Intersects(unlisted[i]);
        if (!covered[i]) {
            taken.Add(unlisted[i]);
        }
    }
    for (size_t i = 0; i < unlisted.size(); ++i) {
        if (!covered[i]) {
            continue;
        }
        const int monitor = MonitorOfPosition(config, unlisted[i]);
        TDisplayPoint cell;
        if (usableGrid && monitor >= 0 &&
            NearestFreeCell(config.Monitors[static_cast<size_t>(monitor)], grid, taken, unlisted[i], cell)) {
            placement.Moves.push_back({i, cell});
            taken.Add(cell);
        } else {
            ++placement.Unplaced;
            taken.Add(unlisted[i]);
        }
    }
    return placement;
}

std::string MonitorIdentityFromEdid(std::string_view edid) {
    static constexpr unsigned char Header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    if (edid.size() < 128) {
        return {};
    }
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(edid[i])); };
    for (size_t i = 0; i < sizeof Header; ++i) {
        if (byte(i) != Header[i]) {
            return {};
        }
    }
    const uint32_t maker = byte(8) << 8 | byte(9);
    std::string identity;
    for (const int shift : {10, 5, 0}) {
        const uint32_t letter = (maker >> shift) & 31;
        if (letter < 1 || letter > 26) {
            return {};
        }
        identity.push_back(static_cast<char>('A' + letter - 1));
    }
    identity.append(HexText(byte(10) | byte(11) << 8, 4, true)).push_back('-');

    // The serial-number text of a display descriptor (tag 0xFF), up to LF, without trailing blanks.
    for (size_t descriptor = 54; descriptor + 18 <= 126; descriptor += 18) {
        if (byte(descriptor) != 0 || byte(descriptor + 1) != 0 || byte(descriptor + 3) != 0xFF) {
            continue;
        }
        std::string_view text = edid.substr(descriptor + 5, 13);
        text = text.substr(0, text.find('\n'));
        while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) {
            text.remove_suffix(1);
        }
        if (!text.empty()) {
            return identity.append(text);
        }
    }
    const uint32_t serial = byte(12) | byte(13) << 8 | byte(14) << 16 | byte(15) << 24;
    return serial == 0 ? std::string() : identity.append(HexText(serial, 8, true));
}

bool MonitorRegistryKeyOfPath(std::string_view devicePath, std::string& key) {
    constexpr std::string_view Prefix = "\\\\?\\";
    if (devicePath.substr(0, Prefix.size()) != Prefix) {
        return false;
    }
    devicePath.remove_prefix(Prefix.size());
    // The interface class GUID at the end names no registry level.
    const size_t guid = devicePath.rfind("#{");
    if (guid == std::string_view::npos) {
        return false;
    }
    devicePath = devicePath.substr(0, guid);
    std::string instance;
    size_t levels = 1;
    for (const char c : devicePath) {
        if (c == '\\' || c == '/') {
            return false;
        }
        levels += c == '#';
        instance.push_back(c == '#' ? '\\' : c);
    }
    if (levels != 3 || instance.front() == '\\' || instance.back() == '\\' ||
        instance.find("\\\\") != std::string::npos) {
        return false;
    }
    key = "SYSTEM\\CurrentControlSet\\Enum\\" + instance + "\\Device Parameters";
    return true;
}
