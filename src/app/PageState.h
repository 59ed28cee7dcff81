#pragma once

#include <windows.h>

// Process-wide values of the page's single run.
extern int exitCode;       // 1 after an accepted Next, else 0
extern bool placeResolved; // set once the place is resolved, never cleared
extern HWND mainWindow;    // the page's window; null until created
