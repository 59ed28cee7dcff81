#pragma once

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <string>

// The component runtime for the test's thread, as the program's entry sets it up.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// Full path of an answer file from tests/location/fixtures.
std::string AnswerFixture(const char* name);

class AnswerTest : public ::testing::Test {
protected:
    ComApartment apartment;
    ScratchFolder scratch;

    // Writes an answer into the scratch folder and returns its path.
    std::string WriteAnswer(const char* name, const std::string& content) {
        WriteWholeFile(scratch.path() + name, content);
        return scratch.path() + name;
    }
};
