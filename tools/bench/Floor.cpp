// The floor the page is measured against: the page's own template and icon, shown by the
// same kind of entry and message loop, doing nothing else. Next and Back end it as they end
// the page (hidden, quit message), so a click's cost to exit can be compared.
// Built with NIMBELLE_FLOOR_STAGE it also does the one thing the page must do before it
// shows besides being built: start the component runtime and report the opening stage.
#include "resource.h"

#ifdef NIMBELLE_FLOOR_STAGE
#include "beacon/StageBeacon.h"
#include "platform/SystemLibraries.h"
#endif

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {
// Reads the caption through the standard library, so the floor carries the same static
// runtime (strings, vectors, exceptions) that every C++ program of this toolchain carries.
std::string captionOf(HWND window) {
    std::vector<char> buffer(static_cast<size_t>(GetWindowTextLengthA(window)) + 1);
    GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    std::string caption(buffer.data());
    if (caption.empty()) {
        throw std::runtime_error("the template has no caption");
    }
    return caption;
}

void endFloor(HWND window, int code) {
    EndDialog(window, code);
    PostQuitMessage(code);
}

INT_PTR CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
#ifdef NIMBELLE_FLOOR_STAGE
        SendStage(kStageOpened, "");
#endif
        try {
            captionOf(window);
        } catch (const std::exception&) {
            endFloor(window, 2);
        }
        return 0;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        endFloor(window, LOWORD(wParam) == IDOK ? 1 : 0);
    }
    return 0;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
#ifdef NIMBELLE_FLOOR_STAGE
    ComRuntime com;
#endif
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    HWND floorWindow =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETUP_PAGE), nullptr, floorProc, 0);
    if (floorWindow == nullptr) {
        return 0;
    }
    SendMessageA(floorWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(floorWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    ShowWindow(floorWindow, showCommand);
    UpdateWindow(floorWindow);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsWindow(floorWindow) && IsDialogMessageA(floorWindow, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
