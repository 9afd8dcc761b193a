// The process's clipboard: which window has it open, who owns it, and the
// block of each format it holds. It is joined to the desktop's through the
// screen: what the process puts there is published when the clipboard is
// closed, and what another program put there is taken in before the
// clipboard is read.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/user/clipboard.h"
#include "helm/user/screen.h"
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
    bool changed = false;        // by the opener, since it opened it
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

// A new block holding `bytes`, or null.
HGLOBAL block_of(const std::vector<std::byte>& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* data = block ? GlobalLock(block) : nullptr;
    if (!data) {
        if (block)
            GlobalFree(block);
        return nullptr;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

std::vector<std::byte> bytes_of(HGLOBAL block)
{
    std::vector<std::byte> bytes;
    if (const void* data = GlobalLock(block)) {
        bytes.resize(GlobalSize(block));
        std::memcpy(bytes.data(), data, bytes.size());
        GlobalUnlock(block);
    }
    return bytes;
}

// Takes in what another program put on the desktop's clipboard since the
// process last looked, unless someone here has the clipboard open. The
// previous owner learns it lost the clipboard, as when another program
// empties it on Windows.
void take_in_desktop_clipboard()
{
    {
        std::lock_guard lock(g_mutex);
        if (clipboard().open)
            return;
    }
    std::vector<helm::user::ClipboardItem> items;
    if (!helm::user::screen()->clipboard_from_desktop(&items))
        return;
    std::vector<Entry> taken;
    for (const auto& item : items)
        if (HGLOBAL block = item.format ? block_of(item.bytes) : nullptr)
            taken.push_back({item.format, block});
    HWND previous;
    {
        std::lock_guard lock(g_mutex);
        Clipboard& c = clipboard();
        if (c.open) {
            // Opened meanwhile: what it holds now stands.
            for (const Entry& e : taken)
                GlobalFree(e.block);
            return;
        }
        taken.swap(c.entries);
        previous = c.owner;
        c.owner = nullptr;
    }
    if (previous && IsWindow(previous))
        SendMessage(previous, WM_DESTROYCLIPBOARD, 0, 0);
    for (const Entry& e : taken)
        GlobalFree(e.block);
}

}  // namespace

BOOL OpenClipboard(HWND owner)
{
    take_in_desktop_clipboard();
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
    if (!c.open)
        c.changed = false;
    c.open = true;
    c.opener = std::this_thread::get_id();
    c.open_window = owner;
    return TRUE;
}

BOOL CloseClipboard()
{
    std::vector<helm::user::ClipboardItem> published;
    bool changed;
    {
        std::lock_guard lock(g_mutex);
        Clipboard& c = clipboard();
        if (!opened_here(c)) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return FALSE;
        }
        changed = c.changed;
        if (changed)
            for (const Entry& e : c.entries)
                published.push_back({e.format, bytes_of(e.block)});
        c.open = false;
        c.open_window = nullptr;
        c.emptied_by_opener = false;
        c.changed = false;
    }
    if (changed)
        helm::user::screen()->clipboard_published(published);
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
        c.changed = true;
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
        c.changed = true;
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
    take_in_desktop_clipboard();
    std::lock_guard lock(g_mutex);
    const auto& entries = clipboard().entries;
    return std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.format == format; });
}

int CountClipboardFormats()
{
    take_in_desktop_clipboard();
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
