#include "support/StubLog.h"

#include "support/TestFolders.h"
#include "web/Endpoints.h"

#include <windows.h>

#include <cctype>
#include <sstream>
#include <stdexcept>

namespace {
// Just enough JSON for the stub's lines: objects, strings, numbers and literals.
class JsonLine {
public:
    explicit JsonLine(const std::string& text) : text_(text) {}

    StubRequest request() {
        StubRequest request;
        object([&](const std::string& key) {
            if (key == "path") {
                request.path = string();
            } else if (key == "headers") {
                object([&](const std::string& name) {
                    std::string lower = name;
                    for (char& c : lower) {
                        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                    }
                    request.headers[lower] = string();
                });
            } else {
                skipValue();
            }
        });
        return request;
    }

private:
    template <typename Member> void object(Member member) {
        expect('{');
        while (peek() != '}') {
            const std::string key = string();
            expect(':');
            member(key);
            if (peek() == ',') {
                ++at_;
            }
        }
        expect('}');
    }

    std::string string() {
        expect('"');
        std::string value;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (c == '\\') {
                c = text_.at(at_++);
                if (c == 'u') {
                    c = static_cast<char>(std::stoi(text_.substr(at_, 4), nullptr, 16));
                    at_ += 4;
                } else if (c == 'n' || c == 'r' || c == 't') {
                    c = c == 'n' ? '\n' : c == 'r' ? '\r' : '\t';
                }
            }
            value += c;
        }
        expect('"');
        return value;
    }

    void skipValue() {
        if (peek() == '"') {
            string();
        } else if (peek() == '{') {
            object([&](const std::string&) { skipValue(); });
        } else {
            while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '}') {
                ++at_;
            }
        }
    }

    char peek() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) {
            ++at_;
        }
        if (at_ >= text_.size()) {
            throw std::runtime_error("stub log line ends early: " + text_);
        }
        return text_[at_];
    }

    void expect(char c) {
        if (peek() != c) {
            throw std::runtime_error("unexpected text in stub log line: " + text_);
        }
        ++at_;
    }

    const std::string& text_;
    size_t at_ = 0;
};

std::vector<StubRequest> allRequests() {
    char unixPath[1024] = {};
    GetEnvironmentVariableA("NIMBELLE_STUB_LOG", unixPath, sizeof unixPath);
    std::string path = std::string("Z:") + unixPath; // the Unix root as Wine maps it
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    std::vector<StubRequest> requests;
    std::istringstream lines(readWholeFile(path));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            requests.push_back(JsonLine(line).request());
        }
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
