// Image lists, the header control, the list view and the tree view: their
// styles, messages, notifications and structures (8-bit forms; the A names
// are the plain ones). Included by helm/user/commctrl.h, which holds what
// every common control shares (NMHDR, NMCUSTOMDRAW, the NM_ codes).
#pragma once

#include "helm/kernel/types.h"

// ---------------------------------------------------------------- image lists
// (HIMAGELIST itself is declared with what the controls share.)

#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLORDDB 0x00FE
#define ILC_COLOR4 0x0004
#define ILC_COLOR8 0x0008
#define ILC_COLOR16 0x0010
#define ILC_COLOR24 0x0018
#define ILC_COLOR32 0x0020

#define ILD_NORMAL 0x0000
#define ILD_TRANSPARENT 0x0001
#define ILD_MASK 0x0010
#define ILD_IMAGE 0x0020
#define ILD_BLEND25 0x0002
#define ILD_BLEND50 0x0004
#define ILD_FOCUS ILD_BLEND25
#define ILD_SELECTED ILD_BLEND50
#define ILD_BLEND ILD_BLEND50

#ifndef CLR_NONE
#define CLR_NONE 0xFFFFFFFFu
#endif
#ifndef CLR_DEFAULT
#define CLR_DEFAULT 0xFF000000u
#endif

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_SetImageCount(HIMAGELIST list, UINT count);
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
#define ImageList_AddIcon(list, icon) ImageList_ReplaceIcon(list, -1, icon)
BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask);
BOOL ImageList_Remove(HIMAGELIST list, int index);
#define ImageList_RemoveAll(list) ImageList_Remove(list, -1)
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
BOOL ImageList_SetIconSize(HIMAGELIST list, int cx, int cy);
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);

// ------------------------------------------------------------- header control

#define WC_HEADERA "SysHeader32"
#define WC_HEADER WC_HEADERA

#define HDS_HORZ 0x0000
#define HDS_BUTTONS 0x0002
#define HDS_HOTTRACK 0x0004
#define HDS_HIDDEN 0x0008
#define HDS_DRAGDROP 0x0040
#define HDS_FULLDRAG 0x0080

#define HDI_WIDTH 0x0001
#define HDI_HEIGHT HDI_WIDTH
#define HDI_TEXT 0x0002
#define HDI_FORMAT 0x0004
#define HDI_LPARAM 0x0008
#define HDI_BITMAP 0x0010
#define HDI_IMAGE 0x0020
#define HDI_DI_SETITEM 0x0040
#define HDI_ORDER 0x0080

#define HDF_LEFT 0x0000
#define HDF_RIGHT 0x0001
#define HDF_CENTER 0x0002
#define HDF_JUSTIFYMASK 0x0003
#define HDF_IMAGE 0x0800
#define HDF_BITMAP_ON_RIGHT 0x1000
#define HDF_BITMAP 0x2000
#define HDF_STRING 0x4000
#define HDF_OWNERDRAW 0x8000

#define HDM_FIRST 0x1200
#define HDM_GETITEMCOUNT (HDM_FIRST + 0)
#define HDM_INSERTITEMA (HDM_FIRST + 1)
#define HDM_INSERTITEM HDM_INSERTITEMA
#define HDM_DELETEITEM (HDM_FIRST + 2)
#define HDM_GETITEMA (HDM_FIRST + 3)
#define HDM_GETITEM HDM_GETITEMA
#define HDM_SETITEMA (HDM_FIRST + 4)
#define HDM_SETITEM HDM_SETITEMA
#define HDM_LAYOUT (HDM_FIRST + 5)
#define HDM_HITTEST (HDM_FIRST + 6)
#define HDM_GETITEMRECT (HDM_FIRST + 7)
#define HDM_SETIMAGELIST (HDM_FIRST + 8)
#define HDM_GETIMAGELIST (HDM_FIRST + 9)
#define HDM_ORDERTOINDEX (HDM_FIRST + 15)
#define HDM_GETORDERARRAY (HDM_FIRST + 17)
#define HDM_SETORDERARRAY (HDM_FIRST + 18)

