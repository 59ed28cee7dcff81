#include "settings/AppsIni.h"

#include "platform/Files.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <new>
#include <vector>

namespace {
constexpr char kPlatformSuffix[] = "\\Talvora\\Corvane\\";

// Filled by the first successful lookup, then used for the rest of the process.
std::string cachedAppDataFolder;

std::string knownFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                   path))) {
        return path;
    }
    return {};
}
} // namespace

std::string AppDataFolder() {
    if (cachedAppDataFolder.empty()) {
        cachedAppDataFolder = knownFolder(CSIDL_LOCAL_APPDATA);
    }
    if (cachedAppDataFolder.empty()) {
        cachedAppDataFolder = knownFolder(CSIDL_APPDATA);
    }
    return cachedAppDataFolder;
}

std::string PlatformDataFolder() {
    return AppDataFolder() + kPlatformSuffix;
}

namespace {
constexpr DWORD kReadStep = 512;
// Enough for the profile's sections; a larger one doubles it, each try a reading of the file.
constexpr DWORD kSectionStart = 4096;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The most the system documents a section's reading to give.
constexpr DWORD kSectionMost = 32767;

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// "key=value" lines, each ended by a zero byte, as key and value.
AppsIni::Entries sectionEntries(const char* text, DWORD count) {
    AppsIni::Entries entries;
    for (const char* line = text; line < text + count && *line != '\0';
         line += std::strlen(line) + 1) {
        const char* equals = std::strchr(line, '=');
        const char* keyEnd = equals != nullptr ? equals : line + std::strlen(line);
        // Blanks around a key are not part of its name.
        const char* keyStart = line;
        while (keyStart < keyEnd && isBlank(*keyStart)) {
            ++keyStart;
        }
        while (keyEnd > keyStart && isBlank(keyEnd[-1])) {
            --keyEnd;
        }
        if (keyStart == keyEnd) {
            continue;
        }
        entries.emplace_back(std::string(keyStart, keyEnd),
                             equals != nullptr ? std::string(equals + 1) : std::string());
    }
    return entries;
}
} // namespace

void AppsIni::SetFileName(const char* path) {
    if (path != nullptr) {
        fileName_ = path;
    } else if (fileName_) {
        fileName_->clear();
    }
}

int AppsIni::WriteString(const char* section, const char* key, const char* value) const {
    if (section == nullptr || key == nullptr || !bound()) {
        return 0;
    }
    const char* text = orEmpty(value);
    if (std::strpbrk(text, "\r\n") == nullptr) {
        return WritePrivateProfileStringA(section, key, text, fileName());
    }
    try {
        return WritePrivateProfileStringA(section, key, valueAsWritten(text).c_str(), fileName());
    } catch (const std::bad_alloc&) {
        return 0; // nothing was written
    }
}

std::string valueAsWritten(std::string_view value) {
    std::string flat(value);
    for (char& c : flat) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return flat;
}

std::string AppsIni::ReadString(const char* section, const char* key,
                                const char* defaultValue) const {
    try {
        if (section == nullptr || key == nullptr || !bound()) {
            return orEmpty(defaultValue);
        }
        // The platform cuts a value that does not fit and then answers size - 1:
        // grow until the answer leaves room to spare.
        DWORD size = kReadStep;
        std::vector<char> buffer;
        DWORD count = 0;
        for (;;) {
            buffer.assign(size + 1, '\0');
            count = GetPrivateProfileStringA(section, key, orEmpty(defaultValue), buffer.data(),
                                             size, fileName());
            if (count + 1 < size) {
                break;
            }
            size += kReadStep;
        }
        return std::string(buffer.data(), count);
    } catch (const std::bad_alloc&) {
        return {}; // without memory the value reads as empty; nothing else changes
    }
}

size_t AppsIni::ReadStringToBuffer(const char* section, const char* key, char* buffer,
                                   size_t bufferSize, const char* defaultValue) const {
    if (buffer != nullptr && bufferSize > 0) {
        buffer[0] = '\0';
    }
    const std::string value = ReadString(section, key, defaultValue);
    size_t length = value.size();
    if (buffer == nullptr) {
        return length;
    }
    // Copy up to and including the terminator, zero-fill the rest, never split a
    // double-byte character; a value as long as the buffer fills it unterminated.
    size_t i = 0;
    while (i < bufferSize && i < value.size()) {
        const auto byte = static_cast<BYTE>(value[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < value.size()) {
            if (i + 1 >= bufferSize) {
                break; // the lead byte would take the last free byte
            }
            buffer[i] = value[i];
            buffer[i + 1] = value[i + 1];
            i += 2;
        } else {
            buffer[i] = value[i];
            ++i;
        }
    }
    for (; i < bufferSize; ++i) {
        buffer[i] = '\0';
    }
    if (length >= bufferSize) {
        length = bufferSize;
    }
    return length;
}

std::optional<AppsIni::Entries> AppsIni::readSection(const char* section) const {
    try {
        if (section == nullptr || !bound()) {
            return Entries{};
        }
        // The platform cuts a section that does not fit and then answers size - 2.
        std::vector<char> buffer;
        DWORD count = 0;
        for (DWORD size = kSectionStart;; size *= 2) {
            buffer.assign(size, '\0');
            count = GetPrivateProfileSectionA(section, buffer.data(), size, fileName());
            if (count + 2 >= kSectionMost) {
                return std::nullopt; // cut, or long enough that it could have been
            }
            if (count + 2 < size) {
                break;
            }
        }
        return sectionEntries(buffer.data(), count);
    } catch (const std::bad_alloc&) {
        return Entries{}; // without memory the section reads as missing
    }
}

void bindAppsIni(AppsIni& ini) {
    const std::string folder = PlatformDataFolder();
    // A folder that cannot be made fails the commit's first step, which tells why.
    (void)createFolderTree(folder);
    ini.SetFileName((folder + "apps.ini").c_str());
}
