#include "app/SetupPage.h"

#include "resource.h"

namespace {
constexpr int kBandHeight = 58; // device pixels of the button-face band at the bottom
constexpr int kCenterLift = 13;
constexpr COLORREF kTitleText = RGB(214, 223, 245);
constexpr COLORREF kLinkText = RGB(0, 0, 255);
constexpr COLORREF kLabelText = RGB(255, 255, 255);

void drawRows(HDC dc, int from, int to, int width) {
    for (int y = from; y < to; ++y) {
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, width, y);
    }
}
} // namespace

int SetupPage::paintBackground(HDC dc) const {
    RECT client{};
    GetClientRect(dialog_, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int bandTop = height - kBandHeight > 0 ? height - kBandHeight : 0;
    {
        GdiObject<HPEN> bluePen(CreatePen(PS_SOLID, 1, kBannerBlue));
        const SelectedObject selected = selectObject(dc, bluePen.get());
        drawRows(dc, 0, bandTop, width);
    }
    GdiObject<HPEN> facePen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE)));
    const SelectedObject selected = selectObject(dc, facePen.get());
    drawRows(dc, bandTop, height + 1, width); // the last row included
    return 1;
}

HFONT SetupPage::fontFor(int controlId) const {
    switch (controlId) {
    case IDC_TITLE:
        return titleFont_.get();
    case IDC_WHY_LINK:
    case IDC_PRIVACY_LINK:
        return linkFont_.get();
    case IDC_BRANDING_MARK:
        return smallFont_.get();
    default:
        return labelFont_.get();
    }
}

HBRUSH SetupPage::staticColors(int controlId, HDC dc) const {
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, fontFor(controlId));
    switch (controlId) {
    case IDC_TITLE:
        SetTextColor(dc, kTitleText);
        return bannerBrush_.get();
    case IDC_WHY_LINK:
    case IDC_PRIVACY_LINK:
        SetTextColor(dc, kLinkText);
        return bannerBrush_.get();
    case IDC_BRANDING_MARK:
    case IDC_BRANDING:
        return faceBrush_;
    default:
        SetTextColor(dc, kLabelText);
        return bannerBrush_.get();
    }
}

BOOL CALLBACK SetupPage::applyTextFont(HWND control, LPARAM page) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool text = lstrcmpiA(className, "Static") == 0;
    const bool radio =
        lstrcmpiA(className, "Button") == 0 && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    if (text || radio) {
        const auto* self = reinterpret_cast<const SetupPage*>(page);
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(self->fontFor(GetDlgCtrlID(control))), FALSE);
    }
    return TRUE;
}

void SetupPage::applyTextFonts() const {
    // Some static controls select their own font after asking for colours, which
    // would lose the one chosen above: give each text and radio its font up front too.
    EnumChildWindows(dialog_, applyTextFont, reinterpret_cast<LPARAM>(this));
}

void SetupPage::centerOnWorkArea() const {
    RECT window{};
    RECT workArea{};
    GetWindowRect(dialog_, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    // Width and height only: the work area's own origin is not added.
    const int x = (workArea.right - workArea.left) / 2 - (window.right - window.left) / 2;
    const int y =
        (workArea.bottom - workArea.top) / 2 - (window.bottom - window.top) / 2 - kCenterLift;
    SetWindowPos(dialog_, nullptr, x, y, 0, 0, SWP_NOSIZE);
}
