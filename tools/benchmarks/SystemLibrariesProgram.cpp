// A program that does nothing but what every start of Kavrilon.exe must: load the system libraries
// it imports and start COM. Its start is the floor below which no start of Kavrilon.exe can go;
// the benchmark prints it beside the start of an empty program.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // One call into each library, so that each is imported and initialised as in Kavrilon.exe.
    const HRESULT init = CoInitialize(nullptr);
    LPITEMIDLIST folder = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &folder))) {
        CoTaskMemFree(folder);
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    const int result =
        GetDesktopWindow() != nullptr && GetStockObject(WHITE_BRUSH) != nullptr && CommDlgExtendedError() == 0
            ? 0
            : 1;
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return result;
}
