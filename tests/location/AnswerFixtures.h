#pragma once

#include "platform/ComRuntime.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <string>

// Full path of an answer file from tests/location/fixtures.
std::string AnswerFixture(const char* name);

class AnswerTest : public ::testing::Test {
protected:
    ComRuntime com;
    ScratchFolder scratch;

    // Writes an answer into the scratch folder and returns its path.
    std::string WriteAnswer(const char* name, const std::string& content) {
        WriteWholeFile(scratch.path() + name, content);
        return scratch.path() + name;
    }
};
