// C_Q_RubTimeOutPage: what the input pages with a time-out share beside
// their protocol list: the time-out list with its edit for the user's
// value (controls 4712, 4713), posting the page's time-out group when the
// operator chooses one.
#pragma once

#include <memory>

#include "dialogs/C_Q_RubProtocolPage.h"
#include "toolkit/CEditRestricted.h"

class TimeOutChoice;

class C_Q_RubTimeOutPage : public C_Q_RubProtocolPage {
public:
    C_Q_RubTimeOutPage(UINT templateId, int titleId, WPARAM timeOutGroup, CWnd* parent);
    ~C_Q_RubTimeOutPage() override;

    // Empties the protocol list and forgets the time-out chosen.
    int F_InitDialog();
    int F_EnableDialog(bool enable);
    // "Automatic" and "User setting (ms)...", the edit taking six digits.
    int F_InitListTimeOut();
    // ms <= 0 chooses "Automatic", else the user's value "<ms> ms".
    int F_SetCurSelListTimeOut(int ms);
    // The user's time-out in ms; -1 for "Automatic" or none chosen.
    int F_GetCurSelListTimeOut();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnSelchangeTimeOut();
    void OnKillfocusTimeOut();

    CComboBox m_listTimeOut;
    CEditRestricted m_editTimeOut;

private:
    std::unique_ptr<TimeOutChoice> m_timeOut;

    DECLARE_MESSAGE_MAP()
};
