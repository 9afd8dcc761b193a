// The layer's own modal dialogs: message boxes, the open and save file
// dialogs and the folder browser. Each is a real dialog of the dialog
// manager, listing the file system where it picks files. Tests either
// answer a dialog in its place (the answer seams below) or act on the real
// one through the operator test driver once it is shown.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "helm/user/dialogs.h"

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFBUTTON4 0x00000300L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONMASK 0x000000F0L
#define MB_DEFMASK 0x00000F00L

// Asks in a modal dialog (caption "Error" when none is given) with the
// buttons of the type's set; the answer is the button's id. Escape and the
// close box answer IDCANCEL where the set has Cancel (IDOK for MB_OK) and
// are ignored otherwise. 0 for an unknown set, and at once, with the caption
// and text written to standard error (ERROR_ACCESS_DENIED), when no operator
// can answer it (Screen::has_operator).
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int MessageBeep(UINT type);
#define MessageBoxA MessageBox

// The open and save file dialogs.
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_NOLONGNAMES 0x00040000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000
#define OFN_ENABLESIZING 0x00800000
#define OFN_DONTADDTORECENT 0x02000000
#define OFN_FORCESHOWHIDDEN 0x10000000

// CommDlgExtendedError.
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define CDERR_DIALOGFAILURE 0xFFFF
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAME {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
typedef OPENFILENAME OPENFILENAMEA;
typedef OPENFILENAME* LPOPENFILENAME;
typedef OPENFILENAME* LPOPENFILENAMEA;

// TRUE when the operator chose a file: lpstrFile holds its full path (the
// system's form, with backslashes), nFileOffset and nFileExtension index its
// name and extension, nFilterIndex the filter in use. FALSE when cancelled
// (CommDlgExtendedError 0), when the result does not fit lpstrFile
// (FNERR_BUFFERTOOSMALL, with the size needed in its first two bytes), and
// when no operator can answer it (CDERR_DIALOGFAILURE, see Screen::has_operator).
BOOL GetOpenFileName(LPOPENFILENAME ofn);
BOOL GetSaveFileName(LPOPENFILENAME ofn);
DWORD CommDlgExtendedError();
#define GetOpenFileNameA GetOpenFileName
#define GetSaveFileNameA GetSaveFileName

// The folder browser.
#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_DONTGOBELOWDOMAIN 0x00000002
#define BIF_STATUSTEXT 0x00000004
#define BIF_RETURNFSANCESTORS 0x00000008
#define BIF_EDITBOX 0x00000010
#define BIF_VALIDATE 0x00000020
#define BIF_NEWDIALOGSTYLE 0x00000040
#define BIF_USENEWUI (BIF_NEWDIALOGSTYLE | BIF_EDITBOX)
#define BIF_BROWSEINCLUDEURLS 0x00000080
#define BIF_NONEWFOLDERBUTTON 0x00000200
#define BIF_BROWSEFORCOMPUTER 0x00001000
#define BIF_BROWSEFORPRINTER 0x00002000
#define BIF_BROWSEINCLUDEFILES 0x00004000

#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_SETSTATUSTEXTA (WM_USER + 100)
#define BFFM_ENABLEOK (WM_USER + 101)
#define BFFM_SETSELECTIONA (WM_USER + 102)
#define BFFM_SETSTATUSTEXT BFFM_SETSTATUSTEXTA
#define BFFM_SETSELECTION BFFM_SETSELECTIONA

#pragma pack(push, 1)
struct SHITEMID {
    USHORT cb;
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
#pragma pack(pop)
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

typedef int(CALLBACK* BFFCALLBACK)(HWND, UINT, LPARAM, LPARAM);

struct BROWSEINFO {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot;
    LPSTR pszDisplayName;  // at least MAX_PATH bytes
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
typedef BROWSEINFO BROWSEINFOA;
typedef BROWSEINFO* LPBROWSEINFO;
typedef BROWSEINFO* LPBROWSEINFOA;

// Shows the browser rooted at pidlRoot (null: the whole file system); the
// callback gets BFFM_INITIALIZED, when it may send BFFM_SETSELECTION (lParam
// a path when wParam is TRUE) to the browser, and BFFM_SELCHANGED. The
// chosen item list (free it with CoTaskMemFree), or null when cancelled or
// no operator can answer it.
LPITEMIDLIST SHBrowseForFolder(LPBROWSEINFO info);
// The path of an item list (the system's form, with backslashes) into a
// buffer of MAX_PATH bytes; FALSE for a list that names no path.
BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPSTR path);
// An item list for a path, to give as a root (free it with CoTaskMemFree).
LPITEMIDLIST ILCreateFromPath(LPCSTR path);
void ILFree(LPITEMIDLIST list);
#define SHBrowseForFolderA SHBrowseForFolder
#define SHGetPathFromIDListA SHGetPathFromIDList
#define ILCreateFromPathA ILCreateFromPath

namespace helm::user {

// What a message box asks.
struct MessageBoxQuestion {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
// When set, answers every message box in place of the dialog (with one of
// the ids its set offers). An empty function restores the dialog.
using MessageBoxAnswer = std::function<int(const MessageBoxQuestion&)>;
void set_message_box_answer(MessageBoxAnswer answer);

// What a file dialog asks.
struct FileDialogQuestion {
    bool save;
    HWND owner;
    std::string title;
    // The filter pairs (description, patterns separated by ';').
    std::vector<std::pair<std::string, std::string>> filters;
    int filter_index;  // 1-based, as OPENFILENAME counts
    std::string initial_folder;
    std::string initial_name;
    std::string default_extension;
    DWORD flags;
};
// A chosen path (with either slash), or nothing for a cancel.
struct FileDialogChoice {
    bool chosen = false;
    std::string path;
    int filter_index = 0;  // 0 keeps the question's
};
using FileDialogAnswer = std::function<FileDialogChoice(const FileDialogQuestion&)>;
void set_file_dialog_answer(FileDialogAnswer answer);

struct FolderQuestion {
    HWND owner;
    std::string title;
    UINT flags;
    std::string root;     // empty: the whole file system
    std::string initial;  // what BFFM_SETSELECTION chose, if anything
};
using FolderAnswer = std::function<FileDialogChoice(const FolderQuestion&)>;
void set_folder_answer(FolderAnswer answer);

// Called on the dialog's own thread once one of these dialogs is shown and
// its modal loop runs, with the dialog window; a test acts on it there, as
// the operator would. An empty function removes it.
void set_common_dialog_shown(std::function<void(HWND dialog)> shown);

// Control ids of the file dialog and the folder browser, for tests.
inline constexpr int file_dialog_folder_id = 1088;  // static: the folder shown
inline constexpr int file_dialog_list_id = 1120;    // list box: ".." , folders "[name]", files
inline constexpr int file_dialog_name_id = 1152;    // edit: the file name
inline constexpr int file_dialog_filter_id = 1136;  // combo box: the filters
inline constexpr int folder_tree_id = 1120;         // list box of the browser: "..", then folders

}  // namespace helm::user
