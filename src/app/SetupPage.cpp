#include "app/SetupPage.h"

#include "app/PageState.h"
#include "app/PlaceFinding.h"
#include "app/Controls.h"
#include "platform/Paths.h"
#include "platform/SystemResult.h"
#include "resource.h"
#include "web/AnswerFiles.h"

namespace {
constexpr int kNewestYear = 1994;
constexpr int kOldestYear = 1902;
// Under the user's temporary folder, for when "temp\" beside the program cannot be written.
constexpr char kSpareFolderName[] = "Nimbelle\\";
// Caption of the page's messages about the place and the saved answers.
constexpr char kMessageCaption[] = "Desktop Setup";
constexpr char kSettingsBusyText[] =
    "Another program is saving these settings right now. Please try again in a moment.";
constexpr char kNotKeptText[] = "The settings file did not keep the answers as written.";
constexpr char kKeptChangingText[] =
    "Another program kept changing the settings file. Please try again in a moment.";
constexpr char kEmptyPlaceText[] = "Please enter a location.";
constexpr char kUnknownPlaceText[] = "We do not recognize that location. Please try again.";
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

// The answers go into "temp\" beside the program, or into the user's temporary folder
// when the program's folder has no name the ANSI file functions can open.
std::string workFolderOf(const std::optional<std::string>& programPath) {
    if (!programPath) {
        return TempFolder();
    }
    const size_t slash = programPath->find_last_of('\\');
    if (slash == std::string::npos) {
        return "temp\\";
    }
    return programPath->substr(0, slash + 1) + "temp\\";
}
// Why the answers were not saved, in the page's words where the system's words would say
// nothing a user could act on, or where the system gave no reason at all.
std::string unsavedReason(const CommitOutcome& outcome) {
    const std::string lockPath = commitLockName(outcome.fileName);
    const std::string lock = lockPath.substr(lockPath.find_last_of('\\') + 1);
    switch (outcome.problem) {
    case CommitProblem::LockBusy:
        return kSettingsBusyText;
    case CommitProblem::LockFolder:
        return "A folder named " + lock + " beside it is in the way. Please remove it.";
    case CommitProblem::LockFile:
        return "A file named " + lock + " beside it cannot be opened. Please remove it.";
    case CommitProblem::KeptChanging:
        return kKeptChangingText;
    case CommitProblem::NotKept:
    case CommitProblem::None:
        break;
    }
    const DWORD code = outcome.result.code();
    const std::string systemText = code != 0 ? systemErrorText(code) : std::string();
    if (!systemText.empty()) {
        return systemText;
    }
    return code != 0 ? "System error " + std::to_string(code) + "." : kNotKeptText;
}
} // namespace

std::unique_ptr<SetupPage> currentPage;

SetupPage::SetupPage(HWND dialog, CityPickerRun runPicker)
    : dialog_(dialog), linkFont_(verdana(13, true)), labelFont_(verdana(13, false)),
      smallFont_(verdana(12, false)), titleFont_(verdana(24, false)),
      bannerBrush_(CreateSolidBrush(kBannerBlue)), faceBrush_(GetSysColorBrush(COLOR_BTNFACE)),
      runPicker_(std::move(runPicker)), workFolder_(workFolderOf(ansiModulePath())),
      spareFolder_(TempFolder() + kSpareFolderName) {
    CheckDlgButton(dialog_, IDC_FEMALE, BST_CHECKED);
    CheckDlgButton(dialog_, IDC_FAHRENHEIT, BST_CHECKED);
    centerOnWorkArea();
    fillYearList();
    applyTextFonts();
}

void SetupPage::fillYearList() const {
    // Newest first, in the order added: the list does not sort.
    for (int year = kNewestYear; year >= kOldestYear; --year) {
        const std::string text = std::to_string(year);
        SendDlgItemMessageA(dialog_, IDC_YEAR, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(text.c_str()));
    }
}

std::vector<std::string> SetupPage::workFolders() const {
    return answerFolders(workFolder_, spareFolder_);
}

bool SetupPage::resolveLocation() {
    if (placeResolved) {
        return true;
    }
    // Searched exactly as typed: no trimming, no change of case.
    const std::string place = windowText(GetDlgItem(dialog_, IDC_PLACE));
    const auto pick = [this](const std::vector<std::string>& names) { return pickPlace(names); };
    switch (findPlace(place, workFolders(), pick, profile_)) {
    case PlaceOutcome::Resolved:
        fetchPlaceDetails(); // the place stands whatever became of its details
        placeResolved = true;
        return true;
    case PlaceOutcome::NothingTyped:
        return rejectPlace(kEmptyPlaceText);
    case PlaceOutcome::Unknown:
        return rejectPlace(kUnknownPlaceText);
    case PlaceOutcome::NotChosen:
        break;
    }
    return false;
}

bool SetupPage::fetchPlaceDetails() {
    return fetchDetails(workFolders(), profile_);
}

std::optional<std::string> SetupPage::pickPlace(const std::vector<std::string>& names) {
    choices_ = names;
    if (!runPicker_()) {
        return std::nullopt;
    }
    return chosenPlace_;
}

bool SetupPage::rejectPlace(const char* message) const {
    HWND placeField = GetDlgItem(dialog_, IDC_PLACE);
    MessageBoxA(placeField, message, kMessageCaption, MB_OK);
    SetFocus(placeField);
    return false;
}

bool SetupPage::beginCommand() {
    if (busy_ || ended_) {
        return false;
    }
    busy_ = true;
    return true;
}

bool SetupPage::onNext() {
    if (!resolveLocation()) {
        return false;
    }
    if (!checkYearOfBirth()) {
        return false;
    }
    const WaitCursor busy;
    const CommitOutcome outcome = commitProfile(profile_);
    if (!outcome.saved) {
        reportUnsaved(outcome);
        return false;
    }
    return true;
}

void SetupPage::reportUnsaved(const CommitOutcome& outcome) const {
    const std::string text = "Your answers could not be saved to " + outcome.fileName +
                             ".\r\n\r\n" + unsavedReason(outcome);
    MessageBoxA(dialog_, text.c_str(), kMessageCaption, MB_OK);
}

bool SetupPage::checkYearOfBirth() {
    char year[5] = {};
    const LRESULT selected = SendDlgItemMessageA(dialog_, IDC_YEAR, CB_GETCURSEL, 0, 0);
    const LRESULT length = SendDlgItemMessageA(dialog_, IDC_YEAR, CB_GETLBTEXTLEN, selected, 0);
    if (selected != CB_ERR && length != CB_ERR && length < static_cast<LRESULT>(sizeof year)) {
        SendDlgItemMessageA(dialog_, IDC_YEAR, CB_GETLBTEXT, selected,
                            reinterpret_cast<LPARAM>(year));
    }
    if (year[0] == '\0') {
        MessageBoxA(dialog_, "Please set your year of birth.", "Missing year of birth.", MB_OK);
        SetFocus(GetDlgItem(dialog_, IDC_YEAR));
        return false;
    }
    profile_.setYob(year);
    return true;
}

void SetupPage::setGender(bool male) {
    profile_.setGender(male ? "M" : "F");
}

void SetupPage::setTemperatureUnit(bool fahrenheit) {
    profile_.setTemperature(fahrenheit ? "F" : "C");
}

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

BOOL CALLBACK SetupPage::applyTextFont(HWND control, LPARAM look) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool text = lstrcmpiA(className, "Static") == 0;
    const bool radio =
        lstrcmpiA(className, "Button") == 0 && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    if (text || radio) {
        const auto* self = reinterpret_cast<const SetupPage*>(look);
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
