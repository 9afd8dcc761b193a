#include "helm/afx/CWinThread.h"

#include "helm/afx/CDC.h"
#include "helm/afx/CMenu.h"
#include "helm/afx/CWinApp.h"
#include "helm/afx/CWnd.h"
#include "helm/kernel/objects.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {

DWORD WINAPI thread_entry(LPVOID parameter)
{
    CWinThread* thread = static_cast<CWinThread*>(parameter);
    helm::afx::thread_state().thread = thread;
    DWORD code = 0;
    if (thread->m_pfnThreadProc)
        code = thread->m_pfnThreadProc(thread->m_pThreadParams);
    else
        code = static_cast<DWORD>(thread->InitInstance() ? thread->Run() : thread->ExitInstance());
    helm::afx::thread_state().thread = nullptr;
    thread->Delete();
    return code;
}

}  // namespace

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID parameter) : m_pfnThreadProc(proc), m_pThreadParams(parameter)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES security)
{
    if (m_hThread)
        return FALSE;
    if (!m_pMainWnd) {
        // The starter's main window, as a worker posts to it.
        CWinThread* starter = AfxGetThread();
        if (starter && starter != this)
            m_pMainWnd = starter->GetMainWnd();
    }
    DWORD id = 0;
    m_hThread = ::CreateThread(security, stackSize, &thread_entry, this, createFlags | CREATE_SUSPENDED, &id);
    if (!m_hThread)
        return FALSE;
    m_nThreadID = id;
    if (!(createFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

int CWinThread::GetThreadPriority()
{
    return ::GetThreadPriority(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int priority)
{
    return ::SetThreadPriority(m_hThread, priority);
}

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostThreadMessage(m_nThreadID, message, wParam, lParam);
}

CWnd* CWinThread::GetMainWnd()
{
    if (m_pActiveWnd)
        return m_pActiveWnd;
    if (m_pMainWnd)
        return m_pMainWnd;
    CWinApp* app = AfxGetApp();
    return app && app != this ? app->GetMainWnd() : nullptr;
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::ExitInstance()
{
    return m_nExitCode;
}

BOOL CWinThread::IsIdleMessage(MSG* msg)
{
    // Mouse moves and timers come often and change nothing worth idling for.
    return msg->message != WM_MOUSEMOVE && msg->message != WM_TIMER;
}

BOOL CWinThread::OnIdle(LONG)
{
    CWnd::DeleteTempMap();
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    CMenu::DeleteTempMap();
    return FALSE;
}

int CWinThread::Run()
{
    LONG idle_count = 0;
    bool idle = true;
    for (;;) {
        MSG peek;
        while (idle && !::PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idle_count++))
                idle = false;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idle_count = 0;
            }
        } while (::PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    MSG msg{};
    BOOL got = ::GetMessage(&msg, nullptr, 0, 0);
    if (got <= 0) {
        if (got == 0)
            m_nExitCode = static_cast<int>(msg.wParam);
        return FALSE;
    }
    m_msgCur = msg;
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg)
{
    CWnd* main = GetMainWnd();
    HWND stop = main ? main->m_hWnd : nullptr;
    if (CWnd::WalkPreTranslateTree(stop, msg))
        return TRUE;
    // A modeless window outside the main window's family still gets the
    // main window's translation.
    if (main && main->m_hWnd && msg->hwnd) {
        CWnd* target = CWnd::FromHandle(msg->hwnd);
        if (target->GetTopLevelParent() != main)
            return main->PreTranslateMessage(msg);
    }
    return FALSE;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security)
{
    CWinThread* thread = new CWinThread(proc, parameter);
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, security)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(createFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}

CWinThread* AfxGetThread()
{
    helm::afx::ThreadState* state = helm::afx::thread_state_if_alive();
    if (state && state->thread)
        return state->thread;
    return AfxGetApp();
}

BOOL AfxPumpMessage()
{
    CWinThread* thread = AfxGetThread();
    if (thread)
        return thread->PumpMessage();
    MSG msg{};
    if (::GetMessage(&msg, nullptr, 0, 0) <= 0)
        return FALSE;
    ::TranslateMessage(&msg);
    ::DispatchMessage(&msg);
    return TRUE;
}

BOOL AfxPreTranslateMessage(MSG* msg)
{
    CWinThread* thread = AfxGetThread();
    return thread ? thread->PreTranslateMessage(msg) : FALSE;
}
