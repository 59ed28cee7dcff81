#include "AnswerFixtures.h"

#include "platform/ModulePaths.h"

std::string AnswerFixture(const char* name) {
    return ModuleFolder() + "fixtures\\" + name;
}
