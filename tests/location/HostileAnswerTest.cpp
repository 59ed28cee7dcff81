#include "AnswerFixtures.h"

#include "location/AnswerReaders.h"

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

// Found by the answer fuzzer (seed 1, input 17577): the platform's component takes time
// growing with the square of the "--" inside a comment (a megabyte of them took a minute
// under Wine), and such a document is never well-formed. It is refused before the component
// sees it, in either encoding; comments and CDATA that are well-formed still read.
TEST_F(HostileAnswerTest, HyphensInsideACommentAreRefusedAtOnce) {
    std::string comment = "<!-- ";
    for (int i = 0; i < 12000; ++i) {
        comment += "not sent -- yet it is a <loc id=\"U\" type=\"1\">Paris</loc>\n";
    }
    const std::string answer = "<search>" + comment + "--></search>";
    expectRefused(writeAnswer("hyphens.xml", answer));
    std::string wide = "\xFF\xFE";
    for (const char c : answer.substr(0, answer.size() / 4) + "--></search>") {
        wide += c;
        wide += '\0';
    }
    expectRefused(writeAnswer("hyphens16.xml", wide));

    LocationSearchResult result;
    parseSearchAnswer(
        writeAnswer("wellformed.xml",
                    "<search><loc id=\"A\" type=\"1\"><![CDATA[a <!-- b -- c]]></loc>"
                    "<!----><?note -- <!-- ?><loc id=\"B\" type=\"1\">B</loc></search>"),
        result);
    ASSERT_EQ(4, result.count());
    EXPECT_EQ("a <!-- b -- c", result.nameAt(0));
    EXPECT_EQ("B", result.idAt(3));
}
