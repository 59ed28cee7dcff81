#pragma once

#include "platform/Waits.h"
#include "platform/SystemResult.h"

#include <cstdint>
#include <optional>
#include <string>

struct HttpAnswer;

// What became of one download into a file: saved; no usable answer came (not answered); or
// the answer came and could not be written, for the reason written gives.
struct FileFetch {
    bool answered = false;
    SystemResult written = SystemResult::failed(0);

    bool saved() const { return answered && written.ok(); }
};

// Plain HTTP GET downloads with the program's user agent and Referer header.
// Holds no handle between calls; a failure leaves a readable text in lastError().
// Every call ends within kCallTimeLimit, and none goes past the client's own deadline.
class WebClient {
public:
    static constexpr DWORD kCallTimeLimit = 10000;

    // Re-seeds the process's pseudo-random generator with the time in seconds.
    WebClient();
    // The same, for a task that must be over by until.
    explicit WebClient(const Deadline& until);

    // Downloads url (with a cache-busting rnd parameter, escaped) into path;
    // true when a status below 300 was received and written.
    bool FetchToFile(std::string url, std::string path);
    // FetchToFile, telling a service that did not answer from a file that could not be written.
    FileFetch fetchFile(std::string url, std::string path);
    // Downloads url as passed into body() after the connectivity probe; null fails at once.
    bool FetchToMemory(const char* url);
    // The connectivity probe against the configured vendor hosts.
    bool IsInternetReachable();

    const std::string& body() const { return body_; }
    const std::string& lastError() const { return lastError_; }
    uint32_t statusCode() const { return statusCode_; }

    // When a call that starts now must be over.
    Deadline callDeadline() const;

private:
    // The probe, then the GET of url with its answer appended to text.
    bool downloadText(const char* url, std::string& text);
    // Records the answer's status; true when it is below 300 and the whole answer came,
    // else lastError tells why.
    bool acceptAnswer(const HttpAnswer& answer);

    std::optional<Deadline> until_;
    std::string body_;
    std::string lastError_;
    uint32_t statusCode_ = 0;
};
