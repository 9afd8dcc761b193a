// C_Q_RubRsProOutSettings: an output port's protocol, lever arm and sample
// period (template 4226). A protocol pick and the "Library" button (which
// picks the host's user-defined protocol, entry 2) post group 12, a lever
// arm pick 10, a sample period pick 11. The period list is the page's own
// table of periods with their labels.
#pragma once

#include <vector>

#include "dialogs/C_Q_RubProtocolPage.h"

class C_Q_RubRsProOutSettings : public C_Q_RubProtocolPage {
public:
    explicit C_Q_RubRsProOutSettings(CWnd* parent = nullptr);

    // Empties the protocol and lever arm lists; no period chosen.
    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_InitListLeverArm(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listLeverArm, table, count); }
    int F_SetCurSelListLeverArm(int index) { return F_SelectList(m_listLeverArm, index); }
    int F_GetCurSelListLeverArm() { return F_SelectedList(m_listLeverArm); }
    // The table of periods, from "None" (0 ms) to 10000 ms.
    int F_InitListSmpPeriod();
    // Chooses the first entry of that period; -1 when none has it.
    int F_SetCurSelListSmpPeriod(int ms);
    // The chosen entry's period; 0 with an empty table, -1 with no choice.
    int F_GetCurSelListSmpPeriod();
    // Appends an entry {period, label} to the table and the list.
    int F_InitStructAndViewSmpPeriod(unsigned short period, CString label);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnLibrary();

private:
    struct SamplePeriod {
        CString label;
        unsigned short period;
    };

    CEdit m_editUserPeriod;
    CComboBox m_listLeverArm;
    CComboBox m_listSmpPeriod;
    std::vector<SamplePeriod> m_periods;

    DECLARE_MESSAGE_MAP()
};
