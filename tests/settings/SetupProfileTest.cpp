#include "location/SetupProfile.h"
#include "settings/ProfileCommit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

namespace {
using Field = std::tuple<std::string, std::string, std::string>; // section, key, value

std::vector<Field> fieldsOf(const SetupProfile& profile) {
    std::vector<Field> fields;
    for (const ProfileKey& entry : profileKeys(profile)) {
        fields.emplace_back(entry.section, entry.key, entry.value);
    }
    return fields;
}
} // namespace

// The record's starting values as the commit writes them: each key under its section, in the
// written order, the day twice and every other answer empty but the female Fahrenheit pair.
TEST(SetupProfile, StartsWithTheDayAndFemaleFahrenheit) {
    const SetupProfile profile(SYSTEMTIME{2007, 8, 3, 22, 0, 0, 0, 0});
    const std::string apps = "Software\\Talvora\\Apps\\{6F1A2C3E-8B4D-4E27-9C51-2D7E0A93B648}";
    const std::string user = "Software\\Talvora\\Corvane\\UserProfile";
    const std::string prefs = "Software\\Talvora\\Corvane\\UserProfile\\DisplayPrefs";
    const std::vector<Field> expected = {
        {apps, "ea", "08/22/07"},     {apps, "su", "08/22/07"},
        {prefs, "temperature", "F"},  {user, "yob", ""},
        {user, "gender", "F"},        {user, "locCountry", ""},
        {user, "locDisplayName", ""}, {user, "locDMA", ""},
        {user, "locID", ""},          {user, "locState", ""},
        {user, "locType", ""},        {user, "locZip", ""},
    };
    EXPECT_EQ(expected, fieldsOf(profile));

    EXPECT_EQ("12/01/00", SetupProfile::dateStamp(SYSTEMTIME{2000, 12, 5, 1, 0, 0, 0, 0}));

    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(SetupProfile::dateStamp(now), SetupProfile().ea());
}
