#include "TimeOutChoice.h"

#include <cstdio>

#include "dialogs/HelmdialogsRes.h"
#include "toolkit/CStringLang.h"

namespace {

CString text_of(UINT id)
{
    CStringLang text;
    text.LoadString(id);
    return text;
}

}  // namespace

int TimeOutChoice::fill()
{
    if (!m_list.m_hWnd || !m_edit.m_hWnd)
        return -1;
    m_edit.F_SetEnableChars("1234567890");
    m_edit.LimitText(6);
    m_edit.ShowWindow(SW_HIDE);
    m_list.ResetContent();
    m_list.InsertString(automatic, text_of(IDS_TIME_OUT_AUTOMATIC));
    m_list.InsertString(user_setting, text_of(IDS_TIME_OUT_USER));
    return 0;
}

void TimeOutChoice::choose_user_value(int ms)
{
    if (m_list.GetCount() > user_value)
        m_list.DeleteString(user_value);
    CString entry;
    entry.Format(text_of(IDS_TIME_OUT_ENTRY), ms);
    m_list.InsertString(user_value, entry);
}

int TimeOutChoice::select(int ms)
{
    if (!m_list.m_hWnd)
        return -1;
    if (ms <= 0) {
        m_remembered = automatic;
        return m_list.SetCurSel(automatic);
    }
    choose_user_value(ms);
    m_remembered = user_value;
    return m_list.SetCurSel(user_value);
}

int TimeOutChoice::selected() const
{
    if (!m_list.m_hWnd || m_list.GetCurSel() != user_value)
        return -1;
    CString entry;
    m_list.GetLBText(user_value, entry);
    int ms = -1;
    if (std::sscanf(entry, "%d", &ms) != 1)
        return -1;
    return ms;
}

void TimeOutChoice::clear()
{
    if (m_list.m_hWnd)
        m_list.SetCurSel(-1);
    m_remembered = -1;
}

void TimeOutChoice::on_pick()
{
    const int picked = m_list.GetCurSel();
    if (picked == user_setting) {
        m_list.ShowWindow(SW_HIDE);
        m_edit.SetWindowText("");
        m_edit.ShowWindow(SW_SHOW);
        m_edit.SetFocus();
        return;
    }
    m_remembered = picked;
    m_tell();
}

void TimeOutChoice::on_edit_done()
{
    if (!m_edit.IsWindowVisible())
        return;
    m_list.ShowWindow(SW_SHOW);
    m_edit.ShowWindow(SW_HIDE);
    CString text;
    m_edit.GetWindowText(text);
    if (text.IsEmpty()) {
        m_list.SetCurSel(m_remembered);
        return;
    }
    int ms = 0;
    std::sscanf(text, "%d", &ms);
    if (ms <= 0) {
        m_list.SetCurSel(automatic);
        m_remembered = automatic;
    } else {
        choose_user_value(ms);
        m_list.SetCurSel(user_value);
        m_remembered = user_value;
    }
    m_tell();
}
