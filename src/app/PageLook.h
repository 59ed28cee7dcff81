#pragma once

#include "platform/GdiObjects.h"

#include <windows.h>

// The page's own look on top of the standard dialog: a blue panel over a button-face band,
// white, pale and link-blue texts in their fonts, and the window's place on the screen.
// Owns the fonts and the panel brush for the life of the page.
class PageLook {
public:
    explicit PageLook(HWND page);

    int paintBackground(HDC dc) const;
    HBRUSH staticColors(int controlId, HDC dc) const;
    void centerOnWorkArea() const;
    // Gives every text and radio of the page its font.
    void applyTextFonts() const;

private:
    HFONT fontFor(int controlId) const;
    static BOOL CALLBACK applyTextFont(HWND control, LPARAM look);

    HWND page_;
    GdiObject<HFONT> linkFont_;
    GdiObject<HFONT> labelFont_;
    GdiObject<HFONT> smallFont_;
    GdiObject<HFONT> titleFont_;
    GdiObject<HBRUSH> bannerBrush_;
    HBRUSH faceBrush_; // the system's own brush: never deleted
};
