#include "AnswerFixtures.h"

#include "platform/ModulePaths.h"

std::string answerFixture(const char* name) {
    return ModuleFolder() + "fixtures\\" + name;
}
