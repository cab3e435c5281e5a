// Test probe: takes the display snapshot in a fresh process, DPI-aware like the program, and
// prints the storage key, today's resolution key and the recorded configuration line:
//   key=<key>
//   resolution=<key>
//   # Display ...
// With the argument "watch" it keeps running and prints the same block each time a line arrives on
// its standard input, so that a test can compare a running process with a fresh one.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "BackupStore.h"
#include "DisplaySnapshot.h"

namespace {

void PrintSnapshot() {
    const TDisplayConfig config = TakeDisplaySnapshot();
    std::printf("key=%s\nresolution=%s\n%s", DisplayConfigKey(config).c_str(), ScreenResolutionKey().c_str(),
                DisplayConfigLine(config).c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    // The program declares DPI awareness in its manifest; this probe has no manifest.
    SetProcessDPIAware();
    PrintSnapshot();
    if (argc > 1 && std::strcmp(argv[1], "watch") == 0) {
        std::string line;
        while (std::getline(std::cin, line)) {
            PrintSnapshot();
        }
    }
    return 0;
}
