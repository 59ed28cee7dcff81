#pragma once

// Templates and icon of the setup page.
#define IDD_CITY_PICKER 101
#define IDD_SETUP_PAGE 102
#define IDI_PROGRAM 103

// Controls of the setup page.
#define IDC_PLACE 1000
#define IDC_CELSIUS 1001
#define IDC_FAHRENHEIT 1002
#define IDC_FEMALE 1003
#define IDC_MALE 1004
#define IDC_YEAR 1005
#define IDC_TITLE 1006
#define IDC_WHY_LINK 1007
#define IDC_PRIVACY_LINK 1008
#define IDC_BRANDING_MARK 1020
#define IDC_BRANDING 1021

// Controls of the city picker.
#define IDC_PICK_OK 1009
#define IDC_PICK_LIST 1010
