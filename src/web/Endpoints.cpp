#include "web/Endpoints.h"

// The host values come from the build (CMake cache variables).
const char kLocationBase[] = NIMBELLE_LOCATION_BASE;
const char kBeaconBase[] = NIMBELLE_BEACON_BASE;
const char kMainHost[] = NIMBELLE_MAIN_HOST;
const char kPrivacyUrl[] = "http://" NIMBELLE_MAIN_HOST "/common/home/privacyNimbelleCorvane.html";
const char kProbeImageUrl[] = NIMBELLE_IMAGE_BASE "/web/blank.gif";
const char kRefererHeader[] = "Referer: http://" NIMBELLE_REFERER_HOST;
const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";

std::string searchUrl(const std::string& place) {
    return kLocationBase + std::string("/search/search/?where=") + place;
}

std::string detailUrl(const std::string& locationId) {
    return kLocationBase + std::string("/weather/local/") + locationId + "?eloc=*";
}

std::string beaconUrl(const char* stage, const std::string& installId, const std::string& extra) {
    std::string url = kBeaconBase;
    url += "5/";
    url += stage != nullptr ? stage : "";
    url += "?id=" + installId + "&instby=";
    if (!extra.empty()) {
        url += "&" + extra;
    }
    return url;
}
