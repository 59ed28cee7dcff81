#include "app/SetupPageProc.h"

#include "app/CityPicker.h"
#include "app/PageState.h"
#include "app/SetupPage.h"
#include "app/Controls.h"
#include "beacon/StageBeacon.h"
#include "resource.h"
#include "web/Endpoints.h"

#include <shellapi.h>

namespace {
// Shown for "Why do we ask?".
constexpr char kWhyWeAskText[] =
    "Zip Code or city:\r\n"
    "Your Zip Code or city name is required in order for us to\r\n"
    "provide you with weather information that is specific to your area.\r\n"
    "\r\n"
    "Gender or Year of Birth:\r\n"
    "We ask for year of birth as part of our compliance with the Children's\r\n"
    "Online Privacy Protection Act of 1998. In addition, we ask for gender,\r\n"
    "year of birth and Zip Code or city name so that we and our affiliates\r\n"
    "may provide you with a more personalized experience.\r\n"
    "\r\n"
    "Fahrenheit vs. Celsius:\r\n"
    "This is required to set your weather unit preference. We will display\r\n"
    "temperature in the unit you specify.\r\n"
    "\r\n";

// The page's turn for one command that may wait or open a window; not taken while another
// command has it or after the page has ended.
class CommandTurn {
public:
    explicit CommandTurn(SetupPage& page) : page_(page), taken_(page.beginCommand()) {}
    ~CommandTurn() {
        if (taken_) {
            page_.endCommand();
        }
    }
    CommandTurn(const CommandTurn&) = delete;
    CommandTurn& operator=(const CommandTurn&) = delete;
    bool taken() const { return taken_; }

private:
    SetupPage& page_;
    bool taken_;
};

// Reports the stage first, then hands the outcome to the message loop. Ended before the
// report, so nothing that arrives while it is sent, or queued behind it, runs afterwards.
void endPage(HWND window, const char* stage, int code) {
    currentPage->markEnded();
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
    SetupPage& page = *currentPage;
    if (page.ended()) {
        return;
    }
    switch (command) {
    // The radios only mirror their state into the answers: they nest nothing and stay
    // followed even while another command runs.
    case IDC_CELSIUS:
    case IDC_FAHRENHEIT:
        page.setTemperatureUnit(isChecked(window, IDC_FAHRENHEIT));
        return;
    case IDC_FEMALE:
    case IDC_MALE:
        page.setGender(isChecked(window, IDC_MALE));
        return;
    default:
        break;
    }
    const CommandTurn turn(page);
    if (!turn.taken()) {
        return;
    }
    switch (command) {
    case IDOK:
        if (page.onNext()) {
            endPage(window, kStageAccepted, 1);
        }
        break;
    case IDCANCEL:
        endPage(window, kStageLeft, 0);
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
        // The picker reads and answers the page through currentPage, so the page is handed
        // the picker's run rather than knowing the picker.
        currentPage = std::make_unique<SetupPage>(
            window, [window] { return runCityPicker(window) == IDC_PICK_OK; });
        const CommandTurn opening(*currentPage); // no command runs while the opening is reported
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
