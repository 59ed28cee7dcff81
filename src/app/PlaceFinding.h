#pragma once

#include "location/LocationSearchResult.h"
#include "location/SetupProfile.h"
#include "web/AnswerFiles.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Next ends in well under half a minute whatever the services do: the search (reachability
// and download) and the details each have their share.
constexpr DWORD kSearchTimeLimit = 12000;
constexpr DWORD kDetailTimeLimit = 8000;
// The answer files, in the first answer folder that can hold them.
constexpr char kSearchAnswerName[] = "loc.xml";
constexpr char kDetailAnswerName[] = "xloc.xml";

// How each answer file is read: the places listed into result, the details into profile.
AnswerReader searchReader(LocationSearchResult& result);
AnswerReader detailReader(SetupProfile& profile);

// Asks the user which of several places is meant, offering their display names in answer
// order; the name picked, or nothing when the user picked none.
using PlacePicker =
    std::function<std::optional<std::string>(const std::vector<std::string>& names)>;

// What became of one search for the typed place.
enum class PlaceOutcome {
    Resolved,     // the place and its details are in the profile
    NothingTyped, // the text is empty: nothing was asked of the service
    Unknown,      // the service was not reached, or knows no usable place by that text
    NotChosen,    // several matched and the user picked none of them: nothing is said
};

// Searches the place exactly as typed, lets pick choose when several places match and stores
// the chosen one's display name, identifier and type in profile. Anything but Resolved leaves
// the profile as it was.
PlaceOutcome findPlace(const std::string& place, const std::vector<std::string>& folders,
                       const PlacePicker& pick, SetupProfile& profile);

// Reads the details of the profile's place (country, market code, state, ZIP code) into it,
// under the wait cursor and the details' own deadline; false when the detail answer could not
// be downloaded or had none.
bool fetchDetails(const std::vector<std::string>& folders, SetupProfile& profile);
