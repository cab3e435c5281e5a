// KVRegShellEx.exe: the registration utility that writes and removes the shell extension's registry
// entries. It shows no window; its exit code is its only report. The registry operations are not
// built yet: every parameter counts as unrecognised and the exit code is 0.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
