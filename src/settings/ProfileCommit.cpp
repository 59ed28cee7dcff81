#include "settings/ProfileCommit.h"

#include "settings/AppsIni.h"

// This program's own entry among the platform's applications.
const char kAppsSection[] = "Software\\Talvora\\Apps\\{6F1A2C3E-8B4D-4E27-9C51-2D7E0A93B648}";
const char kUserProfileSection[] = "Software\\Talvora\\Corvane\\UserProfile";
const char kDisplayPrefsSection[] = "Software\\Talvora\\Corvane\\UserProfile\\DisplayPrefs";

void commitProfile(const SetupProfile& profile) {
    AppsIni ini;
    BindAppsIni(ini);
    // The platform keeps the year of birth as two digits: 1975 is stored as 75.
    const std::string& yob = profile.yob();
    const std::string shortYob = yob.size() > 2 ? yob.substr(2) : std::string();

    ini.WriteString(kAppsSection, "ea", profile.ea().c_str());
    ini.WriteString(kAppsSection, "su", profile.su().c_str());
    ini.WriteString(kDisplayPrefsSection, "temperature", profile.temperature().c_str());
    ini.WriteString(kUserProfileSection, "yob", shortYob.c_str());
    ini.WriteString(kUserProfileSection, "gender", profile.gender().c_str());
    ini.WriteString(kUserProfileSection, "locCountry", profile.locCountry().c_str());
    ini.WriteString(kUserProfileSection, "locDisplayName", profile.locDisplayName().c_str());
    ini.WriteString(kUserProfileSection, "locDMA", profile.locDMA().c_str());
    ini.WriteString(kUserProfileSection, "locID", profile.locID().c_str());
    ini.WriteString(kUserProfileSection, "locState", profile.locState().c_str());
    ini.WriteString(kUserProfileSection, "locType", profile.locType().c_str());
    ini.WriteString(kUserProfileSection, "locZip", profile.locZip().c_str());
}
