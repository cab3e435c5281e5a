// Test tool: stands in for the registration utility when a test needs one that does not end in
// time. It waits 15 s and ends with the utility's success code.

#include <windows.h>

int main() {
    Sleep(15000);
    return 1;
}
