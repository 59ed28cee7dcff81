#pragma once

#include "location/SetupProfile.h"

#include <windows.h>

#include <string>

// Section names of apps.ini written by the commit.
extern const char kAppsSection[];
extern const char kUserProfileSection[];
extern const char kDisplayPrefsSection[];

// What a commit came to.
struct CommitOutcome {
    bool saved = false;    // every key reads back as written
    std::string fileName;  // the apps.ini written to
    DWORD systemError = 0; // why the first failed write failed; 0 when the system said nothing
};

// Writes the twelve profile keys into apps.ini, then reads them back: a write the system
// reports as done can still have lost the value. Other keys of the file are left alone.
CommitOutcome commitProfile(const SetupProfile& profile);
