#pragma once

#include <windows.h>

// Loads a library from the system folder only: a file of the same name beside the program
// (in a download folder, say) is never taken. Null when it cannot be loaded.
HMODULE loadSystemLibrary(const wchar_t* name);

// The address of an exported function as its own type; null when missing or without module.
template <class Function> Function systemFunction(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Restricts every later library load of the process to the system folder. Called first
// thing, before anything loads a library by name.
void restrictLibrarySearch();
