#include "GdiObjectCount.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Wine's GDI handle table (win32u): where the system's GetGuiResources answers 0, the objects are
// counted in it. Its entry (include/ntgdi.h of Wine) (include/ntgdi.h of Wine): 24 bytes, the object type at
// byte 14, 0 for a free entry; 65536 entries.
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

// ThreadBasicInformation of NtQueryInformationThread.
struct TThreadInformation {
    LONG ExitStatus;
    const uint8_t* TebBaseAddress;
    ULONG_PTR ClientId[2];
    ULONG_PTR AffinityMask;
    LONG Priority;
    LONG BasePriority;
};

template <typename T>
T ReadAt(const uint8_t* address) {
    T value{};
    if (address != nullptr && !IsBadReadPtr(address, sizeof(T))) {
        CopyMemory(&value, address, sizeof(T));
    }
    return value;
}

const uint8_t* Address(uint64_t value) {
    return value <= UINTPTR_MAX ? reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(value)) : nullptr;
}

// A 32-bit process in a 64-bit Wine prefix: Wine keeps the table in the 64-bit PEB, and the 32-bit
// TEB's GdiBatchCount (offset 0xF70) holds the 64-bit TEB's address, whose PEB pointer is at 0x60.
const uint8_t* TableOfWow64Process() {
#ifdef _WIN64
    return nullptr;
#else
    const auto query = reinterpret_cast<LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    TThreadInformation thread = {};
    if (query == nullptr || query(GetCurrentThread(), 0, &thread, sizeof(thread), nullptr) < 0) {
        return nullptr;
    }
    const uint8_t* teb64 = Address(ReadAt<uint32_t>(thread.TebBaseAddress + 0xF70));
    const uint8_t* peb64 = Address(ReadAt<uint64_t>(teb64 + 0x60));
    return Address(ReadAt<uint64_t>(peb64 + 0xF8));
#endif
}

long CountTableEntries() {
    const auto query = reinterpret_cast<TQueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    TBasicInformation basic = {};
    if (query == nullptr || query(GetCurrentProcess(), 0, &basic, sizeof(basic), nullptr) < 0 ||
        basic.PebBaseAddress == nullptr) {
        return -1;
    }
    const auto* peb = basic.PebBaseAddress;
    const uint8_t* table = ReadAt<const uint8_t*>(peb + TableOffsetInPeb);
    if (table == nullptr) {
        table = TableOfWow64Process();
    }
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
