#include "dialog_fixture.h"

#include <map>

namespace dialog_test {

namespace {

constexpr UINT bm_setcheck = 0x00F1;
constexpr UINT bm_setstyle = 0x00F4;
constexpr UINT bm_click = 0x00F5;
constexpr UINT em_setsel = 0x00B1;
constexpr LONG_PTR checked = 1;

std::map<HWND, WPARAM>& fonts()
{
    static std::map<HWND, WPARAM> map;
    return map;
}

// WM_SETFONT and WM_GETFONT as the standard controls answer them.
bool font_message(HWND w, UINT m, WPARAM wp, LRESULT* result)
{
    if (m == WM_SETFONT) {
        fonts()[w] = wp;
        *result = 0;
        return true;
    }
    if (m == WM_GETFONT) {
        auto it = fonts().find(w);
        *result = it == fonts().end() ? 0 : static_cast<LRESULT>(it->second);
        return true;
    }
    if (m == WM_NCDESTROY)
        fonts().erase(w);
    return false;
}

std::map<HWND, int>& selections()
{
    static std::map<HWND, int> map;
    return map;
}

void notify(HWND control, WORD code)
{
    SendMessage(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                reinterpret_cast<LPARAM>(control));
}

void check_radio(HWND button)
{
    // An auto radio button unchecks the others of its group.
    HWND parent = GetParent(button);
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char name[32];
        GetClassName(c, name, sizeof name);
        if (std::string(name) == button_class && (GetWindowLong(c, GWL_STYLE) & 0xF) == radio)
            SetWindowLongPtr(c, GWLP_USERDATA, c == button ? checked : 0);
    }
}

LRESULT CALLBACK button_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    const DWORD type = static_cast<DWORD>(GetWindowLong(w, GWL_STYLE)) & 0xF;
    LRESULT result;
    if (font_message(w, m, wp, &result))
        return result;
    switch (m) {
    case WM_GETDLGCODE:
        if (type == radio)
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON | (type == default_push ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case bm_setstyle: {
        LONG style = GetWindowLong(w, GWL_STYLE);
        SetWindowLong(w, GWL_STYLE, static_cast<LONG>((style & ~0xFL) | (static_cast<LONG>(wp) & 0xF)));
        return 0;
    }
    case bm_setcheck: SetWindowLongPtr(w, GWLP_USERDATA, static_cast<LONG_PTR>(wp)); return 0;
    case bm_getcheck: return GetWindowLongPtr(w, GWLP_USERDATA);
    case bm_click:
        if (type == radio)
            check_radio(w);
        notify(w, static_cast<WORD>(bn_clicked));
        return 0;
    case WM_LBUTTONDOWN: SetFocus(w); return 0;
    case WM_LBUTTONUP:
        if (type == radio)
            check_radio(w);
        notify(w, static_cast<WORD>(bn_clicked));
        return 0;
    default: return DefWindowProc(w, m, wp, lp);
    }
}

LRESULT edit_common(HWND w, UINT m, WPARAM wp, LPARAM lp, LRESULT extra_code)
{
    LRESULT result;
    if (font_message(w, m, wp, &result))
        return result;
    switch (m) {
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | extra_code;
        if (GetWindowLong(w, GWL_STYLE) & multiline)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case em_setsel: ++selections()[w]; return 0;
    case WM_SETFOCUS: notify(w, en_setfocus); return 0;
    case WM_KILLFOCUS: notify(w, en_killfocus); return 0;
    case WM_CHAR: {
        char text[256];
        int n = GetWindowText(w, text, sizeof text);
        if (n < 254) {
            text[n] = static_cast<char>(wp);
            text[n + 1] = '\0';
            SetWindowText(w, text);
        }
        return 0;
    }
    case WM_LBUTTONDOWN: SetFocus(w); return 0;
    case WM_NCDESTROY: selections().erase(w); return DefWindowProc(w, m, wp, lp);
    default: return DefWindowProc(w, m, wp, lp);
    }
}

LRESULT CALLBACK edit_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return edit_common(w, m, wp, lp, 0); }
LRESULT CALLBACK tab_edit_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return edit_common(w, m, wp, lp, DLGC_WANTTAB);
}

}  // namespace

