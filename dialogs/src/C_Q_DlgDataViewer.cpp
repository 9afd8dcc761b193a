#include "dialogs/C_Q_DlgDataViewer.h"

#include <algorithm>

#include "dialogs/HelmdialogsRes.h"
#include "toolkit/CStringLang.h"
#include "viewer_types.h"

namespace {

constexpr unsigned short heading_index = 11, roll_index = 12, pitch_index = 13, heave_index = 17;

}  // namespace

BEGIN_MESSAGE_MAP(C_Q_DlgDataViewer, CDialog)
    ON_WM_SIZE()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

C_Q_DlgDataViewer::C_Q_DlgDataViewer(CWnd* parent) : CDialog(IDD_DATA_VIEWER, parent) {}

C_Q_DlgDataViewer::~C_Q_DlgDataViewer() = default;

void C_Q_DlgDataViewer::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_VALUEGRID, m_grid);
}

void C_Q_DlgDataViewer::P_SetTypeViewer(unsigned short type) { m_type = type; }

void C_Q_DlgDataViewer::P_SetManageHeave(bool manage) { m_manageHeave = manage; }

const unsigned short* C_Q_DlgDataViewer::row_of(unsigned index) const
{
    return index < logical_rows && m_filled[index] ? &m_rows[index] : nullptr;
}

BOOL C_Q_DlgDataViewer::OnInitDialog()
{
    CDialog::OnInitDialog();
    std::fill(std::begin(m_filled), std::end(m_filled), false);
    const helm::dialogs::ViewerType type = helm::dialogs::viewer_type(m_type);
    if (type.rows.empty())
        return FALSE;
    CStringLang noValue;
    noValue.LoadString(IDS_NO_VALUE);
    for (const helm::dialogs::ViewerRow& row : type.rows) {
        CStringLang label;
        label.LoadString(row.label);
        // Without its grid the row stays unfilled: nothing will address it.
        if (!m_grid.m_hWnd)
            continue;
        m_grid.AddItem(&m_rows[row.index], label, noValue, " ", type.digits, row.max, row.min, row.bounded, FALSE);
        m_filled[row.index] = true;
    }
    m_grid.Rebuilt();
    if (m_grid.m_hWnd)
        m_grid.Invalidate();
    P_InitDataViewer(false);
    return TRUE;
}

void C_Q_DlgDataViewer::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (!has_windows())
        return;
    m_grid.MoveWindow(0, 0, cx, cy);
    m_grid.Rebuilt();
    m_grid.Invalidate();
}

void C_Q_DlgDataViewer::P_SetValue(unsigned index, CString* text)
{
    const unsigned short* row = row_of(index);
    if (!row || !text || !has_windows())
        return;
    m_grid.SetItemValue(*row, *text);
}

void C_Q_DlgDataViewer::P_SetColorViewer(bool state)
{
    m_colorState = state;
    if (!has_windows())
        return;
    if (m_type == 0) {
        for (unsigned short index : {heading_index, roll_index, pitch_index})
            if (const unsigned short* row = row_of(index))
                m_grid.SetItemState(*row, state);
        P_SetColorHeaveViewer(m_heaveColorState);
        return;
    }
    for (unsigned index = 0; index < logical_rows; ++index)
        if (const unsigned short* row = row_of(index))
            m_grid.SetItemState(*row, state);
    if (m_manageHeave)
        P_SetColorHeaveViewer(m_heaveColorState);
}

void C_Q_DlgDataViewer::P_SetColorHeaveViewer(bool state)
{
    m_heaveColorState = state;
    if (!has_windows())
        return;
    if (const unsigned short* row = row_of(heave_index))
        m_grid.SetItemState(*row, state);
}

void C_Q_DlgDataViewer::P_InitDataViewer(bool reset)
{
    if (reset) {
        m_colorState = true;
        m_heaveColorState = true;
    }
    if (!has_windows())
        return;
    CStringLang noValue;
    noValue.LoadString(IDS_NO_VALUE);
    for (unsigned index = 0; index < logical_rows; ++index)
        if (const unsigned short* row = row_of(index))
            m_grid.SetItemValue(*row, noValue);
    P_SetColorViewer(m_colorState);
}
