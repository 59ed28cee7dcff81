#pragma once

#include <windows.h>

// The setup page's dialog procedure.
INT_PTR CALLBACK SetupPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
