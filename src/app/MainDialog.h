#pragma once

#include <windows.h>

// Creates the setup page as a modeless dialog and shows it; false when it cannot be created.
bool createMainDialog(HINSTANCE instance, int showCommand);
// Runs the page's message loop until the page posts the quit message.
void runMessageLoop();
