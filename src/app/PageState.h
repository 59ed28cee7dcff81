#pragma once

#include <windows.h>

#include <memory>

class SetupPage;

// Process-wide values of the page's single run.
extern std::unique_ptr<SetupPage> currentPage; // created with the dialog, lives to the end
extern int exitCode;                           // 1 after an accepted Next, else 0
extern bool placeResolved;                     // set once the place is resolved, never cleared
extern HWND mainWindow;                        // the page's window; null until created
