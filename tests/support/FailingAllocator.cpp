#include "support/FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace {
bool failAllocations = false;
}

AllocationsFail::AllocationsFail() {
    failAllocations = true;
}
AllocationsFail::~AllocationsFail() {
    failAllocations = false;
}

void* operator new(std::size_t size) {
    if (failAllocations) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
