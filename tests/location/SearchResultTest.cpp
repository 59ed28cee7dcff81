#include "location/LocationSearchResult.h"

#include <gtest/gtest.h>

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
