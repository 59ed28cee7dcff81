; The setup page as one step of an NSIS wizard (Modern UI 2 or plain pages).
;
;   !define NIMBELLE_PAGE_EXE "path/to/NimbelleSetup.exe"   ; the page to embed
;   !include "SetupPage.nsh"
;   Page custom NimbelleSetupPage                            ; where the page belongs
;
; The page runs as its own window while the installer's window is hidden. Its exit code
; decides the direction: 1 (Next) goes on to the next page, 0 (Back, Escape, close box)
; returns to the page before. A page that cannot be started, or that ends any other way,
; is reported in a message and the wizard goes back as well. A silent install never
; reaches this page, so the page (a window) is not run; NimbelleSetupPageOutcome stays
; empty and the install section reports the skip.

!include LogicLib.nsh

Var NimbelleSetupPageOutcome

; Sent to the installer's window from a custom page's function: the page count to move by.
!define /ifndef NIMBELLE_WM_OUTER_NEXT 0x408

Function NimbelleSetupPage
  Push $0
  StrCpy $NimbelleSetupPageOutcome ""
  ; Hidden first: while the page runs it is the only window of the wizard, and a message
  ; about a page that could not run stands alone as well.
  HideWindow
  ClearErrors
  InitPluginsDir
  File "/oname=$PLUGINSDIR\NimbelleSetup.exe" "${NIMBELLE_PAGE_EXE}"
  ${If} ${Errors}
    StrCpy $0 "could not be unpacked"
    Goto failed
  ${EndIf}
  ExecWait '"$PLUGINSDIR\NimbelleSetup.exe"' $0
  ${If} ${Errors}
    StrCpy $0 "could not be started"
    Goto failed
  ${EndIf}

  ${If} $0 = 1
    StrCpy $NimbelleSetupPageOutcome "completed"
    BringToFront
    Pop $0
    Return ; on to the next page
  ${EndIf}
  ${If} $0 = 0
    Goto back
  ${EndIf}
  StrCpy $0 "ended unexpectedly (exit code $0)"

failed:
  MessageBox MB_OK|MB_ICONSTOP "The Nimbelle setup page $0.$\r$\n$\r$\nSetup returns to the previous page; you can try again or cancel."
back:
  BringToFront
  ; Going back from inside a custom page: the direction is changed before the function
  ; returns, so the wizard moves to the page before instead of the next one.
  SendMessage $HWNDPARENT ${NIMBELLE_WM_OUTER_NEXT} -1 0
  Pop $0
FunctionEnd
