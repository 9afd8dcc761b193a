#include "ValuegridCtrl.h"

#include <algorithm>

namespace {

// Rows are numbered by unsigned 16-bit numbers.
constexpr size_t max_rows = 0xFFFF;
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF alarm_red = RGB(255, 0, 0);
constexpr const char* value_chars = "0123456789.";

const char* text_or_empty(const char* text) { return text ? text : ""; }

}  // namespace

ValuegridCtrl::ValuegridCtrl()
    : WindowedControl(DIID__IValuegridCtrlEvents), m_itemChangedMsg(RegisterWindowMessage(valuegrid_item_changed_message))
{
}

ValuegridCtrl::~ValuegridCtrl()
{
    if (m_font)
        DeleteObject(m_font);
}

HRESULT ValuegridCtrl::AddItem(USHORT* item, char* label, char* value, char* unit, USHORT digits, double valueMax,
                               double valueMin, VARIANT_BOOL bounded, VARIANT_BOOL edit)
{
    if (!item)
        return E_POINTER;
    if (m_rows.size() >= max_rows)
        return E_OUTOFMEMORY;
    auto made = std::make_unique<Row>(*this);
    Row& r = *made;
    // A control without a window (called before it was placed) keeps the
    // row without an edit box rather than making a stray top-level one.
    if (m_hWnd) {
        HWND box = CreateWindowEx(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_WANTRETURN | ES_RIGHT,
                                  0, 0, 0, 0, m_hWnd, nullptr, nullptr, nullptr);
        if (box && r.edit.SubclassWindow(box))
            r.edit.F_SetEnableChars(value_chars);
    }
    if (!edit)
        r.value = text_or_empty(value);
    r.label = text_or_empty(label);
    r.unit = text_or_empty(unit);
    r.digits = digits;
    r.bounded = bounded != 0;
    if (r.bounded) {
        r.maximum = valueMax;
        r.minimum = valueMin;
    }
    r.editMode = edit != 0;
    r.number = static_cast<short>(m_rows.size());
    *item = static_cast<USHORT>(m_rows.size());
    m_rows.push_back(std::move(made));
    return S_OK;
}

HRESULT ValuegridCtrl::SetItemValue(USHORT item, char* value)
{
    return on_row(item, [&](Row& r) {
        if (r.editMode)
            return;  // the operator's typing is not overwritten
        r.value = text_or_empty(value);
        r.edited = r.value;
        if (r.edit.m_hWnd)
            r.edit.SetWindowText(r.value);
        if (m_hWnd)
            InvalidateRect(m_hWnd, &r.valueRect, FALSE);
    });
}

HRESULT ValuegridCtrl::SetItemLabel(USHORT item, char* label)
{
    return on_row(item, [&](Row& r) { r.label = text_or_empty(label); });
}

HRESULT ValuegridCtrl::SetItemUnit(USHORT item, char* unit)
{
    return on_row(item, [&](Row& r) { r.unit = text_or_empty(unit); });
}

HRESULT ValuegridCtrl::SetItemVisible(USHORT item, VARIANT_BOOL visible)
{
    return on_row(item, [&](Row& r) { r.visible = visible != 0; });
}

HRESULT ValuegridCtrl::SetItemState(USHORT item, VARIANT_BOOL state)
{
    return on_row(item, [&](Row& r) { r.state = state != 0; });
}

HRESULT ValuegridCtrl::SetItemEdit(USHORT item, VARIANT_BOOL edit)
{
    return on_row(item, [&](Row& r) {
        if (!edit) {
            r.editMode = false;
        } else if (!r.editMode) {
            r.editMode = true;
            if (r.edit.m_hWnd)
                r.edit.SetWindowText("");
        }
    });
}

