#include "settings/ProfileCommit.h"

#include "platform/Files.h"
#include "platform/Waits.h"
#include "settings/AppsIni.h"
#include "settings/StagedCopy.h"

#include <cstring>
#include <functional>
#include <optional>
#include <string_view>

// This program's own entry among the platform's applications.
const char kAppsSection[] = "Software\\Talvora\\Apps\\{6F1A2C3E-8B4D-4E27-9C51-2D7E0A93B648}";
const char kUserProfileSection[] = "Software\\Talvora\\Corvane\\UserProfile";
const char kDisplayPrefsSection[] = "Software\\Talvora\\Corvane\\UserProfile\\DisplayPrefs";

namespace {
// A page that cannot have the file's lock in this time reports its answers unsaved. Eight
// pages saving a 1 MB apps.ini at one moment had the last of them done 2.2-2.9 s after the
// start on a quiet machine and 3.9 s at worst while a two-job build ran (commit_race.py,
// --pages 8 --size 1048576): twice that.
constexpr DWORD kLockWaitMs = 8000;
// The lock file beside apps.ini.
constexpr char kLockSuffix[] = ".lock";
// How often the commit starts again on a file another program keeps changing.
constexpr int kAttempts = 3;
// How long a refused rename is tried again: programs that look into new files (scanners,
// indexers) hold them for moments.
constexpr DWORD kRenameWaitMs = 1000;
constexpr DWORD kRenameRetryMs = 50;
// Defaults a key read alone comes back as when it is missing: a value can be either, not both.
constexpr char kMissingOnce[] = "\x01";
constexpr char kMissingTwice[] = "\x02";
// Attributes of apps.ini that its replacement carries on.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A value as a reader of the file gets it back: line ends become blanks, and the profile
// functions drop white space around a value (Wine's: tab, line feed, vertical tab, form feed,
// carriage return, end-of-file mark 0x1A, blank) and the quotes around it.
std::string_view comparable(std::string_view value) {
    constexpr std::string_view kTrimmed = " \t\n\v\f\r\x1A\"'";
    const size_t first = value.find_first_not_of(kTrimmed);
    if (first == std::string_view::npos) {
        return {};
    }
    return value.substr(first, value.find_last_not_of(kTrimmed) - first + 1);
}

// The first entry of a key, as a reader of the file finds it; null when the key is missing.
const std::string* valueOf(const AppsIni::Entries& entries, const char* key) {
    for (const auto& [name, value] : entries) {
        if (lstrcmpiA(name.c_str(), key) == 0) {
            return &value;
        }
    }
    return nullptr;
}

// One key read alone into value; false when it is missing, told by two defaults that differ.
bool readKey(const AppsIni& ini, const ProfileKey& entry, std::string& value) {
    value = ini.ReadString(entry.section, entry.key, kMissingOnce);
    return value != std::string_view(kMissingOnce) ||
           ini.ReadString(entry.section, entry.key, kMissingTwice) !=
               std::string_view(kMissingTwice);
}

// Whether every key reads back as written. Each section is read once: every reading makes the
// profile functions parse the whole file again, which for a large apps.ini cost as much as the
// writes themselves. A section too long to be sure it came whole has its keys read one by one.
bool readsBack(const AppsIni& ini, const std::vector<ProfileKey>& keys) {
    const char* section = nullptr;
    std::optional<AppsIni::Entries> entries;
    for (const ProfileKey& entry : keys) {
        if (section == nullptr || std::strcmp(section, entry.section) != 0) {
            section = entry.section;
            entries = ini.readSection(section);
        }
        std::string alone;
        const std::string* read = nullptr;
        if (!entries) {
            read = readKey(ini, entry, alone) ? &alone : nullptr;
        } else {
            read = valueOf(*entries, entry.key);
        }
        if (read == nullptr || comparable(*read) != comparable(valueAsWritten(entry.value))) {
            return false;
        }
    }
    return true;
}

// The writes, then their read-back: done when every key reads back as written, else the first
// failed write's reason (code 0 when the system gave none, or when every write said done).
SystemResult writeKeys(const AppsIni& ini, const std::vector<ProfileKey>& keys) {
    SystemResult firstFailure = SystemResult::failed(0);
    for (const ProfileKey& entry : keys) {
        // The profile functions can fail without a code: none then, not an older one.
        SetLastError(ERROR_SUCCESS);
        if (!ini.WriteString(entry.section, entry.key, entry.value.c_str()) &&
            firstFailure.code() == 0) {
            firstFailure = SystemResult::lastError();
        }
    }
    return readsBack(ini, keys) ? SystemResult::done() : firstFailure;
}

// Whether apps.ini still holds what was copied (and is still missing when it was). A file that
// went, or turned into something that cannot be read, fails the reading.
bool unchanged(const std::string& path, bool existed, const std::string& copied) {
    if (!existed) {
        return !FileExists(path);
    }
    std::string now;
    return readFileBytes(path, now) && now == copied;
}

// What one commit works on: apps.ini (outcome.fileName) and the keys, and whether the commit
// holds the lock.
struct Commit {
    AppsIni ini;
    std::vector<ProfileKey> keys;
    CommitOutcome outcome;
    // Without the lock two commits could write apps.ini in place at once and tear it: then
    // only the copy and one rename are left, and this says why nothing more is done.
    bool locked = true;
    bool mayWriteInPlace = true;
    CommitProblem lockProblem = CommitProblem::None;
    SystemResult lockResult = SystemResult::done();
};

CommitOutcome failed(Commit& commit, const SystemResult& why) {
    commit.outcome.result = why;
    // The only failures the system gives no code for: values that did not read back.
    commit.outcome.problem = why.code() == 0 ? CommitProblem::NotKept : CommitProblem::None;
    return commit.outcome;
}

// How a file that a rename would change in more than its bytes is written: key by key, in
// place, as the profile functions do it.
CommitOutcome writeInPlace(Commit& commit) {
    if (!commit.mayWriteInPlace) {
        commit.outcome.result = commit.lockResult;
        commit.outcome.problem = commit.lockProblem;
        return commit.outcome;
    }
    const SystemResult written = writeKeys(commit.ini, commit.keys);
    commit.outcome.saved = written.ok();
    return written ? commit.outcome : failed(commit, written);
}

// The keys into a private copy of what apps.ini held, flushed with its attributes.
SystemResult stageKeys(Commit& commit, const StagedCopy& copy, DWORD attributes) {
    AppsIni staged;
    staged.SetFileName(copy.path().c_str());
    if (const SystemResult written = writeKeys(staged, commit.keys); !written) {
        return written;
    }
    if ((attributes & kKeptAttributes) != 0) {
        // The keys are what the commit keeps: a copy that stays without the hidden or system
        // mark is still the file the user's answers must reach.
        (void)setAttributes(copy.path(), attributes & kKeptAttributes);
    }
    return flushFile(copy.path());
}

// The copy renamed over apps.ini once apps.ini is found as it was copied. A rename refused
// because another program has either file open is tried again for a moment, apps.ini compared
// again each time; nullopt when apps.ini changed meanwhile.
std::optional<SystemResult> renameWhenFree(const Commit& commit, const StagedCopy& copy,
                                           bool existed, const std::string& before) {
    const Deadline deadline = Deadline::after(kRenameWaitMs);
    for (;;) {
        if (!unchanged(commit.outcome.fileName, existed, before)) {
            return std::nullopt;
        }
        const SystemResult renamed = renameOver(copy.path(), commit.outcome.fileName);
        // Without the lock a second try could meet another page's: one rename only.
        if (renamed || !heldByAnother(renamed.code()) || !commit.locked || deadline.passed()) {
            return renamed;
        }
        pauseAnsweringSentMessages(deadline.sooner(Deadline::after(kRenameRetryMs)));
    }
}

// One round from copy to rename; nullopt when apps.ini changed meanwhile, for another round.
std::optional<CommitOutcome> commitRound(Commit& commit,
                                         const std::function<void()>& beforeRename) {
    const FileFacts facts = fileFacts(commit.outcome.fileName);
    std::string before;
    if (facts.folder || facts.linked || (facts.attributes & FILE_ATTRIBUTE_READONLY) != 0 ||
        (facts.exists && !readFileBytes(commit.outcome.fileName, before))) {
        return writeInPlace(commit);
    }
    StagedCopy copy(commit.outcome.fileName, before);
    if (!copy.valid()) {
        // A folder that lets the user change apps.ini but not create files: in place, as
        // before copies. A full disk is not this case: a rewrite there can cut the file.
        if (copy.result().code() == ERROR_ACCESS_DENIED &&
            opensForWriting(commit.outcome.fileName)) {
            return writeInPlace(commit);
        }
        return failed(commit, copy.result());
    }
    if (const SystemResult staged = stageKeys(commit, copy, facts.attributes); !staged) {
        return failed(commit, staged);
    }
    if (beforeRename) {
        beforeRename();
    }
    const std::optional<SystemResult> renamed = renameWhenFree(commit, copy, facts.exists, before);
    if (!renamed) {
        return std::nullopt; // another program wrote apps.ini: again from what it holds now
    }
    if (!*renamed) {
        return heldByAnother(renamed->code()) ? writeInPlace(commit) : failed(commit, *renamed);
    }
    copy.renamed();
    commit.outcome.saved = true;
    return commit.outcome;
}

// What a commit that could not have the lock may still do, and why it does no more.
void goUnlocked(Commit& commit, const FileLock& lock) {
    commit.locked = false;
    // A folder that takes no new file: no page can hold the lock there and no copy can be
    // made either, so the keys go in place as every commit did before the lock.
    commit.mayWriteInPlace =
        lock.obstacle() == LockObstacle::None && lock.result().code() == ERROR_ACCESS_DENIED;
    commit.lockResult = lock.result();
    if (lock.obstacle() == LockObstacle::Folder) {
        commit.lockProblem = CommitProblem::LockFolder;
    } else if (lock.obstacle() == LockObstacle::File) {
        commit.lockProblem = CommitProblem::LockFile;
    }
}
} // namespace

