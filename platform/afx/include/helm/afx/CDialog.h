// CDialog: a dialog box from a template of the resource chain (or one in
// memory). DoModal runs the dialog's own modal loop, in which every message
// passes the thread's PreTranslateMessage (from its target up to the main
// window) before the dialog's keyboard navigation; the owner is disabled
// meanwhile. Create makes a modeless dialog.
#pragma once

#include "helm/afx/CWnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(LPCSTR templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    // The result EndDialog gave; -1 when the template is missing or the
    // dialog could not be made.
    virtual INT_PTR DoModal();
    // A null parent is the main window.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);
    virtual BOOL CreateIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent = nullptr);
    BOOL InitModalIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent = nullptr);

    void EndDialog(int result);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* msg) override;
    // Commands (ids 0x8000 to 0xDFFF) the dialog's map does not take go to
    // the thread's object (the application) last.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* control);
    void SetDefID(UINT id);
    DWORD GetDefID() const;
    void MapDialogRect(LPRECT rect) const;

    LPCSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    LPCDLGTEMPLATE m_lpDialogTemplate = nullptr;
    CWnd* m_pParentWnd = nullptr;
    INT_PTR m_nModalResult = -1;

protected:
    // The loop of DoModal; ends when EndDialog is called or the window goes.
    int RunModalLoop();
    BOOL ContinueModal() const;
    void EndModalLoop(INT_PTR result);
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    // The template named by m_lpszTemplateName (or given in memory) and the
    // module that holds it.
    LPCDLGTEMPLATE resolve_template(HINSTANCE& module) const;
    HWND create_window(LPCDLGTEMPLATE dialogTemplate, HWND parent, HINSTANCE module);

    DECLARE_MESSAGE_MAP()

private:
    // A dialog is made from its template: the window's own Create stays
    // hidden, as in the class library.
    using CWnd::Create;
};
