#include "control.h"

#include "../paint_internal.h"

#include <algorithm>
#include <cstring>

#include "helm/user/input.h"

namespace helm::user::controls {

namespace {
thread_local bool t_shift = false;
thread_local bool t_control = false;
}  // namespace

DWORD style_of(HWND window) { return static_cast<DWORD>(GetWindowLong(window, GWL_STYLE)); }

void notify_parent(HWND control, int code)
{
    HWND parent = GetParent(control);
    if (!parent)
        return;
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), static_cast<WORD>(code)),
                reinterpret_cast<LPARAM>(control));
}

HBRUSH ask_colours(HWND control, UINT ctlcolor_message, HDC dc)
{
    HWND parent = GetParent(control);
    if (!parent)
        return nullptr;
    return reinterpret_cast<HBRUSH>(
        SendMessage(parent, ctlcolor_message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
}

HBRUSH paint_background(HWND control, UINT ctlcolor_message)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    HBRUSH brush = ask_colours(control, ctlcolor_message, dc);
    EndPaint(control, &ps);
    return brush;
}

PaintScope::PaintScope(HWND window, UINT ctlcolor_message) : m_window(window)
{
    BeginPaint(window, &m_paint);
    GetClientRect(window, &m_client);
    if (!m_paint.hdc)
        return;
    m_old_font = SelectObject(m_paint.hdc, font_of(window));
    m_brush = ask_colours(window, ctlcolor_message, m_paint.hdc);
    if (!m_brush)
        m_brush = default_control_colours(ctlcolor_message, m_paint.hdc);
}

PaintScope::~PaintScope()
{
    if (m_paint.hdc && m_old_font)
        SelectObject(m_paint.hdc, m_old_font);
    EndPaint(m_window, &m_paint);
}

HFONT font_of(HWND control)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessage(control, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

int line_height(HFONT font)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    return tm.tmHeight > 0 ? tm.tmHeight : default_item_height;
}

void draw_grey_text(HDC dc, const char* text, int length, RECT rect, UINT format)
{
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF old = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT shifted = rect;
    OffsetRect(&shifted, 1, 1);
    DrawText(dc, text, length, &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawText(dc, text, length, &rect, format);
    SetTextColor(dc, old);
    SetBkMode(dc, mode);
}

SIZE image_size(UINT type, HANDLE image)
{
    BITMAP bm{};
    if (!image)
        return {0, 0};
    if (type == IMAGE_BITMAP) {
        GetObject(image, sizeof bm, &bm);
        return {bm.bmWidth, bm.bmHeight};
    }
    ICONINFO info{};
    if (!GetIconInfo(static_cast<HICON>(image), &info))
        return {0, 0};
    GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    // A mask without colour holds the AND and XOR halves one above the other.
    return {bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
}

void draw_image(HDC dc, UINT type, HANDLE image, int x, int y)
{
    if (!image)
        return;
    if (type != IMAGE_BITMAP) {
        DrawIconEx(dc, x, y, static_cast<HICON>(image), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    const SIZE size = image_size(IMAGE_BITMAP, image);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, image);
    BitBlt(dc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

POINT point_of(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool in_client(HWND window, POINT point)
{
    RECT client;
    return GetClientRect(window, &client) && PtInRect(&client, point);
}

// Keys that came through the message loop show in GetKeyState; those sent
// straight to a control only in what the controls noted.
bool shift_down() { return t_shift || GetKeyState(VK_SHIFT) < 0; }
bool control_down() { return t_control || GetKeyState(VK_CONTROL) < 0; }

void capture_mouse(HWND window)
{
    if (GetCapture() != window)
        SetCapture(window);
}

void release_mouse(HWND window)
{
    if (GetCapture() == window)
        ReleaseCapture();
}

void note_modifier_key(UINT message, WPARAM key)
{
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    if (!down && !up)
        return;
    if (key == VK_SHIFT)
        t_shift = down;
    else if (key == VK_CONTROL)
        t_control = down;
}

char to_upper_1252(char c)
{
    auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
        return static_cast<char>(b - 0x20);
    switch (b) {
    case 0x9A: return static_cast<char>(0x8A);  // s caron
    case 0x9C: return static_cast<char>(0x8C);  // oe
    case 0x9E: return static_cast<char>(0x8E);  // z caron
    case 0xFF: return static_cast<char>(0x9F);  // y diaeresis
    default: return c;
    }
}

char to_lower_1252(char c)
{
    auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
        return static_cast<char>(b + 0x20);
    switch (b) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return c;
    }
}

int compare_nocase_1252(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(to_lower_1252(a[i]));
        auto y = static_cast<unsigned char>(to_lower_1252(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool starts_with_nocase_1252(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && compare_nocase_1252(text.substr(0, prefix.size()), prefix) == 0;
}

LRESULT copy_out(const std::string& text, char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return 0;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

}  // namespace helm::user::controls
