// CWinThread: a thread of the class library. The application object is the
// main thread's; AfxBeginThread starts worker threads. A worker's main
// window is the one of the thread that started it (so that
// AfxGetThread()->GetMainWnd() on a worker reaches the application's).
#pragma once

#include "helm/afx/CCmdTarget.h"
#include "helm/kernel/threads.h"

class CWnd;

typedef UINT (*AFX_THREADPROC)(LPVOID parameter);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)

public:
    CWinThread() = default;
    CWinThread(AFX_THREADPROC proc, LPVOID parameter);
    ~CWinThread() override;

    CWnd* m_pMainWnd = nullptr;
    CWnd* m_pActiveWnd = nullptr;
    BOOL m_bAutoDelete = TRUE;
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;

    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);
    DWORD ResumeThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int priority);
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    operator HANDLE() const { return m_hThread; }

    virtual CWnd* GetMainWnd();
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop: PumpMessage until WM_QUIT, OnIdle while the queue is
    // empty; returns ExitInstance's result.
    virtual int Run();
    // Gets one message and, unless PreTranslateMessage takes it, translates
    // and dispatches it; FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    // Offers a message to the windows from its target up to the main window.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Frees the thread's temporary objects; TRUE asks for more idle time.
    virtual BOOL OnIdle(LONG count);
    virtual BOOL IsIdleMessage(MSG* msg);
    // Deletes the object when m_bAutoDelete.
    virtual void Delete();

    // The exit code WM_QUIT carried, for Run's caller.
    int m_nExitCode = 0;
    // The message PumpMessage took last.
    MSG m_msgCur{};
};

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
// The calling thread's object; on a thread the class library did not start,
// the application object.
CWinThread* AfxGetThread();
// Gets and dispatches one message of the calling thread (as PumpMessage).
BOOL AfxPumpMessage();
BOOL AfxPreTranslateMessage(MSG* msg);
