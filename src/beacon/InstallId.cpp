#include "beacon/InstallId.h"

#include "settings/AppsIni.h"

namespace {
constexpr char kVendorSection[] = "Software\\Talvora";
constexpr char kInstallIdKey[] = "InstallID";
// The platform's identifiers are well below this; longer values are cut.
constexpr size_t kInstallIdBufferSize = 25;
} // namespace

std::string ReadInstallId() {
    // Bound afresh for every report: another program may write the identifier meanwhile.
    AppsIni ini;
    bindAppsIni(ini);
    char buffer[kInstallIdBufferSize];
    ini.ReadStringToBuffer(kVendorSection, kInstallIdKey, buffer, sizeof buffer, "");
    // A value that fills the buffer comes without a terminator: keep all but its last byte.
    buffer[kInstallIdBufferSize - 1] = '\0';
    return buffer;
}
