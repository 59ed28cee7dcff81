#include "web/WebText.h"

#include <gtest/gtest.h>

#include <cstdint>
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
