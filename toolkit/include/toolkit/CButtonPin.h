// CButtonPin: an icon button that keeps its parent CDialogTopMost above
// every other window, or lets it go; its icon shows which. CButtonMin: an
// icon button that minimises its parent window.
#pragma once

#include "afxwin.h"

class CButtonPin : public CButton {
    DECLARE_DYNAMIC(CButtonPin)

protected:
    void PreSubclassWindow() override;
    BOOL OnClicked();
    void show_state();

    DECLARE_MESSAGE_MAP()
};

class CButtonMin : public CButton {
    DECLARE_DYNAMIC(CButtonMin)

protected:
    void PreSubclassWindow() override;
    BOOL OnClicked();

    DECLARE_MESSAGE_MAP()
};
