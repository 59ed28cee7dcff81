#pragma once

// While an instance lives, every allocation through operator new throws std::bad_alloc.
class AllocationsFail {
public:
    AllocationsFail();
    ~AllocationsFail();
    AllocationsFail(const AllocationsFail&) = delete;
    AllocationsFail& operator=(const AllocationsFail&) = delete;
};
