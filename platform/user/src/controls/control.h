// What every standard control shares: the map from a window to the control
// object behind it, the one window procedure shape (one switch per control,
// one handler per message), notifications to the parent and Windows-1252
// text helpers.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "helm/user/winuser.h"

namespace helm::user::controls {

// The control objects of one class, by window, with the font each was
// given. A control lives from WM_NCCREATE to WM_NCDESTROY; a handler keeps
// its object alive while it runs, since handlers send messages that may
// destroy the window.
template <class T>
class ControlMap {
public:
    std::shared_ptr<T> get(HWND window)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_controls.find(key(window));
        return it == m_controls.end() ? nullptr : it->second.control;
    }
    void set(HWND window, std::shared_ptr<T> control)
    {
        std::lock_guard lock(m_mutex);
        m_controls[key(window)].control = std::move(control);
    }
    void erase(HWND window)
    {
        std::lock_guard lock(m_mutex);
        m_controls.erase(key(window));
    }
    HFONT font(HWND window)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_controls.find(key(window));
        return it == m_controls.end() ? nullptr : it->second.font;
    }
    void set_font(HWND window, HFONT font)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_controls.find(key(window));
        if (it != m_controls.end())
            it->second.font = font;
    }

private:
    struct Entry {
        std::shared_ptr<T> control;
        HFONT font = nullptr;
    };
    static uint32_t key(HWND window) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)); }
    std::mutex m_mutex;
    std::unordered_map<uint32_t, Entry> m_controls;
};

// The window procedure of a control class: creates the object on
// WM_NCCREATE with `make(window, createstruct)`, keeps the font of
// WM_SETFONT for WM_GETFONT, hands every message to the object's `handle`
// (WM_SETFONT too, for controls that pass it on), and forgets the object
// after WM_NCDESTROY.
template <class T, class Make>
LRESULT run_control(ControlMap<T>& map, HWND window, UINT message, WPARAM wParam, LPARAM lParam, Make make)
{
    if (message == WM_NCCREATE && lParam) {
        std::shared_ptr<T> made = make(window, *reinterpret_cast<const CREATESTRUCT*>(lParam));
        if (!made)
            return FALSE;
        map.set(window, std::move(made));
    }
    std::shared_ptr<T> control = map.get(window);
    if (!control)
        return DefWindowProc(window, message, wParam, lParam);
    if (message == WM_GETFONT)
        return reinterpret_cast<LRESULT>(map.font(window));
    if (message == WM_SETFONT) {
        map.set_font(window, reinterpret_cast<HFONT>(wParam));
        if (LOWORD(lParam))
            InvalidateRect(window, nullptr, TRUE);
    }
    LRESULT result = control->handle(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        map.erase(window);
    return result;
}

DWORD style_of(HWND window);
// WM_COMMAND with the control's id and `code` to its parent.
void notify_parent(HWND control, int code);
// The parent's answer to WM_CTLCOLOR*: the brush the control paints its
// background with.
HBRUSH ask_colours(HWND control, UINT ctlcolor_message, HDC dc);
// The paint entry of a control with no drawing yet: asks the parent for its
// colours (as Windows does before painting) and validates.
HBRUSH paint_background(HWND control, UINT ctlcolor_message);

// One WM_PAINT of a control: BeginPaint, the parent's colours for
// `ctlcolor_message` (Windows' defaults when the parent gives no brush)
// and the control's font selected; EndPaint when it goes.
class PaintScope {
public:
    PaintScope(HWND window, UINT ctlcolor_message);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return m_paint.hdc; }
    HBRUSH brush() const { return m_brush; }
    const RECT& client() const { return m_client; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HBRUSH m_brush = nullptr;
    HGDIOBJ m_old_font = nullptr;
    RECT m_client{};
};

// The font a control draws with: its WM_SETFONT font, else the system's.
HFONT font_of(HWND control);
// The height of a text line in a font (tmHeight).
int line_height(HFONT font);
// Text in the greyed look of a disabled control: a highlight copy one pixel
// down and right, the shadow colour over it.
void draw_grey_text(HDC dc, const char* text, int length, RECT rect, UINT format);

// The size of an icon (IMAGE_ICON) or bitmap (IMAGE_BITMAP); 0 x 0 for none.
SIZE image_size(UINT type, HANDLE image);
// Draws an icon or bitmap with its own size, its top left at (x, y).
void draw_image(HDC dc, UINT type, HANDLE image, int x, int y);

// The point of a mouse message, in client coordinates.
POINT point_of(LPARAM lParam);
bool in_client(HWND window, POINT point);

// Shift and Ctrl as the controls have seen them go down and up.
bool shift_down();
bool control_down();
void note_modifier_key(UINT message, WPARAM key);

// The mouse while a control tracks a press, as on Windows, so the release
// comes back to it wherever it happens.
void capture_mouse(HWND window);
void release_mouse(HWND window);

// Windows-1252 case folding, for searches and the case styles.
char to_upper_1252(char c);
char to_lower_1252(char c);
int compare_nocase_1252(std::string_view a, std::string_view b);
bool starts_with_nocase_1252(std::string_view text, std::string_view prefix);

// Copies `text` into a caller's buffer of `size` bytes with its NUL;
// returns the bytes copied without the NUL.
LRESULT copy_out(const std::string& text, char* buffer, size_t size);

// The height of one text line in the dialog font: list items, edit lines.
// The drawing layer will measure it; until then the classic figure.
constexpr int default_item_height = 13;

// The standard classes; the drop-down list's class is this.
constexpr const char* combo_list_class = "ComboLBox";

}  // namespace helm::user::controls
