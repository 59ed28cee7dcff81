#pragma once

#include <windows.h>

// Private message the picker sends itself to store the pick before it closes.
constexpr UINT StoreSelectionMessage = 320;

INT_PTR CALLBACK CityPickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the picker modally over the page; IDC_PICK_OK after OK, anything else is a cancel.
INT_PTR runCityPicker(HWND page);
