#include "web/WebClient.h"

#include "settings/DataFolders.h"
#include "web/ConnectivityProbe.h"
#include "web/FileHandle.h"
#include "web/HttpGet.h"
#include "web/StatusText.h"
#include "web/UrlText.h"

#include <cstdlib>
#include <ctime>
#include <exception>
#include <utility>

namespace {
constexpr DWORD kChunkSize = 2048;
constexpr uint32_t kFirstFailingStatus = 300;

std::string statusReport(uint32_t status) {
    return "HTTP Status = " + std::to_string(status) + StatusText(status);
}

// Keeps caches between us and the server from answering with an older copy.
void addCacheBuster(std::string& url) {
    url += url.find('?') == std::string::npos ? "?" : "&";
    url += "rnd=" + DecimalText(std::rand());
}

// Writes the rest of the answer to path, replacing any older file there.
bool saveAnswer(HttpGet& get, const std::string& path) {
    bool result = true;
    if (FileExists(path)) {
        DeleteFileA(path.c_str());
    } else if (!CreateFolder(FolderOf(path))) {
        result = false; // still try: the file may be writable all the same
    }
    // Truncating: an older file that survived the deletion must not keep its tail.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    char buffer[kChunkSize];
    // A failed read ends the answer like its end does: what came so far is kept.
    while (const DWORD count = get.Read(buffer, sizeof buffer)) {
        DWORD written = 0;
        if (!WriteFile(file.get(), buffer, count, &written, nullptr) || written != count) {
            return false;
        }
    }
    return result;
}
} // namespace

bool WebClient::acceptStatus(HttpGet& get) {
    statusCode_ = 0;
    uint32_t status = 0;
    if (!get.QueryStatus(status)) {
        return false;
    }
    statusCode_ = status;
    if (status >= kFirstFailingStatus) {
        lastError_ = statusReport(status);
        return false;
    }
    return true;
}

WebClient::WebClient() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

bool WebClient::FetchToFile(std::string url, std::string path) {
    if (url.empty() || path.empty()) {
        return false;
    }
    CreateFolderTree(FolderOf(path));
    try {
        addCacheBuster(url);
        const std::string requestUrl = URLEncode(url);
        HttpGet get;
        if (!get.OpenSession() || !get.OpenUrl(requestUrl.c_str())) {
            return false;
        }
        if (!acceptStatus(get)) {
            return false; // an older file at path stays as it was
        }
        return saveAnswer(get, path);
    } catch (const std::exception&) {
        return false;
    }
}

bool WebClient::FetchToMemory(const char* url) {
    return FetchToMemoryProbing(*this, url, ConfiguredProbeTargets());
}

bool FetchToMemoryProbing(WebClient& client, const char* url, const ProbeTargets& targets) {
    if (url == nullptr) {
        return false;
    }
    std::string text;
    bool result = false;
    try {
        result = client.downloadText(url, targets, text);
    } catch (const std::exception&) {
        result = false;
    }
    client.body_ = std::move(text); // what was read so far, even after a failure
    return result;
}

bool WebClient::downloadText(const char* url, const ProbeTargets& targets, std::string& text) {
    if (!ProbeConnectivity(*this, targets)) {
        return false;
    }
    HttpGet get;
    if (!get.OpenSession()) {
        return false;
    }
    // Sent exactly as the caller wrote it: no cache buster, no escaping.
    if (!get.OpenUrl(url)) {
        lastError_ = std::string("Failed to open URL ") + url;
        return false;
    }
    if (!acceptStatus(get)) {
        return false;
    }
    // One spare byte terminates each chunk: the answer is taken as text, so a zero byte
    // ends what its chunk adds.
    char buffer[kChunkSize + 1];
    while (const DWORD count = get.Read(buffer, kChunkSize)) {
        buffer[count] = '\0';
        text += buffer;
    }
    return true;
}
