#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <windows.h>

// The test prefix's ANSI code page is 1252 (Western European).
TEST(PathText, RoundTripsTheCodePageAndRefusesWhatItCannotHold) {
    ASSERT_EQ(1252u, GetACP());
    const std::string ansi = "C:\\Caf\xE9\\apps.ini";
    EXPECT_EQ(L"C:\\Caf\u00E9\\apps.ini", widePath(ansi));
    EXPECT_EQ(ansi, narrowPath(widePath(ansi)));
    EXPECT_EQ(L"", widePath(""));
    EXPECT_EQ(std::string(), narrowPath(L""));

    // Neither a "?" nor a look-alike (U+0100 is A with a bar) for what 1252 lacks.
    EXPECT_EQ(std::nullopt, narrowPath(L"C:\\\u3042\\apps.ini"));
    EXPECT_EQ(std::nullopt, narrowPath(L"C:\\\u0100\\apps.ini"));

    // The system's code page, whatever the thread's locale: in Japanese's, 0xE9 would begin
    // a two-byte character.
    const LCID before = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT));
    const std::wstring wide = widePath(ansi);
    const std::optional<std::string> narrow = narrowPath(wide);
    SetThreadLocale(before);
    EXPECT_EQ(L"C:\\Caf\u00E9\\apps.ini", wide);
    EXPECT_EQ(ansi, narrow);
}
