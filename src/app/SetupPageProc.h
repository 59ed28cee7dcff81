#pragma once

#include <windows.h>

INT_PTR CALLBACK SetupPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