#define HDN_FIRST (0U - 300U)
#define HDN_ITEMCHANGINGA (HDN_FIRST - 0)
#define HDN_ITEMCHANGING HDN_ITEMCHANGINGA
#define HDN_ITEMCHANGEDA (HDN_FIRST - 1)
#define HDN_ITEMCHANGED HDN_ITEMCHANGEDA
#define HDN_ITEMCLICKA (HDN_FIRST - 2)
#define HDN_ITEMCLICK HDN_ITEMCLICKA
#define HDN_ITEMDBLCLICKA (HDN_FIRST - 3)
#define HDN_ITEMDBLCLICK HDN_ITEMDBLCLICKA
#define HDN_DIVIDERDBLCLICKA (HDN_FIRST - 5)
#define HDN_DIVIDERDBLCLICK HDN_DIVIDERDBLCLICKA
#define HDN_BEGINTRACKA (HDN_FIRST - 6)
#define HDN_BEGINTRACK HDN_BEGINTRACKA
#define HDN_ENDTRACKA (HDN_FIRST - 7)
#define HDN_ENDTRACK HDN_ENDTRACKA
#define HDN_TRACKA (HDN_FIRST - 8)
#define HDN_TRACK HDN_TRACKA
#define HDN_BEGINDRAG (HDN_FIRST - 10)
#define HDN_ENDDRAG (HDN_FIRST - 11)

#define HHT_NOWHERE 0x0001
#define HHT_ONHEADER 0x0002
#define HHT_ONDIVIDER 0x0004
#define HHT_ONDIVOPEN 0x0008
#define HHT_ABOVE 0x0100
#define HHT_BELOW 0x0200
#define HHT_TORIGHT 0x0400
#define HHT_TOLEFT 0x0800

typedef struct _HD_ITEMA {
    UINT mask;
    int cxy;
    LPSTR pszText;
    HBITMAP hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
    int iImage;
    int iOrder;
} HDITEMA, *LPHDITEMA, HDITEM, *LPHDITEM, HD_ITEM;

typedef struct _HD_LAYOUT {
    RECT* prc;
    WINDOWPOS* pwpos;
} HDLAYOUT, *LPHDLAYOUT, HD_LAYOUT;

typedef struct _HD_HITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
} HDHITTESTINFO, *LPHDHITTESTINFO, HD_HITTESTINFO;

typedef struct tagNMHEADERA {
    NMHDR hdr;
    int iItem;
    int iButton;
    HDITEMA* pitem;
} NMHEADERA, *LPNMHEADERA, NMHEADER, *LPNMHEADER, HD_NOTIFY;

inline int Header_GetItemCount(HWND h) { return (int)SendMessage(h, HDM_GETITEMCOUNT, 0, 0); }
inline int Header_InsertItem(HWND h, int i, const HDITEM* item)
{
    return (int)SendMessage(h, HDM_INSERTITEM, (WPARAM)i, (LPARAM)item);
}
inline BOOL Header_DeleteItem(HWND h, int i) { return (BOOL)SendMessage(h, HDM_DELETEITEM, (WPARAM)i, 0); }
inline BOOL Header_GetItem(HWND h, int i, HDITEM* item)
{
    return (BOOL)SendMessage(h, HDM_GETITEM, (WPARAM)i, (LPARAM)item);
}
inline BOOL Header_SetItem(HWND h, int i, const HDITEM* item)
{
    return (BOOL)SendMessage(h, HDM_SETITEM, (WPARAM)i, (LPARAM)item);
}
inline BOOL Header_GetItemRect(HWND h, int i, RECT* rect)
{
    return (BOOL)SendMessage(h, HDM_GETITEMRECT, (WPARAM)i, (LPARAM)rect);
}
inline BOOL Header_Layout(HWND h, HDLAYOUT* layout) { return (BOOL)SendMessage(h, HDM_LAYOUT, 0, (LPARAM)layout); }

// ------------------------------------------------------------------ list view

#define WC_LISTVIEWA "SysListView32"
#define WC_LISTVIEW WC_LISTVIEWA

