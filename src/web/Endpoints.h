#pragma once

#include <string>

// Addresses of the vendor's services, fixed when the program is built: this file's source is
// compiled once per set of hosts (the shipped program's, the loopback test copy's).
extern const char kLocationBase[]; // scheme and host, maybe a port; no trailing slash
extern const char kBeaconBase[];   // ends in a slash
extern const char kMainHost[];
extern const char kPrivacyUrl[];
extern const char kProbeImageUrl[]; // without query: the probe adds its own
extern const char kRefererHeader[];
extern const char kUserAgent[];

// The location search for a place as typed; escaping is left to the download.
std::string searchUrl(const std::string& place);
// The details of the place with this identifier.
std::string detailUrl(const std::string& locationId);
// A stage report. Stage and identifier go out as they stand, unescaped; a non-empty extra is
// added as one more parameter.
std::string beaconUrl(const char* stage, const std::string& installId, const std::string& extra);
