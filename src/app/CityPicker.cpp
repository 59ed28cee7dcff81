#include "app/CityPicker.h"

#include "app/PageState.h"
#include "app/SetupPage.h"
#include "app/Controls.h"
#include "resource.h"

#include <string>

namespace {
void fillChoices(HWND picker) {
    for (const std::string& name : currentPage->copyChoices()) {
        SendDlgItemMessageA(picker, IDC_PICK_LIST, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendDlgItemMessageA(picker, IDC_PICK_LIST, CB_SETCURSEL, 0, 0);
}

void storeSelection(HWND picker) {
    HWND list = GetDlgItem(picker, IDC_PICK_LIST);
    // Whole, however long the display name is.
    const std::string name = windowText(list);
    currentPage->setChosenPlace(name);
}
} // namespace

INT_PTR CALLBACK CityPickerProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        fillChoices(window);
        // On the list, not on Cancel (the first tab stop): Enter there is OK. Answering 0
        // keeps the dialog manager from moving the focus again.
        SetFocus(GetDlgItem(window, IDC_PICK_LIST));
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_PICK_OK:
            // Stored before the dialog ends, so the page reads the pick when the run returns.
            SendMessageA(window, StoreSelectionMessage, 0, 0);
            EndDialog(window, IDC_PICK_OK);
            return 1;
        case IDCANCEL:
            EndDialog(window, IDCANCEL);
            return 1;
        default:
            return 0;
        }
    case StoreSelectionMessage:
        storeSelection(window);
        return 1;
    default:
        return 0;
    }
}

INT_PTR runCityPicker(HWND page) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(page, GWLP_HINSTANCE));
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CITY_PICKER), page, CityPickerProc, 0);
}