#define LVS_ICON 0x0000
#define LVS_REPORT 0x0001
#define LVS_SMALLICON 0x0002
#define LVS_LIST 0x0003
#define LVS_TYPEMASK 0x0003
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008
#define LVS_SORTASCENDING 0x0010
#define LVS_SORTDESCENDING 0x0020
#define LVS_SHAREIMAGELISTS 0x0040
#define LVS_NOLABELWRAP 0x0080
#define LVS_AUTOARRANGE 0x0100
#define LVS_EDITLABELS 0x0200
#define LVS_OWNERDRAWFIXED 0x0400
#define LVS_ALIGNLEFT 0x0800
#define LVS_OWNERDATA 0x1000
#define LVS_NOSCROLL 0x2000
#define LVS_NOCOLUMNHEADER 0x4000
#define LVS_NOSORTHEADER 0x8000
#define LVS_ALIGNTOP 0x0000

#define LVS_EX_GRIDLINES 0x00000001
#define LVS_EX_SUBITEMIMAGES 0x00000002
#define LVS_EX_CHECKBOXES 0x00000004
#define LVS_EX_TRACKSELECT 0x00000008
#define LVS_EX_HEADERDRAGDROP 0x00000010
#define LVS_EX_FULLROWSELECT 0x00000020
#define LVS_EX_ONECLICKACTIVATE 0x00000040
#define LVS_EX_TWOCLICKACTIVATE 0x00000080
#define LVS_EX_FLATSB 0x00000100
#define LVS_EX_REGIONAL 0x00000200
#define LVS_EX_INFOTIP 0x00000400
#define LVS_EX_UNDERLINEHOT 0x00000800
#define LVS_EX_UNDERLINECOLD 0x00001000
#define LVS_EX_MULTIWORKAREAS 0x00002000
#define LVS_EX_LABELTIP 0x00004000
#define LVS_EX_BORDERSELECT 0x00008000
#define LVS_EX_DOUBLEBUFFER 0x00010000

#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2

#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008
#define LVIF_INDENT 0x0010
#define LVIF_NORECOMPUTE 0x0800
#define LVIF_DI_SETITEM 0x1000

#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
#define LVIS_CUT 0x0004
#define LVIS_DROPHILITED 0x0008
#define LVIS_OVERLAYMASK 0x0F00
#define LVIS_STATEIMAGEMASK 0xF000

#define I_IMAGECALLBACK (-1)

#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002
#define LVNI_CUT 0x0004
#define LVNI_DROPHILITED 0x0008
#define LVNI_ABOVE 0x0100
#define LVNI_BELOW 0x0200
#define LVNI_TOLEFT 0x0400
#define LVNI_TORIGHT 0x0800

#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVIR_SELECTBOUNDS 3

#define LVHT_NOWHERE 0x0001
#define LVHT_ONITEMICON 0x0002
#define LVHT_ONITEMLABEL 0x0004
#define LVHT_ONITEMSTATEICON 0x0008
#define LVHT_ONITEM (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)
#define LVHT_ABOVE 0x0008
#define LVHT_BELOW 0x0010
#define LVHT_TORIGHT 0x0020
#define LVHT_TOLEFT 0x0040

#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008
#define LVCF_IMAGE 0x0010
#define LVCF_ORDER 0x0020

#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVCFMT_JUSTIFYMASK 0x0003
#define LVCFMT_IMAGE 0x0800
#define LVCFMT_BITMAP_ON_RIGHT 0x1000
#define LVCFMT_COL_HAS_IMAGES 0x8000

#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)

#define LVFI_PARAM 0x0001
#define LVFI_STRING 0x0002
#define LVFI_PARTIAL 0x0008
#define LVFI_WRAP 0x0020
#define LVFI_NEARESTXY 0x0040

