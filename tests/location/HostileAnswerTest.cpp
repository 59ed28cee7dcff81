#include "AnswerFixtures.h"

#include "location/DetailAnswer.h"
#include "location/SearchAnswer.h"

#include <chrono>

namespace {
constexpr const char* kSecret = "TOP-SECRET-7741";

// Both readers over one forged answer: each must find nothing and change nothing.
void expectRefused(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    LocationSearchResult result;
    result.setQuery("Paris");
    parseSearchAnswer(path, result);
    EXPECT_EQ(0, result.count()) << path;
    EXPECT_EQ(LocationSearchResult::kInvalidIndex, result.nameAt(0)) << path;

    SetupProfile profile;
    profile.setLocCountry("US");
    EXPECT_FALSE(parseDetailAnswer(path, profile)) << path;
    EXPECT_EQ("US", profile.locCountry()) << path;
    EXPECT_EQ("", profile.locDMA() + profile.locState() + profile.locZip()) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << path;
}

std::string fileUrl(std::string path) {
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    return "file:///" + path;
}
} // namespace

using HostileAnswerTest = AnswerTest;

// A real answer never carries a document type declaration; one that does is unreadable,
// even when its entities are harmless.
TEST_F(HostileAnswerTest, DeclarationsMakeAnAnswerUnreadable) {
    expectRefused(answerFixture("hostile_declared.xml"));
    expectRefused(answerFixture("hostile_laughs.xml"));
}

TEST_F(HostileAnswerTest, RepeatedLargeEntityIsNeverExpanded) {
    std::string answer = "<?xml version=\"1.0\"?>\n<!DOCTYPE answer [ <!ENTITY big \"" +
                         std::string(10000, 'x') + "\"> ]>\n<answer><loc id=\"A\">";
    std::string references;
    for (int i = 0; i < 10000; ++i) {
        references += "&big;";
    }
    answer += references + "</loc><eloc><ctry>" + references + "</ctry></eloc></answer>\n";
    expectRefused(writeAnswer("quadratic.xml", answer));
}

TEST_F(HostileAnswerTest, ExternalEntitiesAndDefinitionsAreNeverFetched) {
    const std::string secret = writeAnswer("secret.txt", kSecret);
    writeAnswer("secret.dtd", "<!ENTITY secret SYSTEM \"" + fileUrl(secret) + "\">");
    const char* body = "<answer><loc id=\"A\" type=\"1\">&secret;</loc>"
                       "<eloc><ctry>&secret;</ctry></eloc></answer>\n";
    expectRefused(writeAnswer("external.xml", "<!DOCTYPE answer [ <!ENTITY secret SYSTEM \"" +
                                                  fileUrl(secret) + "\"> ]>\n" + body));
    expectRefused(writeAnswer("relative.xml",
                              "<!DOCTYPE answer [ <!ENTITY secret SYSTEM \"secret.txt\"> ]>\n" +
                                  std::string(body)));
    expectRefused(writeAnswer("subset.xml", "<!DOCTYPE answer SYSTEM \"" +
                                                fileUrl(scratch.path() + "secret.dtd") + "\">\n" +
                                                body));
}
