#include "app/PageLook.h"

#include "resource.h"

namespace {
constexpr COLORREF kBannerBlue = RGB(111, 139, 222); // the panel, for its pen and its brush
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

HFONT verdana(int height, bool underline) {
    return CreateFontA(height, 0, 0, 0, FW_DONTCARE, FALSE, underline ? TRUE : FALSE, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, "Verdana");
}
} // namespace

PageLook::PageLook(HWND page)
    : page_(page), linkFont_(verdana(13, true)), labelFont_(verdana(13, false)),
      smallFont_(verdana(12, false)), titleFont_(verdana(24, false)),
      bannerBrush_(CreateSolidBrush(kBannerBlue)), faceBrush_(GetSysColorBrush(COLOR_BTNFACE)) {}

int PageLook::paintBackground(HDC dc) const {
    RECT client{};
    GetClientRect(page_, &client);
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

HFONT PageLook::fontFor(int controlId) const {
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

HBRUSH PageLook::staticColors(int controlId, HDC dc) const {
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

BOOL CALLBACK PageLook::applyTextFont(HWND control, LPARAM look) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool text = lstrcmpiA(className, "Static") == 0;
    const bool radio =
        lstrcmpiA(className, "Button") == 0 && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    if (text || radio) {
        const auto* self = reinterpret_cast<const PageLook*>(look);
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(self->fontFor(GetDlgCtrlID(control))), FALSE);
    }
    return TRUE;
}

void PageLook::applyTextFonts() const {
    // Some static controls select their own font after asking for colours, which
    // would lose the one chosen above: give each text and radio its font up front too.
    EnumChildWindows(page_, applyTextFont, reinterpret_cast<LPARAM>(this));
}

void PageLook::centerOnWorkArea() const {
    RECT window{};
    RECT workArea{};
    GetWindowRect(page_, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    // Width and height only: the work area's own origin is not added.
    const int x = (workArea.right - workArea.left) / 2 - (window.right - window.left) / 2;
    const int y =
        (workArea.bottom - workArea.top) / 2 - (window.bottom - window.top) / 2 - kCenterLift;
    SetWindowPos(page_, nullptr, x, y, 0, 0, SWP_NOSIZE);
}
