#include "location/SetupProfile.h"

#include <gtest/gtest.h>

#include <windows.h>

// The day as the commit writes it (ProfileCommitTest has the starting values): month, day and
// year in two digits each, and today's for a profile made without one.
TEST(SetupProfile, StampsTheDayInTwoDigitsEach) {
    EXPECT_EQ("12/01/00", SetupProfile::dateStamp(SYSTEMTIME{2000, 12, 5, 1, 0, 0, 0, 0}));
    EXPECT_EQ("08/22/07", SetupProfile(SYSTEMTIME{2007, 8, 3, 22, 0, 0, 0, 0}).ea());
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(SetupProfile::dateStamp(now), SetupProfile().ea());
}
