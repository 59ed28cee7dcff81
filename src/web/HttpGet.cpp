#include "web/HttpGet.h"

#include "platform/Waits.h"
#include "platform/SystemLibraries.h"
#include "web/Endpoints.h"
#include "web/WebText.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace {
// Text is taken a part at a time, each part up to a zero byte in it; bytes in larger reads.
constexpr DWORD kTextChunkSize = 2048;
constexpr DWORD kByteChunkSize = 64 * 1024;
// The longest redirect target followed, in characters: the longest URL the system's own
// functions take (the header's value counts the terminator). A longer one is not followed,
// and the redirect stands as the answer.
constexpr size_t kMaxUrlLength = INTERNET_MAX_URL_LENGTH - 1;

bool isRedirect(uint32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isWebUrl(const std::string& url) {
    return _strnicmp(url.c_str(), "http://", 7) == 0 || _strnicmp(url.c_str(), "https://", 8) == 0;
}

// One request with everything it touches, shared with the thread that runs it: a request
// given up at its deadline finishes on its own later without touching the caller.
class Exchange {
public:
    Exchange(const InternetApi& api, std::string url, BodyForm form, const Deadline& deadline)
        : api_(api), url_(std::move(url)), form_(form), deadline_(deadline) {}

    void run();
    void close();
    HttpAnswer& answer() { return answer_; }

private:
    void exchange();
    void openSession();
    // Sends the request and follows redirects; false when no answer came.
    bool openAnswer();
    bool readStatus(HINTERNET request, uint32_t& status) const;
    std::string redirectTarget(HINTERNET request, const std::string& base) const;
    void readBody(HINTERNET request);

    const InternetApi& api_;
    std::string url_;
    BodyForm form_;
    Deadline deadline_;
    InternetHandle session_;
    InternetHandle request_;
    HttpAnswer answer_;
};

void Exchange::openSession() {
    session_.reset(api_.openSession(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session_.valid()) {
        return;
    }
    // Where the system honours them, these end a silent server's request early too. A time-out
    // of 0 would mean none at all, so a deadline reached meanwhile still sets the shortest one.
    DWORD limit = std::max<DWORD>(deadline_.remaining(), 1);
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        api_.setOption(session_.get(), option, &limit, sizeof limit);
    }
}

bool Exchange::readStatus(HINTERNET request, uint32_t& status) const {
    DWORD value = 0;
    DWORD length = sizeof value;
    if (!api_.queryInfo(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &length,
                        nullptr)) {
        return false;
    }
    status = value;
    return true;
}

std::string Exchange::redirectTarget(HINTERNET request, const std::string& base) const {
    // Asked with no room first, the system tells the room the target needs, terminator
    // included.
    DWORD length = 0;
    if (api_.queryInfo(request, HTTP_QUERY_LOCATION, nullptr, &length, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || length > kMaxUrlLength + 1) {
        return {};
    }
    std::vector<char> location(length + 1);
    length = static_cast<DWORD>(location.size());
    if (!api_.queryInfo(request, HTTP_QUERY_LOCATION, location.data(), &length, nullptr)) {
        return {};
    }
    const std::string given(location.data());
    if (isWebUrl(given)) {
        return given.size() <= kMaxUrlLength ? given : std::string();
    }
    // Combining cuts a result longer than the longest URL without saying so: a relative
    // target that reaches that length may have been cut and is not followed.
    std::vector<char> combined(2 * kMaxUrlLength);
    DWORD size = static_cast<DWORD>(combined.size());
    if (!api_.combineUrl(base.c_str(), given.c_str(), combined.data(), &size, ICU_NO_ENCODE) ||
        size >= kMaxUrlLength) {
        return {};
    }
    const std::string target(combined.data(), size);
    return isWebUrl(target) ? target : std::string();
}

bool Exchange::openAnswer() {
    std::string url = escapeControlBytes(url_);
    for (int redirects = 0;; ++redirects) {
        // Redirects are followed here, not by the system, which would follow them for ever.
        request_.reset(api_.openUrl(session_.get(), url.c_str(), kRefererHeader,
                                    static_cast<DWORD>(std::strlen(kRefererHeader)),
                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT, 0));
        if (!request_.valid() || deadline_.passed()) {
            return false;
        }
        uint32_t status = 0;
        if (redirects == kMaxRedirects || !readStatus(request_.get(), status) ||
            !isRedirect(status)) {
            return true;
        }
        const std::string target = redirectTarget(request_.get(), url);
        if (target.empty()) {
            return true; // nowhere to go: the redirect is the answer
        }
        url = escapeControlBytes(target);
    }
}

void Exchange::readBody(HINTERNET request) {
    std::string& body = answer_.body;
    std::vector<char> chunk(form_ == BodyForm::Text ? kTextChunkSize : kByteChunkSize);
    char* buffer = chunk.data();
    for (;;) {
        if (deadline_.passed()) {
            answer_.outcome = HttpAnswer::Outcome::TimedOut;
            return;
        }
        DWORD count = 0;
        // A failed read ends the answer like its end does: what came so far is kept.
        if (!api_.readFile(request, buffer, static_cast<DWORD>(chunk.size()), &count) ||
            count == 0) {
            return;
        }
        const size_t kept = form_ == BodyForm::Text ? strnlen(buffer, count) : count;
        if (body.size() + count > kMaxAnswerBytes) {
            answer_.outcome = HttpAnswer::Outcome::TooLarge;
            body.clear();
            body.shrink_to_fit();
            return;
        }
        body.append(buffer, kept);
    }
}

void Exchange::run() {
    try {
        exchange();
    } catch (const std::exception&) {
        answer_ = HttpAnswer(); // without memory nothing of the answer is trusted
    }
}

void Exchange::close() {
    // The system may read what is left of a long answer before it lets go of it.
    request_.reset();
    session_.reset();
}

void Exchange::exchange() {
    openSession();
    if (!session_.valid() || !openAnswer()) {
        return;
    }
    if (!readStatus(request_.get(), answer_.status)) {
        answer_.outcome = HttpAnswer::Outcome::NoStatus;
        return;
    }
    answer_.outcome = HttpAnswer::Outcome::Answered;
    // The body of a refused answer is never used, nor one announced as too large.
    if (answer_.status >= kFirstFailingStatus) {
        return;
    }
    DWORD announced = 0;
    DWORD length = sizeof announced;
    if (api_.queryInfo(request_.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                       &announced, &length, nullptr) &&
        announced > kMaxAnswerBytes) {
        answer_.outcome = HttpAnswer::Outcome::TooLarge;
        return;
    }
    readBody(request_.get());
}
} // namespace

HttpAnswer httpGet(const std::string& url, BodyForm form, const Deadline& deadline) {
    const InternetApi* api = internetApi();
    if (api == nullptr) {
        return {};
    }
    auto exchange = std::make_shared<Exchange>(*api, url, form, deadline);
    if (!runBounded([exchange] { exchange->run(); }, [exchange] { exchange->close(); }, deadline)) {
        HttpAnswer late;
        late.outcome = HttpAnswer::Outcome::TimedOut;
        return late;
    }
    return std::move(exchange->answer());
}
