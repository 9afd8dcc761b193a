// CDialogResize: a dialog whose controls follow its size. Each control
// registered with F_AddDlgControl keeps the edges it was told to keep and
// moves the others by the change of the dialog's client size since it was
// registered. The dialog may be kept from being made smaller than a size.
#pragma once

#include <vector>

#include "toolkit/CDialogTopMost.h"

class CDialogResize : public CDialogTopMost {
    DECLARE_DYNAMIC(CDialogResize)

public:
    explicit CDialogResize(UINT templateId, CWnd* parent = nullptr);
    ~CDialogResize() override;

    // The dialog's window rectangle when it was made.
    void F_GetOriginalRect(CRect& rect) const { rect = m_rectOriginal; }
    // Each true keeps that edge of the control in place; each false makes
    // it follow the dialog's size.
    void F_AddDlgControl(UINT id, bool top, bool bottom, bool left, bool right);
    // Not allowed: the dialog is never made lower (narrower) than `limit`
    // pixels, or than it is now when the limit is -1.
    void F_SetAllowLessHeight(bool allow, int limit);
    void F_SetAllowLessWidth(bool allow, int limit);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnSize(UINT type, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info);

private:
    struct Anchor {
        UINT id;
        bool top, bottom, left, right;
        CRect rect;      // in the dialog's client area when registered
        CSize client;    // the dialog's client size then
    };
    std::vector<Anchor> m_anchors;
    CRect m_rectOriginal;
    int m_nMinHeight = 0;  // 0: none of our own
    int m_nMinWidth = 0;

    DECLARE_MESSAGE_MAP()
};
