#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/TestFolders.h"
#include "web/AnswerFiles.h"
#include "support/StubLog.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

namespace {
// The answer folders a page tries: "temp\" beside the program, then the user's own.
class AnswerFiles : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string beside = scratch.path() + "program\\temp\\";
    std::string own = scratch.path() + "own\\Nimbelle\\";
    WebClient client;
    std::string readFrom;

    bool fetch(const std::string& url) {
        return fetchAnswerFile(client, url, "loc.xml", {beside, own}, Deadline::after(10000),
                               [this](const std::string& path) {
                                   readFrom = path;
                                   return true;
                               });
    }
    std::string passedOver(const std::string& folder) const {
        return "Answer folder " + folder + " not used: ";
    }
};
} // namespace

TEST_F(AnswerFiles, SaysWhyEachFolderThatCouldNotHoldTheAnswerWasPassedOver) {
    CreateFolderTree(scratch.path() + "program\\");
    writeWholeFile(scratch.path() + "program\\temp", "a file where the folder belongs");
    CreateFolderTree(own + "loc.xml\\"); // a folder where the answer belongs
    const StubLog log;
    const DebugOutputCapture debug;
    EXPECT_FALSE(fetch(stubUrl("/short")));
    EXPECT_EQ("", readFrom);
    // Only the user's own folder got as far as a download.
    EXPECT_EQ(1u, log.requests().size());
    const std::string& text = debug.text();
    EXPECT_NE(std::string::npos, text.find(passedOver(beside))) << text;
    EXPECT_NE(std::string::npos, text.find(passedOver(own) + "the answer could not be written: "))
        << text;
    EXPECT_EQ(std::string::npos, text.find("the system gave no reason")) << text;
}

TEST_F(AnswerFiles, AnAnswerThatCouldNotBeWrittenIsFetchedAgainIntoTheNextFolder) {
    CreateFolderTree(beside + "loc.xml\\");
    const StubLog log;
    EXPECT_TRUE(fetch(stubUrl("/short")));
    EXPECT_EQ(own + "loc.xml", readFrom);
    EXPECT_EQ("<short/>", readWholeFile(readFrom));
    EXPECT_EQ(2u, log.requests().size());
}

TEST_F(AnswerFiles, ARequestThatGotNoAnswerIsNotMadeAgainInAnotherFolder) {
    // The client's status still holds this earlier request's 200.
    ASSERT_TRUE(client.FetchToMemory(stubUrl("/short").c_str()));
    EXPECT_FALSE(fetch("http://127.0.0.1:1/search/search/?where=X")); // nothing listens there
    EXPECT_EQ("", readFrom);
    EXPECT_FALSE(FolderExists(own)) << "the next folder was tried";
    EXPECT_EQ(200u, client.statusCode());
}

TEST_F(AnswerFiles, AFolderAnotherPageHoldsPastTheWaitIsLeftToIt) {
    CreateFolderTree(beside);
    {
        const FileLock otherPage(beside + "answers.lock", Deadline::after(0));
        ASSERT_TRUE(otherPage.held());
        const DebugOutputCapture debug;
        EXPECT_TRUE(fetch(stubUrl("/short")));
        EXPECT_EQ(own + "loc.xml", readFrom);
        EXPECT_NE(std::string::npos, debug.text().find(passedOver(beside) + "another page"))
            << debug.text();
    }
    // A folder where the lock belongs is no holder: given way to at once, and said so.
    CreateFolderTree(beside + "answers.lock\\");
    const DebugOutputCapture debug;
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(fetch(stubUrl("/short")));
    EXPECT_LT(GetTickCount64() - start, 3000u);
    EXPECT_EQ(own + "loc.xml", readFrom);
    EXPECT_NE(std::string::npos,
              debug.text().find(passedOver(beside) + "a folder of the lock's name is in the way"))
        << debug.text();
}

TEST(AnswerFolders, AProgramOnANetworkShareUsesTheUsersOwnFolderFirst) {
    const std::string own = "C:\\users\\me\\Temp\\Nimbelle\\";
    for (const std::string shared :
         {"\\\\fileserver\\setup\\temp\\", "\\\\?\\UNC\\fileserver\\setup\\temp\\"}) {
        EXPECT_EQ((std::vector<std::string>{own, shared}), answerFolders(shared, own)) << shared;
    }
    const std::string local = "C:\\Program Files\\Nimbelle\\temp\\";
    EXPECT_EQ((std::vector<std::string>{local, own}), answerFolders(local, own));
}
