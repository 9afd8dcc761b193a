// Global memory blocks and the clipboard that carries them. The clipboard
// is the process's: a live display joins it to the desktop's later. Formats
// are kept as given (no synthesised formats, no delayed rendering).
#pragma once

#include <string>
#include <string_view>

#include "helm/kernel/types.h"

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_DDESHARE 0x2000u
#define GMEM_SHARE 0x2000u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_UNICODETEXT 13

#define WM_DESTROYCLIPBOARD 0x0307

#ifndef ERROR_CLIPBOARD_NOT_OPEN
#define ERROR_CLIPBOARD_NOT_OPEN 1418L
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6L
#endif

// A block of `bytes` bytes (at least one is reserved); null with
// ERROR_NOT_ENOUGH_MEMORY when it cannot be had. A moveable block's handle
// is not its address: GlobalLock gives that.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Null on success, the handle again for a handle that is not a block.
HGLOBAL GlobalFree(HGLOBAL block);
LPVOID GlobalLock(HGLOBAL block);
// FALSE once the lock count is back to zero (with NO_ERROR), as on Windows.
BOOL GlobalUnlock(HGLOBAL block);
// The size asked for; 0 for a handle that is not a block.
SIZE_T GlobalSize(HGLOBAL block);

// One window (or, with a null window, the calling thread) has the clipboard
// open at a time; another thread's open fails with ERROR_ACCESS_DENIED.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Frees every block on the clipboard (WM_DESTROYCLIPBOARD to the previous
// owner) and makes the window that opened it the owner; opened with a null
// window there is no owner, and SetClipboardData then fails.
BOOL EmptyClipboard();
// The clipboard takes the block (freeing one it had for the format); the
// caller must not free it. Null with ERROR_CLIPBOARD_NOT_OPEN unless opened
// and emptied by the caller's window; a null block is refused.
HANDLE SetClipboardData(UINT format, HANDLE block);
// The clipboard's block, still its own: read it, never free it.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();

namespace helm::user {

// Text on the clipboard as CF_TEXT, for the edits: the whole exchange
// (open, empty, set, close). False when the clipboard could not be opened.
bool clipboard_put_text(HWND owner, std::string_view text);
// CF_TEXT up to its first zero (never past the block's size); false when
// there is none or the clipboard is open elsewhere.
bool clipboard_take_text(HWND window, std::string& text);

}  // namespace helm::user
