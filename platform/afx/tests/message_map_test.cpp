#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "afxwin.h"

namespace {

UINT g_registered = 0;

class Base : public CWnd {
public:
    std::vector<std::string> log;

protected:
    void OnTimer(UINT_PTR id) { log.push_back("base timer " + std::to_string(id)); }
    LRESULT OnPing(WPARAM, LPARAM) { log.push_back("base ping"); return 1; }
    void OnCommand100() { log.push_back("base command 100"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Base, CWnd)
    ON_WM_TIMER()
    ON_MESSAGE(WM_APP + 1, OnPing)
    ON_MESSAGE(WM_APP + 2, OnPing)
    ON_COMMAND(100, OnCommand100)
END_MESSAGE_MAP()

class Derived : public Base {
public:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP + 9)
            return 99;  // a dispatcher of its own, as the main dialog has
        return Base::DefWindowProc(message, wParam, lParam);
    }

protected:
    int OnCreate(LPCREATESTRUCT cs)
    {
        log.push_back(std::string("create ") + cs->lpszName);
        return CWnd::OnCreate(cs);
    }
    void OnSize(UINT, int cx, int cy) { log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy)); }
    LRESULT OnPing(WPARAM, LPARAM) { log.push_back("derived ping"); return 2; }
    LRESULT OnRegistered(WPARAM wParam, LPARAM) { log.push_back("registered " + std::to_string(wParam)); return 3; }
    void OnClicked() { log.push_back("clicked 101"); }
    void OnRange(UINT id) { log.push_back("range " + std::to_string(id)); }
    void OnNotifyCode(NMHDR* header, LRESULT* result)
    {
        log.push_back("notify " + std::to_string(header->idFrom));
        *result = 42;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Derived, Base)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_APP + 1, OnPing)
    ON_REGISTERED_MESSAGE(g_registered, OnRegistered)
    ON_BN_CLICKED(101, OnClicked)
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_NOTIFY(5, 300, OnNotifyCode)
END_MESSAGE_MAP()

TEST(MessageMap, DerivedEntriesFirstThenBaseThenDefault)
{
    g_registered = RegisterWindowMessage("AFX_TEST_REGISTERED");
    Derived w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    // WM_CREATE and WM_SIZE reached the map: the object was bound from the
    // window's first message.
    ASSERT_GE(w.log.size(), 2u);
    EXPECT_EQ(w.log[0], "create main");
    EXPECT_EQ(w.log[1].rfind("size ", 0), 0u);
    w.log.clear();

    EXPECT_EQ(w.SendMessage(WM_APP + 1), 2);  // the derived entry hides the base's
    EXPECT_EQ(w.SendMessage(WM_APP + 2), 1);  // only the base has it
    EXPECT_EQ(w.SendMessage(WM_TIMER, 7), 0);
    EXPECT_EQ(w.SendMessage(g_registered, 5), 3);
    EXPECT_EQ(w.SendMessage(WM_APP + 9), 99);  // no entry: the virtual DefWindowProc
    EXPECT_EQ(w.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0)), 1);
    EXPECT_EQ(w.SendMessage(WM_COMMAND, MAKEWPARAM(205, 0)), 1);
    EXPECT_EQ(w.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0)), 0);
    std::vector<std::string> want = {"derived ping", "base ping",  "base timer 7",    "registered 5",
                                     "base command 100", "range 205"};
    EXPECT_EQ(w.log, want);
    w.DestroyWindow();
    EXPECT_EQ(w.m_hWnd, nullptr);

    // A class registered for the library's procedure routes the same way.
    LPCSTR name = AfxRegisterWndClass(CS_DBLCLKS);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(AfxRegisterWndClass(CS_DBLCLKS), name);
    EXPECT_STRNE(AfxRegisterWndClass(0), name);
    Derived v;
    ASSERT_TRUE(v.CreateEx(0, name, "registered", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(v.log.front(), "create registered");
    EXPECT_EQ(v.SendMessage(WM_APP + 1), 2);
}

// A control-like child that takes some of its own notifications.
class Reflecting : public CWnd {
public:
    std::vector<std::string> log;
    BOOL pass_on = FALSE;
    HBRUSH brush = nullptr;

protected:
    void OnReflectedClick() { log.push_back("reflected click"); }
    BOOL OnReflectedChange()
    {
        log.push_back("reflected change");
        return !pass_on;
    }
    void OnReflectedNotify(NMHDR*, LRESULT* result)
    {
        log.push_back("reflected notify");
        *result = 7;
    }
    HBRUSH CtlColor(CDC*, UINT kind)
    {
        log.push_back("ctlcolor " + std::to_string(kind));
        return brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Reflecting, CWnd)
    ON_CONTROL_REFLECT(0, OnReflectedClick)
    ON_CONTROL_REFLECT_EX(0x0300, OnReflectedChange)
    ON_NOTIFY_REFLECT(5, OnReflectedNotify)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class Parent : public CWnd {
public:
    std::vector<std::string> log;

protected:
    void OnClick() { log.push_back("parent click"); }
    void OnChange() { log.push_back("parent change"); }
    void OnNotifyFive(NMHDR*, LRESULT* result)
    {
        log.push_back("parent notify");
        *result = 8;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Parent, CWnd)
    ON_CONTROL(0, 50, OnClick)
    ON_CONTROL(0x0300, 50, OnChange)
    ON_NOTIFY(5, 50, OnNotifyFive)
END_MESSAGE_MAP()

TEST(MessageMap, NotificationsAreReflectedToTheControlFirst)
{
    Parent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    Reflecting child;
    ASSERT_TRUE(child.Create(nullptr, "child", WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 50));
    LPARAM from = reinterpret_cast<LPARAM>(child.m_hWnd);

    parent.SendMessage(WM_COMMAND, MAKEWPARAM(50, 0), from);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(50, 0x0300), from);  // the child takes it
    child.pass_on = TRUE;
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(50, 0x0300), from);  // the child lets it go on
    NMHDR header{child.m_hWnd, 50, 5};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 50, reinterpret_cast<LPARAM>(&header)), 7);
    std::vector<std::string> child_want = {"reflected click", "reflected change", "reflected change",
                                           "reflected notify"};
    EXPECT_EQ(child.log, child_want);
    EXPECT_EQ(parent.log, std::vector<std::string>{"parent change"});

    // A notification from a window without an object goes to the parent.
    HWND plain = CreateWindowEx(0, helm::afx::default_window_class(), "", WS_CHILD, 0, 0, 5, 5, parent.m_hWnd,
                                reinterpret_cast<HMENU>(50), nullptr, nullptr);
    NMHDR plain_header{plain, 50, 5};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 50, reinterpret_cast<LPARAM>(&plain_header)), 8);

    // WM_CTLCOLOR*: the child's brush when it gives one, else the default.
    child.log.clear();
    child.brush = reinterpret_cast<HBRUSH>(0x1234);
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, 0x99, from), 0x1234);
    child.brush = nullptr;
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLOREDIT, 0x99, from),
              ::DefWindowProc(parent.m_hWnd, WM_CTLCOLOREDIT, 0x99, from));
    EXPECT_EQ(child.log, (std::vector<std::string>{"ctlcolor 6", "ctlcolor 1"}));
    parent.DestroyWindow();
    EXPECT_EQ(child.m_hWnd, nullptr);
}

