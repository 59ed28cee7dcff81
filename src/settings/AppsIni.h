#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The user's application-data folder (no trailing backslash), or "" when the
// system has none; cached for the process once found.
std::string AppDataFolder();
// AppDataFolder + "\Talvora\Corvane\": where apps.ini lives.
std::string PlatformDataFolder();

// One read or write of one key of one section of apps.ini, the settings file the
// desktop platform's programs share. Nothing is cached: every call goes to the file.
class AppsIni {
public:
    AppsIni() = default;
    virtual ~AppsIni() = default;

    // A path replaces the one held; null empties a held path (and does nothing otherwise).
    void SetFileName(const char* path);
    // Null when no path was ever set.
    const char* fileName() const { return fileName_ ? fileName_->c_str() : nullptr; }

    // Nonzero on success. A null section or key, or no bound file, is refused; a null value writes
    // an empty one. CR and LF in a value are written as blanks so a value can never start a line of
    // its own in the file.
    int WriteString(const char* section, const char* key, const char* value) const;
    // The key's value, or the default (null reads as "") when the file, section or key
    // is missing. Values of any length come back whole.
    std::string ReadString(const char* section, const char* key, const char* defaultValue) const;
    // Copies the value into a caller's buffer (a full buffer gets no terminator) and
    // returns its length, capped at the buffer size when there is a buffer.
    size_t ReadStringToBuffer(const char* section, const char* key, char* buffer, size_t bufferSize,
                              const char* defaultValue) const;

    // A section's keys with their values, in file order, as the profile functions read them
    // (blanks around a key dropped); empty when the file or the section is missing. One
    // reading of the file for the whole section, where ReadString reads it for every key.
    // Nullopt for a section so long that the system may have cut it short: its documented
    // limit for a section's reading is 32,767 characters.
    using Entries = std::vector<std::pair<std::string, std::string>>;
    std::optional<Entries> readSection(const char* section) const;

private:
    // Without a path the profile functions would fall back to the system's win.ini.
    bool bound() const { return fileName_ && !fileName_->empty(); }

    std::optional<std::string> fileName_;
};

// A value as WriteString puts it into the file: CR and LF become blanks.
std::string valueAsWritten(std::string_view value);

// Binds an AppsIni to apps.ini in the platform data folder, creating that folder.
void bindAppsIni(AppsIni& ini);
