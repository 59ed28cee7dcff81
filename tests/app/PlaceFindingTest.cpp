#include "app/PlaceFinding.h"
#include "platform/SystemLibraries.h"
#include "support/TestFolders.h"
#include "support/StubLog.h"

#include <gtest/gtest.h>

namespace {
// Finding a place with no window: a scripted picker against the stub's location services.
class FindPlace : public ::testing::Test {
protected:
    ComRuntime com; // the answer readers need it, as the page's entry starts it
    ScratchFolder scratch;
    SetupProfile profile;
    std::optional<std::string> pick;             // the picker's answer
    std::vector<std::vector<std::string>> shown; // what the picker offered, call by call
    const StubLog log;

    PlaceOutcome find(const std::string& place) {
        const PlacePicker picker = [this](const std::vector<std::string>& names) {
            shown.push_back(names);
            return pick;
        };
        const std::vector<std::string> folders{scratch.path() + "temp\\"};
        const PlaceOutcome outcome = findPlace(place, folders, picker, profile);
        if (outcome == PlaceOutcome::Resolved) {
            fetchDetails(folders, profile); // as the page does next
        }
        return outcome;
    }
    // Name, identifier, type, country and ZIP code as the profile holds them.
    std::string stored() const {
        return profile.locDisplayName() + "|" + profile.locID() + "|" + profile.locType() + "|" +
               profile.locCountry() + "|" + profile.locZip();
    }
    // The requests made, without the cache-busting number.
    std::vector<std::string> asked() const {
        std::vector<std::string> paths;
        for (const StubRequest& request : log.requests()) {
            paths.push_back(request.path.substr(0, request.path.find("&rnd=")));
        }
        return paths;
    }
};
} // namespace

TEST_F(FindPlace, OneMatchIsTakenWithoutThePickerThenDetailed) {
    EXPECT_EQ(PlaceOutcome::Resolved, find("Paris"));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ("Paris, France|FRXX0076|1|US|62701", stored());
    // Reachability, the answer file, then the details of the place taken.
    EXPECT_EQ(
        (std::vector<std::string>{"/search/search/?where=Paris", "/search/search/?where=Paris",
                                  "/weather/local/FRXX0076?eloc=%2A"}),
        asked());
}

TEST_F(FindPlace, SeveralMatchesAreOfferedInAnswerOrderAndEqualNamesTakeTheFirst) {
    pick = "Springfield, MO"; // the line of the second of the two equal names
    EXPECT_EQ(PlaceOutcome::Resolved, find("Springfield"));
    EXPECT_EQ((std::vector<std::vector<std::string>>{
                  {"Springfield, IL", "Springfield, MO", "Springfield, MO"}}),
              shown);
    EXPECT_EQ("Springfield, MO|USMO0002|1|US|62701", stored());
}

TEST_F(FindPlace, NoPickOrAPickOfNoOfferedNameIsACancel) {
    EXPECT_EQ(PlaceOutcome::NotChosen, find("Springfield"));
    pick = "Springfield"; // offered as no line
    EXPECT_EQ(PlaceOutcome::NotChosen, find("Springfield"));
    EXPECT_EQ(2u, shown.size());
    EXPECT_EQ("||||", stored());
    EXPECT_EQ(4u, asked().size()) << "details were asked for";
}

TEST_F(FindPlace, UnusableAnswersAreRefusedAndStoreNothing) {
    EXPECT_EQ(PlaceOutcome::NothingTyped, find(""));
    EXPECT_TRUE(asked().empty());
    EXPECT_EQ(PlaceOutcome::Unknown, find("Nowhere")); // a match without an identifier
    EXPECT_EQ(PlaceOutcome::Unknown, find("Lost"));    // reached, but no answer file
    EXPECT_EQ(PlaceOutcome::Unknown, find("Closed"));  // not reached: no answer file asked for
    EXPECT_EQ(PlaceOutcome::Unknown, find("Utopia"));  // an answer without places
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ("||||", stored());
    EXPECT_EQ(7u, asked().size()) << "details were asked for";
}

TEST_F(FindPlace, APlaceWhoseDetailsFailStillResolves) {
    EXPECT_EQ(PlaceOutcome::Resolved, find("Atlantis"));
    EXPECT_EQ("Atlantis|ATLX0001|1||", stored());
}
