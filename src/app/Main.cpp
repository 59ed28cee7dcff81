#include "app/MainDialog.h"
#include "app/PageState.h"
#include "platform/SystemLibraries.h"

#include <windows.h>

#include <cstdlib>

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

// Linked straight into each program, this definition stands in for the static runtime's
// own one, which describes the uncaught exception on the error stream: a window program
// has no stream to show it on, and that description drags the runtime's whole name
// demangler (about 46 KB) into the program. The end is the same: the process aborts.

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
