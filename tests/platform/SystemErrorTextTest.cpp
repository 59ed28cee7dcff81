#include "platform/SystemResult.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

TEST(SystemErrorText, DropsTheLineEnd) {
    char expected[501] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 5, 0,
                   expected, sizeof expected, nullptr);
    const std::string full = expected;
    ASSERT_GT(full.size(), 2u);
    ASSERT_EQ("\r\n", full.substr(full.size() - 2));

    char text[501];
    std::memset(text, 'x', sizeof text);
    SystemErrorText(5, text, sizeof text);
    EXPECT_EQ(full.substr(0, full.size() - 2), std::string(text));
    EXPECT_EQ('\0', text[500]); // the whole buffer was zeroed first

    SystemErrorText(0x7FFFFFF0, text, sizeof text); // no such message
    EXPECT_EQ("", std::string(text));
}

TEST(SystemResult, KeepsTheSystemsCodeAndMakesNoneUp) {
    SetLastError(ERROR_SHARING_VIOLATION);
    const SystemResult last = SystemResult::lastError();
    EXPECT_FALSE(last);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), last.code());
    EXPECT_FALSE(SystemResult::failed(0).ok());
    EXPECT_EQ(0u, SystemResult::failed(0).code());

    // SystemErrorText's words, and none for a code the system does not know.
    char text[501];
    SystemErrorText(ERROR_SHARING_VIOLATION, text, sizeof text);
    EXPECT_NE("", systemErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(std::string(text), systemErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ("", systemErrorText(0x7FFFFFF0));
}
