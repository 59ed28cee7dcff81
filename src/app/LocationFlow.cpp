#include "app/CityPicker.h"
#include "app/PageState.h"
#include "app/SetupPage.h"
#include "app/WaitCursor.h"
#include "app/WindowText.h"
#include "location/DetailAnswer.h"
#include "location/LocationSearchResult.h"
#include "location/SearchAnswer.h"
#include "web/AnswerFiles.h"
#include "resource.h"
#include "web/Endpoints.h"
#include "web/WebClient.h"

namespace {
// Next ends in well under half a minute whatever the services do: the search (reachability
// and download) and the details each have their share.
constexpr DWORD kSearchTimeLimit = 12000;
constexpr DWORD kDetailTimeLimit = 8000;
constexpr char kEmptyPlaceText[] = "Please enter a location.";
constexpr char kUnknownPlaceText[] = "We do not recognize that location. Please try again.";
} // namespace

bool SetupPage::rejectPlace(const char* message) const {
    HWND placeField = GetDlgItem(dialog_, IDC_PLACE);
    MessageBoxA(placeField, message, kMessageCaption, MB_OK);
    SetFocus(placeField);
    return false;
}

bool SetupPage::resolveLocation() {
    if (placeResolved) {
        return true;
    }
    // Searched exactly as typed: no trimming, no change of case.
    const std::string place = windowText(GetDlgItem(dialog_, IDC_PLACE));
    if (place.empty()) {
        return rejectPlace(kEmptyPlaceText);
    }

    LocationSearchResult result;
    result.setQuery(place);
    {
        const WaitCursor busy;
        const Deadline deadline = Deadline::after(kSearchTimeLimit);
        WebClient client(deadline);
        const std::string search = searchUrl(place);
        // The in-memory fetch only proves the service answers; the file is what is read.
        if (client.FetchToMemory(search.c_str())) {
            fetchAnswerFile(client, search, "loc.xml", workFolders(), deadline,
                            [&result](const std::string& path) {
                                parseSearchAnswer(path, result);
                                return true;
                            });
        }
    }

    const int count = result.count();
    if (count == 0) {
        return rejectPlace(kUnknownPlaceText);
    }
    int chosen = 0;
    if (count > 1) {
        choices_ = result.names();
        if (runCityPicker(dialog_) != IDC_PICK_OK) {
            return false;
        }
        // Equal display names resolve to the first of them, whichever line was picked.
        while (chosen < count && result.nameAt(chosen) != chosenPlace_) {
            ++chosen;
        }
        if (chosen == count) {
            return false; // no offered place was picked: a cancel, nothing is stored
        }
    }
    // A match without an identifier (a sign-in page read as an answer, say) names no place
    // the platform's programs could show: as if nothing matched.
    if (result.idAt(chosen).empty()) {
        return rejectPlace(kUnknownPlaceText);
    }
    profile_.setLocDisplayName(result.nameAt(chosen));
    profile_.setLocID(result.idAt(chosen));
    profile_.setLocType(result.typeAt(chosen));

    fetchPlaceDetails();
    placeResolved = true;
    return true;
}

bool SetupPage::fetchPlaceDetails() {
    const WaitCursor busy;
    const Deadline deadline = Deadline::after(kDetailTimeLimit);
    WebClient client(deadline);
    return fetchAnswerFile(
        client, detailUrl(profile_.locID()), "xloc.xml", workFolders(), deadline,
        [this](const std::string& path) { return parseDetailAnswer(path, profile_); });
}
