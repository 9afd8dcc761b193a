#include "dialogs/C_Q_DialogRubrique.h"

#include <cstdlib>
#include <cstring>

#include "dialogs/HelmdialogsRes.h"
#include "toolkit/CLanguageTools.h"
#include "toolkit/CStringLang.h"

IMPLEMENT_DYNAMIC(C_Q_DialogRubrique, CDialogResize)

BEGIN_MESSAGE_MAP(C_Q_DialogRubrique, CDialogResize)
END_MESSAGE_MAP()

namespace {

// The names a list takes from a host's table at most, and their length.
constexpr unsigned max_names = 64;
constexpr size_t max_name = 32;

}  // namespace

C_Q_DialogRubrique::C_Q_DialogRubrique(UINT templateId, CWnd* parent) : CDialogResize(templateId, parent) {}

C_Q_DialogRubrique::~C_Q_DialogRubrique() = default;

UINT C_Q_DialogRubrique::F_GetExpandMsg() { return RegisterWindowMessage("VARNEK_RUBRIQUE_EXPAND"); }

UINT C_Q_DialogRubrique::F_GetValidateMsg() { return RegisterWindowMessage("VARNEK_RUBRIQUE_VALIDATE"); }

void C_Q_DialogRubrique::P_SetNotifications(std::initializer_list<Notification> notifications)
{
    m_notifications.assign(notifications);
}

void C_Q_DialogRubrique::DoDataExchange(CDataExchange* dx) { CDialogResize::DoDataExchange(dx); }

void C_Q_DialogRubrique::DDX_Frame(CDataExchange* dx, int titleId)
{
    DDX_Control(dx, icon_static, m_icon);
    if (titleId)
        DDX_Control(dx, titleId, m_title);
}

BOOL C_Q_DialogRubrique::OnInitDialog()
{
    CDialogResize::OnInitDialog();
    if (m_icon.m_hWnd)
        m_icon.ModifyStyle(0, SS_ICON | SS_CENTERIMAGE);
    if (m_title.m_hWnd) {
        m_title.F_SetBckColor(RGB(255, 255, 255));
        m_title.F_SetTxtColor(RGB(0, 0, 128));
        m_title.F_SetFontUnderline(true, true);
    }
    F_SetRectAfterCreate();
    // Every page's statics named by a string id take it in the chosen
    // language; a page's own set-up comes after.
    CLanguageTools::F_ProcessWindow(this);
    return TRUE;
}

int C_Q_DialogRubrique::F_GetDisplayHeight(bool full)
{
    if (!m_hWnd)
        return -1;
    if (full) {
        CRect original;
        F_GetOriginalRect(original);
        return original.Height();
    }
    return F_GetTitleHeight();
}

int C_Q_DialogRubrique::F_GetTitleHeight()
{
    if (!m_title.m_hWnd)
        return 0;
    CRect rect;
    m_title.GetWindowRect(&rect);
    return rect.Height();
}

int C_Q_DialogRubrique::F_SetRectAfterCreate()
{
    if (!m_hWnd)
        return -1;
    CRect rect;
    GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_rectAfterCreate = rect;
    return rect.Height();
}

int C_Q_DialogRubrique::F_GetRectAfterCreate()
{
    if (!m_hWnd)
        return -1;
    return m_rectAfterCreate.bottom - m_rectAfterCreate.top;
}

int C_Q_DialogRubrique::F_SetTextForRubTitle(CString text)
{
    if (!m_title.m_hWnd)
        return -1;
    m_title.SetWindowText(text);
    return 0;
}

void C_Q_DialogRubrique::P_PostValidate(WPARAM group)
{
    if (CWnd* host = GetParent())
        host->PostMessage(F_GetValidateMsg(), group, reinterpret_cast<LPARAM>(m_hWnd));
}

const C_Q_DialogRubrique::Notification* C_Q_DialogRubrique::find(int control, Event event) const
{
    for (const Notification& n : m_notifications)
        if (n.control == control && n.event == event)
            return &n;
    return nullptr;
}

BOOL C_Q_DialogRubrique::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The page's own handlers first (and nothing while the program fills
    // the controls through UpdateData).
    if (CDialogResize::OnCommand(wParam, lParam))
        return TRUE;
    HWND control = reinterpret_cast<HWND>(lParam);
    if (!control)
        return FALSE;
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (control == m_title.m_hWnd && code == STN_CLICKED) {
        if (CWnd* host = GetParent())
            host->PostMessage(F_GetExpandMsg(), 0, reinterpret_cast<LPARAM>(m_hWnd));
        return TRUE;
    }
    Event event;
    switch (code) {
    case CBN_SELCHANGE: event = Event::selection; break;
    case BN_CLICKED: event = Event::click; break;
    case EN_KILLFOCUS: event = Event::focus_lost_with_text; break;
    case EN_CHANGE: event = Event::change; break;
    case EN_MAXTEXT: event = Event::full; break;
    default: return FALSE;
    }
    const Notification* n = find(id, event);
    if (!n)
        return FALSE;
    if (event == Event::focus_lost_with_text && ::GetWindowTextLength(control) == 0)
        return TRUE;
    P_PostValidate(n->group);
    return TRUE;
}

