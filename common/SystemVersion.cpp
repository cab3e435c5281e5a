#include "SystemVersion.h"

TSystemVersion ReadSystemVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info); // 148 bytes
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the ANSI version record has 148 bytes");
    TSystemVersion version;
    if (GetVersionExA(&info)) {
        version.Known = true;
        version.Major = info.dwMajorVersion;
        version.Minor = info.dwMinorVersion;
        version.PlatformId = info.dwPlatformId;
    }
    return version;
}

TVersionFlags SystemVersionFlags() {
    const TSystemVersion version = ReadSystemVersion();
    return DeriveVersionFlags(version.Major, version.Minor, version.PlatformId);
}
