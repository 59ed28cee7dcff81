#include "platform/SystemLibraries.h"
#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <thread>
#include <vector>

namespace {
std::vector<int> closed;

void closeCounted(int handle) {
    closed.push_back(handle);
}
using Counted = UniqueAny<int, closeCounted, kInvalidHandleValue>; // -1 stands for none
} // namespace

TEST(UniqueAny, ClosesEachHandleOnceAndNeverTheInvalidOne) {
    closed.clear();
    {
        Counted none;
        EXPECT_FALSE(none.valid());
        Counted first(1);
        first.reset(2); // 1 closed
        EXPECT_EQ(2, first.get());
        Counted moved(std::move(first));
        EXPECT_FALSE(first.valid());
        EXPECT_EQ(2, moved.get());
        Counted assigned(3);
        assigned = std::move(moved); // 3 closed, 2 now here
        *assigned.put() = 4;         // 2 closed before the call fills it
        Counted given(5);
        EXPECT_EQ(5, given.release());
        EXPECT_FALSE(given.valid());
    } // 4 closed
    EXPECT_EQ((std::vector<int>{1, 3, 2, 4}), closed);
}

TEST(ComRuntime, AThreadInAnotherApartmentKeepsItsRuntime) {
    HRESULT afterwards = E_FAIL;
    std::thread([&afterwards] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            return;
        }
        { const ComRuntime refused; }
        // Still initialised: another start only counts up again.
        afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
        CoUninitialize();
    }).join();
    EXPECT_EQ(S_FALSE, afterwards);
}
