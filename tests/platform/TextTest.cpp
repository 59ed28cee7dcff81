#include "platform/Paths.h"
#include "platform/SystemResult.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

// The test prefix's ANSI code page is 1252 (Western European). The system's code page counts,
// whatever the thread's locale: in Japanese's, 0xE9 would begin a two-byte character.
TEST(PathText, ConvertsInTheSystemsCodePageAndRefusesWhatItCannotHold) {
    ASSERT_EQ(1252u, GetACP());
    const struct {
        const char* name;
        std::string ansi;
        std::wstring wide;
        bool narrows;
    } rows[] = {
        {"a Western letter", "C:\\Caf\xE9\\apps.ini", L"C:\\Caf\u00E9\\apps.ini", true},
        {"empty", "", L"", true},
        // Neither a "?" nor a look-alike (U+0100 is A with a bar) for what 1252 lacks.
        {"not in the code page", "", L"C:\\\u3042\\apps.ini", false},
        {"a look-alike", "", L"C:\\\u0100\\apps.ini", false},
    };
    const LCID before = GetThreadLocale();
    for (const LCID locale :
         {before, MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT)}) {
        SetThreadLocale(locale);
        for (const auto& row : rows) {
            if (row.narrows) {
                EXPECT_EQ(row.wide, widePath(row.ansi)) << row.name << " " << locale;
                EXPECT_EQ(row.ansi, narrowPath(row.wide)) << row.name << " " << locale;
            } else {
                EXPECT_EQ(std::nullopt, narrowPath(row.wide)) << row.name << " " << locale;
            }
        }
    }
    SetThreadLocale(before);
}

TEST(SystemErrorText, IsTheSystemsSentenceWithoutItsLineEnd) {
    constexpr DWORD kNoSuchMessage = 0x7FFFFFF0;
    for (const DWORD code : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SHARING_VIOLATION},
                             DWORD{ERROR_PATH_NOT_FOUND}, kNoSuchMessage}) {
        char full[501] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       full, sizeof full, nullptr);
        std::string sentence = full;
        if (code != kNoSuchMessage) {
            ASSERT_GT(sentence.size(), 2u) << code;
            ASSERT_EQ("\r\n", sentence.substr(sentence.size() - 2)) << code;
            sentence.resize(sentence.size() - 2);
        }
        char text[501];
        std::memset(text, 'x', sizeof text);
        SystemErrorText(code, text, sizeof text);
        EXPECT_EQ(sentence, std::string(text)) << code;
        EXPECT_EQ('\0', text[500]) << code; // the whole buffer was zeroed first
        EXPECT_EQ(sentence, systemErrorText(code)) << code;
    }
}

TEST(SystemResult, KeepsTheSystemsCodeAndMakesNoneUp) {
    SetLastError(ERROR_SHARING_VIOLATION);
    const SystemResult last = SystemResult::lastError();
    EXPECT_FALSE(last);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), last.code());
    EXPECT_FALSE(SystemResult::failed(0).ok());
    EXPECT_EQ(0u, SystemResult::failed(0).code());
}
