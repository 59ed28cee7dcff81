#include "location/LocationSearchResult.h"
#include "location/SetupProfile.h"
#include "platform/Folders.h"
#include "platform/ModulePaths.h"
#include "platform/SystemErrorText.h"
#include "settings/ProfileCommit.h"
#include "web/StatusText.h"
#include "web/UrlText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>

TEST(StatusText, KeepsTheReportTextsAndTheirQuirks) {
    EXPECT_EQ(" Not Found - object not found; The server has not found anything matching the "
              "Request-URI.",
              StatusText(404));
    EXPECT_EQ(" Not Modified - if-modified-since was not modified", StatusText(304));
    EXPECT_EQ(" Unauthorized- access denied; The request requires user authentication.",
              StatusText(401));
    EXPECT_EQ(" Gone  - the resource is no longer available", StatusText(410));
    EXPECT_EQ("Bad Gateway - error response received from gateway", StatusText(502));
    EXPECT_EQ(" HTTP Version Not Supported - HTTP version not supported", StatusText(505));

    int mapped = 0;
    for (uint32_t code = 0; code < 1000; ++code) {
        const std::string text = StatusText(code);
        if (text != "<value not mapped>") {
            ++mapped;
            EXPECT_TRUE(code == 502 || text[0] == ' ') << code;
            EXPECT_NE(std::string::npos, text.find('-')) << code;
        }
    }
    EXPECT_EQ(29, mapped);
    for (uint32_t code : {200u, 306u, 308u, 416u, 506u, 599u}) {
        EXPECT_EQ("<value not mapped>", StatusText(code)) << code;
    }
}

TEST(UrlText, EscapesExactlyTheSixCharacters) {
    EXPECT_EQ("%20", URLEncode(" "));
    EXPECT_EQ("a%20b%23c", URLEncode("a b#c"));
    EXPECT_EQ("%20%2A%23%25%3C%3E", URLEncode(" *#%<>"));
    EXPECT_EQ("%2520", URLEncode("%20"));
    EXPECT_EQ("", URLEncode(""));
    const std::string untouched = "http://h:1/p/?where=a&b?c=d+e/\t\x01\xE9\xFF";
    EXPECT_EQ(untouched, URLEncode(untouched));
    EXPECT_EQ("http://h/weather/local/X?eloc=%2A&rnd=5",
              URLEncode("http://h/weather/local/X?eloc=*&rnd=5"));
}

TEST(UrlText, DecimalTextIsPlainPercentD) {
    EXPECT_EQ("0", DecimalText(0));
    EXPECT_EQ("32767", DecimalText(32767));
    EXPECT_EQ("-42", DecimalText(-42));
    EXPECT_EQ("-2147483648", DecimalText(INT32_MIN));
}

TEST(UrlText, SystemErrorTextDropsTheLineEnd) {
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

TEST(Paths, FolderOfSplitsLikeTheRuntime) {
    EXPECT_EQ("C:\\a\\b\\", FolderOf("C:\\a\\b\\prog.exe"));
    EXPECT_EQ("", FolderOf("prog.exe"));
    EXPECT_EQ("C:\\a\\b\\", FolderOf("C:\\a\\b\\"));
    EXPECT_EQ("C:", FolderOf("C:prog.exe"));
    EXPECT_EQ("C:\\a/b/", FolderOf("C:\\a/b/prog.exe"));
    EXPECT_EQ("\\\\server\\share\\", FolderOf("\\\\server\\share\\x.ini"));
    const std::string deep = "C:\\" + std::string(400, 'd') + "\\f.txt";
    EXPECT_EQ(deep.substr(0, deep.size() - 5), FolderOf(deep));
}

TEST(Paths, ModuleAndTempFolders) {
    const std::string module = ModulePath();
    EXPECT_NE(std::string::npos, module.find("settings_tests.exe"));
    EXPECT_EQ(FolderOf(module), ModuleFolder());
    EXPECT_EQ('\\', ModuleFolder().back());

    char platformTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, platformTemp);
    EXPECT_EQ(std::string(platformTemp), TempFolder());
    EXPECT_EQ('\\', TempFolder().back());
}

TEST(SearchResult, ListsAnswerEachForThemselves) {
    LocationSearchResult result;
    EXPECT_EQ(0, result.count());
    EXPECT_EQ("<invalid index>", result.nameAt(0));

    result.setResults({"1", "2"}, {"a", "b"}, {"One", "Two"});
    EXPECT_EQ(2, result.count());
    EXPECT_EQ("Two", result.nameAt(1));
    EXPECT_EQ("b", result.typeAt(1));
    EXPECT_EQ("2", result.idAt(1));
    EXPECT_EQ("<invalid index>", result.nameAt(2));
    EXPECT_EQ("<invalid index>", result.idAt(-1));

    result.setQuery("Paris");
    EXPECT_EQ(0, result.count());
    EXPECT_EQ("Paris", result.query());

    result.setResults({"1"}, {"a", "b"}, {"One", "Two", "Three"});
    EXPECT_EQ(1, result.count());
    EXPECT_EQ("Three", result.nameAt(2));
    EXPECT_EQ((LocationSearchResult::TextList{"One", "Two", "Three"}), result.names());

    result.clear();
    EXPECT_EQ("", result.query());
    EXPECT_EQ(0, result.count());
}

TEST(SetupProfile, StartsWithTheDayAndFemaleFahrenheit) {
    SYSTEMTIME day{};
    day.wYear = 2007;
    day.wMonth = 8;
    day.wDay = 22;
    const SetupProfile profile(day);
    EXPECT_EQ("08/22/07", profile.ea());
    EXPECT_EQ(profile.ea(), profile.su());
    EXPECT_EQ("F", profile.gender());
    EXPECT_EQ("F", profile.temperature());
    // Every other answer starts empty, one added later included.
    const std::set<std::string> stated = {"ea", "su", "gender", "temperature"};
    for (const ProfileKey& entry : profileKeys(profile)) {
        if (stated.count(entry.key) == 0) {
            EXPECT_EQ("", entry.value) << entry.key;
        }
    }
    day.wYear = 2000;
    day.wMonth = 12;
    day.wDay = 1;
    EXPECT_EQ("12/01/00", SetupProfile::dateStamp(day));

    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(SetupProfile::dateStamp(now), SetupProfile().ea());
}
