#include "web/WebClient.h"

#include "platform/Files.h"
#include "platform/Handles.h"
#include "web/ConnectivityProbe.h"
#include "web/HttpGet.h"
#include "web/WebText.h"

#include <cstdlib>
#include <ctime>
#include <exception>
#include <string>
#include <utility>

namespace {
// The hosts the probe of every client asks: the configured ones, unless a test aimed it
// elsewhere.
ProbeTargets probeAim = configuredProbeTargets();

std::string statusReport(uint32_t status) {
    return "HTTP Status = " + std::to_string(status) + StatusText(status);
}

// Keeps caches between us and the server from answering with an older copy.
void addCacheBuster(std::string& url) {
    url += url.find('?') == std::string::npos ? "?" : "&";
    url += "rnd=" + DecimalText(std::rand());
}

} // namespace

bool WebClient::acceptAnswer(const HttpAnswer& answer) {
    using Outcome = HttpAnswer::Outcome;
    statusCode_ = 0;
    if (answer.outcome == Outcome::TimedOut) {
        lastError_ = "No whole answer in time";
        return false;
    }
    if (answer.outcome == Outcome::NoStatus) {
        return false;
    }
    statusCode_ = answer.status;
    if (answer.status >= kFirstFailingStatus) {
        lastError_ = statusReport(answer.status);
        return false;
    }
    if (answer.outcome == Outcome::TooLarge) {
        lastError_ = "The answer is larger than " + std::to_string(kMaxAnswerBytes) + " bytes";
        return false;
    }
    return true;
}

WebClient::WebClient() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

WebClient::WebClient(const Deadline& until) : WebClient() {
    until_ = until;
}

Deadline WebClient::callDeadline() const {
    const Deadline own = Deadline::after(kCallTimeLimit);
    return until_ ? own.sooner(*until_) : own;
}

bool WebClient::FetchToFile(std::string url, std::string path) {
    return fetchFile(std::move(url), std::move(path)).saved();
}

FileFetch WebClient::fetchFile(std::string url, std::string path) {
    FileFetch fetched;
    if (url.empty() || path.empty()) {
        return fetched;
    }
    // Made before the request so that the answer has somewhere to go; a folder that cannot be
    // made is told by the saving below, which tries once more.
    (void)createFolderTree(FolderOf(path));
    try {
        addCacheBuster(url);
        const HttpAnswer answer = httpGet(URLEncode(url), BodyForm::Bytes, callDeadline());
        if (answer.outcome == HttpAnswer::Outcome::NotOpened || !acceptAnswer(answer)) {
            return fetched; // an older file at path stays as it was
        }
        fetched.answered = true;
        fetched.written = saveFileA(path, answer.body);
    } catch (const std::exception&) {
        return FileFetch{}; // without memory nothing was written either
    }
    return fetched;
}

bool WebClient::FetchToMemory(const char* url) {
    if (url == nullptr) {
        return false;
    }
    std::string text;
    bool result = false;
    try {
        result = downloadText(url, text);
    } catch (const std::exception&) {
        result = false; // without memory, as any download that did not finish
    }
    body_ = std::move(text); // what was read so far, even after a failure
    return result;
}

// Declared for tests in WebClientTesting.h, which the program never includes.
ProbeTargets aimProbeAt(const ProbeTargets& targets);

ProbeTargets aimProbeAt(const ProbeTargets& targets) {
    return std::exchange(probeAim, targets);
}

bool WebClient::IsInternetReachable() {
    return probeConnectivity(
        probeAim, callDeadline(),
        [this](const std::string& url, const std::string& path) { return FetchToFile(url, path); });
}

bool WebClient::downloadText(const char* url, std::string& text) {
    if (!IsInternetReachable()) {
        return false;
    }
    // Sent exactly as the caller wrote it: no cache buster, no escaping.
    HttpAnswer answer = httpGet(url, BodyForm::Text, callDeadline());
    if (answer.outcome == HttpAnswer::Outcome::NotOpened) {
        lastError_ = std::string("Failed to open URL ") + url;
        return false;
    }
    if (!acceptAnswer(answer)) {
        return false;
    }
    text += std::move(answer.body);
    return true;
}
