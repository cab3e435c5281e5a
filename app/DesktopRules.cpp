#include "DesktopRules.h"

namespace {

constexpr std::string_view WorkerPrefix = "Worker";

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
    rect.Right = left + width;
    rect.Bottom = top + height;
    return rect;
}