#define LVM_FIRST 0x1000
#define LVM_GETBKCOLOR (LVM_FIRST + 0)
#define LVM_SETBKCOLOR (LVM_FIRST + 1)
#define LVM_GETIMAGELIST (LVM_FIRST + 2)
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_GETITEM LVM_GETITEMA
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_SETITEM LVM_SETITEMA
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_INSERTITEM LVM_INSERTITEMA
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETCALLBACKMASK (LVM_FIRST + 10)
#define LVM_SETCALLBACKMASK (LVM_FIRST + 11)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_FINDITEMA (LVM_FIRST + 13)
#define LVM_FINDITEM LVM_FINDITEMA
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_GETSTRINGWIDTHA (LVM_FIRST + 17)
#define LVM_GETSTRINGWIDTH LVM_GETSTRINGWIDTHA
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_SCROLL (LVM_FIRST + 20)
#define LVM_REDRAWITEMS (LVM_FIRST + 21)
#define LVM_ARRANGE (LVM_FIRST + 22)
#define LVM_EDITLABELA (LVM_FIRST + 23)
#define LVM_EDITLABEL LVM_EDITLABELA
#define LVM_GETEDITCONTROL (LVM_FIRST + 24)
#define LVM_GETCOLUMNA (LVM_FIRST + 25)
#define LVM_GETCOLUMN LVM_GETCOLUMNA
#define LVM_SETCOLUMNA (LVM_FIRST + 26)
#define LVM_SETCOLUMN LVM_SETCOLUMNA
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_INSERTCOLUMN LVM_INSERTCOLUMNA
#define LVM_DELETECOLUMN (LVM_FIRST + 28)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_GETHEADER (LVM_FIRST + 31)
#define LVM_GETVIEWRECT (LVM_FIRST + 34)
#define LVM_GETTEXTCOLOR (LVM_FIRST + 35)
#define LVM_SETTEXTCOLOR (LVM_FIRST + 36)
#define LVM_GETTEXTBKCOLOR (LVM_FIRST + 37)
#define LVM_SETTEXTBKCOLOR (LVM_FIRST + 38)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_GETCOUNTPERPAGE (LVM_FIRST + 40)
#define LVM_GETORIGIN (LVM_FIRST + 41)
#define LVM_UPDATE (LVM_FIRST + 42)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_GETITEMTEXT LVM_GETITEMTEXTA
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_SETITEMTEXT LVM_SETITEMTEXTA
#define LVM_SETITEMCOUNT (LVM_FIRST + 47)
#define LVM_SORTITEMS (LVM_FIRST + 48)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#define LVM_GETSUBITEMRECT (LVM_FIRST + 56)
#define LVM_SUBITEMHITTEST (LVM_FIRST + 57)
#define LVM_SETCOLUMNORDERARRAY (LVM_FIRST + 58)
#define LVM_GETCOLUMNORDERARRAY (LVM_FIRST + 59)
#define LVM_SETTOOLTIPS (LVM_FIRST + 74)
#define LVM_GETTOOLTIPS (LVM_FIRST + 78)

#define LVN_FIRST (0U - 100U)
#define LVN_ITEMCHANGING (LVN_FIRST - 0)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_INSERTITEM (LVN_FIRST - 2)
#define LVN_DELETEITEM (LVN_FIRST - 3)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4)
#define LVN_BEGINLABELEDITA (LVN_FIRST - 5)
#define LVN_BEGINLABELEDIT LVN_BEGINLABELEDITA
#define LVN_ENDLABELEDITA (LVN_FIRST - 6)
#define LVN_ENDLABELEDIT LVN_ENDLABELEDITA
#define LVN_COLUMNCLICK (LVN_FIRST - 8)
#define LVN_BEGINDRAG (LVN_FIRST - 9)
#define LVN_BEGINRDRAG (LVN_FIRST - 11)
#define LVN_ITEMACTIVATE (LVN_FIRST - 14)
#define LVN_HOTTRACK (LVN_FIRST - 21)
#define LVN_GETDISPINFOA (LVN_FIRST - 50)
#define LVN_GETDISPINFO LVN_GETDISPINFOA
#define LVN_SETDISPINFOA (LVN_FIRST - 51)
#define LVN_SETDISPINFO LVN_SETDISPINFOA
#define LVN_KEYDOWN (LVN_FIRST - 55)
#define LVN_GETINFOTIPA (LVN_FIRST - 57)
#define LVN_GETINFOTIP LVN_GETINFOTIPA

#define LVKF_ALT 0x0001
#define LVKF_CONTROL 0x0002
#define LVKF_SHIFT 0x0004

typedef struct tagLVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
} LVITEMA, *LPLVITEMA, LVITEM, *LPLVITEM, LV_ITEM;

typedef struct tagLVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
} LVCOLUMNA, *LPLVCOLUMNA, LVCOLUMN, *LPLVCOLUMN, LV_COLUMN;

typedef struct tagLVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
} LVHITTESTINFO, *LPLVHITTESTINFO, LV_HITTESTINFO;

typedef struct tagLVFINDINFOA {
    UINT flags;
    LPCSTR psz;
    LPARAM lParam;
    POINT pt;
    UINT vkDirection;
} LVFINDINFOA, *LPFINDINFOA, LVFINDINFO, LV_FINDINFO;

