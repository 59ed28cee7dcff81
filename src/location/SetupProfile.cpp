#include "location/SetupProfile.h"

#include <cstdio>

namespace {
SYSTEMTIME localToday() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}
} // namespace

SetupProfile::SetupProfile() : SetupProfile(localToday()) {}

SetupProfile::SetupProfile(const SYSTEMTIME& today) : ea_(dateStamp(today)), su_(ea_) {}

std::string SetupProfile::dateStamp(const SYSTEMTIME& day) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%02u/%02u", static_cast<unsigned>(day.wMonth),
                  static_cast<unsigned>(day.wDay), static_cast<unsigned>(day.wYear % 100));
    return text;
}
