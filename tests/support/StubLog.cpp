#include "support/StubLog.h"

#include "support/TestFolders.h"
#include "web/Endpoints.h"

#include <windows.h>

#include <algorithm>
#include <sstream>

namespace {
// A field of the log with the stub's backslash escapes undone.
std::string unescaped(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c == '\\' && i + 1 < field.size()) {
            c = field[++i];
            c = c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
        }
        text += c;
    }
    return text;
}

std::vector<StubRequest> allRequests() {
    char unixPath[1024] = {};
    GetEnvironmentVariableA("NIMBELLE_STUB_LOG", unixPath, sizeof unixPath);
    std::string path = std::string("Z:") + unixPath; // the Unix root as Wine maps it
    std::replace(path.begin(), path.end(), '/', '\\');
    std::vector<StubRequest> requests;
    std::istringstream lines(readWholeFile(path));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        StubRequest request;
        std::getline(fields, request.path, '\t');
        request.path = unescaped(request.path);
        for (std::string field; std::getline(fields, field, '\t');) {
            const size_t colon = field.find(':');
            request.headers[field.substr(0, colon)] = unescaped(field.substr(colon + 1));
        }
        requests.push_back(request);
    }
    return requests;
}
} // namespace

std::string stubUrl(const std::string& path) {
    return kLocationBase + path;
}

std::string StubRequest::header(const std::string& lowerName) const {
    const auto found = headers.find(lowerName);
    return found != headers.end() ? found->second : std::string();
}

StubLog::StubLog() : mark_(allRequests().size()) {}

std::vector<StubRequest> StubLog::requests() const {
    std::vector<StubRequest> requests = allRequests();
    requests.erase(requests.begin(), requests.begin() + static_cast<std::ptrdiff_t>(mark_));
    return requests;
}
