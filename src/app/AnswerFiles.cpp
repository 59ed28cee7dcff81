#include "app/AnswerFiles.h"

#include "platform/CrossProcessLock.h"
#include "platform/PathText.h"
#include "platform/WritableFolder.h"
#include "web/HttpGet.h"
#include "web/WebClient.h"

namespace {
// Another page downloads and reads an answer in well under this; one that holds the folder
// longer is left to it and the next folder is used.
constexpr DWORD kSharedFolderWaitMs = 3000;

// A failed download whose answer came with a success status failed writing the file.
bool answerArrived(const WebClient& client) {
    return client.statusCode() >= 200 && client.statusCode() < kFirstFailingStatus;
}
} // namespace

bool fetchAnswerFile(WebClient& client, const std::string& url, const std::string& name,
                     const std::vector<std::string>& folders, const Deadline& deadline,
                     const AnswerReader& read) {
    for (size_t i = 0; i < folders.size(); ++i) {
        const std::string& folder = folders[i];
        if (!makeWritableFolder(folder)) {
            continue;
        }
        const bool last = i + 1 == folders.size();
        const CrossProcessLock lock("answers", widePath(folder),
                                    last ? deadline
                                         : deadline.sooner(Deadline::after(kSharedFolderWaitMs)));
        // With no lock object at all, one page alone still works.
        if (!lock.held() && lock.made()) {
            continue;
        }
        const std::string path = folder + name;
        if (client.FetchToFile(url, path)) {
            return read(path);
        }
        if (!answerArrived(client)) {
            return false; // the service failed: another folder would not help
        }
    }
    return false;
}
