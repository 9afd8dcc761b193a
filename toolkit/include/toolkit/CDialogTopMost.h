// CDialogTopMost: a dialog that can be kept above every other window; its
// pin button (CButtonPin) turns that on and off.
#pragma once

#include "afxwin.h"

class CDialogTopMost : public CDialog {
    DECLARE_DYNAMIC(CDialogTopMost)

public:
    explicit CDialogTopMost(UINT templateId, CWnd* parent = nullptr);
    ~CDialogTopMost() override;

    void P_SetTopMost(bool topMost);
    bool F_GetTopMost() const;

protected:
    void DoDataExchange(CDataExchange* dx) override;

    DECLARE_MESSAGE_MAP()
};
