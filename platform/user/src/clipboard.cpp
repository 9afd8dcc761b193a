// The process's clipboard: which window has it open, who owns it, and the
// block of each format it holds.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/user/clipboard.h"
#include "helm/user/winuser.h"

namespace {

struct Entry {
    UINT format;
    HGLOBAL block;
};

struct Clipboard {
    bool open = false;
    std::thread::id opener;
    HWND open_window = nullptr;
    bool emptied_by_opener = false;
    HWND owner = nullptr;
    std::vector<Entry> entries;  // in the order they were set
};

std::mutex g_mutex;
Clipboard& clipboard()
{
    static auto* c = new Clipboard();
    return *c;
}

bool opened_here(const Clipboard& c)
{
    return c.open && c.opener == std::this_thread::get_id();
}

}  // namespace

BOOL OpenClipboard(HWND owner)
{
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(g_mutex);
    Clipboard& c = clipboard();
    if (c.open && c.opener != std::this_thread::get_id()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!c.open || c.open_window != owner)
        c.emptied_by_opener = false;
    c.open = true;
    c.opener = std::this_thread::get_id();
    c.open_window = owner;
    return TRUE;
}

BOOL CloseClipboard()
{
    std::lock_guard lock(g_mutex);
    Clipboard& c = clipboard();
    if (!opened_here(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    c.open = false;
    c.open_window = nullptr;
    c.emptied_by_opener = false;
    return TRUE;
}

BOOL EmptyClipboard()
{
    std::vector<Entry> dropped;
    HWND previous = nullptr;
    {
        std::lock_guard lock(g_mutex);
        Clipboard& c = clipboard();
        if (!opened_here(c)) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return FALSE;
        }
        dropped.swap(c.entries);
        previous = c.owner;
        c.owner = c.open_window;
        c.emptied_by_opener = true;
    }
    // The previous owner learns it lost the clipboard; sent outside the lock
    // because its answer may use the clipboard.
    if (previous && IsWindow(previous))
        SendMessage(previous, WM_DESTROYCLIPBOARD, 0, 0);
    for (const Entry& e : dropped)
        GlobalFree(e.block);
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE block)
{
    if (!block || format == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!GlobalLock(block)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    GlobalUnlock(block);
    HGLOBAL replaced = nullptr;
    {
        std::lock_guard lock(g_mutex);
        Clipboard& c = clipboard();
        // The window that opened the clipboard must have emptied it, which
        // made it the owner; opened with no window there is no owner.
        if (!opened_here(c) || !c.emptied_by_opener || !c.owner) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return nullptr;
        }
        auto it = std::find_if(c.entries.begin(), c.entries.end(), [&](const Entry& e) { return e.format == format; });
        if (it != c.entries.end()) {
            replaced = it->block == block ? nullptr : it->block;
            it->block = block;
        } else {
            c.entries.push_back({format, block});
        }
    }
    if (replaced)
        GlobalFree(replaced);
    return block;
}

HANDLE GetClipboardData(UINT format)
{
    std::lock_guard lock(g_mutex);
    Clipboard& c = clipboard();
    if (!opened_here(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    for (const Entry& e : c.entries)
        if (e.format == format)
            return e.block;
    SetLastError(NO_ERROR);
    return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    std::lock_guard lock(g_mutex);
    const auto& entries = clipboard().entries;
    return std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.format == format; });
}

int CountClipboardFormats()
{
    std::lock_guard lock(g_mutex);
    return static_cast<int>(clipboard().entries.size());
}

UINT EnumClipboardFormats(UINT format)
{
    std::lock_guard lock(g_mutex);
    Clipboard& c = clipboard();
    if (!opened_here(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return 0;
    }
    SetLastError(NO_ERROR);
    auto it = c.entries.begin();
    if (format != 0) {
        it = std::find_if(c.entries.begin(), c.entries.end(), [&](const Entry& e) { return e.format == format; });
        if (it == c.entries.end())
            return 0;
        ++it;
    }
    return it == c.entries.end() ? 0 : it->format;
}

HWND GetClipboardOwner()
{
    std::lock_guard lock(g_mutex);
    Clipboard& c = clipboard();
    if (c.owner && !IsWindow(c.owner))
        c.owner = nullptr;
    return c.owner;
}

HWND GetOpenClipboardWindow()
{
    std::lock_guard lock(g_mutex);
    Clipboard& c = clipboard();
    return c.open ? c.open_window : nullptr;
}

namespace helm::user {

bool clipboard_put_text(HWND owner, std::string_view text)
{
    if (!OpenClipboard(owner))
        return false;
    bool ok = false;
    if (EmptyClipboard()) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (auto* bytes = static_cast<char*>(block ? GlobalLock(block) : nullptr)) {
            std::memcpy(bytes, text.data(), text.size());
            bytes[text.size()] = '\0';
            GlobalUnlock(block);
            ok = SetClipboardData(CF_TEXT, block) != nullptr;
            if (!ok)
                GlobalFree(block);
        }
    }
    CloseClipboard();
    return ok;
}

bool clipboard_take_text(HWND window, std::string& text)
{
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(window))
        return false;
    bool ok = false;
    HGLOBAL block = GetClipboardData(CF_TEXT);
    SIZE_T size = block ? GlobalSize(block) : 0;
    if (const auto* bytes = static_cast<const char*>(block ? GlobalLock(block) : nullptr)) {
        text.assign(bytes, strnlen(bytes, size));
        GlobalUnlock(block);
        ok = true;
    }
    CloseClipboard();
    return ok;
}

}  // namespace helm::user
