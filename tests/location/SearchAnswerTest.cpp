#include "AnswerFixtures.h"

#include "location/AnswerReaders.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {
using Texts = LocationSearchResult::TextList;

// What the location entry flow hands over: a cleared result with the typed text.
LocationSearchResult preparedResult() {
    LocationSearchResult result;
    result.setQuery("Paris");
    return result;
}

LocationSearchResult parsed(const std::string& path) {
    LocationSearchResult result = preparedResult();
    parseSearchAnswer(path, result);
    return result;
}

Texts idsOf(const LocationSearchResult& result) {
    Texts ids;
    for (int i = 0; i < result.count(); ++i) {
        ids.push_back(result.idAt(i));
    }
    return ids;
}

Texts typesOf(const LocationSearchResult& result) {
    Texts types;
    for (int i = 0; i < result.count(); ++i) {
        types.push_back(result.typeAt(i));
    }
    return types;
}
} // namespace

using SearchAnswerTest = AnswerTest;

TEST_F(SearchAnswerTest, ErrorAndEmptyAnswersReplaceTheListsWithEmptyOnes) {
    for (const char* name : {"search_error.xml", "search_empty.xml"}) {
        LocationSearchResult result = preparedResult();
        result.setResults({"stale"}, {"stale"}, {"stale"});
        parseSearchAnswer(answerFixture(name), result);
        EXPECT_EQ(0, result.count()) << name;
        EXPECT_TRUE(result.names().empty()) << name;
        EXPECT_EQ(LocationSearchResult::kInvalidIndex, result.typeAt(0)) << name;
        EXPECT_EQ("Paris", result.query()) << name;
    }
}

TEST_F(SearchAnswerTest, UnreadableAnswersLeaveTheResultAsPrepared) {
    for (const std::string& path :
         {scratch.path() + "absent.xml", answerFixture("search_malformed.xml")}) {
        LocationSearchResult result = preparedResult();
        result.setResults({"kept"}, {"kept"}, {"kept"});
        parseSearchAnswer(path, result);
        EXPECT_EQ((Texts{"kept"}), result.names()) << path;
        EXPECT_EQ("Paris", result.query());
    }
}

TEST_F(SearchAnswerTest, OneMatch) {
    const LocationSearchResult result = parsed(answerFixture("search_one.xml"));
    ASSERT_EQ(1, result.count());
    EXPECT_EQ("FRXX0076", result.idAt(0));
    EXPECT_EQ("1", result.typeAt(0));
    EXPECT_EQ("Paris, France", result.nameAt(0));
    EXPECT_EQ("Paris", result.query());
}

TEST_F(SearchAnswerTest, EveryChildNodeIsOneAlignedEntry) {
    const LocationSearchResult result = parsed(answerFixture("search_pretty.xml"));
    EXPECT_EQ((Texts{"USTX1010", "", "", "USTN0380", "FRXX0076"}), idsOf(result));
    EXPECT_EQ((Texts{"1", "", "1", "", "1"}), typesOf(result));
    EXPECT_EQ((Texts{"Paris, TX", "", "Paris, KY", "Paris, TN", "Paris, France"}), result.names());
}

TEST_F(SearchAnswerTest, NamesKeepTheLowByteButNeverANul) {
    const LocationSearchResult result = parsed(answerFixture("search_names.xml"));
    // Octal escapes: \351 is 0xE9, \363 is 0xF3.
    EXPECT_EQ((Texts{"Montr\351al, QC", "A\363dz", "?? Town", "=?"}), result.names());
    EXPECT_EQ("XX?1", result.idAt(2));
    EXPECT_EQ("?", result.typeAt(2));
}

TEST_F(SearchAnswerTest, OverlongValuesAreCutToWhatTheSettingsFileHolds) {
    const std::string longId(1 << 20, 'I');
    const std::string name(1000, 'N');
    const LocationSearchResult result = parsed(
        writeAnswer("long.xml", "<search><loc id=\"" + longId + "\" type=\"1\">" + name +
                                    std::string(50000, 'x') + "</loc><loc id=\"X\" type=\"1\">" +
                                    name + "</loc></search>"));
    ASSERT_EQ(2, result.count());
    EXPECT_EQ(longId.substr(0, 1024), result.idAt(0));
    EXPECT_EQ(name + std::string(24, 'x'), result.nameAt(0));
    EXPECT_EQ(name, result.nameAt(1)); // a thousand characters come whole
}

TEST_F(SearchAnswerTest, APathWithUmlautLoadsWhateverTheThreadsLocale) {
    // The work folder is named in the system's code page; a thread locale of another code
    // page (set by a host process, say) must not change which file that name means.
    const std::wstring folder = L"M\u00fcnchen";
    char narrow[32] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, narrow, sizeof narrow,
                        nullptr, &lossy);
    if (lossy) {
        GTEST_SKIP() << "the system code page cannot write the folder's name";
    }
    const std::string dir = scratch.path() + narrow + "\\";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    writeWholeFile(dir + "loc.xml",
                   "<search><loc id=\"DEXX0091\" type=\"1\">Muenchen</loc></search>");

    const LCID before = GetThreadLocale();
    for (const LCID locale : {MAKELCID(0x0409, SORT_DEFAULT), MAKELCID(0x0419, SORT_DEFAULT),
                              MAKELCID(0x0411, SORT_DEFAULT)}) {
        wchar_t codePage[8] = {};
        GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE, codePage, 8);
        SCOPED_TRACE(testing::Message()
                     << "thread code page " << codePage << ", system " << GetACP());
        ASSERT_TRUE(SetThreadLocale(locale));
        const LocationSearchResult result = parsed(dir + "loc.xml");
        SetThreadLocale(before);
        EXPECT_EQ((Texts{"DEXX0091"}), idsOf(result));
    }
}

TEST_F(SearchAnswerTest, WithoutTheComponentTheAnswerIsUnreadable) {
    LocationSearchResult result = preparedResult();
    result.setResults({"kept"}, {"kept"}, {"kept"});
    // A thread that never initialised the component runtime cannot create the component.
    std::thread([&] { parseSearchAnswer(answerFixture("search_one.xml"), result); }).join();
    EXPECT_EQ((Texts{"kept"}), result.names());
}

TEST_F(SearchAnswerTest, TwentyThousandMatchesInOrder) {
    constexpr int kMatches = 20000;
    std::string answer = "<search ver=\"3.0\">\n";
    for (int i = 0; i < kMatches; ++i) {
        const std::string n = std::to_string(i);
        answer += "  <loc id=\"ID" + n + "\" type=\"1\">Place " + n + "</loc>\n";
    }
    const std::string path = writeAnswer("many.xml", answer + "</search>\n");

    const auto start = std::chrono::steady_clock::now();
    const LocationSearchResult result = parsed(path);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("[ timing   ] %d matches parsed in %lld ms\n", kMatches,
                static_cast<long long>(elapsed.count()));

    ASSERT_EQ(kMatches, result.count());
    int misplaced = 0;
    for (int i = 0; i < kMatches; ++i) {
        const std::string n = std::to_string(i);
        misplaced += result.idAt(i) != "ID" + n || result.nameAt(i) != "Place " + n;
    }
    EXPECT_EQ(0, misplaced);
}
