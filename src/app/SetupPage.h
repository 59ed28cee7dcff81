#pragma once

#include "app/GdiObject.h"
#include "location/SetupProfile.h"
#include "settings/ProfileCommit.h"

#include <windows.h>

#include <string>
#include <vector>

// The controller behind the setup page: the answers so far, the Next sequence and the
// page's own look.
class SetupPage {
public:
    explicit SetupPage(HWND dialog);

    bool onNext();
    bool resolveLocation();
    bool fetchPlaceDetails();
    bool checkYearOfBirth();
    void setGender(bool male);
    void setTemperatureUnit(bool fahrenheit);
    void setChosenPlace(std::string name) { chosenPlace_ = std::move(name); }
    std::vector<std::string> copyChoices() const { return choices_; }

    int paintBackground(HDC dc) const;
    HBRUSH staticColors(int controlId, HDC dc) const;
    void centerOnWorkArea() const;

    const SetupProfile& profile() const { return profile_; }
    const std::string& workFolder() const { return workFolder_; }

private:
    void fillYearList() const;
    HFONT fontFor(int controlId) const;
    void applyTextFonts() const;
    static BOOL CALLBACK applyTextFont(HWND control, LPARAM page);
    // Tells the user something about the place field, then puts the caret back in it.
    bool rejectPlace(const char* message) const;
    // Tells the user the answers did not reach apps.ini; the page stays for another try.
    void reportUnsaved(const CommitOutcome& outcome) const;

    HWND dialog_;
    GdiObject<HFONT> linkFont_;
    GdiObject<HFONT> titleFont_;
    GdiObject<HFONT> smallFont_;
    GdiObject<HFONT> labelFont_;
    GdiObject<HBRUSH> bannerBrush_;
    HBRUSH faceBrush_; // the system's own brush: never deleted
    std::string workFolder_;
    std::vector<std::string> choices_;
    SetupProfile profile_;
    std::string chosenPlace_;
};

// Caption of the page's messages about the place and the saved answers.
constexpr char kMessageCaption[] = "Desktop Setup";

// The page's panel colour, for its pen and its brush.
constexpr COLORREF kBannerBlue = RGB(111, 139, 222);

// Help text shown for "Why do we ask?".
extern const char kWhyWeAskText[];
