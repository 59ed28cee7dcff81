#include "location/SetupProfile.h"
#include "settings/ProfileCommit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

// The record's starting values, read through the commit's table of keys: a key added to the
// table later is covered too, which is why this case lives beside the commit.
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
