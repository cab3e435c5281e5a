// The three shipped files: what kind of programs they are, what they import, their version blocks,
// and the exports of the shell extension.

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

struct TPeInfo {
    bool Valid = false;
    WORD Machine = 0;
    WORD Subsystem = 0;
    bool IsDll = false;
    std::set<std::string> ImportedDlls; // lower case
};

DWORD RvaToOffset(const IMAGE_NT_HEADERS32* nt, DWORD rva) {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize) {
            return rva - section->VirtualAddress + section->PointerToRawData;
        }
    }
    return 0;
}

TPeInfo ReadPe(const std::string& path) {
    TPeInfo info;
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) {
        return info;
    }
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || bytes.size() < dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32)) {
        return info;
    }
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        return info;
    }
    info.Valid = true;
    info.Machine = nt->FileHeader.Machine;
    info.Subsystem = nt->OptionalHeader.Subsystem;
    info.IsDll = (nt->FileHeader.Characteristics & IMAGE_FILE_DLL) != 0;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    DWORD offset = RvaToOffset(nt, imports.VirtualAddress);
    while (offset != 0 && offset + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes.size()) {
        const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes.data() + offset);
        if (descriptor->Name == 0) {
            break;
        }
        std::string name(bytes.data() + RvaToOffset(nt, descriptor->Name));
        for (char& c : name) {
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
        info.ImportedDlls.insert(name);
        offset += sizeof(IMAGE_IMPORT_DESCRIPTOR);
    }
    return info;
}

std::string VersionString(const std::string& path, const char* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return "<no version block>";
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return "<unreadable>";
    }
    char* value = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904e4\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return "<missing>";
    }
    return value;
}

std::vector<DWORD> Translations(const std::string& path) {
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    std::vector<DWORD> result;
    if (block.empty() ||
        !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
        return result;
    }
    DWORD* pairs = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs),
                       &length)) {
        result.assign(pairs, pairs + length / sizeof(DWORD));
    }
    return result;
}

const char* const Deliverables[] = {"Kavrilon.exe", "KavrilonShellEx.dll", "KVRegShellEx.exe"};

TEST(ProgramFiles, AreThirtyTwoBitWindowsProgramsWithoutMinGWRuntimeDlls) {
    for (const char* file : Deliverables) {
        SCOPED_TRACE(file);
        const TPeInfo pe = ReadPe(DeliverablesDir() + file);
        ASSERT_TRUE(pe.Valid);
        EXPECT_EQ(pe.Machine, IMAGE_FILE_MACHINE_I386);
        EXPECT_EQ(pe.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
        EXPECT_EQ(pe.IsDll, std::strstr(file, ".dll") != nullptr);
        for (const std::string& dll : pe.ImportedDlls) {
            EXPECT_EQ(dll.find("libstdc++"), std::string::npos) << dll;
            EXPECT_EQ(dll.find("libgcc"), std::string::npos) << dll;
            EXPECT_EQ(dll.find("libwinpthread"), std::string::npos) << dll;
        }
    }
}

TEST(ProgramFiles, CarryTheirVersionBlocks) {
    const struct {
        const char* File;
        const char* Description;
        const char* FileVersion;
        const char* ProductVersion;
    } expected[] = {
        {"Kavrilon.exe", "Kavrilon", "8, 2, 0, 0", "8.2"},
        {"KavrilonShellEx.dll", "Kavrilon Shell Extension", "8, 2, 0, 0", "8.2"},
        {"KavrilonShellEx64.dll", "Kavrilon Shell Extension", "8, 2, 0, 0", "8.2"},
        {"KVRegShellEx.exe", "Kavrilon Shell Extension Registration Utility", "1, 0, 0, 0", "1.0"},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.File);
        const std::string path = DeliverablesDir() + e.File;
        EXPECT_EQ(VersionString(path, "FileDescription"), e.Description);
        EXPECT_EQ(VersionString(path, "FileVersion"), e.FileVersion);
        EXPECT_EQ(VersionString(path, "ProductVersion"), e.ProductVersion);
        EXPECT_EQ(VersionString(path, "OriginalFilename"), e.File);
        // German and English, both with code page 1252 (language in the low word).
        EXPECT_EQ(Translations(path), (std::vector<DWORD>{MAKELONG(0x0407, 1252), MAKELONG(0x0409, 1252)}));
    }
}

TEST(ProgramFiles, MainProgramCarriesBothIcons) {
    HMODULE program = LoadLibraryExA(KavrilonExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HICON large = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(100), IMAGE_ICON, 32, 32, 0));
    HICON small = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(large, nullptr);
    EXPECT_NE(small, nullptr);
    DestroyIcon(large);
    DestroyIcon(small);
    FreeLibrary(program);
}

TEST(ProgramFiles, ShellExtensionLoadsAndExportsTheComServerEntriesAtOrdinalsOneToFour) {
    HMODULE extension = LoadLibraryA((DeliverablesDir() + "KavrilonShellEx.dll").c_str());
    ASSERT_NE(extension, nullptr) << "error " << GetLastError();
    const char* const names[] = {"DllUnregisterServer", "DllRegisterServer", "DllCanUnloadNow",
                                 "DllGetClassObject"};
    for (int ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = GetProcAddress(extension, names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(GetProcAddress(extension, MAKEINTRESOURCEA(ordinal)), byName) << names[ordinal - 1];
    }
    using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<TGetClassObject>(GetProcAddress(extension, "DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
    const CLSID someOtherClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(someOtherClass, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    FreeLibrary(extension);
}

TEST(ProgramFiles, ShellExtensionAndUtilityImportOnlySystemLibraries) {
    // Nothing that the loader could find in the shell's current folder instead of the system's.
    // gdi32: the extension deletes the menu bitmap it loaded once.
    const std::set<std::string> system = {"advapi32.dll", "gdi32.dll",   "kernel32.dll", "msvcrt.dll",
                                          "ole32.dll",    "shell32.dll", "user32.dll"};
    for (const char* file : {"KavrilonShellEx.dll", "KVRegShellEx.exe"}) {
        const TPeInfo pe = ReadPe(DeliverablesDir() + file);
        ASSERT_TRUE(pe.Valid) << file;
        for (const std::string& dll : pe.ImportedDlls) {
            EXPECT_EQ(system.count(dll), 1u) << file << " imports " << dll;
        }
    }
    EXPECT_EQ(ReadPe(DeliverablesDir() + "KVRegShellEx.exe").ImportedDlls,
              (std::set<std::string>{"advapi32.dll", "kernel32.dll", "msvcrt.dll"}));
}

TEST(ProgramFiles, RegistrationUtilityRunsWithoutAWindow) {
    const TRunResult run = RunProcess(DeliverablesDir() + "KVRegShellEx.exe", {"R"}, 15000);
    ASSERT_TRUE(run.Started);
    EXPECT_FALSE(run.TimedOut);
    EXPECT_EQ(run.ExitCode, 0u);
    EXPECT_EQ(run.WindowsDescription, "");
}

} // namespace
