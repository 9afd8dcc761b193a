// C_Q_RubPulseSettings: the protocol and parameter of a pulse output
// (template 4204). A protocol pick posts group 0; leaving the parameter
// with text in it posts group 1.
#pragma once

#include "dialogs/C_Q_RubProtocolPage.h"
#include "toolkit/CEditRestricted.h"

class C_Q_RubPulseSettings : public C_Q_RubProtocolPage {
public:
    explicit C_Q_RubPulseSettings(CWnd* parent = nullptr);

    // The protocol list emptied and the parameter 0.
    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_SetTitle(CString title) { return F_SetTextForRubTitle(title); }
    // "%.02f" into the parameter; read back with atof (-1 when empty).
    int F_SetParam(float value);
    int F_GetParam(float* value) { return F_ReadFloat(m_editParam, value); }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CEditRestricted m_editParam;
};
