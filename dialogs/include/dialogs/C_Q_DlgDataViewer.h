// C_Q_DlgDataViewer: a table of live values in a value grid. The viewer
// type, set before the window is made, chooses which rows exist; hosts then
// write formatted texts by logical row index (0 to 56, one fixed meaning
// each, whatever the type) and switch rows between normal and alarm
// colour. An index the type did not fill, or one past 56, changes nothing.
// Every operation is skipped while the dialog or its grid has no window.
#pragma once

#include "afxwin.h"
#include "dialogs/CValuegridctrl.h"

class C_Q_DlgDataViewer : public CDialog {
public:
    static constexpr unsigned logical_rows = 57;

    explicit C_Q_DlgDataViewer(CWnd* parent = nullptr);
    ~C_Q_DlgDataViewer() override;

    // Viewer types 0 to 28 (25 and above 28 make no row). Set before the
    // window is made: the rows are built once, when the dialog opens.
    void P_SetTypeViewer(unsigned short type);
    void P_SetManageHeave(bool manage);
    void P_SetValue(unsigned index, CString* text);
    // false draws the type's rows in the alarm colour (type 0: heading,
    // roll and pitch only); the heave row follows its own state.
    void P_SetColorViewer(bool state);
    void P_SetColorHeaveViewer(bool state);
    // Every row back to "---"; with reset, both colour states to normal.
    void P_InitDataViewer(bool reset);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // The viewer is a child panel: Enter, Escape and a close request end
    // nothing.
    void OnOK() override {}
    void OnCancel() override {}
    void OnClose() {}
    void OnSize(UINT type, int cx, int cy);

private:
    bool has_windows() const { return m_hWnd && m_grid.m_hWnd; }
    // The grid's row for a logical index the type filled; null otherwise.
    const unsigned short* row_of(unsigned index) const;

    CValuegridctrl m_grid;
    unsigned short m_rows[logical_rows] = {};
    bool m_filled[logical_rows] = {};
    unsigned short m_type = 0;
    bool m_colorState = true;
    bool m_heaveColorState = true;
    bool m_manageHeave = false;

    DECLARE_MESSAGE_MAP()
};
