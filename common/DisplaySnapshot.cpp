#include "DisplaySnapshot.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "CallbackBarrier.h"
#include "SystemFunctions.h"
#include "WinHandles.h"

namespace {

using TEnumDisplayMonitors = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
using TGetMonitorInfoA = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
using TEnumDisplayDevicesA = BOOL(WINAPI*)(LPCSTR, DWORD, PDISPLAY_DEVICEA, DWORD);
using TGetDisplayConfigBufferSizes = LONG(WINAPI*)(UINT32, UINT32*, UINT32*);
using TQueryDisplayConfig = LONG(WINAPI*)(UINT32, UINT32*, DISPLAYCONFIG_PATH_INFO*, UINT32*,
                                          DISPLAYCONFIG_MODE_INFO*, DISPLAYCONFIG_TOPOLOGY_ID*);
using TDisplayConfigGetDeviceInfo = LONG(WINAPI*)(DISPLAYCONFIG_DEVICE_INFO_HEADER*);
using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr int EffectiveDpi = 0; // MDT_EFFECTIVE_DPI
// An EDID is 128 bytes per block, at most 256 blocks.
constexpr DWORD MaxEdidBytes = 128 * 256;

TDisplayRect RectOf(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// "\\.\DISPLAYn" names are ASCII; Windows compares them without regard to case.
bool SameDeviceName(const std::string& a, const std::string& b) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

std::string Narrow(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size) - 1);
    return narrow;
}

// Several identities of one monitor (a cloned output shows on several targets) in one text.
std::string JoinIdentities(std::vector<std::string> identities) {
    std::sort(identities.begin(), identities.end());
    identities.erase(std::unique(identities.begin(), identities.end()), identities.end());
    std::string joined;
    for (const std::string& identity : identities) {
        joined.append(joined.empty() ? "" : "+").append(identity);
    }
    return joined;
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : StandardDpi;
}

// The identity from the EDID that Windows keeps in the monitor's registry key.
std::string EdidIdentityOfPath(const std::string& devicePath) {
    std::string keyPath;
    if (!MonitorRegistryKeyOfPath(devicePath, keyPath)) {
        return {};
    }
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), "EDID", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size == 0 || size > MaxEdidBytes) {
        return {};
    }
    std::string edid(size, '\0');
    if (RegQueryValueExA(key.get(), "EDID", nullptr, &type, reinterpret_cast<BYTE*>(&edid[0]), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    edid.resize(size);
    return MonitorIdentityFromEdid(edid);
}

// The identity of a monitor known by its device path or device id: the EDID's when the registry
// holds it, else the path itself. Paths are case-blind, and the display configuration and
// EnumDisplayDevices write the same path in different cases, so the path is kept in upper case:
// both sources give one identity.
std::string IdentityOfDevicePath(const std::string& devicePath) {
    std::string identity = EdidIdentityOfPath(devicePath);
    if (identity.empty()) {
        identity = devicePath;
        for (char& c : identity) {
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return identity;
}

// A source of the display configuration (a "\\.\DISPLAYn" name, only as a join key) and the
// identity of one of its targets.
struct TTargetIdentity {
    std::string SourceName;
    std::string Identity;
};

// The identities of the active targets of the display configuration (Windows 7 and later); empty
// where it is missing or fails.
std::vector<TTargetIdentity> DisplayConfigIdentities() {
    const auto bufferSizes =
        LoadedFunction<TGetDisplayConfigBufferSizes>("user32.dll", "GetDisplayConfigBufferSizes");
    const auto query = LoadedFunction<TQueryDisplayConfig>("user32.dll", "QueryDisplayConfig");
    const auto deviceInfo =
        LoadedFunction<TDisplayConfigGetDeviceInfo>("user32.dll", "DisplayConfigGetDeviceInfo");
    std::vector<TTargetIdentity> targets;
    if (bufferSizes == nullptr || query == nullptr || deviceInfo == nullptr) {
        return targets;
    }
    std::vector<DISPLAYCONFIG_PATH_INFO> paths;
    std::vector<DISPLAYCONFIG_MODE_INFO> modes;
    LONG result = ERROR_INSUFFICIENT_BUFFER;
    // The configuration may change between the two calls; then the sizes are asked again.
    for (int attempt = 0; attempt < 3 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        UINT32 pathCount = 0, modeCount = 0;
        if (bufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS) {
            return targets;
        }
        paths.assign(pathCount, DISPLAYCONFIG_PATH_INFO{});
        modes.assign(modeCount, DISPLAYCONFIG_MODE_INFO{});
        result = query(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(), nullptr);
        paths.resize(std::min<size_t>(pathCount, paths.size()));
    }
    if (result != ERROR_SUCCESS) {
        return targets;
    }
    for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
        DISPLAYCONFIG_SOURCE_DEVICE_NAME source = {};
        source.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME;
        source.header.size = sizeof source;
        source.header.adapterId = path.sourceInfo.adapterId;
        source.header.id = path.sourceInfo.id;
        DISPLAYCONFIG_TARGET_DEVICE_NAME target = {};
        target.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME;
        target.header.size = sizeof target;
        target.header.adapterId = path.targetInfo.adapterId;
        target.header.id = path.targetInfo.id;
        if (deviceInfo(&source.header) != ERROR_SUCCESS || deviceInfo(&target.header) != ERROR_SUCCESS) {
            continue;
        }
        const std::string devicePath = Narrow(target.monitorDevicePath);
        std::string identity = devicePath.empty() ? std::string() : IdentityOfDevicePath(devicePath);
        if (!identity.empty()) {
            targets.push_back({Narrow(source.viewGdiDeviceName), std::move(identity)});
        }
    }
    return targets;
}

// The identities of the active monitors on a display device from EnumDisplayDevices: from Windows
// Vista on their device interface paths, the same paths as the display configuration's; before,
// their device ids. For monitors that the display configuration does not list (Windows Vista, or a
// configuration that fails while it changes), so that their identities stay the same.
std::string EnumeratedIdentity(const char* deviceName) {
    const auto enumDevices = LoadedFunction<TEnumDisplayDevicesA>("user32.dll", "EnumDisplayDevicesA");
    if (enumDevices == nullptr) {
        return {};
    }
    for (const DWORD flags : {DWORD{EDD_GET_DEVICE_INTERFACE_NAME}, DWORD{0}}) {
        std::vector<std::string> identities;
        DISPLAY_DEVICEA device = {};
        device.cb = sizeof device;
        DWORD index = 0;
        for (; enumDevices(deviceName, index, &device, flags); ++index) {
            if ((device.StateFlags & DISPLAY_DEVICE_ACTIVE) != 0 && device.DeviceID[0] != '\0') {
                identities.push_back(IdentityOfDevicePath(device.DeviceID));
            }
            device = {};
            device.cb = sizeof device;
        }
        // Systems that do not know the flag refuse the call; they are asked without it.
        if (index > 0) {
            return JoinIdentities(std::move(identities));
        }
    }
    return {};
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    return CallbackBarrier(FALSE, [&] {
        reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
        return TRUE;
    });
}

// The primary screen alone, for systems without the monitor functions.
TMonitor PrimaryScreen() {
    TMonitor monitor;
    monitor.Rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work = {};
    monitor.WorkArea = SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) ? RectOf(work) : monitor.Rect;
    monitor.Dpi = static_cast<int32_t>(SystemDpi());
    monitor.Primary = true;
    return monitor;
}

} // namespace

