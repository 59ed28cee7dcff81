#pragma once

#include <cstdint>
#include <string>

class HttpGet;
struct ProbeTargets;

// Plain HTTP GET downloads with the program's user agent and Referer header.
// Holds no handle between calls; a failure leaves a readable text in lastError().
class WebClient {
public:
    // Re-seeds the process's pseudo-random generator with the time in seconds.
    WebClient();

    // Downloads url (with a cache-busting rnd parameter, escaped) into path;
    // true when a status below 300 was received and written.
    bool FetchToFile(std::string url, std::string path);
    // Downloads url as passed into body() after the connectivity probe; null fails at once.
    bool FetchToMemory(const char* url);
    // The connectivity probe against the configured vendor hosts.
    bool IsInternetReachable();

    const std::string& body() const { return body_; }
    const std::string& lastError() const { return lastError_; }
    uint32_t statusCode() const { return statusCode_; }

private:
    // FetchToMemory with the probe aimed at the given hosts; FetchToMemory passes the
    // configured ones (see web/ConnectivityProbe.h).
    friend bool FetchToMemoryProbing(WebClient& client, const char* url,
                                     const ProbeTargets& targets);
    // The probe, then the GET of url with its answer appended to text.
    bool downloadText(const char* url, const ProbeTargets& targets, std::string& text);
    // Records the answer's status; true when it is below 300, else lastError tells why.
    bool acceptStatus(HttpGet& get);

    std::string body_;
    std::string lastError_;
    uint32_t statusCode_ = 0;
};