std::string commitLockName(const std::string& fileName) {
    return fileName + kLockSuffix;
}

std::vector<ProfileKey> profileKeys(const SetupProfile& profile) {
    // The platform keeps the year of birth as two digits: 1975 is stored as 75.
    const std::string& yob = profile.yob();
    const std::string shortYob = yob.size() > 2 ? yob.substr(2) : std::string();
    return {
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
}

// Declared for tests in ProfileCommitTesting.h, which the program never includes.
CommitOutcome commitProfileWith(const SetupProfile& profile,
                                const std::function<void()>& beforeRename);

CommitOutcome commitProfile(const SetupProfile& profile) {
    return commitProfileWith(profile, {});
}

CommitOutcome commitProfileWith(const SetupProfile& profile,
                                const std::function<void()>& beforeRename) {
    Commit commit;
    bindAppsIni(commit.ini);
    commit.outcome.fileName = commit.ini.fileName() != nullptr ? commit.ini.fileName() : "";
    commit.keys = profileKeys(profile);

    // Two pages copying apps.ini at once would each put back the file without the other's
    // keys: copy to rename is one page at a time. The lock is a file beside apps.ini, in the
    // user's own folder, so no other user can hold it or make it first.
    const FileLock lock(commitLockName(commit.outcome.fileName), Deadline::after(kLockWaitMs));
    if (lock.busy()) {
        commit.outcome.problem = CommitProblem::LockBusy;
        return commit.outcome;
    }
    if (!lock.held()) {
        goUnlocked(commit, lock);
    }
    removeAbandonedCopies(commit.outcome.fileName);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (auto done = commitRound(commit, beforeRename)) {
            return *done;
        }
    }
    commit.outcome.problem = CommitProblem::KeptChanging;
    return commit.outcome;
}