typedef struct tagNMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
} NMLISTVIEW, *LPNMLISTVIEW, NM_LISTVIEW;

typedef struct tagNMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
} NMITEMACTIVATE, *LPNMITEMACTIVATE;

typedef struct tagLVDISPINFOA {
    NMHDR hdr;
    LVITEMA item;
} NMLVDISPINFOA, NMLVDISPINFO, LV_DISPINFO;

typedef struct tagLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
} NMLVKEYDOWN, *LPNMLVKEYDOWN, LV_KEYDOWN;

typedef struct tagNMLVCUSTOMDRAW {
    NMCUSTOMDRAW nmcd;
    COLORREF clrText;
    COLORREF clrTextBk;
    int iSubItem;
} NMLVCUSTOMDRAW, *LPNMLVCUSTOMDRAW;

typedef int(CALLBACK* PFNLVCOMPARE)(LPARAM, LPARAM, LPARAM);

inline HWND ListView_GetHeader(HWND w) { return (HWND)SendMessage(w, LVM_GETHEADER, 0, 0); }
inline int ListView_GetItemCount(HWND w) { return (int)SendMessage(w, LVM_GETITEMCOUNT, 0, 0); }
inline int ListView_InsertItem(HWND w, const LVITEM* item) { return (int)SendMessage(w, LVM_INSERTITEM, 0, (LPARAM)item); }
inline BOOL ListView_DeleteItem(HWND w, int i) { return (BOOL)SendMessage(w, LVM_DELETEITEM, (WPARAM)i, 0); }
inline BOOL ListView_DeleteAllItems(HWND w) { return (BOOL)SendMessage(w, LVM_DELETEALLITEMS, 0, 0); }
inline int ListView_InsertColumn(HWND w, int i, const LVCOLUMN* column)
{
    return (int)SendMessage(w, LVM_INSERTCOLUMN, (WPARAM)i, (LPARAM)column);
}
inline BOOL ListView_SetColumnWidth(HWND w, int i, int cx)
{
    return (BOOL)SendMessage(w, LVM_SETCOLUMNWIDTH, (WPARAM)i, MAKELPARAM(cx, 0));
}
inline int ListView_GetColumnWidth(HWND w, int i) { return (int)SendMessage(w, LVM_GETCOLUMNWIDTH, (WPARAM)i, 0); }
inline int ListView_GetNextItem(HWND w, int i, UINT flags)
{
    return (int)SendMessage(w, LVM_GETNEXTITEM, (WPARAM)i, MAKELPARAM(flags, 0));
}
inline DWORD ListView_SetExtendedListViewStyle(HWND w, DWORD ex)
{
    return (DWORD)SendMessage(w, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)ex);
}
inline DWORD ListView_GetExtendedListViewStyle(HWND w)
{
    return (DWORD)SendMessage(w, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
}
inline BOOL ListView_SetItemState(HWND w, int i, UINT state, UINT mask)
{
    LVITEM item{};
    item.stateMask = mask;
    item.state = state;
    return (BOOL)SendMessage(w, LVM_SETITEMSTATE, (WPARAM)i, (LPARAM)&item);
}
inline UINT ListView_GetItemState(HWND w, int i, UINT mask) { return (UINT)SendMessage(w, LVM_GETITEMSTATE, (WPARAM)i, (LPARAM)mask); }
inline void ListView_SetItemText(HWND w, int i, int sub, LPSTR text)
{
    LVITEM item{};
    item.iSubItem = sub;
    item.pszText = text;
    SendMessage(w, LVM_SETITEMTEXT, (WPARAM)i, (LPARAM)&item);
}
inline void ListView_GetItemText(HWND w, int i, int sub, LPSTR text, int size)
{
    LVITEM item{};
    item.iSubItem = sub;
    item.pszText = text;
    item.cchTextMax = size;
    SendMessage(w, LVM_GETITEMTEXT, (WPARAM)i, (LPARAM)&item);
}

// ------------------------------------------------------------------ tree view

#define WC_TREEVIEWA "SysTreeView32"
#define WC_TREEVIEW WC_TREEVIEWA

struct _TREEITEM;
typedef struct _TREEITEM* HTREEITEM;

#define TVS_HASBUTTONS 0x0001
#define TVS_HASLINES 0x0002
#define TVS_LINESATROOT 0x0004
#define TVS_EDITLABELS 0x0008
#define TVS_DISABLEDRAGDROP 0x0010
#define TVS_SHOWSELALWAYS 0x0020
#define TVS_RTLREADING 0x0040
#define TVS_NOTOOLTIPS 0x0080
#define TVS_CHECKBOXES 0x0100
#define TVS_TRACKSELECT 0x0200
#define TVS_SINGLEEXPAND 0x0400
#define TVS_INFOTIP 0x0800
#define TVS_FULLROWSELECT 0x1000
#define TVS_NOSCROLL 0x2000
#define TVS_NONEVENHEIGHT 0x4000

#define TVIF_TEXT 0x0001
#define TVIF_IMAGE 0x0002
#define TVIF_PARAM 0x0004
#define TVIF_STATE 0x0008
#define TVIF_HANDLE 0x0010
#define TVIF_SELECTEDIMAGE 0x0020
#define TVIF_CHILDREN 0x0040
#define TVIF_INTEGRAL 0x0080

#define TVIS_SELECTED 0x0002
#define TVIS_CUT 0x0004
#define TVIS_DROPHILITED 0x0008
#define TVIS_BOLD 0x0010
#define TVIS_EXPANDED 0x0020
#define TVIS_EXPANDEDONCE 0x0040
#define TVIS_EXPANDPARTIAL 0x0080
#define TVIS_OVERLAYMASK 0x0F00
#define TVIS_STATEIMAGEMASK 0xF000
#define TVIS_USERMASK 0xF000

#define I_CHILDRENCALLBACK (-1)

#define TVI_ROOT ((HTREEITEM)(ULONG_PTR)-0x10000)
#define TVI_FIRST ((HTREEITEM)(ULONG_PTR)-0x0FFFF)
#define TVI_LAST ((HTREEITEM)(ULONG_PTR)-0x0FFFE)
#define TVI_SORT ((HTREEITEM)(ULONG_PTR)-0x0FFFD)

#define TVGN_ROOT 0x0000
#define TVGN_NEXT 0x0001
#define TVGN_PREVIOUS 0x0002
#define TVGN_PARENT 0x0003
#define TVGN_CHILD 0x0004
#define TVGN_FIRSTVISIBLE 0x0005
#define TVGN_NEXTVISIBLE 0x0006
#define TVGN_PREVIOUSVISIBLE 0x0007
#define TVGN_DROPHILITE 0x0008
#define TVGN_CARET 0x0009
#define TVGN_LASTVISIBLE 0x000A

#define TVE_COLLAPSE 0x0001
#define TVE_EXPAND 0x0002
#define TVE_TOGGLE 0x0003
#define TVE_EXPANDPARTIAL 0x4000
#define TVE_COLLAPSERESET 0x8000

#define TVC_UNKNOWN 0x0000
#define TVC_BYMOUSE 0x0001
#define TVC_BYKEYBOARD 0x0002

#define TVSIL_NORMAL 0
#define TVSIL_STATE 2

#define TVHT_NOWHERE 0x0001
#define TVHT_ONITEMICON 0x0002
#define TVHT_ONITEMLABEL 0x0004
#define TVHT_ONITEMINDENT 0x0008
#define TVHT_ONITEMBUTTON 0x0010
#define TVHT_ONITEMRIGHT 0x0020
#define TVHT_ONITEMSTATEICON 0x0040
#define TVHT_ONITEM (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)
#define TVHT_ABOVE 0x0100
#define TVHT_BELOW 0x0200
#define TVHT_TORIGHT 0x0400
#define TVHT_TOLEFT 0x0800

#define TV_FIRST 0x1100
#define TVM_INSERTITEMA (TV_FIRST + 0)
#define TVM_INSERTITEM TVM_INSERTITEMA
#define TVM_DELETEITEM (TV_FIRST + 1)
#define TVM_EXPAND (TV_FIRST + 2)
#define TVM_GETITEMRECT (TV_FIRST + 4)
#define TVM_GETCOUNT (TV_FIRST + 5)
#define TVM_GETINDENT (TV_FIRST + 6)
#define TVM_SETINDENT (TV_FIRST + 7)
#define TVM_GETIMAGELIST (TV_FIRST + 8)
#define TVM_SETIMAGELIST (TV_FIRST + 9)
#define TVM_GETNEXTITEM (TV_FIRST + 10)
#define TVM_SELECTITEM (TV_FIRST + 11)
#define TVM_GETITEMA (TV_FIRST + 12)
#define TVM_GETITEM TVM_GETITEMA
#define TVM_SETITEMA (TV_FIRST + 13)
#define TVM_SETITEM TVM_SETITEMA
#define TVM_EDITLABELA (TV_FIRST + 14)
#define TVM_EDITLABEL TVM_EDITLABELA
#define TVM_GETEDITCONTROL (TV_FIRST + 15)
#define TVM_GETVISIBLECOUNT (TV_FIRST + 16)
#define TVM_HITTEST (TV_FIRST + 17)
#define TVM_SORTCHILDREN (TV_FIRST + 19)
#define TVM_ENSUREVISIBLE (TV_FIRST + 20)
#define TVM_SORTCHILDRENCB (TV_FIRST + 21)
#define TVM_ENDEDITLABELNOW (TV_FIRST + 22)
#define TVM_SETTOOLTIPS (TV_FIRST + 24)
#define TVM_GETTOOLTIPS (TV_FIRST + 25)
#define TVM_SETITEMHEIGHT (TV_FIRST + 27)
#define TVM_GETITEMHEIGHT (TV_FIRST + 28)
#define TVM_SETBKCOLOR (TV_FIRST + 29)
#define TVM_SETTEXTCOLOR (TV_FIRST + 30)
#define TVM_GETBKCOLOR (TV_FIRST + 31)
#define TVM_GETTEXTCOLOR (TV_FIRST + 32)
#define TVM_GETITEMSTATE (TV_FIRST + 39)
#define TVM_SETLINECOLOR (TV_FIRST + 40)
#define TVM_GETLINECOLOR (TV_FIRST + 41)

#define TVN_FIRST (0U - 400U)
#define TVN_SELCHANGINGA (TVN_FIRST - 1)
#define TVN_SELCHANGING TVN_SELCHANGINGA
#define TVN_SELCHANGEDA (TVN_FIRST - 2)
#define TVN_SELCHANGED TVN_SELCHANGEDA
#define TVN_GETDISPINFOA (TVN_FIRST - 3)
#define TVN_GETDISPINFO TVN_GETDISPINFOA
#define TVN_SETDISPINFOA (TVN_FIRST - 4)
#define TVN_SETDISPINFO TVN_SETDISPINFOA
#define TVN_ITEMEXPANDINGA (TVN_FIRST - 5)
#define TVN_ITEMEXPANDING TVN_ITEMEXPANDINGA
#define TVN_ITEMEXPANDEDA (TVN_FIRST - 6)
#define TVN_ITEMEXPANDED TVN_ITEMEXPANDEDA
#define TVN_BEGINDRAGA (TVN_FIRST - 7)
#define TVN_BEGINDRAG TVN_BEGINDRAGA
#define TVN_BEGINRDRAGA (TVN_FIRST - 8)
#define TVN_BEGINRDRAG TVN_BEGINRDRAGA
#define TVN_DELETEITEMA (TVN_FIRST - 9)
#define TVN_DELETEITEM TVN_DELETEITEMA
#define TVN_BEGINLABELEDITA (TVN_FIRST - 10)
#define TVN_BEGINLABELEDIT TVN_BEGINLABELEDITA
#define TVN_ENDLABELEDITA (TVN_FIRST - 11)
#define TVN_ENDLABELEDIT TVN_ENDLABELEDITA
#define TVN_KEYDOWN (TVN_FIRST - 12)

typedef struct tagTVITEMA {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
} TVITEMA, *LPTVITEMA, TVITEM, *LPTVITEM, TV_ITEM;

typedef struct tagTVITEMEXA {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
    int iIntegral;
} TVITEMEXA, *LPTVITEMEXA, TVITEMEX, *LPTVITEMEX;

typedef struct tagTVINSERTSTRUCTA {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    union {
        TVITEMEXA itemex;
        TVITEMA item;
    };
} TVINSERTSTRUCTA, *LPTVINSERTSTRUCTA, TVINSERTSTRUCT, *LPTVINSERTSTRUCT, TV_INSERTSTRUCT;

typedef struct tagTVHITTESTINFO {
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
} TVHITTESTINFO, *LPTVHITTESTINFO, TV_HITTESTINFO;

typedef struct tagNMTREEVIEWA {
    NMHDR hdr;
    UINT action;
    TVITEMA itemOld;
    TVITEMA itemNew;
    POINT ptDrag;
} NMTREEVIEWA, *LPNMTREEVIEWA, NMTREEVIEW, *LPNMTREEVIEW, NM_TREEVIEW;

typedef struct tagTVDISPINFOA {
    NMHDR hdr;
    TVITEMA item;
} NMTVDISPINFOA, NMTVDISPINFO, TV_DISPINFO;

typedef struct tagTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
} NMTVKEYDOWN, *LPNMTVKEYDOWN, TV_KEYDOWN;

