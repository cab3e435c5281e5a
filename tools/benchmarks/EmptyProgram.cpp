// An empty Windows program: the cost of starting a process and nothing else, the floor of every
// command-line run.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
