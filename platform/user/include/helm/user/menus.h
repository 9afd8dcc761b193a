// Menus (menu bars, popup menus, the system menu), owner-drawn items,
// TrackPopupMenu, and accelerator tables.
#pragma once

#include "helm/user/winuser.h"

#ifndef ERROR_INVALID_MENU_HANDLE
#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_INVALID_ACCEL_HANDLE 1403L
#define ERROR_CHILD_WINDOW_MENU 1436L
#define ERROR_MENU_ITEM_NOT_FOUND 1456L
#endif

#define MF_INSERT 0x00000000L
#define MF_CHANGE 0x00000080L
#define MF_APPEND 0x00000100L
#define MF_DELETE 0x00000200L
#define MF_REMOVE 0x00001000L
#define MF_BYCOMMAND 0x00000000L
#define MF_BYPOSITION 0x00000400L
#define MF_SEPARATOR 0x00000800L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_UNCHECKED 0x00000000L
#define MF_CHECKED 0x00000008L
#define MF_USECHECKBITMAPS 0x00000200L
#define MF_STRING 0x00000000L
#define MF_BITMAP 0x00000004L
#define MF_OWNERDRAW 0x00000100L
#define MF_POPUP 0x00000010L
#define MF_MENUBARBREAK 0x00000020L
#define MF_MENUBREAK 0x00000040L
#define MF_UNHILITE 0x00000000L
#define MF_HILITE 0x00000080L
#define MF_DEFAULT 0x00001000L
#define MF_SYSMENU 0x00002000L
#define MF_HELP 0x00004000L
#define MF_RIGHTJUSTIFY 0x00004000L
#define MF_MOUSESELECT 0x00008000L
#define MF_END 0x00000080L

#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_CENTERALIGN 0x0004L
#define TPM_RIGHTALIGN 0x0008L
#define TPM_TOPALIGN 0x0000L
#define TPM_VCENTERALIGN 0x0010L
#define TPM_BOTTOMALIGN 0x0020L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L

// System menu commands (the low four bits are the system's own).
#define SC_SIZE 0xF000
#define SC_MOVE 0xF010
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_NEXTWINDOW 0xF040
#define SC_PREVWINDOW 0xF050
#define SC_CLOSE 0xF060
#define SC_MOUSEMENU 0xF090
#define SC_KEYMENU 0xF100
#define SC_RESTORE 0xF120

#ifndef WM_CONTEXTMENU
#define WM_CONTEXTMENU 0x007B
#endif
#define WM_INITMENU 0x0116
#define WM_INITMENUPOPUP 0x0117
#define WM_MENUSELECT 0x011F
#define WM_MENUCHAR 0x0120
#define WM_UNINITMENUPOPUP 0x0125
#define WM_ENTERMENULOOP 0x0211
#define WM_EXITMENULOOP 0x0212

// Owner-drawn items.
#ifndef ODT_MENU
#define ODT_MENU 1
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_GRAYED 0x0002
#define ODS_DISABLED 0x0004
#define ODS_CHECKED 0x0008
#define ODS_FOCUS 0x0010
struct MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    ULONG_PTR itemData;
};
typedef MEASUREITEMSTRUCT* LPMEASUREITEMSTRUCT;
struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;
#endif

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and the popups it holds.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// For MF_POPUP the id is the popup's handle; for MF_OWNERDRAW the item
// pointer is the item's data, handed back in WM_MEASUREITEM/WM_DRAWITEM.
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCSTR item);
// Before the item at a position (MF_BYPOSITION, -1 appends) or with a
// command id (MF_BYCOMMAND, looked for in the popups too).
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR item);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR item);
// Removing keeps a popup the item held; deleting destroys it.
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
// The previous check or enable state, -1 when there is no such item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
int GetMenuItemCount(HMENU menu);
// -1 for a popup item or a position past the end.
UINT GetMenuItemID(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
// The text's length; with a buffer, the text cut to it.
int GetMenuString(HMENU menu, UINT item, LPSTR text, int size, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);
// The window's copy of the system menu (made on first request: Restore,
// Move, Size, Minimize, Maximize, a separator, Close); revert TRUE puts the
// standard one back and returns null.
HMENU GetSystemMenu(HWND window, BOOL revert);
// The menu bar of a window: the frame makes room for it under the caption
// (SM_CYMENU), as AdjustWindowRect with its menu flag counts it.
BOOL SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
BOOL DrawMenuBar(HWND window);
// From an RT_MENU resource (the form the resource compiler writes), or
// from that form in memory; null for damaged data.
HMENU LoadMenu(HINSTANCE instance, LPCSTR name);
HMENU LoadMenuIndirect(const void* menuTemplate);
#define LoadMenuA LoadMenu
#define LoadMenuIndirectA LoadMenuIndirect

// The screen rectangle of an item of the window's menu bar, or of a popup
// on the screen (the window may be null then).
BOOL GetMenuItemRect(HWND window, HMENU menu, UINT item, LPRECT rect);

// Shows the popup at the screen point and runs its loop until the operator
// picks an item (a click, or Enter on the highlighted one) or gives up
// (Escape, a click outside). The owner gets WM_ENTERMENULOOP,
// WM_INITMENUPOPUP, WM_MEASUREITEM for owner-drawn items, WM_MENUSELECT,
// WM_DRAWITEM, WM_UNINITMENUPOPUP, WM_EXITMENULOOP, then WM_COMMAND posted
// for the pick; with TPM_RETURNCMD nothing is posted and the command is
// returned (0 for none).
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* exclude);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void* params);

#define AppendMenuA AppendMenu
#define InsertMenuA InsertMenu
#define ModifyMenuA ModifyMenu
#define GetMenuStringA GetMenuString

// Accelerator tables.
#define FVIRTKEY TRUE
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
typedef ACCEL* LPACCEL;

HACCEL CreateAcceleratorTable(LPACCEL entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// The number of entries; with a buffer, as many as fit.
int CopyAcceleratorTable(HACCEL table, LPACCEL entries, int count);
// From an RT_ACCELERATOR resource of the module.
HACCEL LoadAccelerators(HINSTANCE instance, LPCSTR name);
// A key message matching an entry becomes WM_COMMAND (high word 1) to the
// window (WM_SYSCOMMAND for a system menu command), sent at once; TRUE then.
int TranslateAccelerator(HWND window, HACCEL table, LPMSG msg);
#define CreateAcceleratorTableA CreateAcceleratorTable
#define CopyAcceleratorTableA CopyAcceleratorTable
#define LoadAcceleratorsA LoadAccelerators
#define TranslateAcceleratorA TranslateAccelerator

namespace helm::user {

// The window's system menu shown at its top-left corner, as a click on its
// icon shows it; the pick reaches the window as WM_SYSCOMMAND.
void open_system_menu(HWND window);

// A menu bar from the resource form in `size` bytes; null for damaged data.
HMENU menu_from_bytes(const unsigned char* bytes, size_t size);

}  // namespace helm::user
