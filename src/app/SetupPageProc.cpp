#include "app/SetupPageProc.h"

#include "app/HelpText.h"
#include "app/PageState.h"
#include "app/SetupPage.h"
#include "app/WaitCursor.h"
#include "beacon/StageBeacon.h"
#include "resource.h"
#include "web/Endpoints.h"

#include <shellapi.h>

namespace {
constexpr char kStageOpened[] = "17";
constexpr char kStageAccepted[] = "90";
constexpr char kStageLeft[] = "91";

// Reports the stage first, then hands the outcome to the message loop.
void endPage(HWND window, const char* stage, int code) {
    {
        const WaitCursor busy;
        SendStage(stage, "");
    }
    exitCode = code;
    EndDialog(window, code);
    PostQuitMessage(exitCode);
}

bool isChecked(HWND window, int id) {
    return IsDlgButtonChecked(window, id) == BST_CHECKED;
}

void onCommand(HWND window, int command) {
    switch (command) {
    case IDOK:
        if (currentPage->onNext()) {
            endPage(window, kStageAccepted, 1);
        }
        break;
    case IDCANCEL:
        endPage(window, kStageLeft, 0);
        break;
    case IDC_CELSIUS:
    case IDC_FAHRENHEIT:
        currentPage->setTemperatureUnit(isChecked(window, IDC_FAHRENHEIT));
        break;
    case IDC_FEMALE:
    case IDC_MALE:
        currentPage->setGender(isChecked(window, IDC_MALE));
        break;
    case IDC_WHY_LINK:
        MessageBoxA(window, kWhyWeAskText, "Why do we need this data?", MB_OK);
        break;
    case IDC_PRIVACY_LINK:
        ShellExecuteA(window, "open", kPrivacyUrl, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    default:
        break;
    }
}
} // namespace

INT_PTR CALLBACK SetupPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        currentPage = std::make_unique<SetupPage>(window);
        SendStage(kStageOpened, "");
        return 0;
    }
    if (!currentPage) {
        return 0; // nothing to paint or answer before the page exists
    }
    switch (message) {
    case WM_ERASEBKGND:
        return currentPage->paintBackground(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(currentPage->staticColors(
            GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), reinterpret_cast<HDC>(wParam)));
    case WM_COMMAND:
        onCommand(window, LOWORD(wParam));
        return 0;
    default:
        return 0;
    }
}
