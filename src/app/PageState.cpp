#include "app/PageState.h"

#include "app/SetupPage.h"

std::unique_ptr<SetupPage> currentPage;
int exitCode = 0;
bool placeResolved = false;
HWND mainWindow = nullptr;
