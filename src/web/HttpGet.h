#pragma once

#include "platform/Waits.h"

#include <cstdint>
#include <string>

// Answers larger than this are refused whole: real answers are a few kilobytes, a search
// with twenty thousand matches about 1.5 MB.
constexpr size_t kMaxAnswerBytes = 4 * 1024 * 1024;
// Statuses from here on are failures: their body is never used.
constexpr uint32_t kFirstFailingStatus = 300;
// Redirects followed for one request; the next one is answered as it stands (a failure).
constexpr int kMaxRedirects = 5;

// How the answer's body is kept: as received, or as text, where a zero byte ends what the
// part of the answer holding it adds.
enum class BodyForm { Bytes, Text };

// What one GET came to.
struct HttpAnswer {
    enum class Outcome {
        NotOpened, // no request could be sent or no answer came
        NoStatus,  // an answer came without a readable status
        Answered,  // status read; for a status below 300 the whole body too
        TooLarge,  // status read, but the body is longer than kMaxAnswerBytes
        TimedOut,  // the deadline passed first
    };
    Outcome outcome = Outcome::NotOpened;
    uint32_t status = 0;
    std::string body;
};

// One HTTP GET through the system's internet API, with the program's user agent and Referer
// header, always answered by the origin server and never the cache. Control characters in
// url go out percent-escaped, so a URL can never end the request line or add a header.
// Connecting, sending, redirects and reading the whole answer all end by the deadline.
HttpAnswer httpGet(const std::string& url, BodyForm form, const Deadline& deadline);