TDisplayConfig TakeDisplaySnapshot() {
    TDisplayConfig config;
    const auto enumMonitors = LoadedFunction<TEnumDisplayMonitors>("user32.dll", "EnumDisplayMonitors");
    const auto monitorInfo = LoadedFunction<TGetMonitorInfoA>("user32.dll", "GetMonitorInfoA");
    std::vector<HMONITOR> handles;
    if (enumMonitors != nullptr && monitorInfo != nullptr) {
        enumMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&handles));
    }

    TUniqueLibrary shcore(handles.empty() ? nullptr : LoadLibraryA("shcore.dll"));
    const auto dpiForMonitor = ModuleFunction<TGetDpiForMonitor>(shcore.get(), "GetDpiForMonitor");
    const UINT systemDpi = SystemDpi();
    const std::vector<TTargetIdentity> targets =
        handles.empty() ? std::vector<TTargetIdentity>() : DisplayConfigIdentities();
    for (HMONITOR handle : handles) {
        MONITORINFOEXA info = {};
        info.cbSize = sizeof info;
        if (!monitorInfo(handle, &info)) {
            continue;
        }
        TMonitor monitor;
        monitor.Rect = RectOf(info.rcMonitor);
        monitor.WorkArea = RectOf(info.rcWork);
        monitor.Primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        UINT dpiX = 0, dpiY = 0;
        monitor.Dpi = static_cast<int32_t>(
            dpiForMonitor != nullptr && SUCCEEDED(dpiForMonitor(handle, EffectiveDpi, &dpiX, &dpiY)) &&
                    dpiX > 0
                ? dpiX
                : systemDpi);
        std::vector<std::string> identities;
        for (const TTargetIdentity& target : targets) {
            if (SameDeviceName(target.SourceName, info.szDevice)) {
                identities.push_back(target.Identity);
            }
        }
        monitor.Identity =
            identities.empty() ? EnumeratedIdentity(info.szDevice) : JoinIdentities(identities);
        config.Monitors.push_back(std::move(monitor));
    }
    if (config.Monitors.empty()) {
        config.Monitors.push_back(PrimaryScreen());
    }
    return config;
}

std::string CurrentDisplayKey() {
    return DisplayConfigKey(TakeDisplaySnapshot());
}
