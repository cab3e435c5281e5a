#pragma once
// Where things are for the Windows tests, and small file helpers. Tests run under Wine with the
// build tree visible as drive Z:.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Folder of the running test program (build/windows/tests\), with trailing "\".
std::string TestBinDir();
// Folder of the three deliverables (build/windows/bin\), with trailing "\".
std::string DeliverablesDir();
std::string KavrilonExePath();
// A test tool or probe built beside the test programs.
std::string TestToolPath(const char* fileName);

// True when this 32-bit test runs under WOW64 (a 64-bit prefix).
bool RunsUnderWow64();

// The shell's answer for a special folder (CSIDL), without trailing "\".
std::string ShellFolder(int csidl);
// Kavrilon's per-user data folder in this prefix, with trailing "\".
std::string KavrilonDataFolder();
// Removes Kavrilon's per-user files (the whole vendor folder) so that a test starts clean.
void RemoveKavrilonData();

// A fresh, empty folder for one test, removed by RemoveTree; with trailing "\".
std::string MakeTempFolder(const char* hint);
// Deletes a file or a folder with everything in it; true when nothing is left.
bool RemoveTree(const std::string& path);

bool IsFile(const std::string& path);
// The names in a folder (files and folders, without "." and ".."), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
bool IsFolder(const std::string& path);
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The file's lines without their line ends (CR LF or LF).
std::vector<std::string> ReadLines(const std::string& path);

// Sets a registry string value, creating the key; and removes a whole key tree.
// `view` is 0 (this process's view) or KEY_WOW64_64KEY / KEY_WOW64_32KEY.
bool SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& value,
                       REGSAM view = 0);
void DeleteRegistryTree(HKEY root, const std::string& key);

// A folder of its own holding a copy of Kavrilon.exe and of the named deliverables (built ones are
// copied, others are created empty), with trailing "\". The folder lies in the temp folder, which
// the user can change (a per-user copy), or `forEveryUser` in the Program Files folder, where the
// registration utility registers for every user.
std::string InstallProgramCopy(const char* hint, const std::vector<std::string>& otherFiles,
                               bool forEveryUser = false);

// Makes Wine report another Windows version to one program file name, for the guard's life.
class TWineVersionOverride {
public:
    TWineVersionOverride(const std::string& exeFileName, const std::string& version);
    ~TWineVersionOverride();
    TWineVersionOverride(const TWineVersionOverride&) = delete;
    TWineVersionOverride& operator=(const TWineVersionOverride&) = delete;

private:
    std::string key_;
};

// Polls `condition` every 50 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
