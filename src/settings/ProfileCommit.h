#pragma once

#include "location/SetupProfile.h"

// Section names of apps.ini written by the commit.
extern const char kAppsSection[];
extern const char kUserProfileSection[];
extern const char kDisplayPrefsSection[];

// Writes the twelve profile keys into apps.ini; every write is attempted and none is checked.
void commitProfile(const SetupProfile& profile);
