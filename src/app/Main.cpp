#include "app/MainDialog.h"
#include "app/PageState.h"
#include "platform/ComRuntime.h"
#include "platform/SystemLibrary.h"

#include <windows.h>

// Tells the installer the outcome: 1 after an accepted Next, 0 otherwise.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Installers run from download folders: no library there may be loaded in our name.
    restrictLibrarySearch();
    ComRuntime com;
    exitCode = 0;
    if (!createMainDialog(instance, showCommand)) {
        return 0;
    }
    runMessageLoop();
    return exitCode;
}
