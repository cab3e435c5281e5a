#include "VersionRules.h"

TVersionFlags DeriveVersionFlags(uint32_t major, uint32_t minor, uint32_t platformId) {
    TVersionFlags flags;
    flags.IsNTPlatform = platformId == PlatformWin32NT;
    flags.IsWindowsMe = platformId == PlatformWin32Windows && major >= 4 && minor >= 90;
    flags.IsWindows2000OrLater = major >= 5 && platformId == PlatformWin32NT;
    // Server 2003 (5.2) does not count as XP.
    flags.IsXPOrLater = (major == 5 && minor == 1) || major > 5;
    flags.OpenFileNameSize = flags.IsWindows2000OrLater || flags.IsWindowsMe ? 88 : 76;
    flags.IsVistaFamily = major == 6;

    // The view command ids moved between shell versions; later rules override earlier ones.
    flags.AlignToGridCommand = 0x7052;
    flags.AutoArrangeCommand = 0x7051;
    if (major == 4) {
        flags.AlignToGridCommand = 0x7042;
        flags.AutoArrangeCommand = 0x7041;
    }
    if (minor == 1 || minor == 2) {
        flags.AlignToGridCommand = 0x7054;
    }
    if (major == 6) {
        flags.AlignToGridCommand = 0x7074;
        flags.AutoArrangeCommand = 0x7071;
        flags.IsVistaFamily = true;
    }
    return flags;
}
