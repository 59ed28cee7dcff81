#pragma once

#include "platform/SystemLibraries.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <string>

// Full path of an answer file from tests/location/fixtures.
std::string answerFixture(const char* name);

class AnswerTest : public ::testing::Test {
protected:
    ComRuntime com;
    ScratchFolder scratch;

    // Writes an answer into the scratch folder and returns its path.
    std::string writeAnswer(const char* name, const std::string& content) {
        writeWholeFile(scratch.path() + name, content);
        return scratch.path() + name;
    }
};
