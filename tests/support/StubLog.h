#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// The loopback stub's address followed by path ("/echo/x").
std::string stubUrl(const std::string& path);

// One request as the loopback stub received it.
struct StubRequest {
    std::string path;                           // path and query exactly as they came over the wire
    std::map<std::string, std::string> headers; // names in lower case

    std::string route() const { return path.substr(0, path.find('?')); }
    std::string header(const std::string& lowerName) const;
};

// The stub's request log (one request a line: the path, then "name:value" for each header,
// tab-separated, in the file named by NIMBELLE_STUB_LOG).
// Created before the requests of a test, it returns only the requests made after it.
class StubLog {
public:
    StubLog();

    std::vector<StubRequest> requests() const;

private:
    size_t mark_;
};
