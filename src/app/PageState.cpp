#include "app/PageState.h"

int exitCode = 0;
bool placeResolved = false;
HWND mainWindow = nullptr;
