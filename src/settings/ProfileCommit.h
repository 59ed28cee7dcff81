#pragma once

#include "location/SetupProfile.h"

#include <windows.h>

#include <string>
#include <vector>

// Section names of apps.ini written by the commit.
extern const char kAppsSection[];
extern const char kUserProfileSection[];
extern const char kDisplayPrefsSection[];

// What a commit came to.
struct CommitOutcome {
    bool saved = false;    // every key reads back as written
    std::string fileName;  // the apps.ini written to
    DWORD systemError = 0; // why the first failed write failed; 0 when the system said nothing
    bool busy = false;     // another page or program kept apps.ini's lock past the wait
};

// One of the keys a commit writes.
struct ProfileKey {
    const char* section;
    const char* key;
    std::string value;
};

// The keys of a profile, in the order they are written: the program's one table of them.
std::vector<ProfileKey> profileKeys(const SetupProfile& profile);

// Writes the profile keys into apps.ini, then reads them back: a write the system
// reports as done can still have lost the value. Other keys of the file are left alone.
// The keys go into a private copy of apps.ini that then takes its place in one step, so a
// process ended at any moment leaves apps.ini as it was or with all the keys. Commits of
// other pages wait for each other; a change made by another program meanwhile is kept.
CommitOutcome commitProfile(const SetupProfile& profile);
