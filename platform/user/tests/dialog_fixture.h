// For the dialog manager's tests: templates built byte by byte in both
// Windows forms, small button and edit classes that answer the dialog
// manager's messages as the standard ones do, and a dialog procedure that
// records what it gets.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dialog_test {

// Control classes of the tests (registered by register_classes):
// "DlgTestButton" with the push, default push and radio styles of the
// button family, "DlgTestEdit" (DLGC_WANTCHARS | DLGC_HASSETSEL |
// DLGC_WANTARROWS, and DLGC_WANTALLKEYS with ES_MULTILINE), "DlgTestTabEdit"
// (also DLGC_WANTTAB). Edits keep typed characters as their text and tell
// their parent EN_SETFOCUS and EN_KILLFOCUS. All keep the WM_SETFONT font.
inline constexpr char button_class[] = "DlgTestButton";
inline constexpr char edit_class[] = "DlgTestEdit";
inline constexpr char tab_edit_class[] = "DlgTestTabEdit";
inline constexpr DWORD multiline = 0x0004;  // ES_MULTILINE
inline constexpr WORD en_setfocus = 0x0100;
inline constexpr int bn_clicked = 0;
inline constexpr UINT bm_getcheck = 0x00F0;
inline constexpr WORD en_killfocus = 0x0200;
inline constexpr DWORD push = 0x0;
inline constexpr DWORD default_push = 0x1;
inline constexpr DWORD radio = 0x9;  // BS_AUTORADIOBUTTON
void register_classes();

// How many EM_SETSEL an edit got.
int selections_of(HWND edit);

// A DLGTEMPLATEEX (or with `classic`, a DLGTEMPLATE) assembled field by
// field; items start on DWORD boundaries.
class Template {
public:
    Template(DWORD style, short x, short y, short cx, short cy, const char* title, const char* face = "MS Shell Dlg",
             WORD points = 8, bool classic = false, DWORD ex_style = 0);
    // A class name string, or an atom through the WORD form.
    Template& item(const char* window_class, const char* text, DWORD id, DWORD style, short x, short y, short cx,
                   short cy, DWORD ex_style = 0);
    Template& item(WORD atom, const char* text, DWORD id, DWORD style, short x, short y, short cx, short cy,
                   DWORD ex_style = 0);
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    void put16(uint16_t v);
    void put32(uint32_t v);
    void text(const char* s);
    void align4();
    Template& item_head(DWORD id, DWORD style, short x, short y, short cx, short cy, DWORD ex_style);
    Template& item_tail(const char* text);

    std::vector<uint8_t> m_bytes;
    bool m_classic;
    size_t m_count_at;
};

struct DialogCall {
    HWND dialog;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The DLGPROC of the tests: records every call in calls(), then gives what
// handler() answers; without a handler TRUE for WM_INITDIALOG, else FALSE.
INT_PTR CALLBACK recording_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
std::vector<DialogCall>& calls();
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>& handler();
// The (id, code) pairs of the WM_COMMAND messages `dialog` got.
std::vector<std::pair<int, int>> commands_of(HWND dialog);
void reset();

}  // namespace dialog_test
