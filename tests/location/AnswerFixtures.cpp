#include "AnswerFixtures.h"

#include "platform/Paths.h"

std::string answerFixture(const char* name) {
    return ModuleFolder() + "fixtures\\" + name;
}
