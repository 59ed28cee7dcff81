#include "AnswerFixtures.h"

#include "location/AnswerReaders.h"

#include <thread>

namespace {
// A profile whose place fields already hold an earlier place.
SetupProfile earlierPlace() {
    SetupProfile profile;
    profile.setLocID("USNY0996");
    profile.setLocType("1");
    profile.setLocDisplayName("New York, NY");
    profile.setLocCountry("US");
    profile.setLocDMA("501");
    profile.setLocState("NY");
    profile.setLocZip("10001");
    return profile;
}

std::vector<std::string> detailsOf(const SetupProfile& profile) {
    return {profile.locCountry(), profile.locDMA(), profile.locState(), profile.locZip()};
}

const std::vector<std::string> kEarlierDetails = {"US", "501", "NY", "10001"};
} // namespace

using DetailAnswerTest = AnswerTest;

// Only the four fields change: a value missing from a block empties an earlier one, and of
// several blocks, which apply in order, the last one stays.
TEST_F(DetailAnswerTest, ABlockSetsTheFourFieldsOnly) {
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"detail_full.xml", {"US", "623", "TX", "75460"}},
        {"detail_nodma.xml", {"FR", "", "", ""}},
        {"detail_several.xml", {"CA", "", "QC", "H2X 1Y4"}},
    };
    for (const auto& [fixture, details] : rows) {
        SetupProfile profile = earlierPlace();
        EXPECT_TRUE(parseDetailAnswer(answerFixture(fixture), profile)) << fixture;
        EXPECT_EQ(details, detailsOf(profile)) << fixture;
        EXPECT_EQ("USNY0996|1|New York, NY",
                  profile.locID() + "|" + profile.locType() + "|" + profile.locDisplayName())
            << fixture;
    }
}

TEST_F(DetailAnswerTest, WithoutABlockNamedExactlyElocNothingChanges) {
    for (const std::string& path :
         {answerFixture("detail_none.xml"), answerFixture("search_one.xml"),
          answerFixture("search_malformed.xml"), scratch.path() + "absent.xml"}) {
        SetupProfile profile = earlierPlace();
        EXPECT_FALSE(parseDetailAnswer(path, profile)) << path;
        EXPECT_EQ(kEarlierDetails, detailsOf(profile)) << path;
    }
    SetupProfile profile = earlierPlace();
    bool found = true;
    std::thread([&] {
        found = parseDetailAnswer(answerFixture("detail_full.xml"), profile);
    }).join(); // no component runtime on that thread
    EXPECT_FALSE(found);
    EXPECT_EQ(kEarlierDetails, detailsOf(profile));
}

TEST_F(DetailAnswerTest, ValuesBecomeLatinOneTextOfAtMost251Characters) {
    SetupProfile profile;
    EXPECT_TRUE(parseDetailAnswer(answerFixture("detail_text.xml"), profile));
    // Octal escapes: \364 is 0xF4, \363 is 0xF3, \351 is 0xE9.
    EXPECT_EQ((std::vector<std::string>{"C\364te d?Ivoire", "?1", "?\363d?", "\351"}),
              detailsOf(profile));

    std::string digits;
    for (int i = 0; i < 300; ++i) {
        digits += static_cast<char>('0' + i % 10);
    }
    const std::string path = writeAnswer(
        "long.xml", "<weather><eloc><ctry>" + digits + "</ctry><dma>" + digits.substr(0, 251) +
                        "</dma><st>" + digits.substr(0, 252) + "</st><zip>" +
                        digits.substr(0, 250) + "</zip></eloc></weather>");
    EXPECT_TRUE(parseDetailAnswer(path, profile));
    EXPECT_EQ(digits.substr(0, 251), profile.locCountry());
    EXPECT_EQ(digits.substr(0, 251), profile.locDMA());
    EXPECT_EQ(digits.substr(0, 251), profile.locState());
    EXPECT_EQ(digits.substr(0, 250), profile.locZip());
}
