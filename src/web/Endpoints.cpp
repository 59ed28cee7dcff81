#include "web/Endpoints.h"

// The host values come from the build (CMake cache variables).
const char kLocationBase[] = NIMBELLE_LOCATION_BASE;
const char kSearchUrl[] = NIMBELLE_LOCATION_BASE "/search/search/?where=";
const char kDetailUrlHead[] = NIMBELLE_LOCATION_BASE "/weather/local/";
const char kDetailUrlTail[] = "?eloc=*";
const char kBeaconBase[] = NIMBELLE_BEACON_BASE;
const char kMainHost[] = NIMBELLE_MAIN_HOST;
const char kPrivacyUrl[] = "http://" NIMBELLE_MAIN_HOST "/common/home/privacyNimbelleCorvane.html";
const char kProbeImageUrl[] = NIMBELLE_IMAGE_BASE "/web/blank.gif";
const char kRefererHeader[] = "Referer: http://" NIMBELLE_REFERER_HOST;
const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