typedef struct tagNMTVCUSTOMDRAW {
    NMCUSTOMDRAW nmcd;
    COLORREF clrText;
    COLORREF clrTextBk;
    int iLevel;
} NMTVCUSTOMDRAW, *LPNMTVCUSTOMDRAW;

typedef int(CALLBACK* PFNTVCOMPARE)(LPARAM, LPARAM, LPARAM);
typedef struct tagTVSORTCB {
    HTREEITEM hParent;
    PFNTVCOMPARE lpfnCompare;
    LPARAM lParam;
} TVSORTCB, *LPTVSORTCB;

inline HTREEITEM TreeView_InsertItem(HWND w, const TVINSERTSTRUCT* is)
{
    return (HTREEITEM)SendMessage(w, TVM_INSERTITEM, 0, (LPARAM)is);
}
inline BOOL TreeView_DeleteItem(HWND w, HTREEITEM item) { return (BOOL)SendMessage(w, TVM_DELETEITEM, 0, (LPARAM)item); }
inline BOOL TreeView_DeleteAllItems(HWND w) { return (BOOL)SendMessage(w, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }
inline BOOL TreeView_Expand(HWND w, HTREEITEM item, UINT code)
{
    return (BOOL)SendMessage(w, TVM_EXPAND, (WPARAM)code, (LPARAM)item);
}
inline HTREEITEM TreeView_GetNextItem(HWND w, HTREEITEM item, UINT code)
{
    return (HTREEITEM)SendMessage(w, TVM_GETNEXTITEM, (WPARAM)code, (LPARAM)item);
}
inline HTREEITEM TreeView_GetChild(HWND w, HTREEITEM item) { return TreeView_GetNextItem(w, item, TVGN_CHILD); }
inline HTREEITEM TreeView_GetNextSibling(HWND w, HTREEITEM item) { return TreeView_GetNextItem(w, item, TVGN_NEXT); }
inline HTREEITEM TreeView_GetParent(HWND w, HTREEITEM item) { return TreeView_GetNextItem(w, item, TVGN_PARENT); }
inline HTREEITEM TreeView_GetSelection(HWND w) { return TreeView_GetNextItem(w, nullptr, TVGN_CARET); }
inline HTREEITEM TreeView_GetRoot(HWND w) { return TreeView_GetNextItem(w, nullptr, TVGN_ROOT); }
inline BOOL TreeView_Select(HWND w, HTREEITEM item, UINT code)
{
    return (BOOL)SendMessage(w, TVM_SELECTITEM, (WPARAM)code, (LPARAM)item);
}
inline BOOL TreeView_SelectItem(HWND w, HTREEITEM item) { return TreeView_Select(w, item, TVGN_CARET); }
inline BOOL TreeView_GetItem(HWND w, TVITEM* item) { return (BOOL)SendMessage(w, TVM_GETITEM, 0, (LPARAM)item); }
inline BOOL TreeView_SetItem(HWND w, const TVITEM* item) { return (BOOL)SendMessage(w, TVM_SETITEM, 0, (LPARAM)item); }
inline BOOL TreeView_EnsureVisible(HWND w, HTREEITEM item)
{
    return (BOOL)SendMessage(w, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
}
inline UINT TreeView_GetCount(HWND w) { return (UINT)SendMessage(w, TVM_GETCOUNT, 0, 0); }
inline COLORREF TreeView_SetBkColor(HWND w, COLORREF colour)
{
    return (COLORREF)SendMessage(w, TVM_SETBKCOLOR, 0, (LPARAM)colour);
}
