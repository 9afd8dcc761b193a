#include "window_table.h"

#include "helm/kernel/error.h"

#include <algorithm>

namespace helm::user {

WindowTable& window_table()
{
    static auto* table = new WindowTable;  // outlives threads still running at exit
    return *table;
}

Window* WindowTable::get(uint32_t handle)
{
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : it->second.get();
}

Window* WindowTable::find(HWND window)
{
    Window* w = get(window);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

std::shared_ptr<const WindowClass> WindowTable::find_class(LPCSTR name) const
{
    if (!name)
        return nullptr;
    for (const auto& c : classes) {
        if (IS_INTRESOURCE(name) ? c->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                                 : equal_ascii_nocase(c->name, name))
            return c;
    }
    return nullptr;
}

std::vector<uint32_t>& WindowTable::siblings_of(const Window& window)
{
    if (Window* parent = window.parent ? get(window.parent) : nullptr)
        return parent->children;
    return top_level;
}

POINT WindowTable::client_origin(const Window& window)
{
    RECT client = client_in_window(window);
    POINT origin{window.rect.left + client.left, window.rect.top + client.top};
    if (Window* parent = window.parent ? get(window.parent) : nullptr) {
        POINT base = client_origin(*parent);
        origin.x += base.x;
        origin.y += base.y;
    }
    return origin;
}

RECT frame_insets(DWORD style, DWORD ex_style)
{
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME))
        frame = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER)
        frame = GetSystemMetrics(SM_CXBORDER);
    else if (ex_style & WS_EX_STATICEDGE)
        frame = 1;
    if (ex_style & WS_EX_CLIENTEDGE)
        frame += GetSystemMetrics(SM_CXEDGE);
    RECT insets{frame, frame, frame, frame};
    if ((style & WS_CAPTION) == WS_CAPTION)
        insets.top += GetSystemMetrics(SM_CYCAPTION);
    return insets;
}

RECT client_in_window(const Window& window)
{
    RECT insets = frame_insets(window.style, window.ex_style);
    LONG width = window.rect.right - window.rect.left;
    LONG height = window.rect.bottom - window.rect.top;
    RECT client{insets.left, insets.top, width - insets.right, height - insets.bottom};
    if (window.menu_bar)
        client.top += GetSystemMetrics(SM_CYMENU);
    if (window.style & WS_VSCROLL)
        client.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (window.style & WS_HSCROLL)
        client.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

void clip_update(Window& window)
{
    const RECT client = client_in_window(window);
    const RECT area{0, 0, client.right - client.left, client.bottom - client.top};
    IntersectRect(&window.update, &window.update, &area);
}

bool equal_ascii_nocase(std::string_view a, std::string_view b)
{
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

bool carries_pointer(UINT message)
{
    switch (message) {
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETMINMAXINFO:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_COPYDATA:
    case WM_NOTIFY:
    case WM_HELP:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_NCCALCSIZE:
    case WM_GETDLGCODE:
    case WM_MDICREATE:
        return true;
    default:
        return control_carries_pointer(message);
    }
}

bool foreign_control_message(uint32_t handle, UINT message)
{
    if (message < WM_USER || message >= WM_APP)
        return false;
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(handle);
    return w && w->window_class->layer_control;
}

}  // namespace helm::user
