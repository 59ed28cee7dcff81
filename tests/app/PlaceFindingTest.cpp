#include "app/PlaceFinding.h"
#include "platform/SystemLibraries.h"
#include "platform/Files.h"
#include "support/StubLog.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace {
// One search for a typed place with no window: a scripted picker against the stub's location
// services, whose answers depend on the place typed (tests/support/with_stub.py).
struct Search {
    const char* typed;
    std::optional<std::string> pick; // the picker's answer
    PlaceOutcome outcome;
    const char* stored;  // name, identifier, type, country and ZIP code as the profile holds them
    const char* offered; // what the picker offered, between "|"
    const char* asked;   // the requests made without the cache-busting number, between blanks
    const char* files;   // the answer files left in the folder, between blanks
};

const char kThreeSpringfields[] = "Springfield, IL|Springfield, MO|Springfield, MO";

// Reachability, the answer file, then the details of the place taken.
const Search kSearches[] = {
    {"Paris", std::nullopt, PlaceOutcome::Resolved, "Paris, France|FRXX0076|1|US|62701", "",
     "/search/search/?where=Paris /search/search/?where=Paris /weather/local/FRXX0076?eloc=%2A",
     "loc.xml xloc.xml"},
    // The line of the second of two equal names: the first of them is taken.
    {"Springfield", "Springfield, MO", PlaceOutcome::Resolved,
     "Springfield, MO|USMO0002|1|US|62701", kThreeSpringfields,
     "/search/search/?where=Springfield /search/search/?where=Springfield "
     "/weather/local/USMO0002?eloc=%2A",
     "loc.xml xloc.xml"},
    {"Springfield", std::nullopt, PlaceOutcome::NotChosen, "||||", kThreeSpringfields,
     "/search/search/?where=Springfield /search/search/?where=Springfield", "loc.xml"},
    {"Springfield", "Springfield", PlaceOutcome::NotChosen, "||||", kThreeSpringfields,
     "/search/search/?where=Springfield /search/search/?where=Springfield", "loc.xml"},
    {"", std::nullopt, PlaceOutcome::NothingTyped, "||||", "", "", ""},
    // Typed text reaches the service as typed: blanks are escaped on the wire, "&" is not.
    {"Fort Worth & Dallas", std::nullopt, PlaceOutcome::Unknown, "||||", "",
     "/search/search/?where=Fort%20Worth%20&%20Dallas "
     "/search/search/?where=Fort%20Worth%20&%20Dallas",
     "loc.xml"},
    // A match without an identifier.
    {"Nowhere", std::nullopt, PlaceOutcome::Unknown, "||||", "",
     "/search/search/?where=Nowhere /search/search/?where=Nowhere", "loc.xml"},
    // Reached, but no answer file.
    {"Lost", std::nullopt, PlaceOutcome::Unknown, "||||", "",
     "/search/search/?where=Lost /search/search/?where=Lost", ""},
    // Not reached: no answer file asked for.
    {"Closed", std::nullopt, PlaceOutcome::Unknown, "||||", "", "/search/search/?where=Closed", ""},
    // An answer without places, and an error answer.
    {"Utopia", std::nullopt, PlaceOutcome::Unknown, "||||", "",
     "/search/search/?where=Utopia /search/search/?where=Utopia", "loc.xml"},
    {"Error", std::nullopt, PlaceOutcome::Unknown, "||||", "",
     "/search/search/?where=Error /search/search/?where=Error", "loc.xml"},
    // The details fail: the place still stands.
    {"Atlantis", std::nullopt, PlaceOutcome::Resolved, "Atlantis|ATLX0001|1||", "",
     "/search/search/?where=Atlantis /search/search/?where=Atlantis "
     "/weather/local/ATLX0001?eloc=%2A",
     "loc.xml"},
};

std::string joined(const std::vector<std::string>& texts, const char* between) {
    std::string text;
    for (const std::string& t : texts) {
        text += (text.empty() ? "" : between) + t;
    }
    return text;
}
} // namespace

TEST(FindPlace, EachSearchEndsAsItsRowSays) {
    const ComRuntime com; // the answer readers need it, as the page's entry starts it
    const ScratchFolder scratch;
    const std::string folder = scratch.path() + "temp\\";
    for (const Search& row : kSearches) {
        SCOPED_TRACE(std::string(row.typed) + " picking " + row.pick.value_or("nothing"));
        removeTree(folder);
        SetupProfile profile;
        std::vector<std::string> offered;
        const PlacePicker picker = [&](const std::vector<std::string>& names) {
            offered.push_back(joined(names, "|"));
            return row.pick;
        };
        const StubLog log;
        const PlaceOutcome outcome = findPlace(row.typed, {folder}, picker, profile);
        EXPECT_EQ(row.outcome, outcome);
        if (outcome == PlaceOutcome::Resolved) {
            fetchDetails({folder}, profile); // as the page does next
        }
        EXPECT_EQ(row.stored, profile.locDisplayName() + "|" + profile.locID() + "|" +
                                  profile.locType() + "|" + profile.locCountry() + "|" +
                                  profile.locZip());
        EXPECT_EQ(row.offered, joined(offered, " then "));
        std::vector<std::string> asked;
        for (const StubRequest& request : log.requests()) {
            asked.push_back(request.path.substr(0, request.path.find("&rnd=")));
        }
        EXPECT_EQ(row.asked, joined(asked, " "));
        std::vector<std::string> files;
        for (const char* name : {kSearchAnswerName, kDetailAnswerName}) {
            if (FileExists(folder + name)) {
                files.push_back(name);
            }
        }
        EXPECT_EQ(row.files, joined(files, " "));
    }
}
