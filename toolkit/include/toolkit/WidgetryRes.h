// Resource ids of the toolkit's own resources (Widgetry.rc): its dialogs,
// their controls, icons, bitmaps and strings.
#pragma once

// Dialogs.
#define IDD_WIDGETRY_ABOUT 10000
#define IDD_WIDGETRY_SHORTCUTS 269

// Controls of the About box; each static's text is the string of its id.
#define IDC_ABOUT_LOGO 10002
#define IDC_ABOUT_NAME_LABEL 10003
#define IDC_ABOUT_VERSION_LABEL 10004
#define IDC_ABOUT_COPYRIGHT_LABEL 10005
#define IDC_ABOUT_WEB_LABEL 10006
#define IDC_ABOUT_NAME 10007
#define IDC_ABOUT_VERSION 10008
#define IDC_ABOUT_COPYRIGHT 10009
#define IDC_ABOUT_WEB 10010

// The Shortcuts dialog's list.
#define IDC_SHORTCUTS_LIST 1310

// Icons (F_Q_LoadIcon kinds 0 to 5).
#define IDI_WIDGETRY_PIN 5001
#define IDI_WIDGETRY_PINNED 5002
#define IDI_WIDGETRY_MINIMISE 5003
#define IDI_WIDGETRY_COMPASS 10006
#define IDI_WIDGETRY_INFO 10005
#define IDI_WIDGETRY_KEYBOARD 270

// Bitmaps (F_Q_LoadBitmap kinds 0 to 2).
#define IDB_WIDGETRY_LOGO_SMALL 6000
#define IDB_WIDGETRY_LOGO_LARGE 6001
#define IDB_WIDGETRY_BANNER 6003

// Strings.
#define IDS_ABOUT_TITLE 10000
#define IDS_SHORTCUTS_TITLE 269
#define IDS_SHORTCUTS_KEY 10100
#define IDS_SHORTCUTS_DESCRIPTION 10101
