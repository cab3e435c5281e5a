#include "AllocationFailure.h"

#include <cstdlib>
#include <new>

namespace {

volatile LONG FailingThread = 0;
volatile LONG FailedCount = 0;

} // namespace

void* operator new(size_t size) {
    if (FailingThread != 0 && static_cast<DWORD>(FailingThread) == GetCurrentThreadId()) {
        InterlockedIncrement(&FailedCount);
        throw std::bad_alloc();
    }
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, size_t) noexcept {
    std::free(block);
}

TFailingAllocations::TFailingAllocations() {
    FailedCount = 0;
    InterlockedExchange(&FailingThread, static_cast<LONG>(GetCurrentThreadId()));
}

TFailingAllocations::~TFailingAllocations() {
    InterlockedExchange(&FailingThread, 0);
}

long TFailingAllocations::Failed() const {
    return FailedCount;
}
