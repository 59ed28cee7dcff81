#pragma once

#include "location/SetupProfile.h"
#include "platform/GdiObjects.h"
#include "settings/ProfileCommit.h"

#include <windows.h>

#include <string>
#include <vector>

// The controller behind the setup page: the answers so far, the Next sequence and the
// page's own look. Its members are defined in three files, one per job.
class SetupPage {
public:
    // SetupPage.cpp: the answers and Next.
    explicit SetupPage(HWND dialog);
    bool onNext();
    bool checkYearOfBirth();
    void setGender(bool male);
    void setTemperatureUnit(bool fahrenheit);

    // One command at a time and none after the end. Next, Back and the links wait for the
    // network or open a box or the picker; a second one arriving meanwhile (dispatched by a
    // box's or the picker's loop, or sent while the page waits) is dropped, not nested.
    bool beginCommand();
    void endCommand() { busy_ = false; }
    // Set once the accepting or leaving stage is on its way: nothing is handled afterwards.
    void markEnded() { ended_ = true; }
    bool ended() const { return ended_; }

    // LocationFlow.cpp: the place, searched, picked and detailed.
    bool resolveLocation();
    bool fetchPlaceDetails();
    void setChosenPlace(std::string name) { chosenPlace_ = std::move(name); }
    std::vector<std::string> copyChoices() const { return choices_; }

    // PagePainting.cpp: the page's look.
    int paintBackground(HDC dc) const;
    HBRUSH staticColors(int controlId, HDC dc) const;
    void centerOnWorkArea() const;

private:
    void fillYearList() const;
    // Tells the user the answers did not reach apps.ini; the page stays for another try.
    void reportUnsaved(const CommitOutcome& outcome) const;
    // Tells the user something about the place field, then puts the caret back in it.
    bool rejectPlace(const char* message) const;
    // Where the answer files go, in the order tried, on every Next.
    std::vector<std::string> workFolders() const;
    HFONT fontFor(int controlId) const;
    void applyTextFonts() const;
    static BOOL CALLBACK applyTextFont(HWND control, LPARAM page);

    HWND dialog_;
    GdiObject<HFONT> linkFont_;
    GdiObject<HFONT> titleFont_;
    GdiObject<HFONT> smallFont_;
    GdiObject<HFONT> labelFont_;
    GdiObject<HBRUSH> bannerBrush_;
    HBRUSH faceBrush_; // the system's own brush: never deleted
    std::string workFolder_;
    std::string spareFolder_; // the program's own under the user's temporary folder
    std::vector<std::string> choices_;
    SetupProfile profile_;
    std::string chosenPlace_;
    bool busy_ = false;
    bool ended_ = false;
};

// Caption of the page's messages about the place and the saved answers.
constexpr char kMessageCaption[] = "Desktop Setup";

// The page's panel colour, for its pen and its brush.
constexpr COLORREF kBannerBlue = RGB(111, 139, 222);
