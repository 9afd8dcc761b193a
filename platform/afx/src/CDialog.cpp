#include "helm/afx/CDialog.h"

#include "helm/afx/CWinApp.h"
#include "helm/afx/module_state.h"
#include "helm/kernel/trace.h"
#include "control_container.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
END_MESSAGE_MAP()

namespace {

// The dialog procedure of every CDialog: binds the object at the first
// message the dialog manager gives it, and runs OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM, LPARAM)
{
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (!object) {
        helm::afx::ThreadState& state = helm::afx::thread_state();
        if (!state.creating_dialog)
            return FALSE;
        object = state.creating_dialog;
        state.creating_dialog = nullptr;
        if (!object->SubclassWindow(window))
            return FALSE;
    }
    if (message == WM_INITDIALOG) {
        // The hosted controls exist: the dialog's event sink map hears them
        // from now on.
        helm::afx::ControlContainer::connect_hosted(*object);
        CDialog* dialog = DYNAMIC_DOWNCAST(CDialog, object);
        return dialog ? dialog->OnInitDialog() : TRUE;
    }
    return FALSE;
}

HWND top_level_of(HWND window)
{
    while (window && (GetWindowLong(window, GWL_STYLE) & WS_CHILD))
        window = GetParent(window);
    return window;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_lpszTemplateName(MAKEINTRESOURCE(templateId)), m_nIDHelp(templateId), m_pParentWnd(parent)
{
}

CDialog::CDialog(LPCSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent)
{
}

CDialog::~CDialog() = default;

LPCDLGTEMPLATE CDialog::resolve_template(HINSTANCE& module) const
{
    if (m_lpDialogTemplate) {
        module = AfxGetResourceHandle();
        return m_lpDialogTemplate;
    }
    if (!m_lpszTemplateName)
        return nullptr;
    module = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    HRSRC resource = FindResource(module, m_lpszTemplateName, RT_DIALOG);
    if (!resource) {
        helm::kernel::trace("dialog: no template %u in the resource chain\n",
                            IS_INTRESOURCE(m_lpszTemplateName)
                                ? static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(m_lpszTemplateName))
                                : 0u);
        return nullptr;
    }
    return static_cast<LPCDLGTEMPLATE>(LockResource(LoadResource(module, resource)));
}

HWND CDialog::create_window(LPCDLGTEMPLATE dialogTemplate, HWND parent, HINSTANCE module)
{
    helm::afx::ThreadState& state = helm::afx::thread_state();
    CWnd* saved = state.creating_dialog;
    state.creating_dialog = this;
    HWND window = CreateDialogIndirectParam(module, dialogTemplate, parent, &AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (state.creating_dialog == this)
        state.creating_dialog = saved;
    if (!window)
        return nullptr;
    if (!m_hWnd)
        SubclassWindow(window);
    return window;
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE module = nullptr;
    LPCDLGTEMPLATE dialogTemplate = resolve_template(module);
    if (!dialogTemplate || m_hWnd)
        return -1;
    CWnd* main = AfxGetMainWnd();
    HWND parent = top_level_of(m_pParentWnd ? m_pParentWnd->m_hWnd : (main && main != this ? main->m_hWnd : nullptr));
    bool enable_parent = false;
    if (parent && ::IsWindowEnabled(parent)) {
        ::EnableWindow(parent, FALSE);
        enable_parent = true;
    }
    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    if (create_window(dialogTemplate, parent, module) && ContinueModal())
        RunModalLoop();
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (enable_parent)
        ::EnableWindow(parent, TRUE);
    if (parent && m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(parent);
    DestroyWindow();
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    return m_nModalResult;
}

int CDialog::RunModalLoop()
{
    m_nFlags |= WF_MODALLOOP;
    bool shown = false;
    while (ContinueModal()) {
        MSG msg{};
        if (!shown && !::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // The queue is empty for the first time: the dialog is ready.
            shown = true;
            if (!(GetStyle() & WS_VISIBLE)) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
            }
            continue;
        }
        BOOL got = ::GetMessage(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the loop that waits for WM_QUIT gets it.
            CWinThread* thread = AfxGetThread();
            ::PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : (thread ? thread->m_nExitCode : 0));
            m_nModalResult = -1;
            break;
        }
        CWinThread* thread = AfxGetThread();
        BOOL taken = thread ? thread->PreTranslateMessage(&msg) : CWnd::WalkPreTranslateTree(m_hWnd, &msg);
        if (!taken) {
            ::TranslateMessage(&msg);
            ::DispatchMessage(&msg);
        }
    }
    m_nFlags &= ~WF_MODALLOOP;
    return static_cast<int>(m_nModalResult);
}

BOOL CDialog::ContinueModal() const
{
    return (m_nFlags & WF_CONTINUEMODAL) && m_hWnd && ::IsWindow(m_hWnd);
}

void CDialog::EndModalLoop(INT_PTR result)
{
    m_nModalResult = result;
    m_nFlags &= ~WF_CONTINUEMODAL;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_nIDHelp = templateId;
    return Create(MAKEINTRESOURCE(templateId), parent);
}

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent)
{
    m_lpszTemplateName = templateName;
    HINSTANCE module = nullptr;
    LPCDLGTEMPLATE dialogTemplate = resolve_template(module);
    if (!dialogTemplate)
        return FALSE;
    if (!parent)
        parent = AfxGetMainWnd();
    m_pParentWnd = parent;
    return create_window(dialogTemplate, parent ? parent->m_hWnd : nullptr, module) != nullptr;
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent)
{
    if (!dialogTemplate || m_hWnd)
        return FALSE;
    if (!parent)
        parent = AfxGetMainWnd();
    m_pParentWnd = parent;
    return create_window(dialogTemplate, parent ? parent->m_hWnd : nullptr, AfxGetResourceHandle()) != nullptr;
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent)
{
    m_lpDialogTemplate = dialogTemplate;
    m_pParentWnd = parent;
    return dialogTemplate != nullptr;
}

void CDialog::EndDialog(int result)
{
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(result);
    ::EndDialog(m_hWnd, result);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    // The dialog manager's handling calls the dialog procedure, which runs
    // OnInitDialog.
    return Default();
}

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE)) {
        helm::kernel::trace("dialog: UpdateData failed at initialisation\n");
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    bool command = LOWORD(static_cast<DWORD>(nCode)) == CN_COMMAND &&
                   (HIWORD(static_cast<DWORD>(nCode)) == 0 || HIWORD(static_cast<DWORD>(nCode)) == WM_COMMAND);
    if (!command || nID < 0x8000 || nID > 0xDFFF)
        return FALSE;
    CWinThread* thread = AfxGetThread();
    return thread ? thread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (CWnd::PreTranslateMessage(msg))
        return TRUE;
    return PreTranslateInput(msg);
}

void CDialog::NextDlgCtrl() const
{
    ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 0, 0);
}

void CDialog::PrevDlgCtrl() const
{
    ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 1, 0);
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (control)
        ::SendMessage(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), 1);
}

void CDialog::SetDefID(UINT id)
{
    ::SendMessage(m_hWnd, DM_SETDEFID, id, 0);
}

DWORD CDialog::GetDefID() const
{
    return static_cast<DWORD>(::SendMessage(m_hWnd, DM_GETDEFID, 0, 0));
}

void CDialog::MapDialogRect(LPRECT rect) const
{
    ::MapDialogRect(m_hWnd, rect);
}
