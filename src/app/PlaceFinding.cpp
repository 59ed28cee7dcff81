#include "app/PlaceFinding.h"

#include "app/Controls.h"
#include "location/AnswerReaders.h"
#include "platform/Waits.h"
#include "web/Endpoints.h"
#include "web/WebClient.h"

namespace {
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
        fetchAnswerFile(client, search, kSearchAnswerName, folders, deadline, searchReader(result));
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
    return PlaceOutcome::Resolved;
}

AnswerReader searchReader(LocationSearchResult& result) {
    return [&result](const std::string& path) {
        parseSearchAnswer(path, result);
        return true;
    };
}

AnswerReader detailReader(SetupProfile& profile) {
    return [&profile](const std::string& path) { return parseDetailAnswer(path, profile); };
}

bool fetchDetails(const std::vector<std::string>& folders, SetupProfile& profile) {
    const WaitCursor busy;
    const Deadline deadline = Deadline::after(kDetailTimeLimit);
    WebClient client(deadline);
    return fetchAnswerFile(client, detailUrl(profile.locID()), kDetailAnswerName, folders, deadline,
                           detailReader(profile));
}