void register_classes()
{
    static const bool done = [] {
        const struct {
            const char* name;
            WNDPROC proc;
        } classes[] = {{button_class, button_proc}, {edit_class, edit_proc}, {tab_edit_class, tab_edit_proc}};
        for (const auto& c : classes) {
            WNDCLASS wc{};
            wc.lpfnWndProc = c.proc;
            wc.lpszClassName = c.name;
            RegisterClass(&wc);
        }
        return true;
    }();
    (void)done;
}

int selections_of(HWND edit) { return selections()[edit]; }

Template::Template(DWORD style, short x, short y, short cx, short cy, const char* title, const char* face, WORD points,
                   bool classic, DWORD ex_style)
    : m_classic(classic)
{
    if (face)
        style |= DS_SETFONT;
    if (classic) {
        put32(style);
        put32(ex_style);
        m_count_at = m_bytes.size();
        put16(0);
    } else {
        put16(1);
        put16(0xFFFF);
        put32(0);  // help id
        put32(ex_style);
        put32(style);
        m_count_at = m_bytes.size();
        put16(0);
    }
    put16(static_cast<uint16_t>(x));
    put16(static_cast<uint16_t>(y));
    put16(static_cast<uint16_t>(cx));
    put16(static_cast<uint16_t>(cy));
    put16(0);  // no menu
    put16(0);  // the dialog class
    text(title);
    if (face) {
        put16(points);
        if (!classic) {
            put16(400);  // weight
            m_bytes.push_back(0);  // italic
            m_bytes.push_back(1);  // charset
        }
        text(face);
    }
}

void Template::put16(uint16_t v)
{
    m_bytes.push_back(static_cast<uint8_t>(v));
    m_bytes.push_back(static_cast<uint8_t>(v >> 8));
}

void Template::put32(uint32_t v)
{
    put16(static_cast<uint16_t>(v));
    put16(static_cast<uint16_t>(v >> 16));
}

void Template::text(const char* s)
{
    for (; *s; ++s)
        put16(static_cast<uint8_t>(*s));  // the tests use ASCII
    put16(0);
}

void Template::align4()
{
    while (m_bytes.size() % 4)
        m_bytes.push_back(0);
}

Template& Template::item_head(DWORD id, DWORD style, short x, short y, short cx, short cy, DWORD ex_style)
{
    align4();
    if (m_classic) {
        put32(style);
        put32(ex_style);
    } else {
        put32(0);  // help id
        put32(ex_style);
        put32(style);
    }
    put16(static_cast<uint16_t>(x));
    put16(static_cast<uint16_t>(y));
    put16(static_cast<uint16_t>(cx));
    put16(static_cast<uint16_t>(cy));
    if (m_classic)
        put16(static_cast<uint16_t>(id));
    else
        put32(id);
    uint16_t count = static_cast<uint16_t>(m_bytes[m_count_at] | (m_bytes[m_count_at + 1] << 8)) + 1;
    m_bytes[m_count_at] = static_cast<uint8_t>(count);
    m_bytes[m_count_at + 1] = static_cast<uint8_t>(count >> 8);
    return *this;
}

Template& Template::item_tail(const char* title)
{
    text(title);
    put16(0);  // no creation data
    return *this;
}

Template& Template::item(const char* window_class, const char* title, DWORD id, DWORD style, short x, short y,
                         short cx, short cy, DWORD ex_style)
{
    item_head(id, style, x, y, cx, cy, ex_style);
    text(window_class);
    return item_tail(title);
}

Template& Template::item(WORD atom, const char* title, DWORD id, DWORD style, short x, short y, short cx, short cy,
                         DWORD ex_style)
{
    item_head(id, style, x, y, cx, cy, ex_style);
    put16(0xFFFF);
    put16(atom);
    return item_tail(title);
}

std::vector<DialogCall>& calls()
{
    static std::vector<DialogCall> list;
    return list;
}

std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>& handler()
{
    static std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> h;
    return h;
}

INT_PTR CALLBACK recording_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    calls().push_back({dialog, message, wParam, lParam});
    if (handler())
        return handler()(dialog, message, wParam, lParam);
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::vector<std::pair<int, int>> commands_of(HWND dialog)
{
    std::vector<std::pair<int, int>> out;
    for (const DialogCall& c : calls())
        if (c.dialog == dialog && c.message == WM_COMMAND)
            out.emplace_back(LOWORD(c.wParam), HIWORD(c.wParam));
    return out;
}

void reset()
{
    calls().clear();
    handler() = nullptr;
}

}  // namespace dialog_test
