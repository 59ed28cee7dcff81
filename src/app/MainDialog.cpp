#include "app/MainDialog.h"

#include "app/PageState.h"
#include "app/SetupPageProc.h"
#include "resource.h"

bool createMainDialog(HINSTANCE instance, int showCommand) {
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    // The page is built and its opening reported while the dialog is created, before it shows.
    mainWindow =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETUP_PAGE), nullptr, SetupPageProc, 0);
    SendMessageA(mainWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(mainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (mainWindow == nullptr) {
        return false;
    }
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return true;
}

void runMessageLoop() {
    MSG message;
    // GetMessage answers -1 on failure; treating that as "go on" would spin for ever.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Keyboard navigation, Enter and Escape belong to the dialog manager.
        if (mainWindow != nullptr && IsWindow(mainWindow) &&
            IsDialogMessageA(mainWindow, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
