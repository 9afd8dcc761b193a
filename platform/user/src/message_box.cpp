// MessageBox: a modal dialog built from a template of its own, with the
// buttons of the type's set, the text measured in the box's font and the
// icon of the type.

#include <algorithm>
#include <string>
#include <vector>

#include "common_dialog.h"
#include "helm/kernel/error.h"
#include "helm/user/controls.h"
#include "helm/user/dialogs.h"
#include "helm/user/painting.h"
#include "template_writer.h"

namespace helm::user {

namespace {

struct ButtonRow {
    UINT set;
    std::vector<std::pair<WORD, const char*>> buttons;
    // What Escape and the close box answer: 0 when they are ignored.
    int cancel;
};

const ButtonRow button_rows[] = {
    {MB_OK, {{IDOK, "OK"}}, IDOK},
    {MB_OKCANCEL, {{IDOK, "OK"}, {IDCANCEL, "Cancel"}}, IDCANCEL},
    {MB_ABORTRETRYIGNORE, {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}}, 0},
    {MB_YESNOCANCEL, {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}}, IDCANCEL},
    {MB_YESNO, {{IDYES, "&Yes"}, {IDNO, "&No"}}, 0},
    {MB_RETRYCANCEL, {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}}, IDCANCEL},
};

// The icons of the MB_ICON kinds, from the system's.
const struct {
    UINT kind;
    LPCSTR icon;
} icon_rows[] = {
    {MB_ICONHAND, IDI_HAND},
    {MB_ICONQUESTION, IDI_QUESTION},
    {MB_ICONEXCLAMATION, IDI_EXCLAMATION},
    {MB_ICONASTERISK, IDI_ASTERISK},
};

// Dialog units of the layout, as the classic box.
constexpr short margin = 7;
constexpr short icon_size = 21;
constexpr short button_cx = 50;
constexpr short button_cy = 14;
constexpr short button_gap = 6;
constexpr short widest_text = 240;
constexpr WORD text_id = 0xFFFF;
constexpr WORD icon_id = 20;
constexpr char box_face[] = "MS Shell Dlg";
constexpr int box_points = 8;

struct BoxState {
    const ButtonRow* row;
    WORD default_id;
    LPCSTR icon;  // null: none
};

INT_PTR CALLBACK box_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (common_dialog_message(dialog, message))
        return TRUE;
    auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtr(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtr(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<BoxState*>(lParam);
        if (state->icon)
            SendDlgItemMessage(dialog, icon_id, STM_SETICON,
                               reinterpret_cast<WPARAM>(LoadIcon(nullptr, state->icon)), 0);
        SetFocus(GetDlgItem(dialog, state->default_id));
        return FALSE;
    case WM_COMMAND: {
        if (!state || HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        int id = LOWORD(wParam);
        bool offered = std::any_of(state->row->buttons.begin(), state->row->buttons.end(),
                                   [&](const auto& b) { return b.first == id; });
        if (id == IDCANCEL && !offered)
            id = state->row->cancel;
        else if (!offered)
            return FALSE;
        if (id != 0)
            EndDialog(dialog, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// The text's size in dialog units as the box's static shows it: measured
// in the box's font, its own line breaks kept, longer lines wrapped at the
// widest the box grows to.
SIZE text_size(const std::string& text)
{
    const SIZE units = dialog_base_units(box_face, box_points);
    SIZE out{2 * units.cx, 8};
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return out;
    HGDIOBJ old = SelectObject(dc, dialog_font(box_face, box_points));
    RECT r{0, 0, widest_text * units.cx / 4, 0};
    DrawText(dc, text.c_str(), static_cast<int>(std::min<size_t>(text.size(), 64 * 1024)), &r,
             DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    DeleteDC(dc);
    // Pixels to dialog units, rounded up so nothing is cut.
    out.cx = std::max<LONG>(out.cx, (r.right * 4 + units.cx - 1) / units.cx);
    out.cy = std::max<LONG>(out.cy, (r.bottom * 8 + units.cy - 1) / units.cy);
    return out;
}

Seam<MessageBoxAnswer>& answer_seam()
{
    static auto* seam = new Seam<MessageBoxAnswer>();
    return *seam;
}

}  // namespace

void set_message_box_answer(MessageBoxAnswer answer)
{
    answer_seam().set(std::move(answer));
}

}  // namespace helm::user

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    using namespace helm::user;
    const ButtonRow* row = nullptr;
    for (const ButtonRow& r : button_rows)
        if (r.set == (type & MB_TYPEMASK))
            row = &r;
    if (!row) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    MessageBoxQuestion question{owner, text ? text : "", caption ? caption : "Error", type};
    if (auto answer = answer_seam().get())
        return answer(question);
    if (nobody_answers("message box", question.caption, question.text)) {
        SetLastError(ERROR_ACCESS_DENIED);  // no desktop to show it on
        return 0;
    }

    LPCSTR icon = nullptr;
    for (const auto& r : icon_rows)
        if (r.kind == (type & MB_ICONMASK))
            icon = r.icon;
    const bool has_icon = icon != nullptr;
    const SIZE measured = text_size(question.text);
    const short text_x = has_icon ? margin + icon_size + margin : margin;
    const short text_cx = static_cast<short>(std::min<LONG>(measured.cx, widest_text));
    const short text_cy = static_cast<short>(std::min<LONG>(measured.cy, 1600));
    const short n = static_cast<short>(row->buttons.size());
    const short row_cx = n * button_cx + (n - 1) * button_gap;
    const short client_cx = std::max<short>(text_x + text_cx + margin, row_cx + 2 * margin);
    const short body_cy = std::max<short>(text_cy, has_icon ? icon_size : 0);
    const short client_cy = margin + body_cy + margin + button_cy + margin;

    size_t default_index = std::min<size_t>(((type & MB_DEFMASK) >> 8), row->buttons.size() - 1);
    BoxState state{row, row->buttons[default_index].first, icon};

    TemplateWriter t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | WS_VISIBLE, 0, 0, client_cx,
                     client_cy, question.caption, box_face, box_points);
    if (has_icon)
        t.add(0x0082, SS_ICON | WS_VISIBLE, margin, margin, icon_size, icon_size, icon_id, "");
    t.add(0x0082, SS_LEFT | SS_NOPREFIX | WS_GROUP | WS_VISIBLE, text_x,
          static_cast<short>(margin + (body_cy - text_cy) / 2), text_cx, text_cy, text_id, question.text);
    short x = static_cast<short>((client_cx - row_cx) / 2);
    const short y = margin + body_cy + margin;
    for (size_t i = 0; i < row->buttons.size(); ++i) {
        DWORD style = WS_TABSTOP | WS_VISIBLE | (i == default_index ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (i == 0)
            style |= WS_GROUP;
        t.add(0x0080, style, x, y, button_cx, button_cy, row->buttons[i].first, row->buttons[i].second);
        x = static_cast<short>(x + button_cx + button_gap);
    }
    INT_PTR result = DialogBoxIndirectParam(nullptr, t.get(), owner, box_proc, reinterpret_cast<LPARAM>(&state));
    return result < 0 ? 0 : static_cast<int>(result);
}

int MessageBeep(UINT)
{
    return TRUE;
}
