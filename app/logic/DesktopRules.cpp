#include "DesktopRules.h"

#include <limits>

namespace {

constexpr std::string_view WorkerPrefix = "Worker";

int32_t ClampToInt32(int64_t value) {
    constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
    constexpr int64_t highest = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value < lowest ? lowest : (value > highest ? highest : value));
}

} // namespace

bool IsWorkerClass(std::string_view className) {
    return className.substr(0, WorkerPrefix.size()) == WorkerPrefix;
}

bool MayHoldDesktopView(std::string_view className) {
    return className == "Progman" || IsWorkerClass(className);
}

std::string FormatLocateError(int stage, uint32_t errorCode) {
    return std::to_string(stage) + " " + std::to_string(errorCode);
}

TScreenRect VirtualScreenFromMetrics(int32_t left, int32_t top, int32_t width, int32_t height,
                                     int32_t screenWidth, int32_t screenHeight) {
    if (width == 0 || height == 0) {
        width = screenWidth;
        height = screenHeight;
    }
    TScreenRect rect;
    rect.Left = left;
    rect.Top = top;
    rect.Right = ClampToInt32(int64_t{left} + width);
    rect.Bottom = ClampToInt32(int64_t{top} + height);
    return rect;
}

int32_t ViewToLayoutCoordinate(int32_t viewPosition, int32_t origin) {
    return ClampToInt32(int64_t{viewPosition} + origin);
}

int32_t LayoutToViewCoordinate(int32_t stored, int32_t origin) {
    return ClampToInt32(int64_t{stored} - origin);
}
