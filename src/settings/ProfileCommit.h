#pragma once

#include "location/SetupProfile.h"
#include "platform/SystemResult.h"

#include <windows.h>

#include <string>
#include <vector>

// Section names of apps.ini written by the commit.
extern const char kAppsSection[];
extern const char kUserProfileSection[];
extern const char kDisplayPrefsSection[];

// Why a commit did not save where the system's error code would not say it.
enum class CommitProblem {
    None,         // saved, or the system's code tells why (CommitOutcome::result)
    LockBusy,     // another page or program kept apps.ini's lock past the wait
    LockFolder,   // a folder named as apps.ini's lock file stands in its way
    LockFile,     // a file named as apps.ini's lock file could not be opened
    NotKept,      // apps.ini did not keep the answers as written
    KeptChanging, // another program kept changing apps.ini throughout the commit
};

// What a commit came to.
struct CommitOutcome {
    bool saved = false;   // every key reads back as written
    std::string fileName; // the apps.ini written to
    // Why the first failed step failed; code 0 when the system said nothing.
    SystemResult result = SystemResult::done();
    CommitProblem problem = CommitProblem::None;
    bool busy() const { return problem == CommitProblem::LockBusy; }
};

// The lock file beside apps.ini that commits take in turn.
std::string commitLockName(const std::string& fileName);

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
// other pages wait for each other; a change made by another program meanwhile is kept. No
// commit writes apps.ini in place without the lock, except where its folder takes no new file.
CommitOutcome commitProfile(const SetupProfile& profile);
