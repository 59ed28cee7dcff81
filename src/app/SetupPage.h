#pragma once

#include "app/PageLook.h"
#include "location/SetupProfile.h"
#include "settings/ProfileCommit.h"

#include <windows.h>

#include <string>
#include <vector>

// The controller behind the setup page: the answers so far, the Next sequence, and the
// page's look, which it holds and forwards to. Its members are defined in two files.
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

    int paintBackground(HDC dc) const { return look_.paintBackground(dc); }
    HBRUSH staticColors(int controlId, HDC dc) const { return look_.staticColors(controlId, dc); }
    void centerOnWorkArea() const { look_.centerOnWorkArea(); }

private:
    void fillYearList() const;
    // Tells the user the answers did not reach apps.ini; the page stays for another try.
    void reportUnsaved(const CommitOutcome& outcome) const;
    // Tells the user something about the place field, then puts the caret back in it.
    bool rejectPlace(const char* message) const;
    // Where the answer files go, in the order tried, on every Next.
    std::vector<std::string> workFolders() const;

    HWND dialog_;
    PageLook look_;
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
