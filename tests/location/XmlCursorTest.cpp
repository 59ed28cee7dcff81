#include "AnswerFixtures.h"

#include "location/AnswerDocument.h"

using XmlCursorTest = AnswerTest;

TEST_F(XmlCursorTest, ReadsElementsAttributesAndTheWalk) {
    const AnswerDocument document = openAnswerDocument(answerFixture("cursor.xml"));
    ASSERT_TRUE(document.hasRoot());
    const XmlCursor& root = document.root();
    EXPECT_EQ(L"cases", root.tagName());
    EXPECT_EQ(4, root.childCount()); // white space between elements is no node

    const XmlCursor attrs = root.findChild(L"attrs");
    EXPECT_EQ(L"ex", attrs.attribute(L"x"));
    EXPECT_EQ(L"", attrs.attribute(L"y"));
    EXPECT_EQ(L"", attrs.attribute(L"X"));

    const XmlCursor walk = root.findChild(L"walk");
    std::vector<std::wstring> seen;
    walk.forEachChild([&](const XmlCursor& child) {
        seen.push_back(child.tagName() + L"=" + child.text() + L"/" + child.attribute(L"x"));
        EXPECT_EQ(child.isElement() ? 1 : 0, child.childCount());
    });
    EXPECT_EQ((std::vector<std::wstring>{L"b=1/", L"=/", L"b=2/"}), seen);
    EXPECT_EQ(L"1", walk.findChild(L"b").text());
    EXPECT_EQ(0, walk.findChild(L"b").index());
    EXPECT_FALSE(walk.findChild(L"B").isElement());
    EXPECT_FALSE(walk.findChild(L"").isElement()); // the comment has no name to match

    const XmlCursor empty = root.findChild(L"empty");
    EXPECT_EQ(0, empty.childCount());
    EXPECT_EQ(empty.childCount(), empty.firstChild().index()); // at the end at once
    EXPECT_EQ(1, root.findChild(L"indented").childCount());
    EXPECT_EQ(L"alone", root.findChild(L"indented").findChild(L"only").text());
}

TEST_F(XmlCursorTest, TheEmptyCursorReadsNothingAndWalksNothing) {
    const XmlCursor nothing;
    EXPECT_EQ(-1, nothing.firstChild().index());
    int visits = 0;
    nothing.forEachChild([&](const XmlCursor&) { ++visits; });
    nothing.findChild(L"b").forEachChild([&](const XmlCursor&) { ++visits; });
    EXPECT_EQ(0, visits);
    EXPECT_EQ(L"", nothing.tagName() + nothing.attribute(L"x") + nothing.text());
}
