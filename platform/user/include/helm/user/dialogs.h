// Dialogs: templates, the dialog manager and keyboard navigation between
// controls (IsDialogMessage).
#pragma once

#include "helm/user/winuser.h"

// Command ids of the standard buttons.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9

// WM_GETDLGCODE answers.
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

// Dialog messages.
#define WM_NEXTDLGCTL 0x0028
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B

// Dialog styles.
#define DS_ABSALIGN 0x01L
#define DS_SYSMODAL 0x02L
#define DS_LOCALEDIT 0x20L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_NOIDLEMSG 0x100L
#define DS_SETFOREGROUND 0x200L
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_NOFAILCREATE 0x0010L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_CENTERMOUSE 0x1000L
#define DS_CONTEXTHELP 0x2000L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

#define DWL_MSGRESULT 0
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16
#define DLGWINDOWEXTRA 48

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// The in-memory template forms of Windows (the resource compiler writes the
// extended form). Both are WORD-aligned byte streams; the structures only
// describe their fixed heads.
#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
};
struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
};
#pragma pack(pop)
typedef const DLGTEMPLATE* LPCDLGTEMPLATE;
typedef LPCDLGTEMPLATE LPCDLGTEMPLATEA;

// The class of dialog windows: "#32770", atom 0x8002.
#define WC_DIALOG ((LPCSTR)((ULONG_PTR)((WORD)0x8002)))

// Messages the dialog manager sends or answers.
#define WM_CTLCOLORDLG 0x0136
#define WM_ENTERIDLE 0x0121
#define WM_CHANGEUISTATE 0x0127
#define WM_UPDATEUISTATE 0x0128
#define WM_QUERYUISTATE 0x0129

// GetAncestor.
#define GA_PARENT 1
#define GA_ROOT 2
#define GA_ROOTOWNER 3

// Modeless and modal dialogs from templates: the resource forms look the
// template up with FindResource(instance, name, RT_DIALOG).
HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param);
HWND CreateDialogIndirectParam(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate, HWND parent, DLGPROC proc,
                               LPARAM param);
#define CreateDialog(i, n, p, f) CreateDialogParam(i, n, p, f, 0)
#define CreateDialogIndirect(i, t, p, f) CreateDialogIndirectParam(i, t, p, f, 0)
// A nested message loop that disables the owner and runs until EndDialog;
// the result EndDialog gave, -1 when the dialog could not be made.
INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxIndirectParam(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate, HWND parent, DLGPROC proc,
                               LPARAM param);
#define DialogBox(i, n, p, f) DialogBoxParam(i, n, p, f, 0)
#define DialogBoxIndirect(i, t, p, f) DialogBoxIndirectParam(i, t, p, f, 0)
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Keyboard navigation: feed every message of the loop through it.
BOOL IsDialogMessage(HWND dialog, LPMSG msg);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);

// Dialog items.
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);

// Dialog units.
BOOL MapDialogRect(HWND dialog, LPRECT rect);
LONG GetDialogBaseUnits();

HWND GetAncestor(HWND window, UINT flags);

#define CreateDialogParamA CreateDialogParam
#define CreateDialogIndirectParamA CreateDialogIndirectParam
#define DialogBoxParamA DialogBoxParam
#define DialogBoxIndirectParamA DialogBoxIndirectParam
#define DefDlgProcA DefDlgProc
#define IsDialogMessageA IsDialogMessage
#define SendDlgItemMessageA SendDlgItemMessage
#define SetDlgItemTextA SetDlgItemText
#define GetDlgItemTextA GetDlgItemText

namespace helm::user {

// The average character width (cx) and the height (cy) in pixels of a font,
// from which dialog units are worked out: one horizontal unit is cx / 4, one
// vertical unit cy / 8. The one place the dialog manager learns a font's
// size (the drawing layer measures it; 6 x 13 for the 8-point dialog font at
// 96 DPI). A null face is the system font (8 x 16).
SIZE dialog_base_units(const char* face, int points);

// True for a window the dialog manager runs (made from a template, or a
// window whose procedure hands its messages to DefDlgProc).
bool is_dialog(HWND window);

// Template items whose class is a class id ("{...}") are controls of the
// component layer above this one, which installs their host here. `create`
// makes the item's window (null when it cannot: the dialog then opens
// without the item); `dialog_destroyed` comes once a dialog's windows are
// all gone, to let go of what `create` made for it. Without a host such
// items are left out as well.
struct ClassIdItemHost {
    HWND (*create)(HWND dialog, const char* class_id, const RECT& rect, UINT id, DWORD style, DWORD ex_style);
    void (*dialog_destroyed)(HWND dialog);
};
void set_class_id_item_host(const ClassIdItemHost* host);

// The font for a face and point size, the same handle for the same pair for
// the life of the process.
HFONT dialog_font(const char* face, int points);
// What dialog_font was given for `font`; false for a handle it did not make.
bool dialog_font_description(HFONT font, char* face, size_t face_size, int* points);

}  // namespace helm::user

// Operator input (mouse, keyboard, capture, key state).
#include "helm/user/input.h"
