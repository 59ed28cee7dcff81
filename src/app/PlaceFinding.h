#pragma once

#include "location/SetupProfile.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// Searches the place exactly as typed, lets pick choose when several places match, stores the
// chosen one's display name, identifier and type in profile and fetches its details. The
// answer files go into the first of folders that can hold them. Anything but Resolved leaves
// the profile as it was.
PlaceOutcome findPlace(const std::string& place, const std::vector<std::string>& folders,
                       const PlacePicker& pick, SetupProfile& profile);

// Reads the details of the profile's place (country, market code, state, ZIP code) into it;
// false when the detail answer could not be downloaded or had none.
bool fetchDetails(const std::vector<std::string>& folders, SetupProfile& profile);
