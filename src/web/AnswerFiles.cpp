#include "web/AnswerFiles.h"

#include "platform/Files.h"
#include "web/WebClient.h"

namespace {
// Another page downloads and reads an answer in well under this; one that holds the folder
// longer is left to it and the next folder is used.
constexpr DWORD kSharedFolderWaitMs = 3000;
// In each answer folder; every page that uses the folder takes it.
constexpr char kLockName[] = "answers.lock";

// The system's words for a failure's code. Its words for code 0 are those for success; the
// only failure without a code here is a write that stopped short.
std::string reasonOf(const SystemResult& result) {
    if (result.code() == 0) {
        return "the file took no more bytes and the system gave no reason";
    }
    const std::string text = systemErrorText(result.code());
    return !text.empty() ? text : "system error " + std::to_string(result.code());
}

// What kept a folder's lock from this page.
std::string lockReason(const FileLock& lock) {
    switch (lock.obstacle()) {
    case LockObstacle::OtherHolder:
        return "another page kept it past the wait";
    case LockObstacle::Folder:
        return "a folder of the lock's name is in the way";
    case LockObstacle::File:
        return "a file of the lock's name could not be opened";
    case LockObstacle::None:
        break;
    }
    return reasonOf(lock.result());
}

// The administrator's clue to why the answers went elsewhere, or nowhere.
void reportPassedOver(const std::string& folder, const std::string& why) {
    debugOutput("Answer folder " + folder + " not used: " + why);
}
} // namespace

std::vector<std::string> answerFolders(const std::string& besideProgram,
                                       const std::string& usersOwn) {
    if (onNetworkDrive(besideProgram)) {
        return {usersOwn, besideProgram};
    }
    return {besideProgram, usersOwn};
}

bool fetchAnswerFile(WebClient& client, const std::string& url, const std::string& name,
                     const std::vector<std::string>& folders, const Deadline& deadline,
                     const AnswerReader& read) {
    for (size_t i = 0; i < folders.size(); ++i) {
        const std::string& folder = folders[i];
        const SystemResult writable = makeWritableFolder(folder);
        if (!writable) {
            reportPassedOver(folder, reasonOf(writable));
            continue;
        }
        const bool last = i + 1 == folders.size();
        const FileLock lock(folder + kLockName,
                            last ? deadline
                                 : deadline.sooner(Deadline::after(kSharedFolderWaitMs)));
        if (!lock.held()) {
            reportPassedOver(folder, lockReason(lock));
            continue;
        }
        const std::string path = folder + name;
        const FileFetch fetched = client.fetchFile(url, path);
        if (fetched.saved()) {
            return read(path);
        }
        if (!fetched.answered) {
            return false; // the service failed: another folder would not help
        }
        reportPassedOver(folder, "the answer could not be written: " + reasonOf(fetched.written));
    }
    return false;
}
