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

TEST_F(SearchAnswerTest, EachAnswerGivesItsRowsLists) {
    const struct {
        std::string path;
        Texts ids, types, names;
    } rows[] = {
        {answerFixture("search_one.xml"), {"FRXX0076"}, {"1"}, {"Paris, France"}},
        // Every child node is one aligned entry.
        {answerFixture("search_pretty.xml"),
         {"USTX1010", "", "", "USTN0380", "FRXX0076"},
         {"1", "", "1", "", "1"},
         {"Paris, TX", "", "Paris, KY", "Paris, TN", "Paris, France"}},
        // The low byte of each character, but never a NUL (\351 is 0xE9, \363 is 0xF3).
        {answerFixture("search_names.xml"),
         {"CAXX0301", "PLXX0028", "XX?1", "E1"},
         {"1", "1", "?", "1"},
         {"Montr\351al, QC", "A\363dz", "?? Town", "=?"}},
        // Error and empty answers replace the lists with empty ones.
        {answerFixture("search_error.xml"), {}, {}, {}},
        {answerFixture("search_empty.xml"), {}, {}, {}},
        // Unreadable answers leave the result as prepared.
        {scratch.path() + "absent.xml", {"stale"}, {"stale"}, {"stale"}},
        {answerFixture("search_malformed.xml"), {"stale"}, {"stale"}, {"stale"}},
    };
    for (const auto& row : rows) {
        LocationSearchResult result = preparedResult();
        result.setResults({"stale"}, {"stale"}, {"stale"});
        parseSearchAnswer(row.path, result);
        EXPECT_EQ(row.ids, idsOf(result)) << row.path;
        EXPECT_EQ(row.types, typesOf(result)) << row.path;
        EXPECT_EQ(row.names, result.names()) << row.path;
        EXPECT_EQ(LocationSearchResult::kInvalidIndex, result.typeAt(result.count())) << row.path;
        EXPECT_EQ("Paris", result.query()) << row.path;
    }
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

TEST(SearchResult, ListsAnswerEachForThemselves) {
    LocationSearchResult result;
    EXPECT_EQ(0, result.count());
    EXPECT_EQ("<invalid index>", result.nameAt(0));

    result.setResults({"1", "2"}, {"a", "b"}, {"One", "Two"});
    EXPECT_EQ(2, result.count());
    EXPECT_EQ("Two", result.nameAt(1));
    EXPECT_EQ("b", result.typeAt(1));
    EXPECT_EQ("2", result.idAt(1));
    EXPECT_EQ("<invalid index>", result.nameAt(2));
    EXPECT_EQ("<invalid index>", result.idAt(-1));

    result.setQuery("Paris");
    EXPECT_EQ(0, result.count());
    EXPECT_EQ("Paris", result.query());

    result.setResults({"1"}, {"a", "b"}, {"One", "Two", "Three"});
    EXPECT_EQ(1, result.count());
    EXPECT_EQ("Three", result.nameAt(2));
    EXPECT_EQ((LocationSearchResult::TextList{"One", "Two", "Three"}), result.names());

    result.clear();
    EXPECT_EQ("", result.query());
    EXPECT_EQ(0, result.count());
}
