#include "AnswerFixtures.h"

#include "web/ModulePaths.h"

#include <windows.h>
#include <objbase.h>

ComApartment::ComApartment() {
    CoInitialize(nullptr);
}

ComApartment::~ComApartment() {
    CoUninitialize();
}

std::string AnswerFixture(const char* name) {
    return ModuleFolder() + "fixtures\\" + name;
}
