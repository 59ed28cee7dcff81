#include "LockHolder.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], kLockHolderSwitch) == 0) {
        return holdLockUntilEnded(argv[2], argv[3]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
