#pragma once

#include "location/SetupProfile.h"
#include "platform/Handles.h"
#include "settings/ProfileCommit.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Shows the city picker modally over the page, offering the page's choices; true once the
// user accepted a place, which the picker has stored through setChosenPlace by then.
using CityPickerRun = std::function<bool()>;

// The controller behind the setup page: the answers so far, the Next sequence, and the
// page's own look on top of the standard dialog (a blue panel over a button-face band; white,
// pale and link-blue texts in their fonts; the window's place on the screen), whose fonts and
// panel brush it owns.
class SetupPage {
public:
    SetupPage(HWND dialog, CityPickerRun runPicker);
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

    // The place, searched, picked and detailed, once per run.
    bool resolveLocation();
    bool fetchPlaceDetails();
    void setChosenPlace(std::string name) { chosenPlace_ = std::move(name); }
    std::vector<std::string> copyChoices() const { return choices_; }

    int paintBackground(HDC dc) const;
    HBRUSH staticColors(int controlId, HDC dc) const;
    void centerOnWorkArea() const;

private:
    // Gives every text and radio of the page its font.
    void applyTextFonts() const;
    HFONT fontFor(int controlId) const;
    static BOOL CALLBACK applyTextFont(HWND control, LPARAM page);
    void fillYearList() const;
    // Tells the user the answers did not reach apps.ini; the page stays for another try.
    void reportUnsaved(const CommitOutcome& outcome) const;
    // Tells the user something about the place field, then puts the caret back in it.
    bool rejectPlace(const char* message) const;
    // Offers names in the picker; the display name accepted, or nothing after a cancel.
    std::optional<std::string> pickPlace(const std::vector<std::string>& names);
    // Where the answer files go, in the order tried, on every Next.
    std::vector<std::string> workFolders() const;

    HWND dialog_;
    GdiObject<HFONT> linkFont_;
    GdiObject<HFONT> labelFont_;
    GdiObject<HFONT> smallFont_;
    GdiObject<HFONT> titleFont_;
    GdiObject<HBRUSH> bannerBrush_;
    HBRUSH faceBrush_; // the system's own brush: never deleted
    CityPickerRun runPicker_;
    std::string workFolder_;
    std::string spareFolder_; // the program's own under the user's temporary folder
    std::vector<std::string> choices_;
    SetupProfile profile_;
    std::string chosenPlace_;
    bool busy_ = false;
    bool ended_ = false;
};

// The page of this run, for the dialog procedures: created with the dialog, lives to the end.
extern std::unique_ptr<SetupPage> currentPage;
