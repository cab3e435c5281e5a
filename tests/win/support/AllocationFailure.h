#pragma once
// Makes operator new fail on the calling thread, so that a test can see what a C++ exception thrown
// inside a callback of the program does. Linking a test program with this replaces the global
// operator new of the whole program.

#include <windows.h>

// While it lives, every operator new on the thread that made it throws std::bad_alloc.
class TFailingAllocations {
public:
    TFailingAllocations();
    ~TFailingAllocations();
    TFailingAllocations(const TFailingAllocations&) = delete;
    TFailingAllocations& operator=(const TFailingAllocations&) = delete;
    // How many allocations failed meanwhile.
    long Failed() const;
};
