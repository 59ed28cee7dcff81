#include "app/PlaceFinding.h"

#include "app/WaitCursor.h"
#include "location/DetailAnswer.h"
#include "location/LocationSearchResult.h"
#include "location/SearchAnswer.h"
#include "platform/Deadline.h"
#include "web/AnswerFiles.h"
#include "web/Endpoints.h"
#include "web/WebClient.h"

namespace {
// Next ends in well under half a minute whatever the services do: the search (reachability
// and download) and the details each have their share.
constexpr DWORD kSearchTimeLimit = 12000;
constexpr DWORD kDetailTimeLimit = 8000;

// The places the service lists for the text; none when it cannot be reached or its answer
// cannot be downloaded or read.
LocationSearchResult searchPlaces(const std::string& place,
                                  const std::vector<std::string>& folders) {
    LocationSearchResult result;
    result.setQuery(place);
    const WaitCursor busy;
    const Deadline deadline = Deadline::after(kSearchTimeLimit);
    WebClient client(deadline);
    const std::string search = searchUrl(place);
    // The in-memory fetch only proves the service answers; the file is what is read.
    if (client.FetchToMemory(search.c_str())) {
        fetchAnswerFile(client, search, "loc.xml", folders, deadline,
                        [&result](const std::string& path) {
                            parseSearchAnswer(path, result);
                            return true;
                        });
    }
    return result;
}

// The index of the place meant: the only one, else the first whose display name is the one
// picked, so equal names resolve to the first of them whichever line was picked.
std::optional<int> choosePlace(const LocationSearchResult& result, const PlacePicker& pick) {
    const int count = result.count();
    if (count == 1) {
        return 0;
    }
    const std::optional<std::string> picked = pick(result.names());
    if (!picked) {
        return std::nullopt;
    }
    for (int i = 0; i < count; ++i) {
        if (result.nameAt(i) == *picked) {
            return i;
        }
    }
    return std::nullopt; // no offered place was picked: a cancel, nothing is stored
}
} // namespace

PlaceOutcome findPlace(const std::string& place, const std::vector<std::string>& folders,
                       const PlacePicker& pick, SetupProfile& profile) {
    if (place.empty()) {
        return PlaceOutcome::NothingTyped;
    }
    const LocationSearchResult result = searchPlaces(place, folders);
    if (result.count() == 0) {
        return PlaceOutcome::Unknown;
    }
    const std::optional<int> chosen = choosePlace(result, pick);
    if (!chosen) {
        return PlaceOutcome::NotChosen;
    }
    // A match without an identifier (a sign-in page read as an answer, say) names no place
    // the platform's programs could show: as if nothing matched.
    if (result.idAt(*chosen).empty()) {
        return PlaceOutcome::Unknown;
    }
    profile.setLocDisplayName(result.nameAt(*chosen));
    profile.setLocID(result.idAt(*chosen));
    profile.setLocType(result.typeAt(*chosen));
    fetchDetails(folders, profile); // the place stands whatever became of its details
    return PlaceOutcome::Resolved;
}

bool fetchDetails(const std::vector<std::string>& folders, SetupProfile& profile) {
    const WaitCursor busy;
    const Deadline deadline = Deadline::after(kDetailTimeLimit);
    WebClient client(deadline);
    return fetchAnswerFile(
        client, detailUrl(profile.locID()), "xloc.xml", folders, deadline,
        [&profile](const std::string& path) { return parseDetailAnswer(path, profile); });
}
