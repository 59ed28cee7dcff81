#pragma once

// Addresses of the vendor's services, fixed when the program is built.
extern const char kLocationBase[];  // "http://host[:port]"
extern const char kSearchUrl[];     // kLocationBase + "/search/search/?where="
extern const char kDetailUrlHead[]; // kLocationBase + "/weather/local/"
extern const char kDetailUrlTail[]; // "?eloc=*"
extern const char kBeaconBase[];    // "http://host[:port]/"
extern const char kMainHost[];      // looked up by the connectivity probe
extern const char kPrivacyUrl[];    // the privacy page on the main host
extern const char kProbeImageUrl[]; // image host + "/web/blank.gif"
extern const char kRefererHeader[]; // "Referer: http://" + the desktop-product site
extern const char kUserAgent[];
