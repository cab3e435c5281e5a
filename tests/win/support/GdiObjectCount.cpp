#include "GdiObjectCount.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace {

// Wine's handle table entry (include/ntgdi.h of Wine): 24 bytes, the object type at byte 14, 0 for
// a free entry; 65536 entries.
constexpr size_t EntrySize = 24;
constexpr size_t TypeOffset = 14;
constexpr size_t EntryCount = 0x10000;

// PEB.GdiSharedHandleTable.
#ifdef _WIN64
constexpr size_t TableOffsetInPeb = 0xF8;
#else
constexpr size_t TableOffsetInPeb = 0x94;
#endif

// ProcessBasicInformation of NtQueryInformationProcess.
struct TBasicInformation {
    LONG ExitStatus;
    const uint8_t* PebBaseAddress;
    ULONG_PTR AffinityMask;
    LONG BasePriority;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR InheritedFromUniqueProcessId;
};
using TQueryInformationProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

long CountTableEntries() {
    const auto query = reinterpret_cast<TQueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    TBasicInformation basic = {};
    if (query == nullptr || query(GetCurrentProcess(), 0, &basic, sizeof(basic), nullptr) < 0 ||
        basic.PebBaseAddress == nullptr) {
        return -1;
    }
    const auto* peb = basic.PebBaseAddress;
    const auto* table = *reinterpret_cast<const uint8_t* const*>(peb + TableOffsetInPeb);
    if (table == nullptr || IsBadReadPtr(table, EntrySize * EntryCount)) {
        return -1;
    }
    long count = 0;
    for (size_t i = 0; i < EntryCount; ++i) {
        count += table[i * EntrySize + TypeOffset] != 0;
    }
    return count;
}

} // namespace

long CountOwnGdiObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted > 0) {
        return static_cast<long>(counted);
    }
    const long before = CountTableEntries();
    if (before < 0) {
        return -1;
    }
    const HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    const long with = CountTableEntries();
    DeleteObject(probe);
    const long after = CountTableEntries();
    return with == before + 1 && after == before ? before : -1;
}