// Counts what reaches a plain window procedure.
int g_plain_calls = 0;
LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 3)
        ++g_plain_calls;
    return DefWindowProc(window, message, wParam, lParam);
}

HWND make_plain_window()
{
    static ATOM atom = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = plain_proc;
        wc.lpszClassName = "AfxTestPlain";
        return RegisterClass(&wc);
    }();
    (void)atom;
    return CreateWindowEx(0, "AfxTestPlain", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

class SelfDeleting : public CWnd {
public:
    static int deleted;
    ~SelfDeleting() override { ++deleted; }

protected:
    void PostNcDestroy() override { delete this; }
};
int SelfDeleting::deleted = 0;

TEST(HandleMap, TemporaryAndPermanentObjects)
{
    HWND window = make_plain_window();
    ASSERT_TRUE(window);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    CWnd* temporary = CWnd::FromHandle(window);
    ASSERT_NE(temporary, nullptr);
    EXPECT_TRUE(temporary->m_nFlags & WF_TEMPORARY);
    EXPECT_EQ(CWnd::FromHandle(window), temporary);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    CWnd bound;
    ASSERT_TRUE(bound.Attach(window));
    EXPECT_EQ(CWnd::FromHandle(window), &bound);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), &bound);
    CWnd other;
    EXPECT_FALSE(other.Attach(window));  // one object per window
    // The maps belong to the thread.
    CWnd* seen_elsewhere = &bound;
    std::thread([&] { seen_elsewhere = CWnd::FromHandlePermanent(window); }).join();
    EXPECT_EQ(seen_elsewhere, nullptr);
    EXPECT_EQ(bound.Detach(), window);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    EXPECT_TRUE(IsWindow(window));  // detaching never destroys

    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(window));  // nor does freeing the temporary objects
    EXPECT_TRUE(CWnd::FromHandle(window)->m_nFlags & WF_TEMPORARY);

    // An attached window destroyed through its object leaves it unbound.
    ASSERT_TRUE(bound.Attach(window));
    EXPECT_TRUE(bound.DestroyWindow());
    EXPECT_EQ(bound.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST(HandleMap, SubclassedWindowsPassOnAndCleanUpAtDestruction)
{
    HWND window = make_plain_window();
    CWnd* object = new SelfDeleting;
    ASSERT_TRUE(object->SubclassWindow(window));
    g_plain_calls = 0;
    SendMessage(window, WM_APP + 3, 0, 0);
    EXPECT_EQ(g_plain_calls, 1);  // unhandled: the previous procedure has it
    EXPECT_EQ(object->UnsubclassWindow(), window);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtr(window, GWLP_WNDPROC)), &plain_proc);
    ASSERT_TRUE(object->SubclassWindow(window));

    SelfDeleting::deleted = 0;
    DestroyWindow(window);  // not through the object: it still hears of it
    EXPECT_EQ(SelfDeleting::deleted, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);

    // An object going away takes its window with it.
    HWND second = make_plain_window();
    {
        CWnd scoped;
        ASSERT_TRUE(scoped.SubclassWindow(second));
    }
    EXPECT_FALSE(IsWindow(second));
}

TEST(RuntimeClass, KindsAndCreation)
{
    CWnd* window = DYNAMIC_DOWNCAST(CWnd, RUNTIME_CLASS(CWnd)->CreateObject());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_FALSE(window->IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_EQ(DYNAMIC_DOWNCAST(CDialog, window), nullptr);
    EXPECT_STREQ(window->GetRuntimeClass()->m_lpszClassName, "CWnd");
    delete window;
    EXPECT_EQ(RUNTIME_CLASS(CDialog)->CreateObject(), nullptr);  // not creatable
    CEdit edit;
    EXPECT_TRUE(edit.IsKindOf(RUNTIME_CLASS(CWnd)));
}

}  // namespace