HRESULT ValuegridCtrl::Rebuilt()
{
    CRect area;
    if (m_hWnd)
        GetClientRect(m_hWnd, &area);
    area.DeflateRect(margin, margin);

    m_visible.clear();
    for (auto& r : m_rows)
        if (r->visible)
            m_visible.push_back(r.get());
    // A hidden row's box goes with it, whatever its edit mode.
    for (auto& r : m_rows)
        if (!r->visible && r->edit.m_hWnd)
            r->edit.ShowWindow(SW_HIDE);
    if (m_visible.empty())
        return S_OK;

    const int count = static_cast<int>(m_visible.size());
    int h = area.Height() / count;
    if (h < 12)
        h = 14;
    const int remainder = area.Height() - count * h;

    int labelChars = 0, digitChars = 0, unitChars = 0;
    for (const Row* r : m_visible) {
        labelChars = std::max(labelChars, r->label.GetLength());
        digitChars = std::max(digitChars, static_cast<int>(r->digits));
        unitChars = std::max(unitChars, r->unit.GetLength());
    }
    // With nothing to fit across (empty labels and units, no digits), the
    // row height alone sizes the font.
    const int chars = labelChars + digitChars + unitChars;
    int f = h * 3 / 4;
    if (chars > 0)
        f = std::min(f, area.Width() / chars);
    f = std::max(f, 1);
    if (m_font)
        DeleteObject(m_font);
    m_font = CreateFont(-f, -f, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
    m_fontSize = f;

    const int unitLeft = area.right - f * unitChars;
    const int valueLeft = unitLeft - f * digitChars;
    const int rowHeight = remainder > 0 ? h + 1 : h;
    int top = 0;
    for (Row* r : m_visible) {
        const int bottom = top + rowHeight;
        r->labelRect = CRect(area.left, top, valueLeft, bottom);
        r->valueRect = CRect(valueLeft, top, unitLeft, bottom);
        r->unitRect = CRect(unitLeft, top, area.right, bottom);
        top = bottom;
        if (!r->edit.m_hWnd)
            continue;
        const CRect& v = r->valueRect;
        const int u = (v.Height() - 20) / 2;
        const int x = v.left + v.Width() / 2;
        r->edit.MoveWindow(x, v.top + u, v.right - x, v.Height() - 2 * u);
        r->edit.ShowWindow(r->editMode ? SW_SHOWNORMAL : SW_HIDE);
    }
    return S_OK;
}

HRESULT ValuegridCtrl::E_ItemEdited(USHORT, VARIANT) { return E_NOTIMPL; }

HRESULT ValuegridCtrl::GetItemChangedMsg(ULONG* message)
{
    if (!message)
        return E_POINTER;
    *message = m_itemChangedMsg;
    return S_OK;
}

HRESULT ValuegridCtrl::SetNotifyWnd(LONG window)
{
    m_notify = reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<ULONG>(window)));
    return S_OK;
}

HRESULT ValuegridCtrl::GetItemEditedString(USHORT item, BSTR* text)
{
    Row* r = row(item);
    if (!r)
        return E_INVALIDARG;
    if (!text)
        return E_POINTER;
    *text = helm::com::bstr_from_text(std::string_view(r->edited, static_cast<size_t>(r->edited.GetLength())));
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT ValuegridCtrl::SetItemEditReadOnly(USHORT item, VARIANT_BOOL readOnly)
{
    return on_row(item, [&](Row& r) {
        if (r.edit.m_hWnd)
            r.edit.SetReadOnly(readOnly != 0);
    });
}

HRESULT ValuegridCtrl::GetRow(USHORT item, ValuegridRow* out)
{
    Row* r = row(item);
    if (!r)
        return E_INVALIDARG;
    if (!out)
        return E_POINTER;
    out->label = static_cast<LPCSTR>(r->label);
    out->value = static_cast<LPCSTR>(r->value);
    out->unit = static_cast<LPCSTR>(r->unit);
    out->edited = static_cast<LPCSTR>(r->edited);
    out->maximum = r->maximum;
    out->minimum = r->minimum;
    out->bounded = r->bounded;
    out->digits = r->digits;
    out->state = r->state;
    out->visible = r->visible;
    out->edit_mode = r->editMode;
    out->label_rect = r->labelRect;
    out->value_rect = r->valueRect;
    out->unit_rect = r->unitRect;
    out->edit = r->edit.m_hWnd;
    return S_OK;
}

void ValuegridCtrl::P_NotifyEditedItems()
{
    for (Row* r : m_visible) {
        if (!r->edit.m_hWnd || !r->edit.SendMessage(EM_GETMODIFY))
            continue;
        r->edit.GetWindowText(r->edited);
        if (m_notify && IsWindow(m_notify))
            PostMessage(m_notify, m_itemChangedMsg, static_cast<WPARAM>(static_cast<USHORT>(r->number)), 0);
        r->edit.SendMessage(EM_SETMODIFY, 0);
    }
}

BOOL ValuegridCtrl::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result)
{
    switch (message) {
    case WM_CREATE:
    case WM_ERASEBKGND:  // OnDraw covers everything
        result = 0;
        return TRUE;
    default:
        return FALSE;
    }
}

HRESULT ValuegridCtrl::OnDraw(HDC dc, const RECT& bounds)
{
    HBRUSH background = CreateSolidBrush(black);
    HGDIOBJ oldFont = m_font ? SelectObject(dc, m_font) : nullptr;
    FillRect(dc, &bounds, background);
    SetBkColor(dc, black);
    auto cell = [&](const CRect& rect, const CString& text, COLORREF colour, UINT align) {
        FillRect(dc, &rect, background);
        SetTextColor(dc, colour);
        CRect box = rect;
        DrawText(dc, text, text.GetLength(), &box, DT_SINGLELINE | DT_VCENTER | align);
    };
    for (const Row* r : m_visible) {
        const COLORREF stateColour = r->state ? white : alarm_red;
        cell(r->labelRect, r->label, white, DT_LEFT);
        cell(r->unitRect, r->unit, stateColour, DT_CENTER);
        if (r->editMode)
            FillRect(dc, &r->valueRect, background);  // the edit box shows the value
        else
            cell(r->valueRect, r->value, stateColour, DT_RIGHT);
    }
    if (oldFont)
        SelectObject(dc, oldFont);
    DeleteObject(background);
    return S_OK;
}