BOOL C_Q_DialogRubrique::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CDialogResize::OnNotify(wParam, lParam, result))
        return TRUE;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->code != IPN_FIELDCHANGED)
        return FALSE;
    const Notification* n = find(static_cast<int>(header->idFrom), Event::ip_field);
    if (!n)
        return FALSE;
    P_PostValidate(n->group);
    return TRUE;
}

int C_Q_DialogRubrique::F_FillList(CComboBox& list, C_Q_ListTable* table, unsigned count)
{
    if (!m_hWnd || !list.m_hWnd)
        return -1;
    list.ResetContent();
    if (!table)
        return 0;
    for (unsigned i = 0; i < count && i < max_names; ++i) {
        const char* cell = (*table)[i];
        const CString name(cell, static_cast<int>(strnlen(cell, max_name)));
        list.InsertString(list.GetCount(), name);
    }
    return 0;
}

int C_Q_DialogRubrique::F_FillInterfaceList(CComboBox& list, unsigned count)
{
    if (!m_hWnd || !list.m_hWnd)
        return -1;
    list.ResetContent();
    CStringLang none, input;
    none.LoadString(IDS_NONE);
    input.LoadString(IDS_SERIAL_INPUT);
    list.InsertString(0, none);
    // The letters A to Z name the inputs.
    for (unsigned i = 0; i < count && i < 26; ++i) {
        CString entry;
        entry.Format(input, 'A' + static_cast<int>(i));
        list.InsertString(list.GetCount(), entry);
    }
    return 0;
}

int C_Q_DialogRubrique::F_SelectList(CComboBox& list, int index)
{
    if (!m_hWnd || !list.m_hWnd)
        return -1;
    return list.SetCurSel(index);
}

int C_Q_DialogRubrique::F_SelectedList(const CComboBox& list) const
{
    if (!m_hWnd || !list.m_hWnd)
        return -1;
    return list.GetCurSel();
}

int C_Q_DialogRubrique::F_ReadFloat(const CWnd& edit, float* value) const
{
    double read = 0;
    if (F_ReadDouble(edit, &read) != 0)
        return -1;
    if (value)
        *value = static_cast<float>(read);
    return 0;
}

int C_Q_DialogRubrique::F_ReadDouble(const CWnd& edit, double* value) const
{
    if (!m_hWnd || !edit.m_hWnd)
        return -1;
    CString text;
    edit.GetWindowText(text);
    if (text.IsEmpty())
        return -1;
    if (value)
        *value = std::atof(text);
    return 0;
}

int C_Q_DialogRubrique::F_WriteText(CWnd& control, const CString& text)
{
    if (!m_hWnd || !control.m_hWnd)
        return -1;
    control.SetWindowText(text);
    return 0;
}

int C_Q_DialogRubrique::F_WriteAddress(CIPAddressCtrl& control, BYTE a, BYTE b, BYTE c, BYTE d)
{
    if (!m_hWnd || !control.m_hWnd)
        return -1;
    control.SetAddress(a, b, c, d);
    return 0;
}

int C_Q_DialogRubrique::F_ReadAddress(CIPAddressCtrl& control, BYTE& a, BYTE& b, BYTE& c, BYTE& d)
{
    if (!m_hWnd || !control.m_hWnd)
        return -1;
    control.GetAddress(a, b, c, d);
    return 0;
}

int C_Q_DialogRubrique::F_WriteCheck(CButton& check, int state)
{
    if (!m_hWnd || !check.m_hWnd)
        return -1;
    check.SetCheck(state);
    return 0;
}

int C_Q_DialogRubrique::F_ReadCheck(const CButton& check) const
{
    if (!m_hWnd || !check.m_hWnd)
        return -1;
    return check.GetCheck();
}

void C_Q_DialogRubrique::P_EnableAll(std::initializer_list<CWnd*> controls, bool enable)
{
    for (CWnd* control : controls)
        if (control->m_hWnd)
            control->EnableWindow(enable);
}

void C_Q_DialogRubrique::P_ShowButtonState(CButton& button, UINT iconId, bool checked)
{
    if (!button.m_hWnd)
        return;
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCE(iconId), RT_GROUP_ICON);
    button.SetIcon(::LoadIcon(module, MAKEINTRESOURCE(iconId)));
    button.SetCheck(checked ? BST_CHECKED : BST_UNCHECKED);
}

void C_Q_DialogRubrique::P_AddTips(std::initializer_list<CWnd*> tools, UINT textId)
{
    if (!m_hWnd)
        return;
    if (!m_toolTip.m_hWnd) {
        m_toolTip.Create(this, TTS_ALWAYSTIP);
        m_toolTip.SetDelayTime(100);
        m_toolTip.Activate(TRUE);
    }
    CStringLang tip;
    tip.LoadString(textId);
    for (CWnd* tool : tools)
        if (tool->m_hWnd)
            m_toolTip.AddTool(tool, tip);
}

BOOL C_Q_DialogRubrique::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(msg);
    return CDialogResize::PreTranslateMessage(msg);
}

void C_Q_DialogRubrique::P_Restrict(CEditRestricted& edit, const char* chars, int limit)
{
    edit.F_SetEnableChars(chars);
    if (edit.m_hWnd)
        edit.LimitText(limit);
}
