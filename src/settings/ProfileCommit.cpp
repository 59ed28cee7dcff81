#include "settings/ProfileCommit.h"

#include "settings/AppsIni.h"

#include <string_view>

// This program's own entry among the platform's applications.
const char kAppsSection[] = "Software\\Talvora\\Apps\\{6F1A2C3E-8B4D-4E27-9C51-2D7E0A93B648}";
const char kUserProfileSection[] = "Software\\Talvora\\Corvane\\UserProfile";
const char kDisplayPrefsSection[] = "Software\\Talvora\\Corvane\\UserProfile\\DisplayPrefs";

namespace {
// Answers a key that is missing; no value the page writes holds this character.
constexpr char kMissing[] = "\x01";

struct ProfileKey {
    const char* section;
    const char* key;
    std::string value;
};

// A value as a reader of the file gets it back: line ends become blanks, and the profile
// functions drop surrounding blanks and quotes.
std::string_view comparable(std::string_view value) {
    constexpr std::string_view kTrimmed = " \t\r\n\"'";
    const size_t first = value.find_first_not_of(kTrimmed);
    if (first == std::string_view::npos) {
        return {};
    }
    return value.substr(first, value.find_last_not_of(kTrimmed) - first + 1);
}

bool landed(const AppsIni& ini, const ProfileKey& entry) {
    std::string written = entry.value;
    for (char& c : written) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const std::string read = ini.ReadString(entry.section, entry.key, kMissing);
    return read != kMissing && comparable(read) == comparable(written);
}
} // namespace

CommitOutcome commitProfile(const SetupProfile& profile) {
    AppsIni ini;
    bindAppsIni(ini);
    // The platform keeps the year of birth as two digits: 1975 is stored as 75.
    const std::string& yob = profile.yob();
    const std::string shortYob = yob.size() > 2 ? yob.substr(2) : std::string();
    const ProfileKey keys[] = {
        {kAppsSection, "ea", profile.ea()},
        {kAppsSection, "su", profile.su()},
        {kDisplayPrefsSection, "temperature", profile.temperature()},
        {kUserProfileSection, "yob", shortYob},
        {kUserProfileSection, "gender", profile.gender()},
        {kUserProfileSection, "locCountry", profile.locCountry()},
        {kUserProfileSection, "locDisplayName", profile.locDisplayName()},
        {kUserProfileSection, "locDMA", profile.locDMA()},
        {kUserProfileSection, "locID", profile.locID()},
        {kUserProfileSection, "locState", profile.locState()},
        {kUserProfileSection, "locType", profile.locType()},
        {kUserProfileSection, "locZip", profile.locZip()},
    };

    CommitOutcome outcome;
    outcome.fileName = ini.fileName() != nullptr ? ini.fileName() : "";
    for (const ProfileKey& entry : keys) {
        if (!ini.WriteString(entry.section, entry.key, entry.value.c_str()) &&
            outcome.systemError == 0) {
            outcome.systemError = GetLastError();
        }
    }
    outcome.saved = true;
    for (const ProfileKey& entry : keys) {
        outcome.saved = outcome.saved && landed(ini, entry);
    }
    return outcome;
}
